#pragma once
#include <string>
#include <vector>

namespace plat::test {

struct PillowOutput {
    int exitCode = -1;
    std::string output;  // standard output and error together
};

// Runs a Python script that uses Pillow (Debian's python3-pil, installed by
// scripts/install-deps.sh for Debian's own python3), saved in folder, with
// arguments as sys.argv[1:]. Tests use it as an independent reader and
// writer of JPEG and PNG files.
PillowOutput runPillow(const std::string& folder, const std::string& script, const std::vector<std::string>& arguments);

}  // namespace plat::test
