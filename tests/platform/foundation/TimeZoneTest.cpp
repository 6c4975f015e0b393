#include "platform/foundation/TimeZone.h"

#include <gtest/gtest.h>

#include "platform/foundation/Files.h"
#include "platform/foundation/TimeZoneRules.h"
#include "support/DateTestSupport.h"
#include "support/TemporarySandbox.h"

namespace {

using plat::TimeZone;
using plat::test::dateAtUnixSeconds;

TimeZone zoneNamed(const std::string& name)
{
    auto zone = TimeZone::timeZoneWithName(name);
    EXPECT_TRUE(zone.has_value()) << name;
    return zone.value_or(TimeZone::utc());
}

TEST(TimeZone, BerlinIsAnHourAheadInWinterAndTwoInSummer)
{
    const TimeZone berlin = zoneNamed("Europe/Berlin");
    const auto january = dateAtUnixSeconds(1768478400);  // 2026-01-15 12:00 UTC
    const auto july = dateAtUnixSeconds(1784116800);  // 2026-07-15 12:00 UTC
    EXPECT_EQ(berlin.name(), "Europe/Berlin");
    EXPECT_EQ(berlin.secondsFromGMTForDate(january), 3600);
    EXPECT_EQ(berlin.abbreviationForDate(january), "CET");
    EXPECT_FALSE(berlin.isDaylightSavingTimeForDate(january));
    EXPECT_EQ(berlin.secondsFromGMTForDate(july), 7200);
    EXPECT_EQ(berlin.abbreviationForDate(july), "CEST");
    EXPECT_TRUE(berlin.isDaylightSavingTimeForDate(july));
}

TEST(TimeZone, NewYorkSpringsForwardAtSevenUniversalTime)
{
    const TimeZone newYork = zoneNamed("America/New_York");
    const double change = 1772953200;  // 2026-03-08 07:00:00 UTC
    EXPECT_EQ(newYork.secondsFromGMTForDate(dateAtUnixSeconds(change - 1)), -18000);
    EXPECT_EQ(newYork.abbreviationForDate(dateAtUnixSeconds(change - 1)), "EST");
    EXPECT_EQ(newYork.secondsFromGMTForDate(dateAtUnixSeconds(change)), -14400);
    EXPECT_EQ(newYork.abbreviationForDate(dateAtUnixSeconds(change)), "EDT");
    const double back = 1793512800;  // 2026-11-01 06:00:00 UTC
    EXPECT_EQ(newYork.secondsFromGMTForDate(dateAtUnixSeconds(back - 1)), -14400);
    EXPECT_EQ(newYork.secondsFromGMTForDate(dateAtUnixSeconds(back)), -18000);
}

TEST(TimeZone, LordHoweMovesByHalfAnHour)
{
    const TimeZone lordHowe = zoneNamed("Australia/Lord_Howe");
    const double change = 1791041400;  // 2026-10-03 15:30:00 UTC
    EXPECT_EQ(lordHowe.secondsFromGMTForDate(dateAtUnixSeconds(change - 1)), 37800);
    EXPECT_FALSE(lordHowe.isDaylightSavingTimeForDate(dateAtUnixSeconds(change - 1)));
    EXPECT_EQ(lordHowe.secondsFromGMTForDate(dateAtUnixSeconds(change)), 39600);
    EXPECT_TRUE(lordHowe.isDaylightSavingTimeForDate(dateAtUnixSeconds(change)));
    EXPECT_EQ(lordHowe.abbreviationForDate(dateAtUnixSeconds(change)), "+11");
}

TEST(TimeZone, RulesAreTheSystemDatabasesOfToday)
{
    // Changes newer than the rules ICU carries: Mexico keeps standard time
    // all year since 2022, Ciudad Juarez became a zone of its own.
    const auto july = dateAtUnixSeconds(1784116800);  // 2026-07-15 12:00 UTC
    const TimeZone mexicoCity = zoneNamed("America/Mexico_City");
    EXPECT_EQ(mexicoCity.secondsFromGMTForDate(july), -21600);
    EXPECT_FALSE(mexicoCity.isDaylightSavingTimeForDate(july));
    EXPECT_EQ(zoneNamed("America/Ciudad_Juarez").secondsFromGMTForDate(july), -21600);
    EXPECT_TRUE(zoneNamed("America/Ciudad_Juarez").isDaylightSavingTimeForDate(july));
}

TEST(TimeZone, DatesAfterTheLastTransitionFollowTheFooterRule)
{
    // 2100: past every transition the database lists. Berlin changes on the
    // last Sundays of March (the 28th) and October (the 31st) at 01:00 UTC.
    const TimeZone berlin = zoneNamed("Europe/Berlin");
    const double springForward = 4109878800;  // 2100-03-28 01:00:00 UTC
    const double fallBack = 4128627600;  // 2100-10-31 01:00:00 UTC
    EXPECT_EQ(berlin.secondsFromGMTForDate(dateAtUnixSeconds(springForward - 1)), 3600);
    EXPECT_EQ(berlin.secondsFromGMTForDate(dateAtUnixSeconds(springForward)), 7200);
    EXPECT_EQ(berlin.abbreviationForDate(dateAtUnixSeconds(springForward)), "CEST");
    EXPECT_EQ(berlin.secondsFromGMTForDate(dateAtUnixSeconds(fallBack - 1)), 7200);
    EXPECT_EQ(berlin.secondsFromGMTForDate(dateAtUnixSeconds(fallBack)), 3600);

    // Southern hemisphere: daylight time spans the new year.
    const TimeZone lordHowe = zoneNamed("Australia/Lord_Howe");
    EXPECT_EQ(lordHowe.secondsFromGMTForDate(dateAtUnixSeconds(4102444800)), 39600);  // 2100-01-01
    EXPECT_EQ(lordHowe.secondsFromGMTForDate(dateAtUnixSeconds(4118083200)), 37800);  // 2100-07-01
}

TEST(TimeZone, DatesBeforeTheFirstTransitionUseTheFirstType)
{
    const TimeZone berlin = zoneNamed("Europe/Berlin");
    const auto in1850 = dateAtUnixSeconds(-3786825600);  // 1850-01-01 UTC: local mean time
    EXPECT_EQ(berlin.secondsFromGMTForDate(in1850), 3208);
    EXPECT_EQ(berlin.abbreviationForDate(in1850), "LMT");
    EXPECT_EQ(berlin.secondsFromGMTForDate(dateAtUnixSeconds(-2208988800)), 3600);  // 1900-01-01
}

TEST(TimeZone, FixedOffsetsAreNamedByTheirOffset)
{
    const auto plusTwo = TimeZone::timeZoneForSecondsFromGMT(7200);
    ASSERT_TRUE(plusTwo);
    EXPECT_EQ(plusTwo->name(), "GMT+0200");
    EXPECT_EQ(plusTwo->abbreviationForDate(dateAtUnixSeconds(0)), "GMT+2");
    EXPECT_EQ(plusTwo->secondsFromGMTForDate(dateAtUnixSeconds(4102444800)), 7200);
    const auto india = TimeZone::timeZoneForSecondsFromGMT(-19800);
    ASSERT_TRUE(india);
    EXPECT_EQ(india->name(), "GMT-0530");
    EXPECT_EQ(india->abbreviationForDate(dateAtUnixSeconds(0)), "GMT-5:30");
    EXPECT_EQ(TimeZone::timeZoneForSecondsFromGMT(0)->name(), "GMT");
    EXPECT_EQ(TimeZone::utc().name(), "GMT");
    EXPECT_TRUE(TimeZone::timeZoneForSecondsFromGMT(18 * 3600));
    EXPECT_FALSE(TimeZone::timeZoneForSecondsFromGMT(18 * 3600 + 1));
    EXPECT_FALSE(TimeZone::timeZoneForSecondsFromGMT(-18 * 3600 - 1));
}

TEST(TimeZone, OffsetNamesAreReadInTheirUsualForms)
{
    EXPECT_EQ(zoneNamed("GMT+2").name(), "GMT+0200");
    EXPECT_EQ(zoneNamed("GMT+2").secondsFromGMTForDate(dateAtUnixSeconds(0)), 7200);
    EXPECT_EQ(zoneNamed("GMT-05:30").secondsFromGMTForDate(dateAtUnixSeconds(0)), -19800);
    EXPECT_EQ(zoneNamed("UTC+0130").secondsFromGMTForDate(dateAtUnixSeconds(0)), 5400);
    EXPECT_EQ(zoneNamed("UTC").name(), "UTC");
    EXPECT_EQ(zoneNamed("GMT").name(), "GMT");
    EXPECT_EQ(zoneNamed("GMT+0"), TimeZone::utc());
    for (const char* bad : {"GMT+19", "GMT+2:7", "GMT+02:", "GMT+12345", "GMT*2"})
        EXPECT_FALSE(TimeZone::timeZoneWithName(bad)) << bad;
}

TEST(TimeZone, NamesOutsideTheDatabaseAreRefused)
{
    for (const char* bad : {"", "Not/AZone", "../../etc/passwd", "/etc/localtime", "Europe/../Europe/Berlin",
             "Europe//Berlin", "Europe", "zone.tab", "Europe/Berlin\n"})
        EXPECT_FALSE(TimeZone::timeZoneWithName(bad)) << bad;
}

TEST(TimeZone, EqualZonesHaveTheSameNameAndRules)
{
    EXPECT_EQ(zoneNamed("Europe/Berlin"), zoneNamed("Europe/Berlin"));
    EXPECT_NE(zoneNamed("Europe/Berlin"), zoneNamed("Europe/Paris"));
    EXPECT_EQ(*TimeZone::timeZoneForSecondsFromGMT(3600), zoneNamed("GMT+1"));
    EXPECT_NE(*TimeZone::timeZoneForSecondsFromGMT(3600), *TimeZone::timeZoneForSecondsFromGMT(7200));
}

class LocalTimeZone : public ::testing::Test {
protected:
    TimeZone localWithTZ(const std::optional<std::string>& value)
    {
        plat::test::ScopedEnvironmentVariable tz("TZ", value);
        return TimeZone::localTimeZone();
    }
};

TEST_F(LocalTimeZone, FollowsTheTZVariable)
{
    EXPECT_EQ(localWithTZ("Europe/Berlin").name(), "Europe/Berlin");
    EXPECT_EQ(localWithTZ(":America/New_York").name(), "America/New_York");
    EXPECT_EQ(localWithTZ("Europe/Berlin").secondsFromGMTForDate(dateAtUnixSeconds(1784116800)), 7200);
}

TEST_F(LocalTimeZone, ReadsAPosixRuleInTZ)
{
    const TimeZone zone = localWithTZ("XST-3XDT,M3.5.0,M10.5.0/3");
    EXPECT_EQ(zone.name(), "XST-3XDT,M3.5.0,M10.5.0/3");
    EXPECT_EQ(zone.secondsFromGMTForDate(dateAtUnixSeconds(1768478400)), 10800);  // January 2026
    EXPECT_EQ(zone.abbreviationForDate(dateAtUnixSeconds(1784116800)), "XDT");  // July 2026
    EXPECT_EQ(zone.secondsFromGMTForDate(dateAtUnixSeconds(1784116800)), 14400);
}

TEST_F(LocalTimeZone, FallsBackToTheSystemZoneWhenTZNamesNothing)
{
    const TimeZone system = localWithTZ(std::nullopt);
    EXPECT_EQ(localWithTZ("Not/AZone"), system);
    EXPECT_EQ(localWithTZ(""), system);
    EXPECT_EQ(TimeZone::systemTimeZone().name(), TimeZone::localTimeZone().name());
}

TEST_F(LocalTimeZone, ReadsATZifPathAndRefusesADamagedFile)
{
    plat::test::TemporaryFolder folder;
    auto berlin = plat::readFile("/usr/share/zoneinfo/Europe/Berlin");
    ASSERT_TRUE(berlin.ok());
    ASSERT_TRUE(plat::createDirectory(folder.path("zoneinfo/Test"), plat::IntermediateDirectories::Yes).ok());
    const std::string good = folder.path("zoneinfo/Test/Good");
    const std::string damaged = folder.path("zoneinfo/Test/Damaged");
    ASSERT_TRUE(plat::writeFileAtomically(good, berlin.value()).ok());
    plat::Data truncated(berlin.value().begin(), berlin.value().begin() + 700);
    ASSERT_TRUE(plat::writeFileAtomically(damaged, truncated).ok());

    const TimeZone fromFile = localWithTZ(good);
    EXPECT_EQ(fromFile.name(), "Test/Good");
    EXPECT_EQ(fromFile.secondsFromGMTForDate(dateAtUnixSeconds(1784116800)), 7200);
    EXPECT_EQ(localWithTZ(damaged), localWithTZ(std::nullopt));
}

}  // namespace
