// Dates written and read with the app's own patterns, 100,000 at a time: the
// project folder and recording names ("yyyy-MM-dd-HH-mm-ss", local time), the
// fetcher's log lines ("yyyy-MM-dd HH:mm:ss Z", UTC) and its run stamp
// ("M-dd_hh-mm-ssa"). Ours against ICU's SimpleDateFormat used directly, with
// the same locale, zone and strictness. The callers make a formatter for
// each date they write, so that is measured too, and so is the explorer's
// relative medium date.
#include <benchmark/benchmark.h>
#include <memory>
#include <string>
#include <unicode/smpdtfmt.h>
#include <unicode/timezone.h>
#include <vector>

#include "BenchRatio.h"
#include "platform/foundation/DateFormatter.h"

namespace {

constexpr int kDates = 100'000;
constexpr double kFirstDate = 946684800;  // 2000-01-01 00:00 UTC
constexpr double kDateSpacingSeconds = 9467.3;  // the dates span thirty years

struct ProjectPattern {
    const char* pattern;
    const char* locale;
    const char* zone;
};

// By benchmark argument.
constexpr ProjectPattern kPatterns[] = {
    {"yyyy-MM-dd-HH-mm-ss", "en_US_POSIX", "Europe/Berlin"},
    {"yyyy-MM-dd HH:mm:ss Z", "en_US", "UTC"},
    {"M-dd_hh-mm-ssa", "en_US", "Europe/Berlin"},
};
constexpr int kParsedPatterns = 2;  // the first two are also read back

plat::Date dateNumber(int index)
{
    return plat::Date::withTimeIntervalSince1970(kFirstDate + index * kDateSpacingSeconds);
}

plat::DateFormatter ourFormatter(const ProjectPattern& pattern)
{
    plat::DateFormatter formatter;
    formatter.setLocale(plat::Locale(pattern.locale));
    formatter.setTimeZone(plat::TimeZone::timeZoneWithName(pattern.zone).value_or(plat::TimeZone::utc()));
    formatter.setDateFormat(pattern.pattern);
    return formatter;
}

std::unique_ptr<icu::SimpleDateFormat> icuFormatter(const ProjectPattern& pattern)
{
    UErrorCode status = U_ZERO_ERROR;
    auto formatter = std::make_unique<icu::SimpleDateFormat>(
        icu::UnicodeString::fromUTF8(pattern.pattern), icu::Locale(pattern.locale), status);
    formatter->adoptTimeZone(icu::TimeZone::createTimeZone(pattern.zone));
    formatter->setLenient(false);
    return formatter;
}

std::string icuText(icu::SimpleDateFormat& formatter, plat::Date date)
{
    icu::UnicodeString text;
    formatter.format(date.timeIntervalSince1970() * 1000.0, text);
    std::string utf8;
    text.toUTF8String(utf8);
    return utf8;
}

std::vector<std::string> textsOf(const ProjectPattern& pattern)
{
    const plat::DateFormatter formatter = ourFormatter(pattern);
    std::vector<std::string> texts;
    texts.reserve(kDates);
    for (int i = 0; i < kDates; ++i)
        texts.push_back(formatter.stringFromDate(dateNumber(i)));
    return texts;
}

void DatesFormatOurs(benchmark::State& state)
{
    const plat::DateFormatter formatter = ourFormatter(kPatterns[state.range(0)]);
    for (auto _ : state) {
        for (int i = 0; i < kDates; ++i)
            benchmark::DoNotOptimize(formatter.stringFromDate(dateNumber(i)));
    }
    state.SetItemsProcessed(state.iterations() * kDates);
}

void DatesFormatICU(benchmark::State& state)
{
    auto formatter = icuFormatter(kPatterns[state.range(0)]);
    for (auto _ : state) {
        for (int i = 0; i < kDates; ++i)
            benchmark::DoNotOptimize(icuText(*formatter, dateNumber(i)));
    }
    state.SetItemsProcessed(state.iterations() * kDates);
}

// A new formatter for every date, as the app's callers make them.
void DatesFormatEachOurs(benchmark::State& state)
{
    const ProjectPattern& pattern = kPatterns[state.range(0)];
    for (auto _ : state) {
        for (int i = 0; i < kDates; ++i)
            benchmark::DoNotOptimize(ourFormatter(pattern).stringFromDate(dateNumber(i)));
    }
    state.SetItemsProcessed(state.iterations() * kDates);
}

void DatesFormatEachICU(benchmark::State& state)
{
    const ProjectPattern& pattern = kPatterns[state.range(0)];
    for (auto _ : state) {
        for (int i = 0; i < kDates; ++i)
            benchmark::DoNotOptimize(icuText(*icuFormatter(pattern), dateNumber(i)));
    }
    state.SetItemsProcessed(state.iterations() * kDates);
}

void DatesParseOurs(benchmark::State& state)
{
    const ProjectPattern& pattern = kPatterns[state.range(0)];
    const std::vector<std::string> texts = textsOf(pattern);
    const plat::DateFormatter formatter = ourFormatter(pattern);
    for (auto _ : state) {
        for (const std::string& text : texts)
            benchmark::DoNotOptimize(formatter.dateFromString(text));
    }
    state.SetItemsProcessed(state.iterations() * kDates);
}

void DatesParseICU(benchmark::State& state)
{
    const ProjectPattern& pattern = kPatterns[state.range(0)];
    const std::vector<std::string> texts = textsOf(pattern);
    auto formatter = icuFormatter(pattern);
    for (auto _ : state) {
        for (const std::string& text : texts) {
            const icu::UnicodeString unicode = icu::UnicodeString::fromUTF8(text);
            icu::ParsePosition position(0);
            const UDate date = formatter->parse(unicode, position);
            benchmark::DoNotOptimize(position.getIndex() == unicode.length() ? date : 0.0);
        }
    }
    state.SetItemsProcessed(state.iterations() * kDates);
}

// A recording's title reads its name with a new formatter each time.
void DatesParseEachOurs(benchmark::State& state)
{
    const ProjectPattern& pattern = kPatterns[state.range(0)];
    const std::vector<std::string> texts = textsOf(pattern);
    for (auto _ : state) {
        for (const std::string& text : texts)
            benchmark::DoNotOptimize(ourFormatter(pattern).dateFromString(text));
    }
    state.SetItemsProcessed(state.iterations() * kDates);
}

// The explorer's project dates: the medium style, named near today.
void DatesRelativeMediumEachOurs(benchmark::State& state)
{
    const plat::TimeZone berlin = plat::TimeZone::timeZoneWithName("Europe/Berlin").value_or(plat::TimeZone::utc());
    for (auto _ : state) {
        for (int i = 0; i < kDates; ++i) {
            plat::DateFormatter formatter;
            formatter.setLocale(plat::Locale("en_US"));
            formatter.setTimeZone(berlin);
            formatter.setDateStyle(plat::DateFormatterStyle::Medium);
            formatter.setTimeStyle(plat::DateFormatterStyle::None);
            formatter.setDoesRelativeDateFormatting(/*doesRelativeDateFormatting=*/true);
            benchmark::DoNotOptimize(formatter.stringFromDate(dateNumber(i)));
        }
    }
    state.SetItemsProcessed(state.iterations() * kDates);
}

const zt::bench::Comparison kFormat("DatesFormatOurs", "DatesFormatICU", zt::bench::Measure::CpuTime);
const zt::bench::Comparison kFormatEach("DatesFormatEachOurs", "DatesFormatEachICU", zt::bench::Measure::CpuTime);
const zt::bench::Comparison kParse("DatesParseOurs", "DatesParseICU", zt::bench::Measure::CpuTime);

}  // namespace

BENCHMARK(DatesFormatOurs)->DenseRange(0, std::size(kPatterns) - 1)->Unit(benchmark::kMillisecond);
BENCHMARK(DatesFormatICU)->DenseRange(0, std::size(kPatterns) - 1)->Unit(benchmark::kMillisecond);
BENCHMARK(DatesFormatEachOurs)->DenseRange(0, std::size(kPatterns) - 1)->Unit(benchmark::kMillisecond);
BENCHMARK(DatesFormatEachICU)->DenseRange(0, std::size(kPatterns) - 1)->Unit(benchmark::kMillisecond);
BENCHMARK(DatesParseOurs)->DenseRange(0, kParsedPatterns - 1)->Unit(benchmark::kMillisecond);
BENCHMARK(DatesParseICU)->DenseRange(0, kParsedPatterns - 1)->Unit(benchmark::kMillisecond);
BENCHMARK(DatesParseEachOurs)->DenseRange(0, kParsedPatterns - 1)->Unit(benchmark::kMillisecond);
BENCHMARK(DatesRelativeMediumEachOurs)->Unit(benchmark::kMillisecond);
