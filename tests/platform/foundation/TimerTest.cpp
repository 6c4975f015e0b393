#include "platform/foundation/Timer.h"

#include <gtest/gtest.h>
#include <vector>

#include "platform/foundation/RunLoop.h"
#include "support/ManualClockScope.h"

namespace {

class TimerOnManualClock : public ::testing::Test {
protected:
    plat::test::ManualClockScope clock;
};

TEST_F(TimerOnManualClock, OneShotFiresOnceWhenDue)
{
    int fired = 0;
    auto timer = plat::Timer::scheduledTimerWithTimeInterval(
        0.5, [&] { ++fired; }, /*repeats=*/false);
    clock.advance(0.49);
    EXPECT_EQ(fired, 0);
    clock.advance(10);
    EXPECT_EQ(fired, 1);
}

TEST_F(TimerOnManualClock, OneShotIsValidInsideItsBlockAndInvalidAfter)
{
    bool validInside = false;
    auto timer = plat::Timer::scheduledTimerWithTimeInterval(
        1, [&](plat::Timer& self) { validInside = self.isValid(); }, /*repeats=*/false);
    EXPECT_TRUE(timer->isValid());
    clock.advance(1);
    EXPECT_TRUE(validInside);
    EXPECT_FALSE(timer->isValid());
}

TEST_F(TimerOnManualClock, RepeatingFiresOncePerInterval)
{
    std::vector<double> firedAt;
    auto timer = plat::Timer::scheduledTimerWithTimeInterval(
        0.25, [&] { firedAt.push_back(clock.uptimeSeconds()); }, /*repeats=*/true);
    clock.advance(0.24);
    EXPECT_TRUE(firedAt.empty());
    clock.advance(0.76);
    EXPECT_EQ(firedAt, (std::vector<double> {1000.25, 1000.5, 1000.75, 1001}));
    EXPECT_TRUE(timer->isValid());
}

TEST_F(TimerOnManualClock, RepeatingStopsWhenInvalidated)
{
    int fired = 0;
    auto timer = plat::Timer::scheduledTimerWithTimeInterval(
        1, [&] { ++fired; }, /*repeats=*/true);
    clock.advance(2);
    timer->invalidate();
    clock.advance(10);
    EXPECT_EQ(fired, 2);
    EXPECT_FALSE(timer->isValid());
}

TEST_F(TimerOnManualClock, RepeatingStopsWhenItInvalidatesItself)
{
    int fired = 0;
    auto timer = plat::Timer::scheduledTimerWithTimeInterval(
        1,
        [&](plat::Timer& self) {
            if (++fired == 3)
                self.invalidate();
        },
        /*repeats=*/true);
    clock.advance(10);
    EXPECT_EQ(fired, 3);
}

TEST_F(TimerOnManualClock, ATimerInvalidatedByAnotherDueAtTheSameMomentDoesNotFire)
{
    int secondFired = 0;
    std::shared_ptr<plat::Timer> second;
    auto first = plat::Timer::scheduledTimerWithTimeInterval(
        1, [&] { second->invalidate(); }, /*repeats=*/false);
    second = plat::Timer::scheduledTimerWithTimeInterval(
        1, [&] { ++secondFired; }, /*repeats=*/false);
    clock.advance(1);
    EXPECT_EQ(secondFired, 0);
}

TEST_F(TimerOnManualClock, RunLoopKeepsScheduledTimersAlive)
{
    int fired = 0;
    std::weak_ptr<plat::Timer> oneShot = plat::Timer::scheduledTimerWithTimeInterval(
        1, [&] { ++fired; }, /*repeats=*/false);
    std::weak_ptr<plat::Timer> repeating = plat::Timer::scheduledTimerWithTimeInterval(
        1, [&] { ++fired; }, /*repeats=*/true);
    EXPECT_FALSE(oneShot.expired());
    clock.advance(3);
    EXPECT_EQ(fired, 4);
    EXPECT_TRUE(oneShot.expired());
    ASSERT_FALSE(repeating.expired());
    repeating.lock()->invalidate();
    EXPECT_TRUE(repeating.expired());
}

TEST_F(TimerOnManualClock, FireRunsNowAndKeepsARepeatingSchedule)
{
    int fired = 0;
    auto timer = plat::Timer::scheduledTimerWithTimeInterval(
        1, [&] { ++fired; }, /*repeats=*/true);
    clock.advance(0.5);
    timer->fire();
    EXPECT_EQ(fired, 1);
    clock.advance(0.5);
    EXPECT_EQ(fired, 2);
    EXPECT_TRUE(timer->isValid());
}

TEST_F(TimerOnManualClock, FireInvalidatesAOneShot)
{
    int fired = 0;
    auto timer = plat::Timer::scheduledTimerWithTimeInterval(
        1, [&] { ++fired; }, /*repeats=*/false);
    timer->fire();
    EXPECT_FALSE(timer->isValid());
    timer->fire();
    clock.advance(5);
    EXPECT_EQ(fired, 1);
}

TEST_F(TimerOnManualClock, ReportsFireDateAndInterval)
{
    auto start = plat::Date::now();
    auto repeating = plat::Timer::scheduledTimerWithTimeInterval(
        0.5, [] {}, /*repeats=*/true);
    auto oneShot = plat::Timer::scheduledTimerWithTimeInterval(
        2, [] {}, /*repeats=*/false);
    auto immediate = plat::Timer::scheduledTimerWithTimeInterval(
        0, [] {}, /*repeats=*/true);
    EXPECT_DOUBLE_EQ(repeating->fireDate().timeIntervalSinceDate(start), 0.5);
    EXPECT_DOUBLE_EQ(oneShot->fireDate().timeIntervalSinceDate(start), 2);
    EXPECT_DOUBLE_EQ(repeating->timeInterval(), 0.5);
    EXPECT_DOUBLE_EQ(oneShot->timeInterval(), 0);
    EXPECT_DOUBLE_EQ(immediate->timeInterval(), 0.0001);
    immediate->invalidate();

    clock.advance(1.25);
    EXPECT_DOUBLE_EQ(repeating->fireDate().timeIntervalSinceDate(start), 1.5);
}

TEST_F(TimerOnManualClock, SkipsMissedIntervalsWhenFarBehind)
{
    std::vector<double> firedAt;
    auto timer = plat::Timer::scheduledTimerWithTimeInterval(
        1,
        [&] {
            firedAt.push_back(clock.uptimeSeconds());
            if (firedAt.size() == 1)
                clock.advance(3.5);  // the loop is busy past three more firings
        },
        /*repeats=*/true);
    clock.advance(5);
    EXPECT_EQ(firedAt, (std::vector<double> {1001, 1005}));
}

}  // namespace
