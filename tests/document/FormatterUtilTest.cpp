#include "document/FormatterUtil.h"

#include <cmath>
#include <limits>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "support/DateTestSupport.h"

namespace {

using plat::test::dateAtUnixSeconds;
using plat::test::ScopedEnvironmentVariable;
using plat::test::ScopedFixedDate;
using zt::FormatterUtil;

// The local zone and language are the environment's: pin both.
class FormatterUtilInZone : public ::testing::Test {
protected:
    explicit FormatterUtilInZone(const char* zone = "UTC")
        : _zone("TZ", zone)
    {
    }

private:
    ScopedEnvironmentVariable _zone;
    ScopedEnvironmentVariable _allLocales {"LC_ALL", std::nullopt};
    ScopedEnvironmentVariable _language {"LANG", "en_US.UTF-8"};
};

class FormatterUtilInBerlin : public FormatterUtilInZone {
protected:
    FormatterUtilInBerlin()
        : FormatterUtilInZone("Europe/Berlin")
    {
    }
};

constexpr double kBerlinMidnight = 1796598000;  // 2026-12-07 00:00 in Berlin

TEST_F(FormatterUtilInBerlin, DatesNearTodayAreNamed)
{
    ScopedFixedDate now(dateAtUnixSeconds(kBerlinMidnight + 10 * 3600));
    EXPECT_EQ(FormatterUtil::getFormatedDate(dateAtUnixSeconds(kBerlinMidnight + 23 * 3600)), "Today");
    EXPECT_EQ(FormatterUtil::getFormatedDate(dateAtUnixSeconds(kBerlinMidnight - 1)), "Yesterday");
    EXPECT_EQ(FormatterUtil::getFormatedDate(dateAtUnixSeconds(kBerlinMidnight + 86400)), "Tomorrow");
    EXPECT_EQ(FormatterUtil::getFormatedDate(dateAtUnixSeconds(kBerlinMidnight - 86401)), "Dec 5, 2026");
    EXPECT_EQ(FormatterUtil::getFormatedDate(dateAtUnixSeconds(1398933000)), "May 1, 2014");
}

TEST_F(FormatterUtilInBerlin, DatesFollowTheCurrentLanguage)
{
    ScopedFixedDate now(dateAtUnixSeconds(kBerlinMidnight));
    ScopedEnvironmentVariable german("LANG", "de_DE.UTF-8");
    EXPECT_EQ(FormatterUtil::getFormatedDate(dateAtUnixSeconds(kBerlinMidnight - 1)), "Gestern");
    EXPECT_EQ(FormatterUtil::getFormatedDate(dateAtUnixSeconds(1398933000)), "01.05.2014");
}

TEST_F(FormatterUtilInZone, DurationsShowMinutesAndSecondsUntilAnHour)
{
    ScopedFixedDate now(dateAtUnixSeconds(kBerlinMidnight));
    EXPECT_EQ(FormatterUtil::getFormatedDuration(0), "00:00");
    EXPECT_EQ(FormatterUtil::getFormatedDuration(75), "01:15");
    EXPECT_EQ(FormatterUtil::getFormatedDuration(75.9), "01:15");
    EXPECT_EQ(FormatterUtil::getFormatedDuration(3599), "59:59");
    EXPECT_EQ(FormatterUtil::getFormatedDuration(3600), "01:00:00");
    EXPECT_EQ(FormatterUtil::getFormatedDuration(3725), "01:02:05");
}

TEST_F(FormatterUtilInZone, DurationsLeaveOutWholeDaysAndMonths)
{
    ScopedFixedDate now(dateAtUnixSeconds(kBerlinMidnight));
    EXPECT_EQ(FormatterUtil::getFormatedDuration(86400), "00:00");
    EXPECT_EQ(FormatterUtil::getFormatedDuration(90000), "01:00:00");
    EXPECT_EQ(FormatterUtil::getFormatedDuration(40 * 86400 + 61), "01:01");
    EXPECT_EQ(FormatterUtil::getFormatedDuration(std::numeric_limits<double>::quiet_NaN()), "00:00");
    // Beyond the range of dates the end is held at its limit: some text, at once.
    EXPECT_THAT(
        FormatterUtil::getFormatedDuration(1e300), ::testing::MatchesRegex("[0-9][0-9]:[0-9][0-9](:[0-9][0-9])?"));
    EXPECT_THAT(FormatterUtil::getFormatedDuration(-1e300),
        ::testing::MatchesRegex("-?[0-9][0-9]:-?[0-9][0-9](:-?[0-9][0-9])?"));
}

TEST_F(FormatterUtilInBerlin, DurationsCountCalendarDaysAcrossAClockChange)
{
    {
        // 25 hours from Saturday noon span the 23-hour day of 2026-03-29.
        ScopedFixedDate now(dateAtUnixSeconds(1774695600));
        EXPECT_EQ(FormatterUtil::getFormatedDuration(90000), "02:00:00");
        EXPECT_EQ(FormatterUtil::getFormatedDuration(3 * 3600), "03:00:00");
    }
    {
        // Across the 25-hour day of 2026-10-25 they make a day exactly, and
        // 24 hours are not yet a day.
        ScopedFixedDate now(dateAtUnixSeconds(1792836000));
        EXPECT_EQ(FormatterUtil::getFormatedDuration(90000), "00:00");
        EXPECT_EQ(FormatterUtil::getFormatedDuration(86400), "24:00:00");
    }
}

TEST(FormatterUtilFileSize, KilobytesUpToAThousand)
{
    EXPECT_EQ(FormatterUtil::getFormatedFileSize(0), " KB");  // printf writes no digits for 0 at precision 0
    EXPECT_EQ(FormatterUtil::getFormatedFileSize(1023), " KB");
    EXPECT_EQ(FormatterUtil::getFormatedFileSize(1024), "1 KB");
    EXPECT_EQ(FormatterUtil::getFormatedFileSize(1'025'023), "1000 KB");
}

TEST(FormatterUtilFileSize, MegabytesAndGigabytesFromTheirThresholds)
{
    EXPECT_EQ(FormatterUtil::getFormatedFileSize(1'025'024), " MB");
    EXPECT_EQ(FormatterUtil::getFormatedFileSize(1'048'576), "1 MB");
    EXPECT_EQ(FormatterUtil::getFormatedFileSize(2'097'152), "2 MB");
    EXPECT_EQ(FormatterUtil::getFormatedFileSize(5'242'880), "5 MB");
    EXPECT_EQ(FormatterUtil::getFormatedFileSize(1'049'624'575), "1000 MB");
    EXPECT_EQ(FormatterUtil::getFormatedFileSize(1'049'624'576), " GB");
    EXPECT_EQ(FormatterUtil::getFormatedFileSize(1'073'741'824), "1 GB");
    EXPECT_EQ(FormatterUtil::getFormatedFileSize(1'074'815'565'823), "1000 GB");
    EXPECT_EQ(FormatterUtil::getFormatedFileSize(1'074'815'565'824), "");
    EXPECT_EQ(FormatterUtil::getFormatedFileSize(std::numeric_limits<int64_t>::max()), "");
}

TEST(FormatterUtilFileSize, NegativeSizesShowNothing)
{
    EXPECT_EQ(FormatterUtil::getFormatedFileSize(-1), "");
    EXPECT_EQ(FormatterUtil::getFormatedFileSize(-2048), "");
    EXPECT_EQ(FormatterUtil::getFormatedFileSize(std::numeric_limits<int64_t>::min()), "");
}

TEST(FormatterUtilTime, BelowAMinuteShowsSecondsAndHundredths)
{
    EXPECT_EQ(FormatterUtil::stringFromTime(12.345f), "12:034");
    EXPECT_EQ(FormatterUtil::stringFromTime(0.0f), "00:000");
    EXPECT_EQ(FormatterUtil::stringFromTime(0.5f), "00:050");
    EXPECT_EQ(FormatterUtil::stringFromTime(59.999f), "59:099");
}

TEST(FormatterUtilTime, FromAMinuteOnShowsMinutesAndSeconds)
{
    EXPECT_EQ(FormatterUtil::stringFromTime(60.0f), "01:00");
    EXPECT_EQ(FormatterUtil::stringFromTime(75.5f), "01:15");
    EXPECT_EQ(FormatterUtil::stringFromTime(119.99f), "01:59");
    EXPECT_EQ(FormatterUtil::stringFromTime(120.0f), "02:00");
    EXPECT_EQ(FormatterUtil::stringFromTime(125.0f), "02:05");
    EXPECT_EQ(FormatterUtil::stringFromTime(6000.0f), "100:00");
}

TEST(FormatterUtilTime, NegativeAndUndefinedTimesCountAsZero)
{
    EXPECT_EQ(FormatterUtil::stringFromTime(-1.5f), "00:000");
    EXPECT_EQ(FormatterUtil::stringFromTime(std::nanf("")), "00:000");
    EXPECT_EQ(FormatterUtil::stringFromTime(-std::numeric_limits<float>::infinity()), "00:000");
    EXPECT_EQ(FormatterUtil::stringFromTime(std::numeric_limits<float>::infinity()), "00:000");
    EXPECT_EQ(FormatterUtil::stringFromTime(std::numeric_limits<float>::max()), "2147483647:00");
}

}  // namespace
