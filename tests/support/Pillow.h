#pragma once
#include <string>
#include <vector>

#include "support/PythonScript.h"

namespace plat::test {

using PillowOutput = ScriptOutput;

// Runs a Python script that uses Pillow (Debian's python3-pil, installed by
// scripts/install-deps.sh), saved in folder, with arguments as sys.argv[1:].
// Tests use it as an independent reader and writer of JPEG and PNG files.
inline PillowOutput runPillow(
    const std::string& folder, const std::string& script, const std::vector<std::string>& arguments)
{
    return runPython(folder, script, arguments);
}

}  // namespace plat::test
