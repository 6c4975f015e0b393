#include "platform/foundation/Calendar.h"

#include <cmath>

#include <gtest/gtest.h>

#include "support/DateTestSupport.h"

namespace {

using plat::CalendarUnit;
using plat::Date;
using plat::DateComponents;
using plat::kDateComponentUndefined;
using plat::test::dateAtUnixSeconds;

constexpr CalendarUnit kDateAndTime = CalendarUnit::Era | CalendarUnit::Year | CalendarUnit::Month | CalendarUnit::Day
    | CalendarUnit::Hour | CalendarUnit::Minute | CalendarUnit::Second | CalendarUnit::Weekday;

plat::Calendar calendarIn(const char* zoneName)
{
    plat::Calendar calendar;
    calendar.setTimeZone(plat::TimeZone::timeZoneWithName(zoneName).value_or(plat::TimeZone::utc()));
    return calendar;
}

DateComponents makeComponents(
    int64_t year, int64_t month, int64_t day, int64_t hour = 0, int64_t minute = 0, int64_t second = 0)
{
    DateComponents components;
    components.setYear(year);
    components.setMonth(month);
    components.setDay(day);
    components.setHour(hour);
    components.setMinute(minute);
    components.setSecond(second);
    return components;
}

double unixSeconds(const std::optional<Date>& date)
{
    EXPECT_TRUE(date.has_value());
    return date ? date->timeIntervalSince1970() : 0;
}

TEST(Calendar, ComponentsAreLocalToTheTimeZone)
{
    const auto components = calendarIn("Europe/Berlin").components(kDateAndTime, dateAtUnixSeconds(1782900000));
    EXPECT_EQ(components.era(), 1);
    EXPECT_EQ(components.year(), 2026);
    EXPECT_EQ(components.month(), 7);
    EXPECT_EQ(components.day(), 1);
    EXPECT_EQ(components.hour(), 12);
    EXPECT_EQ(components.minute(), 0);
    EXPECT_EQ(components.weekday(), 4);  // Wednesday
    EXPECT_EQ(components.nanosecond(), kDateComponentUndefined);
}

TEST(Calendar, ComponentsBeforeNineteenSeventyCountBackwards)
{
    const auto calendar = calendarIn("UTC");
    const auto lastSecond = calendar.components(kDateAndTime, dateAtUnixSeconds(-1));
    EXPECT_EQ(lastSecond.year(), 1969);
    EXPECT_EQ(lastSecond.month(), 12);
    EXPECT_EQ(lastSecond.day(), 31);
    EXPECT_EQ(lastSecond.hour(), 23);
    EXPECT_EQ(lastSecond.second(), 59);
    EXPECT_EQ(lastSecond.weekday(), 4);

    const auto quarterSecond
        = calendar.components(CalendarUnit::Second | CalendarUnit::Nanosecond, dateAtUnixSeconds(-0.75));
    EXPECT_EQ(quarterSecond.second(), 59);
    EXPECT_EQ(quarterSecond.nanosecond(), 250'000'000);

    // Before 15 October 1582 the calendar is Julian, as the platform's is;
    // weekdays run on unbroken, and so does the era before Christ.
    const auto beforeTheChange = calendar.components(kDateAndTime, dateAtUnixSeconds(-12220243200));
    EXPECT_EQ(beforeTheChange.weekday(), 2);  // a Monday
    EXPECT_EQ(beforeTheChange.month(), 9);
    EXPECT_EQ(beforeTheChange.day(), 24);
    const auto firstBC = calendar.components(kDateAndTime, dateAtUnixSeconds(-62135596800 - 86400));
    EXPECT_EQ(firstBC.era(), 1);
    EXPECT_EQ(firstBC.year(), 1);
    EXPECT_EQ(firstBC.month(), 1);
    EXPECT_EQ(firstBC.day(), 2);
    const auto lastDayBC = calendar.components(kDateAndTime, dateAtUnixSeconds(-62135596800 - 3 * 86400));
    EXPECT_EQ(lastDayBC.era(), 0);
    EXPECT_EQ(lastDayBC.year(), 1);
    EXPECT_EQ(lastDayBC.month(), 12);
    EXPECT_EQ(lastDayBC.day(), 31);
}

TEST(Calendar, DateFromComponentsCarriesFieldsOutOfRange)
{
    const auto calendar = calendarIn("UTC");
    EXPECT_EQ(unixSeconds(calendar.dateFromComponents(makeComponents(2026, 13, 5))), 1799107200);  // 2027-01-05
    EXPECT_EQ(unixSeconds(calendar.dateFromComponents(makeComponents(2026, 3, 0))), 1772236800);  // 2026-02-28
    EXPECT_EQ(unixSeconds(calendar.dateFromComponents(makeComponents(2026, 2, 28, 36))), 1772366400);  // 03-01 12:00
    EXPECT_EQ(unixSeconds(calendar.dateFromComponents(makeComponents(2026, 3, 1, 0, -1))), 1772323200 - 60);
    EXPECT_EQ(unixSeconds(calendar.dateFromComponents(makeComponents(2400, 2, 29))), 13574563200);
    EXPECT_EQ(unixSeconds(calendar.dateFromComponents(makeComponents(9999, 12, 31, 23, 59, 59))), 253402300799);
}

TEST(Calendar, UndefinedFieldsAreTheFirstMomentOfYearOne)
{
    // Julian dates: January 1 of year 1 is two days before the proleptic Gregorian one.
    EXPECT_EQ(unixSeconds(calendarIn("UTC").dateFromComponents(DateComponents())), -62135769600);
    DateComponents beforeChrist = makeComponents(1, 12, 31);
    beforeChrist.setEra(0);
    EXPECT_EQ(unixSeconds(calendarIn("UTC").dateFromComponents(beforeChrist)), -62135769600 - 86400);
}

TEST(Calendar, DateFromComponentsRefusesFieldsTooLargeForADate)
{
    const auto calendar = calendarIn("UTC");
    EXPECT_FALSE(calendar.dateFromComponents(makeComponents(1'000'000'000'000, 1, 1)));
    EXPECT_FALSE(calendar.dateFromComponents(makeComponents(2026, 1, 1, std::numeric_limits<int64_t>::min())));
    EXPECT_FALSE(calendar.dateFromComponents(makeComponents(2026, std::numeric_limits<int64_t>::max() - 1, 1)));
}

TEST(Calendar, SkippedLocalTimesMoveForwardAndRepeatedOnesAreTheLater)
{
    const auto newYork = calendarIn("America/New_York");
    // 02:30 does not exist on 2026-03-08: it reads as 03:30 daylight time.
    EXPECT_EQ(unixSeconds(newYork.dateFromComponents(makeComponents(2026, 3, 8, 2, 30))), 1772955000);
    // 01:30 happens twice on 2026-11-01: the second time, in standard time.
    EXPECT_EQ(unixSeconds(newYork.dateFromComponents(makeComponents(2026, 11, 1, 1, 30))), 1793514600);
}

TEST(Calendar, DifferencesTakeTheLargestUnitsFirst)
{
    const auto calendar = calendarIn("UTC");
    const auto units = CalendarUnit::Month | CalendarUnit::Day;
    const Date january31 = dateAtUnixSeconds(1769817600);
    const auto toMarch1 = calendar.components(units, january31, dateAtUnixSeconds(1772323200));
    EXPECT_EQ(toMarch1.month(), 1);
    EXPECT_EQ(toMarch1.day(), 1);  // the month step lands on February 28
    const auto toFebruary28 = calendar.components(units, january31, dateAtUnixSeconds(1772236800));
    EXPECT_EQ(toFebruary28.month(), 1);
    EXPECT_EQ(toFebruary28.day(), 0);
    EXPECT_EQ(toFebruary28.year(), kDateComponentUndefined);

    const auto backwards = calendar.components(units, dateAtUnixSeconds(1772323200), january31);
    EXPECT_EQ(backwards.month(), -1);
    EXPECT_EQ(backwards.day(), -1);

    const auto inSeconds = calendar.components(
        CalendarUnit::Hour | CalendarUnit::Second, dateAtUnixSeconds(0), dateAtUnixSeconds(90061.5));
    EXPECT_EQ(inSeconds.hour(), 25);
    EXPECT_EQ(inSeconds.minute(), kDateComponentUndefined);
    EXPECT_EQ(inSeconds.second(), 61);
}

TEST(Calendar, DifferencesCountCalendarDaysAcrossAClockChange)
{
    // 2026-03-28 12:00 CET plus 25 hours of elapsed time is 03-29 14:00 CEST:
    // one calendar day (of 23 hours) and two hours.
    const auto berlin = calendarIn("Europe/Berlin");
    const auto units = CalendarUnit::Day | CalendarUnit::Hour | CalendarUnit::Minute;
    const auto difference
        = berlin.components(units, dateAtUnixSeconds(1774695600), dateAtUnixSeconds(1774695600 + 90000));
    EXPECT_EQ(difference.day(), 1);
    EXPECT_EQ(difference.hour(), 2);
    EXPECT_EQ(difference.minute(), 0);
    const auto inUTC
        = calendarIn("UTC").components(units, dateAtUnixSeconds(1774695600), dateAtUnixSeconds(1774695600 + 90000));
    EXPECT_EQ(inUTC.day(), 1);
    EXPECT_EQ(inUTC.hour(), 1);
}

TEST(Calendar, DifferencesSpanCenturiesExactly)
{
    const auto calendar = calendarIn("UTC");
    const auto units = CalendarUnit::Year | CalendarUnit::Month | CalendarUnit::Day | CalendarUnit::Second;
    // 1969-07-20 20:17:40 to 2100-02-28 12:00:00.
    const auto difference = calendar.components(units, dateAtUnixSeconds(-14182940), dateAtUnixSeconds(4107499200));
    EXPECT_EQ(difference.year(), 130);
    EXPECT_EQ(difference.month(), 7);
    EXPECT_EQ(difference.day(), 7);
    EXPECT_EQ(difference.second(), 15 * 3600 + 42 * 60 + 20);
}

TEST(Calendar, DifferencesToTheEndsOfTheRangeFinish)
{
    const auto calendar = calendarIn("Europe/Berlin");
    const auto units = CalendarUnit::Year | CalendarUnit::Month | CalendarUnit::Day | CalendarUnit::Hour;
    // Dates are held about 4.75 million years either way, inside ICU's range.
    const auto toFarFuture = calendar.components(units, dateAtUnixSeconds(0), dateAtUnixSeconds(1e300));
    EXPECT_GT(toFarFuture.year(), 4'700'000);
    EXPECT_LT(toFarFuture.year(), 4'800'000);
    const auto toFarPast = calendar.components(units, dateAtUnixSeconds(0), dateAtUnixSeconds(-HUGE_VAL));
    EXPECT_LT(toFarPast.year(), -4'700'000);
    EXPECT_EQ(calendar.components(units, dateAtUnixSeconds(NAN), dateAtUnixSeconds(0)).year(), 0);
}

TEST(Calendar, AddingMonthsKeepsTheLastDayOfShorterMonths)
{
    const auto calendar = calendarIn("UTC");
    DateComponents oneMonth;
    oneMonth.setMonth(1);
    EXPECT_EQ(unixSeconds(calendar.dateByAddingComponents(oneMonth, dateAtUnixSeconds(1769817600))), 1772236800);
    DateComponents oneYear;
    oneYear.setYear(1);
    EXPECT_EQ(unixSeconds(calendar.dateByAddingComponents(oneYear, dateAtUnixSeconds(1709164800))), 1740700800);
    DateComponents oneDay;
    oneDay.setDay(1);
    EXPECT_EQ(unixSeconds(calendar.dateByAddingComponents(oneDay, dateAtUnixSeconds(4107499200))),
        4107585600);  // 2100 has no Feb 29
}

TEST(Calendar, AddingADayKeepsTheClockTimeWhileHoursAreElapsedTime)
{
    const auto berlin = calendarIn("Europe/Berlin");
    const Date saturdayNoon = dateAtUnixSeconds(1774695600);  // 2026-03-28 12:00 CET
    DateComponents oneDay;
    oneDay.setDay(1);
    EXPECT_EQ(unixSeconds(berlin.dateByAddingComponents(oneDay, saturdayNoon)), 1774778400);  // 03-29 12:00 CEST
    DateComponents twentyFourHours;
    twentyFourHours.setHour(24);
    EXPECT_EQ(unixSeconds(berlin.dateByAddingComponents(twentyFourHours, saturdayNoon)), 1774782000);  // 13:00 CEST
    DateComponents backAndForth;
    backAndForth.setMinute(-90);
    backAndForth.setNanosecond(1'500'000'000);
    EXPECT_DOUBLE_EQ(unixSeconds(berlin.dateByAddingComponents(backAndForth, saturdayNoon)), 1774695600 - 5400 + 1.5);
}

TEST(Calendar, StartOfDayIsTheFirstMomentThatExists)
{
    EXPECT_EQ(calendarIn("Europe/Berlin").startOfDayForDate(dateAtUnixSeconds(1782900000)).timeIntervalSince1970(),
        1782856800);  // 2026-07-01 00:00 CEST
    // Havana skips from 23:59:59 to 01:00 on 2026-03-08.
    EXPECT_EQ(calendarIn("America/Havana").startOfDayForDate(dateAtUnixSeconds(1772985600)).timeIntervalSince1970(),
        1772946000);
}

class CalendarRelativeDays : public ::testing::Test {
protected:
    // Now is 2026-06-15 00:00:00 in Berlin: the first moment of the day.
    plat::test::ScopedFixedDate now {dateAtUnixSeconds(1781474400)};
    plat::Calendar berlin = calendarIn("Europe/Berlin");
};

TEST_F(CalendarRelativeDays, TodayRunsFromMidnightToMidnight)
{
    EXPECT_TRUE(berlin.isDateInToday(dateAtUnixSeconds(1781474400)));
    EXPECT_TRUE(berlin.isDateInToday(dateAtUnixSeconds(1781474400 + 86399)));
    EXPECT_FALSE(berlin.isDateInToday(dateAtUnixSeconds(1781474400 + 86400)));
    EXPECT_FALSE(berlin.isDateInToday(dateAtUnixSeconds(1781474400 - 1)));
}

TEST_F(CalendarRelativeDays, YesterdayAndTomorrowAreTheNeighbouringDays)
{
    EXPECT_TRUE(berlin.isDateInYesterday(dateAtUnixSeconds(1781474400 - 1)));
    EXPECT_TRUE(berlin.isDateInYesterday(dateAtUnixSeconds(1781474400 - 86400)));
    EXPECT_FALSE(berlin.isDateInYesterday(dateAtUnixSeconds(1781474400 - 86401)));
    EXPECT_TRUE(berlin.isDateInTomorrow(dateAtUnixSeconds(1781474400 + 86400)));
    EXPECT_FALSE(berlin.isDateInTomorrow(dateAtUnixSeconds(1781474400 + 2 * 86400)));
    // In UTC, now is still June 14 (22:00).
    EXPECT_TRUE(calendarIn("UTC").isDateInTomorrow(dateAtUnixSeconds(1781474400 + 7200)));
}

}  // namespace
