#include "platform/foundation/RunLoop.h"

#include <atomic>
#include <cmath>
#include <cstdint>
#include <gtest/gtest.h>
#include <utility>
#include <vector>

#include "platform/foundation/DispatchGroup.h"
#include "platform/foundation/DispatchQueue.h"
#include "platform/foundation/Timer.h"
#include "support/ManualClockScope.h"

namespace {

constexpr double kGenerousTimeoutSeconds = 30;

class RunLoopTest : public ::testing::Test {
protected:
    plat::test::ManualClockScope clock;
    plat::RunLoop& loop = plat::RunLoop::main();
    std::vector<int> log;
};

TEST_F(RunLoopTest, DelayedPerformsCanBeCancelledByTarget)
{
    int kept = 0;
    int otherTarget = 0;
    loop.performAfterDelay(&log, 1, [&] { log.push_back(1); });
    loop.performAfterDelay(&log, 2, [&] { log.push_back(2); });
    loop.performAfterDelay(&otherTarget, 2, [&] { ++kept; });
    clock.advance(1);
    loop.cancelPreviousPerformRequests(&log);
    clock.advance(5);
    EXPECT_EQ(log, (std::vector<int> {1}));
    EXPECT_EQ(kept, 1);
}

TEST_F(RunLoopTest, APerformWithoutDelayWaitsForTheNextPass)
{
    loop.performAfterDelay(this, 0, [&] { log.push_back(1); });
    EXPECT_TRUE(log.empty());
    EXPECT_EQ(loop.drain(), 1u);
    EXPECT_EQ(log, (std::vector<int> {1}));
}

TEST_F(RunLoopTest, RunPendingLeavesWorkPostedMeanwhileForTheNextCall)
{
    auto& main = plat::DispatchQueue::mainQueue();
    main.async([&] {
        log.push_back(1);
        main.async([&] { log.push_back(2); });
    });
    EXPECT_EQ(loop.runPending(), 1u);
    EXPECT_EQ(log, (std::vector<int> {1}));
    EXPECT_EQ(loop.runPending(), 1u);
    EXPECT_EQ(loop.runPending(), 0u);
    EXPECT_EQ(log, (std::vector<int> {1, 2}));
}

TEST_F(RunLoopTest, DrainRunsUntilNothingIsReady)
{
    auto& main = plat::DispatchQueue::mainQueue();
    main.async([&] {
        log.push_back(1);
        main.async([&] {
            log.push_back(2);
            main.async([&] { log.push_back(3); });
        });
    });
    main.after(1, [&] { log.push_back(4); });
    EXPECT_EQ(loop.drain(), 3u);
    EXPECT_EQ(log, (std::vector<int> {1, 2, 3}));
    EXPECT_DOUBLE_EQ(clock.uptimeSeconds(), 1000);
}

TEST_F(RunLoopTest, RunsMainQueueBlocksPostedFromBackgroundThreads)
{
    plat::DispatchGroup group;
    std::vector<bool> ranOnMainThread;
    for (int i = 0; i < 8; ++i) {
        group.async(plat::DispatchQueue::globalQueue(),
            [&] { plat::DispatchQueue::mainQueue().async([&] { ranOnMainThread.push_back(plat::isMainThread()); }); });
    }
    ASSERT_TRUE(group.wait(kGenerousTimeoutSeconds));
    EXPECT_TRUE(ranOnMainThread.empty());
    EXPECT_EQ(loop.drain(), 8u);
    EXPECT_EQ(ranOnMainThread, std::vector<bool>(8, true));
}

TEST_F(RunLoopTest, StopFromAnotherThreadEndsRun)
{
    bool ranFirst = false;
    plat::DispatchQueue::mainQueue().async([&] { ranFirst = true; });
    plat::DispatchQueue::globalQueue().async([] { plat::RunLoop::main().stop(); });
    loop.run();  // returns, whether the stop came before or during the run
    loop.drain();
    EXPECT_TRUE(ranFirst);
}

}  // namespace

TEST_F(RunLoopTest, NextWorkIsTheEarliestDueItemOrNowWhenBlocksWait)
{
    const double start = clock.uptimeSeconds();
    EXPECT_TRUE(std::isinf(loop.nextWorkUptime()));
    loop.performAfterDelay(this, 2.5, [] {});
    loop.performAfterDelay(this, 1.5, [] {});
    EXPECT_DOUBLE_EQ(loop.nextWorkUptime(), start + 1.5);
    plat::DispatchQueue::mainQueue().async([] {});
    EXPECT_DOUBLE_EQ(loop.nextWorkUptime(), start);
}

TEST_F(RunLoopTest, OneShotWorkIsListedWithItsMarkAndRepeatingTimersAreNot)
{
    const double start = clock.uptimeSeconds();
    const uint64_t before = plat::RunLoop::scheduleMark();
    auto ticking = plat::Timer::scheduledTimerWithTimeInterval(
        0.5, [] {}, /*repeats=*/true);
    auto once = plat::Timer::scheduledTimerWithTimeInterval(
        2, [] {}, /*repeats=*/false);
    loop.performAfterDelay(this, 1, [] {});
    const uint64_t between = plat::RunLoop::scheduleMark();
    plat::DispatchQueue::mainQueue().after(0.25, [] {});
    loop.performAfterDelay(this, 4, [] {});  // beyond the limit
    std::vector<std::pair<double, bool>> listed;  // when due, and whether scheduled before the mark between
    for (const auto& work : loop.oneShotWorkDueBy(start + 3)) {
        EXPECT_GE(work.mark, before);
        listed.emplace_back(work.dueUptime - start, work.mark < between);
    }
    EXPECT_EQ(listed, (std::vector<std::pair<double, bool>> {{0.25, false}, {1, true}, {2, true}}));
    ticking->invalidate();
    once->invalidate();
}

TEST_F(RunLoopTest, WakeHandlerHearsOfWorkPostedFromAnotherThread)
{
    std::atomic<int> wakes {0};
    loop.setWakeHandler([&] { ++wakes; });
    plat::DispatchGroup group;
    group.async(
        plat::DispatchQueue::globalQueue(), [&] { plat::DispatchQueue::mainQueue().async([&] { log.push_back(1); }); });
    ASSERT_TRUE(group.wait(kGenerousTimeoutSeconds));
    loop.setWakeHandler({});
    EXPECT_GE(wakes.load(), 1);
    loop.drain();
    EXPECT_EQ(log, (std::vector<int> {1}));
}
