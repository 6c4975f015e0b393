#include "PythonScript.h"

#include <cstdio>
#include <sys/wait.h>

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

}  // namespace

ScriptOutput runPython(const std::string& folder, const std::string& script, const std::vector<std::string>& arguments)
{
    ScriptOutput result;
    std::string scriptPath = appendingPathComponent(folder, "script.py");
    if (!writeFileAtomically(scriptPath, script).ok()) {
        result.output = "cannot write " + scriptPath;
        return result;
    }
    std::string command = "python3 " + shellQuoted(scriptPath);
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
