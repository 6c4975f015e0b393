#include <gtest/gtest.h>

#include "videoservice/VSDateTime.h"

namespace zt {
namespace {

VSDateTime parse(std::string_view text)
{
    return VSDateTime::dateTimeWithRFC3339String(text);
}

TEST(VSDateTimeReading, UniversalTimeReadsAndWritesBackUnchanged)
{
    auto value = parse("2010-05-01T10:20:30Z");
    EXPECT_EQ(value.dateComponents().year, 2010);
    EXPECT_EQ(value.dateComponents().month, 5);
    EXPECT_EQ(value.dateComponents().day, 1);
    EXPECT_EQ(value.dateComponents().hour, 10);
    EXPECT_EQ(value.dateComponents().minute, 20);
    EXPECT_EQ(value.dateComponents().second, 30);
    EXPECT_TRUE(value.isUniversalTime());
    EXPECT_EQ(value.offsetSeconds(), 0);
    EXPECT_EQ(value.RFC3339String(), "2010-05-01T10:20:30Z");
    EXPECT_EQ(value.date().timeIntervalSince1970(), 1272709230.0);
}

TEST(VSDateTimeReading, FractionsAreDroppedAndLowerCaseLettersAccepted)
{
    EXPECT_EQ(parse("2010-05-01T10:20:30.123Z").RFC3339String(), "2010-05-01T10:20:30Z");
    EXPECT_TRUE(parse("2010-05-01t10:20:30z").isEqual(parse("2010-05-01T10:20:30Z")));
}

TEST(VSDateTimeReading, OffsetsAreKeptWithTheirSign)
{
    auto east = parse("2010-05-01T10:20:30+05:30");
    EXPECT_EQ(east.offsetSeconds(), 19800);
    EXPECT_EQ(east.RFC3339String(), "2010-05-01T10:20:30+05:30");
    EXPECT_EQ(east.date().timeIntervalSince1970(), 1272709230.0 - 19800);
    auto west = parse("2010-05-01T10:20:30-08:00");
    EXPECT_EQ(west.offsetSeconds(), -28800);
    EXPECT_EQ(west.RFC3339String(), "2010-05-01T10:20:30-08:00");
}

TEST(VSDateTimeReading, PlusZeroIsAnOffsetButMinusZeroIsUnknown)
{
    auto plus = parse("2010-05-01T10:20:30+00:00");
    EXPECT_EQ(plus.offsetSeconds(), 0);
    EXPECT_FALSE(plus.isUniversalTime());
    EXPECT_EQ(plus.RFC3339String(), "2010-05-01T10:20:30+00:00");
    auto minus = parse("2010-05-01T10:20:30-00:00");
    EXPECT_EQ(minus.offsetSeconds(), VSDateTime::kUndefinedOffset);
    EXPECT_EQ(minus.RFC3339String(), "2010-05-01T10:20:30-00:00");
    EXPECT_EQ(parse("2010-05-01T10:20:30").RFC3339String(), "2010-05-01T10:20:30-00:00");
}

TEST(VSDateTimeReading, SpaceSeparatorAndMissingSecondsStopTheScan)
{
    auto spaced = parse("2010-05-01 10:20:30Z");
    EXPECT_FALSE(spaced.hasTime());
    EXPECT_EQ(spaced.RFC3339String(), "2010-05-01");
    auto noSeconds = parse("2010-05-01T10:20Z");
    EXPECT_TRUE(noSeconds.hasTime());
    EXPECT_EQ(noSeconds.offsetSeconds(), VSDateTime::kUndefinedOffset);
    EXPECT_FALSE(noSeconds.isUniversalTime());
}

TEST(VSDateTimeDateOnly, IsNoonUniversalTimeOfItsDay)
{
    auto value = parse("2010-05-01");
    EXPECT_FALSE(value.hasTime());
    EXPECT_EQ(value.RFC3339String(), "2010-05-01");
    EXPECT_EQ(value.date().timeIntervalSince1970(), 1272715200.0);
}

TEST(VSDateTimeDateOnly, AddingAndRemovingTheTime)
{
    auto value = parse("2010-05-01");
    value.setHasTime(true);
    EXPECT_EQ(value.RFC3339String(), "2010-05-01T00:00:00-00:00");
    auto universal = parse("2010-05-01T10:20:30Z");
    universal.setHasTime(false);
    EXPECT_FALSE(universal.isUniversalTime());
    EXPECT_EQ(universal.RFC3339String(), "2010-05-01");
}

TEST(VSDateTimeFromDate, UniversalZoneWritesZButAnotherZeroOffsetDoesNot)
{
    auto date = plat::Date::withTimeIntervalSince1970(1272709230.75);
    auto universal = VSDateTime::dateTimeWithDate(date, VSTimeZone::universal());
    EXPECT_TRUE(universal.isUniversalTime());
    EXPECT_EQ(universal.RFC3339String(), "2010-05-01T10:20:30Z");
    auto gmt = VSDateTime::dateTimeWithDate(date, VSTimeZone::timeZoneForSecondsFromGMT(0));
    EXPECT_EQ(gmt.RFC3339String(), "2010-05-01T10:20:30+00:00");
    auto india = VSDateTime::dateTimeWithDate(date, VSTimeZone::timeZoneForSecondsFromGMT(19800));
    EXPECT_EQ(india.RFC3339String(), "2010-05-01T15:50:30+05:30");
    auto local = VSDateTime::dateTimeWithDate(date, std::nullopt);
    EXPECT_EQ(local.offsetSeconds(), VSDateTime::kUndefinedOffset);
    EXPECT_TRUE(local.RFC3339String().ends_with("-00:00"));
}

TEST(VSDateTimeEquality, ComparesOffsetZoneAndComponents)
{
    EXPECT_FALSE(parse("2010-05-01T10:20:30Z").isEqual(parse("2010-05-01T10:20:30+00:00")));
    EXPECT_FALSE(parse("2010-05-01T10:20:30Z").isEqual(parse("2010-05-01T10:20:31Z")));
    auto copy = parse("2010-05-01T10:20:30+05:30");
    EXPECT_TRUE(VSDateTime(copy).isEqual(copy));
}

TEST(VSDateTimeReading, GarbageGivesAnIncompleteValueWithoutCrashing)
{
    auto value = parse("99999999999999999999999-99-99T99:99:99.9e99+99:99");
    (void)value.RFC3339String();
    (void)value.date();
    EXPECT_FALSE(parse("").hasTime());
}

}  // namespace
}  // namespace zt
