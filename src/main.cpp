#include <cstdio>
#include <cstring>
#include <string>

#include "platform/foundation/Log.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/Sandbox.h"

namespace {

void printUsage()
{
    std::puts("usage: zantrope [--device DIR] [--idiom phone|tablet]");
}

}  // namespace

int main(int argc, char** argv)
{
    plat::RunLoop::main().bindToCurrentThread();
    std::string deviceFolder = plat::Sandbox::defaultRoot();
    for (int i = 1; i < argc; ++i) {
        std::string argument = argv[i];
        if (argument == "--device" && i + 1 < argc) {
            deviceFolder = argv[++i];
        } else if (argument == "--idiom" && i + 1 < argc) {
            ++i;  // the screens arrive with the user-interface layer
        } else if (argument == "--help" || argument == "-h") {
            printUsage();
            return 0;
        } else {
            printUsage();
            return 2;
        }
    }
    plat::Sandbox::setCurrent(std::make_shared<plat::Sandbox>(deviceFolder));
    plat::log("device folder {}", deviceFolder);
    // The application object and its screens are not built yet; there is nothing to show.
    std::puts("Zantrope: the application screens are not built yet; the device folder is ready.");
    return 0;
}
