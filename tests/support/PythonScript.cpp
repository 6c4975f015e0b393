#include "support/PythonScript.h"

#include <unistd.h>

#include "platform/foundation/Files.h"
#include "platform/foundation/Paths.h"
#include "support/BoundedChild.h"

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

ScriptOutput runShellCommand(const std::string& command)
{
    BoundedChild shell({"/bin/sh", "-c", command}, ChildOutput::Captured);
    ChildRun run = shell.wait();
    return ScriptOutput {run.exitCode, std::move(run.output)};
}

// Debian's own interpreter carries the python3-* packages (Pillow among them);
// a python3 earlier on the PATH may lack them.
std::string interpreter()
{
    return ::access("/usr/bin/python3", X_OK) == 0 ? "/usr/bin/python3" : "python3";
}

}  // namespace

ScriptOutput runPython(const std::string& folder, const std::string& script, const std::vector<std::string>& arguments)
{
    std::string scriptPath = appendingPathComponent(folder, "script.py");
    if (!writeFileAtomically(scriptPath, script).ok())
        return ScriptOutput {-1, "cannot write " + scriptPath};
    std::string command = interpreter() + " " + shellQuoted(scriptPath);
    for (const std::string& argument : arguments)
        command += " " + shellQuoted(argument);
    return runShellCommand(command);
}

ScriptOutput runCommand(const std::string& workingFolder, const std::vector<std::string>& command)
{
    std::string line = "cd " + shellQuoted(workingFolder) + " &&";
    for (const std::string& argument : command)
        line += " " + shellQuoted(argument);
    return runShellCommand(line);
}

}  // namespace plat::test
