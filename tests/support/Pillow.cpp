#include "support/Pillow.h"

#include <cstdio>
#include <sys/wait.h>
#include <unistd.h>

#include "platform/foundation/Files.h"
#include "platform/foundation/Paths.h"

namespace plat::test {

namespace {

std::string shellQuoted(const std::string& text)
{
    std::string quoted = "'";
    for (char c : text) {
        if (c == '\'')
            quoted += "'\\''";
        else
            quoted += c;
    }
    return quoted + "'";
}

// Pillow comes with Debian's interpreter; a python3 earlier on the PATH may lack it.
std::string interpreter()
{
    return ::access("/usr/bin/python3", X_OK) == 0 ? "/usr/bin/python3" : "python3";
}

}  // namespace

PillowOutput runPillow(const std::string& folder, const std::string& script, const std::vector<std::string>& arguments)
{
    PillowOutput result;
    std::string scriptPath = appendingPathComponent(folder, "pillow_script.py");
    if (!writeFileAtomically(scriptPath, script).ok()) {
        result.output = "cannot write " + scriptPath;
        return result;
    }
    std::string command = interpreter() + " " + shellQuoted(scriptPath);
    for (const std::string& argument : arguments)
        command += " " + shellQuoted(argument);
    command += " 2>&1";
    FILE* pipe = ::popen(command.c_str(), "r");
    if (!pipe) {
        result.output = "cannot run python3";
        return result;
    }
    char buffer[4096];
    size_t got = 0;
    while ((got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0)
        result.output.append(buffer, got);
    int status = ::pclose(pipe);
    result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return result;
}

}  // namespace plat::test
