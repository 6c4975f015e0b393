#include "platform/foundation/DispatchGroup.h"

#include <atomic>
#include <gtest/gtest.h>
#include <vector>

#include "platform/foundation/DispatchQueue.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/Semaphore.h"
#include "support/ManualClockScope.h"

namespace {

constexpr double kGenerousTimeoutSeconds = 30;

class DispatchGroupTest : public ::testing::Test {
protected:
    plat::test::ManualClockScope clock;
    plat::DispatchGroup group;
};

TEST_F(DispatchGroupTest, NotifiesOnceEveryMemberHasLeft)
{
    int notified = 0;
    group.enter();
    group.enter();
    group.notify(plat::DispatchQueue::mainQueue(), [&] { ++notified; });
    group.leave();
    plat::RunLoop::main().drain();
    EXPECT_EQ(notified, 0);
    EXPECT_FALSE(group.wait(0));
    group.leave();
    EXPECT_TRUE(group.wait(0));
    EXPECT_EQ(notified, 0);  // handed to the main queue, which has not drained yet
    plat::RunLoop::main().drain();
    EXPECT_EQ(notified, 1);
}

TEST_F(DispatchGroupTest, NotifyOnAnEmptyGroupIsHandedOverAtOnce)
{
    int notified = 0;
    group.notify(plat::DispatchQueue::mainQueue(), [&] { ++notified; });
    EXPECT_EQ(plat::RunLoop::main().drain(), 1u);
    EXPECT_EQ(notified, 1);
}

TEST_F(DispatchGroupTest, NotifiesAfterAllAsyncBlocksOnSeveralQueues)
{
    auto serial = plat::DispatchQueue::create("test.group");
    std::atomic<int> finished = 0;
    int finishedWhenNotified = -1;
    for (int i = 0; i < 10; ++i) {
        group.async(*serial, [&] { ++finished; });
        group.async(plat::DispatchQueue::globalQueue(), [&] { ++finished; });
    }
    plat::Semaphore notified;
    group.notify(*serial, [&, notified]() mutable {
        finishedWhenNotified = finished;
        notified.signal();
    });
    ASSERT_TRUE(notified.wait(kGenerousTimeoutSeconds));
    EXPECT_EQ(finishedWhenNotified, 20);
}

TEST_F(DispatchGroupTest, NotifyKeepsAReleasedQueueUntilItRuns)
{
    plat::Semaphore notified;
    group.enter();
    {
        auto queue = plat::DispatchQueue::create("test.released-target");
        group.notify(*queue, [notified]() mutable { notified.signal(); });
    }
    group.leave();
    EXPECT_TRUE(notified.wait(kGenerousTimeoutSeconds));
}

TEST(DispatchGroupDeathTest, LeaveWithoutEnterAborts)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    plat::DispatchGroup group;
    EXPECT_DEATH(group.leave(), "without a matching enter");
}

}  // namespace
