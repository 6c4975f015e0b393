#include <gtest/gtest.h>

#include "platform/foundation/RunLoop.h"

int main(int argc, char** argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    plat::RunLoop::main().bindToCurrentThread();
    return RUN_ALL_TESTS();
}
