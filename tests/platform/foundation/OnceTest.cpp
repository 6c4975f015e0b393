#include "platform/foundation/Once.h"

#include <atomic>
#include <gtest/gtest.h>

#include "platform/foundation/DispatchGroup.h"
#include "platform/foundation/DispatchQueue.h"

namespace {

TEST(DispatchOnce, RunsOnceAndEveryCallerSeesItsResult)
{
    plat::OnceFlag flag;
    std::atomic<int> runs = 0;
    int value = 0;  // written inside the once block only
    std::atomic<int> sawValue = 0;
    plat::DispatchGroup group;
    for (int i = 0; i < 32; ++i) {
        group.async(plat::DispatchQueue::globalQueue(), [&] {
            plat::dispatchOnce(flag, [&] {
                ++runs;
                value = 42;
            });
            if (value == 42)
                ++sawValue;
        });
    }
    ASSERT_TRUE(group.wait(30));
    EXPECT_EQ(runs, 1);
    EXPECT_EQ(sawValue, 32);
}

}  // namespace
