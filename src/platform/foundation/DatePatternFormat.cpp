#include <algorithm>
#include <cstdio>
#include <string_view>

#include "platform/foundation/CalendarArithmetic.h"
#include "platform/foundation/DatePattern.h"

namespace plat::detail {

namespace {

// A date's fields in one time zone.
struct DateFields {
    int64_t era = 1;
    int64_t yearOfEra = 1;
    int64_t month = 1;
    int64_t day = 1;
    int64_t dayOfYear = 1;
    int64_t weekday = 1;
    int64_t hour = 0;
    int64_t minute = 0;
    int64_t second = 0;
    int64_t nanosecond = 0;
    int64_t utcOffsetSeconds = 0;
    std::string abbreviation;
};

std::string padded(int64_t value, int width)
{
    const bool negative = value < 0;
    // Digits of the magnitude without negating (the smallest value has no positive twin).
    std::string digits;
    do {
        const int64_t digit = value % 10;
        digits.insert(digits.begin(), static_cast<char>('0' + (digit < 0 ? -digit : digit)));
        value /= 10;
    } while (value != 0);
    if (static_cast<int>(digits.size()) < width)
        digits.insert(0, static_cast<size_t>(width) - digits.size(), '0');
    return negative ? "-" + digits : digits;
}

char signOf(int64_t offsetSeconds)
{
    return offsetSeconds < 0 ? '-' : '+';
}

struct OffsetParts {
    int hours;
    int minutes;
    int seconds;
};

OffsetParts partsOf(int64_t offsetSeconds)
{
    const int64_t magnitude = offsetSeconds < 0 ? -offsetSeconds : offsetSeconds;
    return {
        static_cast<int>(magnitude / 3600), static_cast<int>(magnitude % 3600 / 60), static_cast<int>(magnitude % 60)};
}

enum class MinutesShown { Always, WhenNotZero };
enum class SecondsShown { Never, WhenNotZero };

// ISO 8601 offsets: "+02", "+0230", "+02:30", "+02:30:15".
std::string isoOffset(int64_t offsetSeconds, std::string_view separator, MinutesShown minutes, SecondsShown seconds)
{
    const OffsetParts parts = partsOf(offsetSeconds);
    std::string text(1, signOf(offsetSeconds));
    text += padded(parts.hours, 2);
    if (minutes == MinutesShown::Always || parts.minutes != 0
        || (seconds == SecondsShown::WhenNotZero && parts.seconds != 0)) {
        text += separator;
        text += padded(parts.minutes, 2);
    }
    if (seconds == SecondsShown::WhenNotZero && parts.seconds != 0) {
        text += separator;
        text += padded(parts.seconds, 2);
    }
    return text;
}

enum class GMTForm { Short, Long };

// The localized GMT format: "GMT+2" and "GMT+5:30" short, "GMT+02:00" long, "GMT" for 0.
std::string gmtOffset(int64_t offsetSeconds, GMTForm form)
{
    if (offsetSeconds == 0)
        return "GMT";
    const OffsetParts parts = partsOf(offsetSeconds);
    std::string text = "GMT";
    text += signOf(offsetSeconds);
    if (form == GMTForm::Long) {
        text += padded(parts.hours, 2) + ":" + padded(parts.minutes, 2);
    } else {
        text += std::to_string(parts.hours);
        if (parts.minutes != 0)
            text += ":" + padded(parts.minutes, 2);
    }
    if (parts.seconds != 0)
        text += ":" + padded(parts.seconds, 2);
    return text;
}

std::string isoZone(int64_t offsetSeconds, int count, bool zeroIsZ)
{
    if (zeroIsZ && offsetSeconds == 0)
        return "Z";
    switch (count) {
    case 1:
        return isoOffset(offsetSeconds, "", MinutesShown::WhenNotZero, SecondsShown::Never);
    case 2:
        return isoOffset(offsetSeconds, "", MinutesShown::Always, SecondsShown::Never);
    case 3:
        return isoOffset(offsetSeconds, ":", MinutesShown::Always, SecondsShown::Never);
    case 4:
        return isoOffset(offsetSeconds, "", MinutesShown::Always, SecondsShown::WhenNotZero);
    default:
        return isoOffset(offsetSeconds, ":", MinutesShown::Always, SecondsShown::WhenNotZero);
    }
}

std::string zoneAbbreviation(const DateFields& fields)
{
    // Zones without a name of their own carry numbers ("+1030"); the
    // platform writes those in the GMT form.
    const std::string& abbreviation = fields.abbreviation;
    if (abbreviation.empty() || abbreviation.front() == '+' || abbreviation.front() == '-'
        || (abbreviation.front() >= '0' && abbreviation.front() <= '9'))
        return gmtOffset(fields.utcOffsetSeconds, GMTForm::Short);
    return abbreviation;
}

template <size_t N>
const char* nameByWidth(int count, const std::array<const char*, N>& abbreviated,
    const std::array<const char*, N>& wide, const std::array<const char*, N>& narrow, size_t index)
{
    if (count == 4)
        return wide[index];
    if (count == 5)
        return narrow[index];
    return abbreviated[index];
}

std::string formatField(const DatePatternToken& token, const DateFields& fields, const DateSymbols& symbols)
{
    const int count = token.count;
    const int64_t hour = fields.hour;
    switch (token.letter) {
    case 'G':
        return nameByWidth(count, symbols.eras, symbols.longEras, symbols.veryShortEras, fields.era == 0 ? 0 : 1);
    case 'y':
        return count == 2 ? padded(fields.yearOfEra % 100, 2) : padded(fields.yearOfEra, count);
    case 'M':
    case 'L': {
        const auto index = static_cast<size_t>(fields.month - 1);
        if (count <= 2)
            return padded(fields.month, count);
        if (count == 3)
            return token.letter == 'M' ? symbols.shortMonths[index] : symbols.standaloneShortMonths[index];
        return count == 4 ? symbols.months[index] : symbols.veryShortMonths[index];
    }
    case 'd':
        return padded(fields.day, count);
    case 'D':
        return padded(fields.dayOfYear, count);
    case 'E': {
        const auto index = static_cast<size_t>(fields.weekday - 1);
        return nameByWidth(count, symbols.shortWeekdays, symbols.weekdays, symbols.veryShortWeekdays, index);
    }
    case 'a':
        return hour < 12 ? symbols.amSymbol : symbols.pmSymbol;
    case 'h':
        return padded(hour % 12 == 0 ? 12 : hour % 12, count);
    case 'H':
        return padded(hour, count);
    case 'k':
        return padded(hour == 0 ? 24 : hour, count);
    case 'K':
        return padded(hour % 12, count);
    case 'm':
        return padded(fields.minute, count);
    case 's':
        return padded(fields.second, count);
    case 'S': {
        // A date's double holds about a tenth of a microsecond today, so
        // 0.678 may arrive as 0.677999973: round to whole microseconds, then
        // truncate to the digits asked for (0.9996 s is "999", never "1000").
        const int64_t microseconds = std::min<int64_t>((fields.nanosecond + 500) / 1000, 999'999);
        std::string digits = padded(microseconds * 1000, 9);
        if (count <= 9)
            return digits.substr(0, static_cast<size_t>(count));
        return digits + std::string(static_cast<size_t>(count - 9), '0');
    }
    case 'Z':
        if (count <= 3)
            return isoOffset(fields.utcOffsetSeconds, "", MinutesShown::Always, SecondsShown::Never);
        if (count == 4)
            return gmtOffset(fields.utcOffsetSeconds, GMTForm::Long);
        return isoZone(fields.utcOffsetSeconds, 5, /*zeroIsZ=*/true);
    case 'z':
        return count <= 3 ? zoneAbbreviation(fields) : gmtOffset(fields.utcOffsetSeconds, GMTForm::Long);
    case 'X':
        return isoZone(fields.utcOffsetSeconds, count, /*zeroIsZ=*/true);
    case 'x':
        return isoZone(fields.utcOffsetSeconds, count, /*zeroIsZ=*/false);
    default:
        return std::string(static_cast<size_t>(count), token.letter);
    }
}

DateFields dateFieldsOf(Date date, const Calendar& calendar)
{
    constexpr CalendarUnit kUnits = CalendarUnit::Era | CalendarUnit::Year | CalendarUnit::Month | CalendarUnit::Day
        | CalendarUnit::Hour | CalendarUnit::Minute | CalendarUnit::Second | CalendarUnit::Nanosecond
        | CalendarUnit::Weekday;
    const DateComponents components = calendar.components(kUnits, date);
    DateFields fields;
    fields.era = components.era();
    fields.yearOfEra = components.year();
    fields.month = components.month();
    fields.day = components.day();
    const int64_t year = fields.era == 0 ? 1 - fields.yearOfEra : fields.yearOfEra;
    fields.dayOfYear = daysFromCivil(year, static_cast<int>(fields.month), fields.day) - daysFromCivil(year, 1, 1) + 1;
    fields.weekday = components.weekday();
    fields.hour = components.hour();
    fields.minute = components.minute();
    fields.second = components.second();
    fields.nanosecond = components.nanosecond();
    // The offset of the moment itself, as the calendar used it.
    const Date whole = Date::withTimeIntervalSince1970(static_cast<double>(instantFromDate(date).seconds));
    fields.utcOffsetSeconds = calendar.timeZone().secondsFromGMTForDate(whole);
    fields.abbreviation = calendar.timeZone().abbreviationForDate(whole);
    return fields;
}

bool isAsciiLetter(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

void appendLiteral(std::vector<DatePatternToken>& tokens, std::string_view text)
{
    if (text.empty())
        return;
    if (tokens.empty() || tokens.back().letter != 0)
        tokens.push_back({});
    tokens.back().literal += text;
}

}  // namespace

bool isDatePatternField(char letter)
{
    constexpr std::string_view kFieldLetters = "GyMLdDEahHkKmsSZzXx";
    return letter != 0 && kFieldLetters.find(letter) != std::string_view::npos;
}

std::vector<DatePatternToken> tokenizeDatePattern(std::string_view pattern)
{
    std::vector<DatePatternToken> tokens;
    size_t i = 0;
    while (i < pattern.size()) {
        const char c = pattern[i];
        if (c == '\'') {
            if (i + 1 < pattern.size() && pattern[i + 1] == '\'') {
                appendLiteral(tokens, "'");
                i += 2;
                continue;
            }
            // Quoted text up to the closing quote ('' inside stands for one);
            // an unclosed quote runs to the end.
            ++i;
            std::string quoted;
            while (i < pattern.size()) {
                if (pattern[i] == '\'') {
                    if (i + 1 < pattern.size() && pattern[i + 1] == '\'') {
                        quoted += '\'';
                        i += 2;
                        continue;
                    }
                    ++i;
                    break;
                }
                quoted += pattern[i++];
            }
            appendLiteral(tokens, quoted);
        } else if (isAsciiLetter(c) && isDatePatternField(c)) {
            size_t end = i;
            while (end < pattern.size() && pattern[end] == c)
                ++end;
            tokens.push_back({c, static_cast<int>(end - i), {}});
            i = end;
        } else {
            appendLiteral(tokens, pattern.substr(i, 1));
            ++i;
        }
    }
    return tokens;
}

std::string formatDatePattern(
    const std::vector<DatePatternToken>& tokens, Date date, const Calendar& calendar, const DateSymbols& symbols)
{
    const DateFields fields = dateFieldsOf(date, calendar);
    std::string text;
    for (const DatePatternToken& token : tokens)
        text += token.letter == 0 ? token.literal : formatField(token, fields, symbols);
    return text;
}

}  // namespace plat::detail
