#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

#include "platform/foundation/DispatchQueue.h"
#include "platform/foundation/Timer.h"
#include "support/ManualClockScope.h"
#include "support/RunLoopWaiting.h"

namespace {

// A flag another thread raises only once the waiter has looked at it and
// found it down, without posting anything to the main queue.
class FlagRaisedAfterTheFirstLook {
public:
    FlagRaisedAfterTheFirstLook()
        : _thread([this] {
            std::unique_lock lock(_lock);
            _looked.wait(lock, [this] { return _hasLooked; });
            _raised = true;
        })
    {
    }
    ~FlagRaisedAfterTheFirstLook() { _thread.join(); }

    bool look()
    {
        std::lock_guard guard(_lock);
        if (!_hasLooked) {
            _hasLooked = true;
            _looked.notify_one();
        }
        return _raised;
    }

private:
    std::mutex _lock;
    std::condition_variable _looked;
    bool _hasLooked = false;  // guarded by _lock
    bool _raised = false;  // guarded by _lock
    std::thread _thread;
};

}  // namespace

TEST(RunLoopWaiting, SeesStateAnotherThreadChangesWithoutPostingLongBeforeTheDeadline)
{
    plat::test::ManualClockScope clock;
    FlagRaisedAfterTheFirstLook flag;
    constexpr double kTimeoutSeconds = 20;
    const auto start = std::chrono::steady_clock::now();
    ASSERT_TRUE(plat::test::runMainLoopUntil([&] { return flag.look(); }, kTimeoutSeconds));
    // Only a wait that looks again by itself ends here; one that waits for a
    // main-queue block ends at the deadline.
    EXPECT_LT(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count(), kTimeoutSeconds / 2);
}

TEST(RunLoopWaiting, RunsBlocksOtherThreadsHandToTheMainQueueAndGivesUpAtTheDeadline)
{
    plat::test::ManualClockScope clock;
    std::atomic<bool> ran {false};
    plat::DispatchQueue::globalQueue().async([&] { plat::DispatchQueue::mainQueue().async([&] { ran = true; }); });
    EXPECT_TRUE(plat::test::runMainLoopUntil([&] { return ran.load(); }));
    EXPECT_FALSE(plat::test::runMainLoopUntil([] { return false; }, 0.01));
}

// A camera on the clock: each tick hands a picture to a background queue,
// except the first, which it drops.
TEST(AdvanceClockUntil, StepsPastAStepThatBroughtNothingAndStopsAtTheFirstPictureOnceItsWorkIsDone)
{
    plat::test::ManualClockScope clock;
    auto camera = plat::DispatchQueue::create("test.camera");
    std::atomic<int> pictures {0};
    int ticks = 0;
    auto timer = plat::Timer::scheduledTimerWithTimeInterval(
        0.25,
        [&] {
            if (++ticks > 1)
                camera->async([&] { ++pictures; });
        },
        /*repeats=*/true);
    const double start = clock.uptimeSeconds();
    // Only a wait that lets each step's work finish sees exactly one picture.
    EXPECT_TRUE(plat::test::advanceClockUntil(
        clock.clock(), 0.25, [&] { return pictures.load() == 1; }, 8));
    EXPECT_EQ(clock.uptimeSeconds() - start, 0.5);
    timer->invalidate();
    camera->sync([] {});  // nothing left to count into a counter gone out of scope
}

TEST(AdvanceClockUntil, StepsAtLeastOnceAndAtMostItsLimit)
{
    plat::test::ManualClockScope clock;
    int ticks = 0;
    auto timer = plat::Timer::scheduledTimerWithTimeInterval(
        0.25, [&] { ++ticks; }, /*repeats=*/true);
    EXPECT_TRUE(plat::test::advanceClockUntil(
        clock.clock(), 0.25, [] { return true; }, 3));
    EXPECT_EQ(ticks, 1);
    EXPECT_FALSE(plat::test::advanceClockUntil(
        clock.clock(), 0.25, [] { return false; }, 3));
    EXPECT_EQ(ticks, 4);
    timer->invalidate();
}
