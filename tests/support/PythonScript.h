#pragma once
#include <string>
#include <vector>

namespace plat::test {

struct ScriptOutput {
    int exitCode = -1;
    std::string output;  // standard output and error together
};

// Runs python3 on script, saved in folder, with arguments as sys.argv[1:].
// Tests use it as an independent reader and writer of property lists and archives.
ScriptOutput runPython(const std::string& folder, const std::string& script, const std::vector<std::string>& arguments);

// Runs a program (looked up in PATH) with its arguments in workingFolder,
// such as the zip and unzip tools that tests compare with.
ScriptOutput runCommand(const std::string& workingFolder, const std::vector<std::string>& command);

}  // namespace plat::test
