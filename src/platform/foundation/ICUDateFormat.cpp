#include "platform/foundation/ICUDateFormat.h"

#include <algorithm>
#include <memory>
#include <unicode/calendar.h>
#include <unicode/dtfmtsym.h>
#include <unicode/smpdtfmt.h>
#include <unicode/uchar.h>

#include "platform/foundation/DateInstant.h"
#include "platform/foundation/ICUSupport.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/RulesTimeZone.h"

namespace plat::detail {

// One ICU format and the calendar it reads into. Each remembers the rules of
// the zone it was last given (holding them, so that the identity cannot
// pass to other rules), so that a zone is handed over only when it changes.
struct PooledDateFormat {
    std::unique_ptr<icu::SimpleDateFormat> format;  // null for an empty pattern or one ICU refused
    std::unique_ptr<icu::Calendar> readingCalendar;
    std::shared_ptr<const TimeZoneRules> formatZone;
    std::shared_ptr<const TimeZoneRules> readingZone;
};

namespace {

// 1950-01-01 00:00 UTC: two-digit years name 1950 to 2049, as on the
// platform (ICU's own default moves with the real clock).
constexpr double kTwoDigitYearStartMilliseconds = -631152000.0 * 1000.0;
// Fields the text leaves out are those of 2000-01-01 00:00 in the zone.
constexpr double kDefaultLocalMilliseconds = 946684800.0 * 1000.0;

ICUObjectPool<PooledDateFormat>& formatPool()
{
    // Never destroyed: formatters in use during process exit find it alive.
    static auto* pool = new ICUObjectPool<PooledDateFormat>();
    return *pool;
}

bool isAsciiLetter(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

bool isICUPatternLetter(char letter)
{
    static const std::string letters = utf8FromUnicode(icu::UnicodeString(icu::DateFormatSymbols::getPatternUChars()));
    return isAsciiLetter(letter) && letters.find(letter) != std::string::npos;
}

// The pattern with every run of text quoted, letters that are no pattern
// letters of ICU's included: they have always been kept as text here, where
// ICU would stop writing at the first of them. Quotes follow the pattern
// rules ('' is a quote, an unclosed quote runs to the end).
std::string icuPattern(std::string_view pattern)
{
    std::string result;
    std::string text;
    // '' is a quote in or out of quotes, so a quote that would open quoted
    // text must not be followed by one: leading quotes go before it.
    auto endText = [&] {
        const size_t leadingQuotes = std::min(text.find_first_not_of('\''), text.size());
        for (size_t i = 0; i < leadingQuotes; ++i)
            result += "''";
        if (leadingQuotes < text.size()) {
            result += '\'';
            for (const char c : std::string_view(text).substr(leadingQuotes))
                result += c == '\'' ? std::string_view("''") : std::string_view(&c, 1);
            result += '\'';
        }
        text.clear();
    };
    bool quoted = false;
    for (size_t i = 0; i < pattern.size(); ++i) {
        const char c = pattern[i];
        if (c == '\'') {
            if (i + 1 < pattern.size() && pattern[i + 1] == '\'') {
                text += '\'';
                ++i;
            } else {
                quoted = !quoted;
            }
        } else if (!quoted && isICUPatternLetter(c)) {
            endText();
            result += c;
        } else {
            text += c;
        }
    }
    endText();
    return result;
}

// ICU 72 divides by zero reading a fraction of 35 digits or more, which
// kills the process (SIGFPE). No field holds even half as many digits, so
// text with a longer run is no date. Format characters (a left-to-right
// mark, say) between digits do not end a run.
constexpr int32_t kMaximumDigitRun = 32;

bool hasOverlongDigitRun(const icu::UnicodeString& text)
{
    int32_t run = 0;
    for (int32_t i = 0; i < text.length(); i = text.moveIndex32(i, 1)) {
        const UChar32 c = text.char32At(i);
        if (u_isdigit(c)) {
            if (++run > kMaximumDigitRun)
                return true;
        } else if (u_charType(c) != U_FORMAT_CHAR) {
            run = 0;
        }
    }
    return false;
}

std::string poolKey(const std::string& localeIdentifier, const std::string& pattern)
{
    return std::to_string(localeIdentifier.size()) + ":" + localeIdentifier + pattern;
}

std::unique_ptr<PooledDateFormat> makeFormat(const std::string& localeIdentifier, const std::string& pattern)
{
    auto pooled = std::make_unique<PooledDateFormat>();
    const std::string converted = icuPattern(pattern);
    // Only empty quotes ("'"): no pattern, which writes and reads nothing,
    // as an empty one does.
    if (converted.empty())
        return pooled;
    UErrorCode status = U_ZERO_ERROR;
    auto format
        = std::make_unique<icu::SimpleDateFormat>(unicodeFromUtf8(converted), icuLocaleFor(localeIdentifier), status);
    if (U_SUCCESS(status)) {
        // Strict, as the platform's formatter is unless asked otherwise.
        format->setLenient(false);
        format->set2DigitYearStart(kTwoDigitYearStartMilliseconds, status);
    }
    if (U_FAILURE(status)) {
        log("date format: ICU refuses the pattern \"{}\" for {}: {}", pattern, localeIdentifier, u_errorName(status));
        return pooled;
    }
    pooled->readingCalendar.reset(format->getCalendar()->clone());
    pooled->format = std::move(format);
    return pooled;
}

}  // namespace

LentDateFormat::LentDateFormat(const std::string& localeIdentifier, const std::string& pattern)
    : _format(formatPool().lend(
        poolKey(localeIdentifier, pattern), [&](const std::string&) { return makeFormat(localeIdentifier, pattern); }))
{
}

LentDateFormat::~LentDateFormat() = default;

std::string LentDateFormat::format(Date date, const TimeZone& timeZone)
{
    PooledDateFormat& pooled = *_format;
    if (!pooled.format)
        return {};
    if (pooled.formatZone != rulesOf(timeZone)) {
        pooled.format->adoptTimeZone(RulesTimeZone::forTimeZone(timeZone).release());
        pooled.formatZone = rulesOf(timeZone);
    }
    icu::UnicodeString text;
    pooled.format->format(icuMilliseconds(instantFromDate(date)), text);
    return utf8FromUnicode(text);
}

std::optional<Date> LentDateFormat::parse(std::string_view text, const TimeZone& timeZone)
{
    PooledDateFormat& pooled = *_format;
    if (!pooled.format)
        return std::nullopt;
    const icu::UnicodeString unicode = unicodeFromUtf8(text);
    if (hasOverlongDigitRun(unicode))
        return std::nullopt;
    icu::Calendar& calendar = *pooled.readingCalendar;
    if (pooled.readingZone != rulesOf(timeZone)) {
        calendar.adoptTimeZone(RulesTimeZone::forTimeZone(timeZone).release());
        pooled.readingZone = rulesOf(timeZone);
    }
    const icu::TimeZone* zone = &calendar.getTimeZone();
    UErrorCode status = U_ZERO_ERROR;
    int32_t rawOffset = 0;
    int32_t dstOffset = 0;
    zone->getOffset(kDefaultLocalMilliseconds, /*local=*/true, rawOffset, dstOffset, status);
    calendar.setTime(kDefaultLocalMilliseconds - rawOffset - dstOffset, status);
    if (U_FAILURE(status))
        return std::nullopt;

    icu::ParsePosition position(0);
    pooled.format->parse(unicode, calendar, position);
    // A zone named in the text takes the calendar's place.
    if (&calendar.getTimeZone() != zone)
        pooled.readingZone.reset();
    if (position.getErrorIndex() >= 0 || position.getIndex() != unicode.length())
        return std::nullopt;
    const UDate milliseconds = calendar.getTime(status);
    if (U_FAILURE(status))
        return std::nullopt;
    return Date::withTimeIntervalSince1970(milliseconds / 1000.0);
}

}  // namespace plat::detail
