#include "platform/foundation/Clock.h"

#include <atomic>
#include <functional>
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <vector>

#include "platform/foundation/DispatchGroup.h"
#include "platform/foundation/DispatchQueue.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/Semaphore.h"
#include "platform/foundation/Timer.h"
#include "support/ManualClockScope.h"

namespace {

constexpr double kGenerousTimeoutSeconds = 30;

class ManualClockTest : public ::testing::Test {
protected:
    plat::test::ManualClockScope clock;
    std::vector<std::string> log;
};

TEST_F(ManualClockTest, DateMovesWithUptime)
{
    auto start = plat::Date::now();
    clock.advance(90.5);
    EXPECT_DOUBLE_EQ(clock.uptimeSeconds(), 1090.5);
    EXPECT_DOUBLE_EQ(plat::Date::now().timeIntervalSinceDate(start), 90.5);
    EXPECT_DOUBLE_EQ(start.timeIntervalSinceReferenceDate(), 454766400);
}

TEST_F(ManualClockTest, FiresMainThreadItemsInDueOrderAtTheirOwnMoment)
{
    auto record = [&](const char* name) {
        return [this, name] { log.push_back(name + std::string("@") + std::to_string(int(clock.uptimeSeconds()))); };
    };
    auto late = plat::Timer::scheduledTimerWithTimeInterval(3, record("timer"), /*repeats=*/false);
    plat::RunLoop::main().performAfterDelay(this, 2, record("perform"));
    plat::DispatchQueue::mainQueue().after(1, record("after"));

    clock.advance(5);

    EXPECT_EQ(log, (std::vector<std::string> {"after@1001", "perform@1002", "timer@1003"}));
    EXPECT_DOUBLE_EQ(clock.uptimeSeconds(), 1005);
}

TEST_F(ManualClockTest, ItemsDueAtTheSameMomentFireInSchedulingOrder)
{
    plat::DispatchQueue::mainQueue().after(1, [&] { log.push_back("after"); });
    auto timer = plat::Timer::scheduledTimerWithTimeInterval(
        1, [&] { log.push_back("timer"); }, /*repeats=*/false);
    plat::RunLoop::main().performAfterDelay(this, 1, [&] { log.push_back("perform"); });

    clock.advance(1);

    EXPECT_EQ(log, (std::vector<std::string> {"after", "timer", "perform"}));
}

TEST_F(ManualClockTest, MainQueueBlocksPostedByADueItemRunBeforeTheNextOne)
{
    auto first = plat::Timer::scheduledTimerWithTimeInterval(
        1,
        [&] {
            log.push_back("first");
            plat::DispatchQueue::mainQueue().async([&] { log.push_back("posted by first"); });
        },
        /*repeats=*/false);
    auto second = plat::Timer::scheduledTimerWithTimeInterval(
        1, [&] { log.push_back("second"); }, /*repeats=*/false);

    clock.advance(1);

    EXPECT_EQ(log, (std::vector<std::string> {"first", "posted by first", "second"}));
}

TEST_F(ManualClockTest, AdvancingByLessThanTheDelayFiresNothing)
{
    int fired = 0;
    auto timer = plat::Timer::scheduledTimerWithTimeInterval(
        2, [&] { ++fired; }, /*repeats=*/false);
    plat::DispatchQueue::mainQueue().after(2, [&] { ++fired; });
    plat::RunLoop::main().performAfterDelay(this, 2, [&] { ++fired; });

    clock.advance(1.5);
    clock.advance(0.49);
    EXPECT_EQ(fired, 0);
    clock.advance(0.01);
    EXPECT_EQ(fired, 3);
}

TEST_F(ManualClockTest, HandsBackgroundAfterBlocksToTheirQueueExactlyWhenDue)
{
    auto queue = plat::DispatchQueue::create("test.after");
    bool ran = false;  // written and read on the serial queue only
    queue->after(10, [&] { ran = true; });

    clock.advance(9.99);
    bool ranEarly = true;
    queue->sync([&] { ranEarly = ran; });  // FIFO: a handed-over block would have run before this
    EXPECT_FALSE(ranEarly);

    clock.advance(0.01);
    bool ranWhenDue = false;
    queue->sync([&] { ranWhenDue = ran; });
    EXPECT_TRUE(ranWhenDue);
}

// A moment worked out before the clock moved on keeps its place, as a
// camera's tick scheduling the next while the main thread steps the clock
// needs; one already past is handed over at once.
TEST_F(ManualClockTest, ABlockForAMomentRunsThenThoughTheClockMovedOnBeforeItWasScheduled)
{
    auto queue = plat::DispatchQueue::create("test.moment");
    std::vector<std::string> ran;  // touched on the serial queue only
    auto seen = [&] {
        std::vector<std::string> copy;
        queue->sync([&] { copy = ran; });  // FIFO: a handed-over block would have run before this
        return copy;
    };
    const double due = clock.uptimeSeconds() + 1;
    clock.advance(0.5);
    queue->afterUptime(due, [&] { ran.push_back("due"); });
    queue->afterUptime(due - 1, [&] { ran.push_back("past"); });
    EXPECT_EQ(seen(), (std::vector<std::string> {"past"}));

    clock.advance(0.49);
    EXPECT_EQ(seen(), (std::vector<std::string> {"past"}));
    clock.advance(0.01);
    EXPECT_EQ(seen(), (std::vector<std::string> {"past", "due"}));
}

TEST_F(ManualClockTest, InterleavesBackgroundHandOversWithMainTimers)
{
    auto queue = plat::DispatchQueue::create("test.interleave");
    std::vector<std::string> queueLog;  // touched on the serial queue only
    auto onQueue = [&](const char* name) {
        return [&queueLog, &queue, name] { queue->async([&queueLog, name] { queueLog.push_back(name); }); };
    };
    auto atOne = plat::Timer::scheduledTimerWithTimeInterval(1, onQueue("timer@1"), /*repeats=*/false);
    auto atThree = plat::Timer::scheduledTimerWithTimeInterval(3, onQueue("timer@3"), /*repeats=*/false);
    queue->after(2, [&queueLog] { queueLog.push_back("after@2"); });

    clock.advance(4);

    std::vector<std::string> seen;
    queue->sync([&] { seen = queueLog; });
    EXPECT_EQ(seen, (std::vector<std::string> {"timer@1", "after@2", "timer@3"}));
}

// Were anything waiting on the wall clock, this would take an hour.
TEST_F(ManualClockTest, AnHourPassesWithoutWaitingForIt)
{
    int timerFired = 0;
    auto timer = plat::Timer::scheduledTimerWithTimeInterval(
        3600, [&] { ++timerFired; }, /*repeats=*/false);
    plat::DispatchGroup group;
    group.enter();
    plat::DispatchQueue::globalQueue(plat::DispatchQueue::Priority::Background).after(3600, [group]() mutable {
        group.leave();
    });

    clock.advance(3600);

    EXPECT_EQ(timerFired, 1);
    EXPECT_TRUE(group.wait(kGenerousTimeoutSeconds));
}

TEST_F(ManualClockTest, RunUntilStepsTheClockAndStopEndsRun)
{
    auto timer = plat::Timer::scheduledTimerWithTimeInterval(
        2, [] { plat::RunLoop::main().stop(); }, /*repeats=*/false);
    plat::RunLoop::main().run();
    EXPECT_DOUBLE_EQ(clock.uptimeSeconds(), 1002);

    plat::RunLoop::main().runUntil(1010);
    EXPECT_DOUBLE_EQ(clock.uptimeSeconds(), 1010);

    plat::RunLoop::main().runUntilDate(plat::Date::now().addingTimeInterval(5));
    EXPECT_DOUBLE_EQ(clock.uptimeSeconds(), 1015);
}

// Hands a chain of blocks through three background queues to the main queue,
// which notes the clock's time: on a settling clock the chain ends before time
// moves on, however long the machine takes.
TEST(SettlingManualClock, BackgroundWorkThatFellDueEndsAtItsOwnMoment)
{
    plat::test::ManualClockScope clock(plat::ManualClock::BackgroundWork::SettlesBeforeTimeMoves);
    std::vector<std::shared_ptr<plat::DispatchQueue>> queues {plat::DispatchQueue::create("test.settle.a"),
        plat::DispatchQueue::create("test.settle.b"), plat::DispatchQueue::create("test.settle.c")};
    std::vector<double> finishedAt;
    std::function<void(int)> hop = [&](int left) {
        if (left == 0) {
            plat::DispatchQueue::mainQueue().async([&] { finishedAt.push_back(clock.uptimeSeconds()); });
            return;
        }
        queues[static_cast<size_t>(left) % queues.size()]->async([&hop, left] { hop(left - 1); });
    };
    for (int i = 1; i <= 3; ++i)
        queues[0]->after(0.1 * i, [&hop] { hop(60); });
    // A worker that waits in our semaphore for a main-queue block due later
    // counts as done, so time can move on to that block.
    plat::Semaphore released;
    plat::DispatchQueue::mainQueue().after(0.5, [released]() mutable { released.signal(); });
    std::atomic<double> resumedAt = 0;
    auto waiting = plat::DispatchQueue::create("test.settle.waiting");
    waiting->async([released, &resumedAt]() mutable {
        released.wait();
        resumedAt = plat::Clock::current().uptimeSeconds();
    });

    clock.advance(1);

    const double start = plat::test::ManualClockScope::kStartUptimeSeconds;
    ASSERT_EQ(finishedAt.size(), 3u);
    for (int i = 0; i < 3; ++i)
        EXPECT_DOUBLE_EQ(finishedAt[static_cast<size_t>(i)], start + 0.1 * (i + 1));
    EXPECT_DOUBLE_EQ(resumedAt.load(), start + 0.5);
}

// A thread (a camera's tick, say) may still read the clock it took while a
// test puts that clock away: what it read stays valid until it reads again.
TEST(ClockInUse, WhatAThreadReadOutlivesTheClockPutAwayMeanwhile)
{
    const plat::Clock* read = nullptr;
    std::weak_ptr<plat::Clock> putAway;
    {
        plat::test::ManualClockScope scope(42);
        putAway = plat::Clock::currentShared();
        read = &plat::Clock::current();
    }
    ASSERT_FALSE(putAway.expired());
    EXPECT_EQ(read->uptimeSeconds(), 42);
}

TEST(ManualClockScope, DiscardsWhatATestLeftBehind)
{
    std::weak_ptr<plat::Timer> leftTimer;
    auto ran = std::make_shared<int>(0);
    {
        plat::test::ManualClockScope clock;
        leftTimer = plat::Timer::scheduledTimerWithTimeInterval(
            1, [ran] { ++*ran; }, /*repeats=*/true);
        plat::DispatchQueue::mainQueue().async([ran] { ++*ran; });
        plat::DispatchQueue::mainQueue().after(1, [ran] { ++*ran; });
    }
    EXPECT_TRUE(leftTimer.expired());
    plat::test::ManualClockScope next;
    next.advance(10);
    EXPECT_EQ(*ran, 0);
    EXPECT_EQ(ran.use_count(), 1);
}

// A clock that moves only when the test sets it, yet is not a manual clock:
// the run loop and the after() timer thread wait for it as for the system
// clock, and a clock change wakes them to look again.
class SteppedClock final : public plat::Clock {
public:
    double uptimeSeconds() const override { return _uptime.load(); }
    plat::Date date() const override { return plat::Date::withTimeIntervalSinceReferenceDate(_uptime.load()); }
    void jumpTo(double uptime) { _uptime.store(uptime); }

private:
    std::atomic<double> _uptime {100};
};

class SelfMovingClockTest : public ::testing::Test {
protected:
    SelfMovingClockTest()
    {
        plat::RunLoop::main().discardPendingWork();
        plat::Clock::setCurrent(clock);
    }
    ~SelfMovingClockTest() override
    {
        plat::RunLoop::main().discardPendingWork();
        plat::Clock::setCurrent(previous);
    }
    std::shared_ptr<plat::Clock> previous = plat::Clock::currentShared();
    std::shared_ptr<SteppedClock> clock = std::make_shared<SteppedClock>();
};

TEST_F(SelfMovingClockTest, TimerThreadHandsOverWhenTheClockGetsThere)
{
    auto queue = plat::DispatchQueue::create("test.stepped");
    plat::DispatchGroup group;
    group.enter();
    queue->after(50, [group]() mutable { group.leave(); });
    EXPECT_FALSE(group.wait(0));

    clock->jumpTo(150);
    plat::Clock::setCurrent(clock);  // wakes the waiting timer thread

    EXPECT_TRUE(group.wait(kGenerousTimeoutSeconds));
}

TEST_F(SelfMovingClockTest, RunLoopWaitsForTheNextTimerAndWakesForIt)
{
    int fired = 0;
    auto timer = plat::Timer::scheduledTimerWithTimeInterval(
        50,
        [&] {
            ++fired;
            plat::RunLoop::main().stop();
        },
        /*repeats=*/false);
    plat::DispatchQueue::globalQueue().async([clock = clock] {
        clock->jumpTo(150);
        plat::Clock::setCurrent(clock);
    });

    plat::RunLoop::main().run();

    EXPECT_EQ(fired, 1);
}

}  // namespace
