#include <gtest/gtest.h>

#include "platform/foundation/RunLoop.h"

int main(int argc, char** argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    plat::RunLoop::main().bindToCurrentThread();
    return RUN_ALL_TESTS();
}

// Allocations that the leak checker of the asan preset is not to report:
// fontconfig keeps its configuration and font caches for the life of the
// process (pango reaches it through the text drawing of the graphics stand-in),
// and Mesa's software rasteriser keeps a few of its own until the process ends.
// The sanitizer asks for this list itself; other builds never call it. It
// lives here because main's object file is linked into every test binary.
extern "C" const char* __lsan_default_suppressions();

extern "C" const char* __lsan_default_suppressions()
{
    return "leak:libfontconfig.so\nleak:swrast_dri.so\n";
}
