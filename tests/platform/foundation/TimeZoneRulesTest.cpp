#include "platform/foundation/TimeZoneRules.h"

#include <gtest/gtest.h>

#include "platform/foundation/Files.h"
#include "platform/foundation/TimeZone.h"
#include "support/DateTestSupport.h"
#include "support/TemporarySandbox.h"

namespace {

using plat::detail::parsePosixTimeZoneRule;
using plat::detail::TimeZoneRules;

struct TypeRecord {
    int32_t offset;
    bool isDaylight;
    uint8_t abbreviationIndex;
};

// Writes TZif files field by field, so that tests can also write wrong ones.
class TZifWriter {
public:
    char version = '2';
    std::vector<int64_t> transitions;
    std::vector<uint8_t> transitionTypes;
    std::vector<TypeRecord> types;
    std::string characters;
    std::string footer;
    // Counts written in the header instead of the real ones, when set.
    std::optional<uint32_t> claimedTypeCount;
    std::optional<uint32_t> claimedTransitionCount;

    plat::Data bytes() const
    {
        plat::Data data;
        if (version == 0) {
            appendBlock(data, 4);
            return data;
        }
        appendBlock(data, 4);
        appendBlock(data, 8);
        data.push_back('\n');
        data.insert(data.end(), footer.begin(), footer.end());
        data.push_back('\n');
        return data;
    }

private:
    static void appendNumber(plat::Data& data, uint64_t value, int width)
    {
        for (int shift = (width - 1) * 8; shift >= 0; shift -= 8)
            data.push_back(static_cast<uint8_t>(value >> shift));
    }

    void appendBlock(plat::Data& data, int timeWidth) const
    {
        const std::string magic = "TZif";
        data.insert(data.end(), magic.begin(), magic.end());
        data.push_back(static_cast<uint8_t>(version));
        data.insert(data.end(), 15, 0);
        appendNumber(data, 0, 4);  // UT indicators
        appendNumber(data, 0, 4);  // standard indicators
        appendNumber(data, 0, 4);  // leap seconds
        appendNumber(data, claimedTransitionCount.value_or(static_cast<uint32_t>(transitions.size())), 4);
        appendNumber(data, claimedTypeCount.value_or(static_cast<uint32_t>(types.size())), 4);
        appendNumber(data, characters.size(), 4);
        for (const int64_t at : transitions)
            appendNumber(data, static_cast<uint64_t>(at), timeWidth);
        data.insert(data.end(), transitionTypes.begin(), transitionTypes.end());
        for (const TypeRecord& type : types) {
            appendNumber(data, static_cast<uint32_t>(type.offset), 4);
            data.push_back(type.isDaylight ? 1 : 0);
            data.push_back(type.abbreviationIndex);
        }
        data.insert(data.end(), characters.begin(), characters.end());
    }
};

// One change at 1970 from "AAA" (+1 h) to "BBB" (+2 h, daylight time).
TZifWriter twoTypeWriter()
{
    TZifWriter writer;
    writer.transitions = {0};
    writer.transitionTypes = {1};
    writer.types = {{3600, false, 0}, {7200, true, 4}};
    writer.characters = std::string("AAA\0BBB\0", 8);
    return writer;
}

std::optional<TimeZoneRules> parse(const plat::Data& bytes)
{
    return TimeZoneRules::fromTZif("Test/Zone", bytes.data(), bytes.size());
}

plat::Data berlinBytes()
{
    auto bytes = plat::readFile("/usr/share/zoneinfo/Europe/Berlin");
    EXPECT_TRUE(bytes.ok());
    return bytes.ok() ? bytes.value() : plat::Data {};
}

TEST(TZifFile, VersionOneKeepsTheLastTypeForever)
{
    TZifWriter writer = twoTypeWriter();
    writer.version = 0;
    const auto rules = parse(writer.bytes());
    ASSERT_TRUE(rules);
    EXPECT_EQ(rules->typeAt(-1).abbreviation, "AAA");
    EXPECT_EQ(rules->typeAt(-1).utcOffsetSeconds, 3600);
    EXPECT_EQ(rules->typeAt(0).abbreviation, "BBB");
    EXPECT_TRUE(rules->typeAt(0).isDaylightSavingTime);
    EXPECT_EQ(rules->typeAt(4102444800).utcOffsetSeconds, 7200);
}

TEST(TZifFile, TheFooterRuleTakesOverAfterTheLastTransition)
{
    TZifWriter writer = twoTypeWriter();
    writer.footer = "CCC-3";
    const auto rules = parse(writer.bytes());
    ASSERT_TRUE(rules);
    EXPECT_EQ(rules->typeAt(-1).abbreviation, "AAA");
    EXPECT_EQ(rules->typeAt(0).abbreviation, "CCC");
    EXPECT_EQ(rules->typeAt(0).utcOffsetSeconds, 10800);
}

TEST(TZifFile, EveryTruncationOfARealFileIsRefused)
{
    const plat::Data berlin = berlinBytes();
    ASSERT_TRUE(parse(berlin));
    for (size_t length = 0; length < berlin.size(); ++length)
        EXPECT_FALSE(TimeZoneRules::fromTZif("Europe/Berlin", berlin.data(), length)) << length;
}

TEST(TZifFile, GarbledBytesNeverGiveImpossibleOffsets)
{
    const plat::Data berlin = berlinBytes();
    const int64_t probes[] = {-5000000000, -1, 0, 1784116800, 4118083200, 50000000000};
    for (size_t position = 0; position < berlin.size(); ++position) {
        plat::Data garbled = berlin;
        garbled[position] ^= 0xa5;
        const auto rules = parse(garbled);
        if (!rules)
            continue;
        for (const int64_t at : probes) {
            const int32_t offset = rules->typeAt(at).utcOffsetSeconds;
            EXPECT_LE(offset, 26 * 3600) << position;
            EXPECT_GE(offset, -26 * 3600) << position;
        }
    }
}

TEST(TZifFile, CountsLargerThanTheFileAreRefused)
{
    TZifWriter writer = twoTypeWriter();
    writer.claimedTransitionCount = 0xffffffff;
    EXPECT_FALSE(parse(writer.bytes()));
    writer = twoTypeWriter();
    writer.claimedTypeCount = 0x10000000;
    EXPECT_FALSE(parse(writer.bytes()));
}

TEST(TZifFile, IndicesOutsideTheirTablesAreRefused)
{
    TZifWriter typeOutOfRange = twoTypeWriter();
    typeOutOfRange.transitionTypes = {2};
    EXPECT_FALSE(parse(typeOutOfRange.bytes()));

    TZifWriter abbreviationOutOfRange = twoTypeWriter();
    abbreviationOutOfRange.types[1].abbreviationIndex = 8;
    EXPECT_FALSE(parse(abbreviationOutOfRange.bytes()));

    TZifWriter unterminated = twoTypeWriter();
    unterminated.characters = std::string("AAA\0BBB", 7);
    EXPECT_FALSE(parse(unterminated.bytes()));
}

TEST(TZifFile, MalformedContentIsRefused)
{
    TZifWriter noTypes = twoTypeWriter();
    noTypes.transitions.clear();
    noTypes.transitionTypes.clear();
    noTypes.types.clear();
    EXPECT_FALSE(parse(noTypes.bytes()));

    TZifWriter unordered = twoTypeWriter();
    unordered.transitions = {100, 100};
    unordered.transitionTypes = {0, 1};
    EXPECT_FALSE(parse(unordered.bytes()));

    TZifWriter badFooter = twoTypeWriter();
    badFooter.footer = "CET-1CEST,M13.1.0,M10.5.0";
    EXPECT_FALSE(parse(badFooter.bytes()));

    TZifWriter absurdOffset = twoTypeWriter();
    absurdOffset.types[0].offset = 100 * 3600;
    EXPECT_FALSE(parse(absurdOffset.bytes()));

    TZifWriter unknownVersion = twoTypeWriter();
    unknownVersion.version = '1';
    EXPECT_FALSE(parse(unknownVersion.bytes()));

    plat::Data notTZif = twoTypeWriter().bytes();
    notTZif[0] = 'X';
    EXPECT_FALSE(parse(notTZif));
    EXPECT_FALSE(TimeZoneRules::fromTZif("Empty", nullptr, 0));
}

TEST(TZifFile, DamagedFilesFromAFolderGiveNoZone)
{
    plat::test::TemporaryFolder folder;
    const plat::Data berlin = berlinBytes();
    const std::string path = folder.path("Damaged");
    plat::Data damaged(berlin.begin(), berlin.begin() + static_cast<std::ptrdiff_t>(berlin.size() / 2));
    ASSERT_TRUE(plat::writeFileAtomically(path, damaged).ok());
    auto read = plat::readFile(path);
    ASSERT_TRUE(read.ok());
    EXPECT_FALSE(plat::TimeZone::timeZoneWithName("Test/Damaged", read.value()));
    EXPECT_TRUE(plat::TimeZone::timeZoneWithName("Test/Whole", berlin));
}

int32_t offsetAt(const plat::detail::PosixTimeZoneRule& rule, int64_t unixSeconds)
{
    return rule.typeAt(unixSeconds).utcOffsetSeconds;
}

TEST(PosixTimeZoneRule, ChangesOnTheNthWeekdayOfAMonth)
{
    const auto rule = parsePosixTimeZoneRule("EST5EDT,M3.2.0,M11.1.0");
    ASSERT_TRUE(rule);
    const int64_t springForward = 1899356400;  // 2030-03-10 07:00 UTC, the second Sunday
    EXPECT_EQ(offsetAt(*rule, springForward - 1), -18000);
    EXPECT_EQ(offsetAt(*rule, springForward), -14400);
    EXPECT_EQ(rule->typeAt(springForward).abbreviation, "EDT");
    const int64_t fallBack = 1919916000;  // 2030-11-03 06:00 UTC
    EXPECT_EQ(offsetAt(*rule, fallBack - 1), -14400);
    EXPECT_EQ(offsetAt(*rule, fallBack), -18000);
}

TEST(PosixTimeZoneRule, WeekFiveIsTheLastInTheMonth)
{
    const auto rule = parsePosixTimeZoneRule("AAA0BBB,M2.5.0/0,M3.1.0/0");
    ASSERT_TRUE(rule);
    EXPECT_EQ(offsetAt(*rule, 1771718400 - 1), 0);  // before 2026-02-22, the last Sunday
    EXPECT_EQ(offsetAt(*rule, 1771718400), 3600);
    EXPECT_EQ(offsetAt(*rule, 1961625600 - 1), 0);  // before 2032-02-29, a Sunday in a leap year
    EXPECT_EQ(offsetAt(*rule, 1961625600), 3600);
}

TEST(PosixTimeZoneRule, JulianDaysSkipFebruaryTwentyNinthAndZeroBasedDaysCountIt)
{
    const auto julian = parsePosixTimeZoneRule("AAA0BBB,J60/0,J61/0");
    ASSERT_TRUE(julian);
    EXPECT_EQ(offsetAt(*julian, 1835438400), 0);  // 2028-02-29 12:00
    EXPECT_EQ(offsetAt(*julian, 1835524800), 3600);  // 2028-03-01 12:00
    const auto zeroBased = parsePosixTimeZoneRule("AAA0BBB,59/0,60/0");
    ASSERT_TRUE(zeroBased);
    EXPECT_EQ(offsetAt(*zeroBased, 1835438400), 3600);
    EXPECT_EQ(offsetAt(*zeroBased, 1835524800), 0);
}

TEST(PosixTimeZoneRule, ReadsQuotedNamesAndExtendedTimes)
{
    // Daylight time all year: in at the start of January 1, out after December 31 24:00.
    const auto allYear = parsePosixTimeZoneRule("EST5EDT4,0/0,J365/25");
    ASSERT_TRUE(allYear);
    for (const int64_t at : {1767225600, 1782864000, 1798761599})  // 2026-01-01, 07-01, 12-31 23:59:59
        EXPECT_EQ(offsetAt(*allYear, at), -14400) << at;

    const auto negativeTimes = parsePosixTimeZoneRule("<-02>2<-01>,M3.5.0/-1,M10.5.0/0");
    ASSERT_TRUE(negativeTimes);
    EXPECT_EQ(negativeTimes->standard.abbreviation, "-02");
    EXPECT_EQ(offsetAt(*negativeTimes, 1774746000 - 1), -7200);  // 2026-03-29 01:00 UTC
    EXPECT_EQ(offsetAt(*negativeTimes, 1774746000), -3600);
}

TEST(PosixTimeZoneRule, RefusesMalformedRules)
{
    for (const char* bad : {"", "AB0", "CET", "CET-1CEST,M13.1.0,M10.5.0", "CET-1CEST,M3.5.0",
             "CET-1CEST,M3.5.0,M10.5.0/200", "CET-25", "CET-1CEST,M3.6.0,M10.5.0", "CET-1CEST,J0,J365",
             "CET-1CEST,M3.5.0,M10.5.0 ", "<AB>0", "<+01-1", "CET-1:60"})
        EXPECT_FALSE(parsePosixTimeZoneRule(bad)) << bad;
}

}  // namespace
