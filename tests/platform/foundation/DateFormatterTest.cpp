#include "platform/foundation/DateFormatter.h"

#include <cmath>
#include <thread>

#include <gtest/gtest.h>

#include "support/DateTestSupport.h"

namespace {

using plat::Date;
using plat::DateFormatter;
using plat::DateFormatterStyle;
using plat::test::dateAtUnixSeconds;

// Monday 2026-12-07 15:04:05.678 UTC, and Thursday 2026-03-05 09:07:03.045 UTC.
const Date kDecember7 = dateAtUnixSeconds(1796655845.678);
const Date kMarch5 = dateAtUnixSeconds(1772701623.045);

plat::TimeZone zoneNamed(const char* name)
{
    return plat::TimeZone::timeZoneWithName(name).value_or(plat::TimeZone::utc());
}

DateFormatter formatterWith(const std::string& pattern, const char* zone = "UTC", const char* locale = "en_US")
{
    DateFormatter formatter;
    formatter.setLocale(plat::Locale(locale));
    formatter.setTimeZone(zoneNamed(zone));
    formatter.setDateFormat(pattern);
    return formatter;
}

std::string format(const std::string& pattern, Date date, const char* zone = "UTC")
{
    return formatterWith(pattern, zone).stringFromDate(date);
}

double parsed(const DateFormatter& formatter, std::string_view text)
{
    const auto date = formatter.dateFromString(text);
    EXPECT_TRUE(date.has_value()) << text;
    return date ? date->timeIntervalSince1970() : -1;
}

TEST(DateFormatterPattern, EraAndYear)
{
    EXPECT_EQ(format("G", kDecember7), "AD");
    EXPECT_EQ(format("GGGG", kDecember7), "Anno Domini");
    EXPECT_EQ(format("GGGGG", kDecember7), "A");
    EXPECT_EQ(format("y", kDecember7), "2026");
    EXPECT_EQ(format("yy", kDecember7), "26");
    EXPECT_EQ(format("yyyy", kDecember7), "2026");
    EXPECT_EQ(format("yyyyy", kDecember7), "02026");
    const Date year5 = dateAtUnixSeconds(-61978867200);  // 0005-12-20
    EXPECT_EQ(format("y yy yyyy", year5), "5 05 0005");
    // Julian dates before 1582: proleptic 1 BC, December 31 is AD 1, January 2.
    EXPECT_EQ(format("d MMM y G", dateAtUnixSeconds(-62135596800 - 86400)), "2 Jan 1 AD");
    EXPECT_EQ(format("d MMM y G", dateAtUnixSeconds(-62135596800 - 3 * 86400)), "31 Dec 1 BC");
}

TEST(DateFormatterPattern, MonthDayAndWeekday)
{
    EXPECT_EQ(format("M/d", kMarch5), "3/5");
    EXPECT_EQ(format("MM/dd", kMarch5), "03/05");
    EXPECT_EQ(format("MMM MMMM MMMMM LLL LLLL", kDecember7), "Dec December D Dec December");
    EXPECT_EQ(format("D DDD", kMarch5), "64 064");
    EXPECT_EQ(format("E EEE EEEE EEEEE", kDecember7), "Mon Mon Monday M");
    EXPECT_EQ(format("EEEE", kMarch5), "Thursday");
}

TEST(DateFormatterPattern, HoursOnEachClock)
{
    EXPECT_EQ(format("h hh H HH k K a", kDecember7), "3 03 15 15 15 3 PM");
    EXPECT_EQ(format("h hh H HH k K a", kMarch5), "9 09 9 09 9 9 AM");
    const Date midnight = dateAtUnixSeconds(1796601600);  // 2026-12-07 00:00 UTC
    EXPECT_EQ(format("h H k K a", midnight), "12 0 24 0 AM");
    const Date noon = dateAtUnixSeconds(1796644800);
    EXPECT_EQ(format("h H k K a", noon), "12 12 12 0 PM");
}

TEST(DateFormatterPattern, MinutesSecondsAndFractions)
{
    EXPECT_EQ(format("m mm s ss", kMarch5), "7 07 3 03");
    EXPECT_EQ(format("S SS SSS SSSS", kDecember7), "6 67 678 6780");
    EXPECT_EQ(format("ss.SSS", kMarch5), "03.045");
    // Fractions are cut, not rounded up into the next second.
    EXPECT_EQ(format("ss.SSS", dateAtUnixSeconds(1796655845.9996)), "05.999");
}

TEST(DateFormatterPattern, ZonesInEachForm)
{
    // English has no short name for central European time.
    EXPECT_EQ(format("Z|ZZZZ|ZZZZZ|z|zzzz", kDecember7, "Europe/Berlin"),
        "+0100|GMT+01:00|+01:00|GMT+1|Central European Standard Time");
    EXPECT_EQ(format("X|XX|XXX|x|xxx", kDecember7, "Europe/Berlin"), "+01|+0100|+01:00|+01|+01:00");
    EXPECT_EQ(format("Z|ZZZZ|ZZZZZ|X|XXX|x|xx", kDecember7, "UTC"), "+0000|GMT|Z|Z|Z|+00|+0000");
    EXPECT_EQ(format("z", kDecember7, "GMT"), "GMT");
    EXPECT_EQ(format("z|X|ZZZZZ", kDecember7, "America/New_York"), "EST|-05|-05:00");
    // Zones without a name of their own are written as offsets.
    EXPECT_EQ(format("HH:mm z|X|ZZZZ", kDecember7, "Australia/Lord_Howe"), "02:04 GMT+11|+11|GMT+11:00");
    EXPECT_EQ(format("z|X", kDecember7, "GMT-05:30"), "GMT-5:30|-0530");
}

TEST(DateFormatterPattern, QuotedTextIsLiteral)
{
    EXPECT_EQ(format("yyyy-MM-dd'T'HH:mm:ss", kDecember7), "2026-12-07T15:04:05");
    EXPECT_EQ(format("h 'o''clock' a", kDecember7), "3 o'clock PM");
    EXPECT_EQ(format("''yy''", kDecember7), "'26'");
    EXPECT_EQ(format("'unclosed yyyy", kDecember7), "unclosed yyyy");
    // Letters without a meaning stay as they are (Q is the quarter).
    EXPECT_EQ(format("QQ yyyy", kDecember7), "04 2026");
    EXPECT_EQ(format("yyyy-MM-ddTHH:mm", kDecember7), "2026-12-07T15:04");
    EXPECT_EQ(format("j'j'J yyyy", kDecember7), "jjJ 2026");
}

TEST(DateFormatterPattern, DatesFarFromNow)
{
    const std::string pattern = "yyyy-MM-dd HH:mm:ss EEE";
    EXPECT_EQ(format(pattern, dateAtUnixSeconds(-14182940)), "1969-07-20 20:17:40 Sun");
    EXPECT_EQ(format(pattern, dateAtUnixSeconds(-2208988800)), "1900-01-01 00:00:00 Mon");
    EXPECT_EQ(format(pattern, dateAtUnixSeconds(253402300799)), "9999-12-31 23:59:59 Fri");
    EXPECT_EQ(format(pattern, dateAtUnixSeconds(4107499200), "Europe/Berlin"), "2100-02-28 13:00:00 Sun");
    EXPECT_EQ(format(pattern, dateAtUnixSeconds(2147483648)), "2038-01-19 03:14:08 Tue");
}

TEST(DateFormatterStyles, EnglishDateAndTimeStyles)
{
    DateFormatter formatter = formatterWith("");
    formatter.setTimeStyle(DateFormatterStyle::None);
    const std::pair<DateFormatterStyle, const char*> dates[]
        = {{DateFormatterStyle::Short, "12/7/26"}, {DateFormatterStyle::Medium, "Dec 7, 2026"},
            {DateFormatterStyle::Long, "December 7, 2026"}, {DateFormatterStyle::Full, "Monday, December 7, 2026"}};
    for (const auto& [style, expected] : dates) {
        formatter.setDateStyle(style);
        EXPECT_EQ(formatter.stringFromDate(kDecember7), expected);
    }
    formatter.setDateStyle(DateFormatterStyle::None);
    formatter.setTimeStyle(DateFormatterStyle::Short);
    EXPECT_EQ(formatter.stringFromDate(kDecember7), "3:04 PM");
    formatter.setTimeStyle(DateFormatterStyle::Medium);
    EXPECT_EQ(formatter.stringFromDate(kDecember7), "3:04:05 PM");
    EXPECT_EQ(formatter.dateFormat(), "h:mm:ss a");
    formatter.setDateStyle(DateFormatterStyle::Medium);
    formatter.setTimeStyle(DateFormatterStyle::Short);
    EXPECT_EQ(formatter.stringFromDate(kDecember7), "Dec 7, 2026, 3:04 PM");
    formatter.setDateStyle(DateFormatterStyle::Long);
    EXPECT_EQ(formatter.stringFromDate(kDecember7), "December 7, 2026 at 3:04 PM");
}

TEST(DateFormatterStyles, StylesFollowTheLocaleAndAPatternReplacesThem)
{
    DateFormatter formatter = formatterWith("", "Europe/Berlin");
    formatter.setDateStyle(DateFormatterStyle::Medium);
    formatter.setTimeStyle(DateFormatterStyle::Short);
    formatter.setLocale(plat::Locale("de_DE"));
    EXPECT_EQ(formatter.stringFromDate(kDecember7), "07.12.2026, 16:04");
    formatter.setDateStyle(DateFormatterStyle::Full);
    EXPECT_EQ(formatter.stringFromDate(kDecember7), "Montag, 7. Dezember 2026 um 16:04");
    formatter.setDateFormat("d. MMM");
    EXPECT_EQ(formatter.stringFromDate(kMarch5), "5. März");
    formatter.setLocale(plat::Locale("en_US"));
    EXPECT_EQ(formatter.dateFormat(), "d. MMM");
    EXPECT_EQ(formatter.stringFromDate(kMarch5), "5. Mar");
}

class DateFormatterRelative : public ::testing::Test {
protected:
    DateFormatter relativeFormatter(
        DateFormatterStyle timeStyle = DateFormatterStyle::None, const char* locale = "en_US")
    {
        DateFormatter formatter = formatterWith("", "Europe/Berlin", locale);
        formatter.setDateStyle(DateFormatterStyle::Medium);
        formatter.setTimeStyle(timeStyle);
        formatter.setDoesRelativeDateFormatting(/*doesRelativeDateFormatting=*/true);
        return formatter;
    }

    static constexpr double kMidnight = 1796598000;  // 2026-12-07 00:00 in Berlin
    // Now is noon in Berlin on Monday, 2026-12-07.
    plat::test::ScopedFixedDate now {dateAtUnixSeconds(kMidnight + 12 * 3600)};
};

TEST_F(DateFormatterRelative, NamesTheDaysAroundTodayToTheSecond)
{
    const DateFormatter formatter = relativeFormatter();
    auto at = [&](double seconds) { return formatter.stringFromDate(dateAtUnixSeconds(kMidnight + seconds)); };
    EXPECT_EQ(at(-86400 - 1), "Dec 5, 2026");
    EXPECT_EQ(at(-86400), "Yesterday");
    EXPECT_EQ(at(-1), "Yesterday");
    EXPECT_EQ(at(0), "Today");
    EXPECT_EQ(at(86399), "Today");
    EXPECT_EQ(at(86400), "Tomorrow");
    EXPECT_EQ(at(2 * 86400 - 1), "Tomorrow");
    EXPECT_EQ(at(2 * 86400), "Dec 9, 2026");
}

TEST_F(DateFormatterRelative, KeepsTheTimeAndUsesTheFormattersZone)
{
    DateFormatter formatter = relativeFormatter(DateFormatterStyle::Short);
    EXPECT_EQ(formatter.stringFromDate(dateAtUnixSeconds(kMidnight + 15 * 3600 + 240)), "Today, 3:04 PM");
    // 23:30 UTC on December 6 is already December 7 in Berlin, and still the 6th in UTC.
    const Date lateEvening = dateAtUnixSeconds(kMidnight + 1800);
    EXPECT_EQ(formatter.stringFromDate(lateEvening), "Today, 12:30 AM");
    formatter.setTimeZone(plat::TimeZone::utc());
    EXPECT_EQ(formatter.stringFromDate(lateEvening), "Yesterday, 11:30 PM");
}

TEST_F(DateFormatterRelative, GermanNamesTwoDaysEitherWay)
{
    const DateFormatter formatter = relativeFormatter(DateFormatterStyle::None, "de_DE");
    EXPECT_EQ(formatter.stringFromDate(dateAtUnixSeconds(kMidnight - 2 * 86400)), "Vorgestern");
    EXPECT_EQ(formatter.stringFromDate(dateAtUnixSeconds(kMidnight)), "Heute");
    EXPECT_EQ(formatter.stringFromDate(dateAtUnixSeconds(kMidnight + 2 * 86400)), "Übermorgen");
    EXPECT_EQ(formatter.stringFromDate(dateAtUnixSeconds(kMidnight + 3 * 86400)), "10.12.2026");
}

TEST_F(DateFormatterRelative, APatternIsNeverRelative)
{
    DateFormatter formatter = relativeFormatter();
    formatter.setDateFormat("yyyy-MM-dd");
    EXPECT_EQ(formatter.stringFromDate(dateAtUnixSeconds(kMidnight)), "2026-12-07");
}

TEST(DateFormatterParsing, ReadsRFC3339Timestamps)
{
    const DateFormatter formatter = formatterWith("yyyy-MM-dd'T'HH:mm:ss.SSSZZZZZ", "Europe/Berlin");
    EXPECT_DOUBLE_EQ(parsed(formatter, "2026-12-07T16:04:05.678+01:00"), 1796655845.678);
    EXPECT_DOUBLE_EQ(parsed(formatter, "2026-12-07T15:04:05.678Z"), 1796655845.678);
    EXPECT_DOUBLE_EQ(parsed(formatter, "2026-12-07T10:04:05.5-05:00"), 1796655845.5);
    // Read to the millisecond.
    EXPECT_DOUBLE_EQ(parsed(formatter, "2026-12-07T15:04:05.123456789Z"), 1796655845.123);
}

TEST(DateFormatterParsing, ReadsHTTPDates)
{
    EXPECT_EQ(parsed(formatterWith("EEE, dd MMM yyyy HH:mm:ss zzz"), "Mon, 07 Dec 2026 15:04:05 GMT"), 1796655845);
    EXPECT_EQ(parsed(formatterWith("EEE, dd MMM yyyy HH:mm:ss zzz"), "Mon, 07 Dec 2026 10:04:05 EST"), 1796655845);
    const DateFormatter numeric = formatterWith("EEE, dd MMM yyyy HH:mm:ss Z");
    EXPECT_EQ(parsed(numeric, "Mon, 07 Dec 2026 15:04:05 +0000"), 1796655845);
    EXPECT_EQ(parsed(numeric, "Mon, 07 Dec 2026 10:04:05 -0500"), 1796655845);
    EXPECT_EQ(parsed(numeric, "mon, 07 DEC 2026 15:04:05 GMT+00:00"), 1796655845);
}

TEST(DateFormatterParsing, TextWithoutAZoneIsLocalToTheFormatter)
{
    EXPECT_EQ(parsed(formatterWith("yyyy-MM-dd HH:mm:ss", "Europe/Berlin"), "2026-07-15 10:30:00"), 1784104200);
    EXPECT_EQ(parsed(formatterWith("yyyy-MM-dd-HH-mm-ss", "Europe/Berlin"), "2014-05-01-10-30-00"), 1398933000);
    EXPECT_EQ(parsed(formatterWith("yyyyMMdd"), "20261207"), 1796601600);
    // Fields the text leaves out are those of 2000-01-01.
    EXPECT_EQ(parsed(formatterWith("HH:mm", "Europe/Berlin"), "10:30"), 946719000);
}

TEST(DateFormatterParsing, ReadsClockHoursAndTwoDigitYears)
{
    const DateFormatter twelveHour = formatterWith("yyyy-MM-dd h:mm a");
    EXPECT_EQ(parsed(twelveHour, "2026-12-07 12:30 AM"), 1796601600 + 1800);
    EXPECT_EQ(parsed(twelveHour, "2026-12-07 12:30 PM"), 1796644800 + 1800);
    EXPECT_EQ(parsed(twelveHour, "2026-12-07 3:04 pm"), 1796655840);
    EXPECT_EQ(parsed(twelveHour, "2026-12-07 0:30 AM"), 1796601600 + 1800);
    const DateFormatter twoDigits = formatterWith("yy-MM-dd");
    EXPECT_EQ(parsed(twoDigits, "49-01-01"), 2493072000);
    EXPECT_EQ(parsed(twoDigits, "50-01-01"), -631152000);
}

TEST(DateFormatterParsing, RefusesTextThatIsNotADate)
{
    const DateFormatter formatter = formatterWith("yyyy-MM-dd HH:mm:ss");
    for (const char* bad : {"", "2026-02-30 10:00:00", "2026-13-01 10:00:00", "2026-00-10 10:00:00",
             "2026-12-07 24:00:00", "2026-12-07 10:60:00", "2026-12-07 10:00:00 ", "2026-12-07", "2026/12/07 10:00:00",
             "0000-01-01 00:00:00", "9999999999-01-01 00:00:00", "2026-12-07 10:00:0x", "\xff\xfe"})
        EXPECT_FALSE(formatter.dateFromString(bad)) << bad;
    EXPECT_FALSE(formatterWith("yyyyMMdd").dateFromString("202612"));
    EXPECT_FALSE(formatterWith("dd MMM yyyy").dateFromString("07 Dex 2026"));
    EXPECT_FALSE(formatterWith("h:mm a").dateFromString("13:30 AM"));
    EXPECT_FALSE(formatterWith("HH:mm Z").dateFromString("10:00 +2500"));
    EXPECT_FALSE(formatterWith("HH:mm z", "Europe/Berlin").dateFromString("10:00 XYZ"));
    EXPECT_FALSE(formatterWith("").dateFromString(""));
}

TEST(DateFormatterParsing, LocalTimesFollowTheSystemsCurrentRules)
{
    // Rules newer than ICU's own copy: Mexico without summer time since
    // 2022, Ciudad Juarez a zone of its own, Egypt with summer time again.
    const Date july15 = dateAtUnixSeconds(1784116800);  // 2026-07-15 12:00 UTC
    EXPECT_EQ(format("HH:mm z", july15, "America/Mexico_City"), "06:00 CST");
    EXPECT_EQ(format("HH:mm xxx", july15, "America/Ciudad_Juarez"), "06:00 -06:00");
    EXPECT_EQ(format("HH:mm xxx", july15, "Africa/Cairo"), "15:00 +03:00");
    EXPECT_EQ(parsed(formatterWith("yyyy-MM-dd HH:mm", "America/Mexico_City"), "2026-07-15 06:00"), 1784116800);
}

TEST(DateFormatterBadInput, MalformedPatternsWriteWhatTheyCanAndReadOnlyTheirOwnText)
{
    // Only empty quotes: no pattern at all, as an empty one.
    EXPECT_EQ(format("'", kDecember7), "");
    EXPECT_FALSE(formatterWith("'").dateFromString(""));
    // Bytes that are not UTF-8 become replacement characters; fields stay fields.
    EXPECT_EQ(format("\xff\xfe yyyy", kDecember7), "\xEF\xBF\xBD\xEF\xBF\xBD 2026");
    // Counts beyond a field's forms: the widest form, or nothing.
    EXPECT_EQ(format(std::string(200, 'y'), kDecember7), "0000002026");
    EXPECT_EQ(format("OOO", kDecember7), "");
    for (const std::string& pattern : {std::string(300, 'S'), std::string("xxxxxxx VVVVVVV GGGGGG"),
             std::string("'unclosed yyyy"), std::string("EEEEEEEEEE d MMMMMMM ''yy''"), std::string(5000, '\'')}) {
        const DateFormatter formatter = formatterWith(pattern, "Europe/Berlin");
        (void)formatter.dateFromString(formatter.stringFromDate(kDecember7));
        EXPECT_FALSE(formatter.dateFromString("not a date at all")) << pattern;
    }
}

TEST(DateFormatterBadInput, OverlongDigitRunsAreRefusedRatherThanReadByICU)
{
    // ICU itself would divide by zero on a fraction of 35 digits or more.
    const DateFormatter formatter = formatterWith("yyyy-MM-dd'T'HH:mm:ss.SSSZZZZZ");
    EXPECT_FALSE(formatter.dateFromString("2026-12-07T15:04:05." + std::string(40, '1') + "Z"));
    std::string arabicIndicDigits;
    for (int i = 0; i < 40; ++i)
        arabicIndicDigits += "\xD9\xA1";
    EXPECT_FALSE(formatter.dateFromString("2026-12-07T15:04:05." + arabicIndicDigits + "Z"));
    EXPECT_FALSE(formatter.dateFromString("2026-12-07T15:04:05." + std::string(200, '7') + "Z"));
    EXPECT_DOUBLE_EQ(parsed(formatter, "2026-12-07T15:04:05." + std::string(30, '0') + "Z"), 1796655845);
    EXPECT_FALSE(formatterWith(std::string(40, 'S')).dateFromString(std::string(40, '6')));
}

TEST(DateFormatterBadInput, ZoneNamesOutsideTheDatabaseAreRefused)
{
    const DateFormatter formatter = formatterWith("HH:mm VV");
    EXPECT_EQ(parsed(formatter, "10:00 Europe/Berlin"), 946717200);
    for (const char* bad : {"10:00 America/Nowhere", "10:00 ../../etc/passwd", "10:00 Europe/Berlin/x", "10:00 "})
        EXPECT_FALSE(formatter.dateFromString(bad)) << bad;
}

TEST(DateFormatterParsing, RoundTripsThroughEachPattern)
{
    const char* patterns[] = {"yyyy-MM-dd'T'HH:mm:ss.SSSZZZZZ", "EEE, dd MMM yyyy HH:mm:ss zzz",
        "EEEE, MMMM d, y G h:mm:ss.SSS a", "yyyyMMddHHmmssSSS", "D yyyy HH:mm:ss.SSS xxx", "d. MMMM y HH:mm:ss.SSS"};
    const double moments[] = {1796655845.678, -14182940.5, -2208988800, 4107499200.25, 253402214399, 1772953199};
    for (const char* zone : {"UTC", "Europe/Berlin", "America/New_York", "Australia/Lord_Howe"}) {
        for (const char* pattern : patterns) {
            for (const char* locale : {"en_US", "de_DE"}) {
                const DateFormatter formatter = formatterWith(pattern, zone, locale);
                for (const double moment : moments) {
                    const std::string text = formatter.stringFromDate(dateAtUnixSeconds(moment));
                    const auto back = formatter.dateFromString(text);
                    ASSERT_TRUE(back) << zone << " " << pattern << " " << text;
                    // Patterns without fractions keep whole seconds.
                    const bool keepsFractions = std::string_view(pattern).find('S') != std::string_view::npos;
                    const double expected = keepsFractions ? moment : std::floor(moment);
                    EXPECT_NEAR(back->timeIntervalSince1970(), expected, 0.0005)
                        << zone << " " << pattern << " " << text;
                }
            }
        }
    }
}

TEST(DateFormatterThreads, FormattersInOtherZonesDoNotDisturbEachOther)
{
    // Each formatter keeps its zone to itself: nothing process-wide changes.
    const char* zones[] = {"Europe/Berlin", "America/New_York", "Australia/Lord_Howe", "UTC"};
    const char* expected[] = {"16:04 GMT+1", "10:04 EST", "02:04 GMT+11", "15:04 UTC"};
    std::vector<std::thread> threads;
    std::vector<int> mismatches(std::size(zones), 0);
    for (size_t i = 0; i < std::size(zones); ++i) {
        threads.emplace_back([&, i] {
            const DateFormatter formatter = formatterWith("HH:mm z", zones[i]);
            for (int round = 0; round < 500; ++round) {
                if (formatter.stringFromDate(kDecember7) != expected[i])
                    ++mismatches[i];
            }
        });
    }
    for (auto& thread : threads)
        thread.join();
    for (size_t i = 0; i < std::size(zones); ++i)
        EXPECT_EQ(mismatches[i], 0) << zones[i];
}

}  // namespace
