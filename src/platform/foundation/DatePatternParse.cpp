#include <algorithm>
#include <array>
#include <cstdint>
#include <string_view>

#include "platform/foundation/CalendarArithmetic.h"
#include "platform/foundation/DatePattern.h"

namespace plat::detail {

namespace {

// Fields missing from the text are those of this date, as on the platform.
constexpr int64_t kDefaultYear = 2000;
// Two-digit years name 1950...2049.
constexpr int64_t kTwoDigitYearPivot = 50;
constexpr int kMaximumYearDigits = 9;
constexpr int kMaximumFractionDigits = 9;

struct ZoneAbbreviation {
    std::string_view name;
    int32_t utcOffsetSeconds;
};

// Abbreviations read without a zone to ask: universal time, RFC 822's
// American zones, and the European ones.
constexpr std::array<ZoneAbbreviation, 18> kKnownAbbreviations {{
    {"UTC", 0},
    {"GMT", 0},
    {"UT", 0},
    {"Z", 0},
    {"EST", -5 * 3600},
    {"EDT", -4 * 3600},
    {"CST", -6 * 3600},
    {"CDT", -5 * 3600},
    {"MST", -7 * 3600},
    {"MDT", -6 * 3600},
    {"PST", -8 * 3600},
    {"PDT", -7 * 3600},
    {"WET", 0},
    {"WEST", 1 * 3600},
    {"CET", 1 * 3600},
    {"CEST", 2 * 3600},
    {"EET", 2 * 3600},
    {"EEST", 3 * 3600},
}};

class TextCursor {
public:
    explicit TextCursor(std::string_view text)
        : _text(text)
    {
    }

    bool atEnd() const { return _position >= _text.size(); }
    size_t position() const { return _position; }
    void moveTo(size_t position) { _position = position; }
    char peek(size_t ahead = 0) const { return _position + ahead < _text.size() ? _text[_position + ahead] : '\0'; }
    std::string_view rest() const { return _text.substr(_position); }

    bool accept(std::string_view expected)
    {
        if (rest().substr(0, expected.size()) != expected)
            return false;
        _position += expected.size();
        return true;
    }

    // minDigits...maxDigits decimal digits, as many as there are.
    std::optional<int64_t> number(int minDigits, int maxDigits, int* digitsRead = nullptr)
    {
        int64_t value = 0;
        int digits = 0;
        while (digits < maxDigits && isDigit(peek())) {
            value = value * 10 + (peek() - '0');
            ++_position;
            ++digits;
        }
        if (digitsRead)
            *digitsRead = digits;
        if (digits < minDigits) {
            _position -= static_cast<size_t>(digits);
            return std::nullopt;
        }
        return value;
    }

    static bool isDigit(char c) { return c >= '0' && c <= '9'; }

private:
    std::string_view _text;
    size_t _position = 0;
};

char lowercased(char c)
{
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool startsWithIgnoringCase(std::string_view text, std::string_view prefix)
{
    if (prefix.empty() || text.size() < prefix.size())
        return false;
    for (size_t i = 0; i < prefix.size(); ++i) {
        if (lowercased(text[i]) != lowercased(prefix[i]))
            return false;
    }
    return true;
}

// The index of the longest name that the text begins with, in any of the lists.
template <size_t N, typename... MoreLists>
std::optional<size_t> acceptName(
    TextCursor& cursor, const std::array<const char*, N>& names, const MoreLists&... moreNames)
{
    std::optional<size_t> best;
    size_t bestLength = 0;
    for (const std::array<const char*, N>* list : {&names, &moreNames...}) {
        for (size_t i = 0; i < N; ++i) {
            const std::string_view name((*list)[i]);
            if (name.size() > bestLength && startsWithIgnoringCase(cursor.rest(), name)) {
                best = i;
                bestLength = name.size();
            }
        }
    }
    if (best)
        cursor.moveTo(cursor.position() + bestLength);
    return best;
}

struct ParsedFields {
    std::optional<int64_t> era;
    std::optional<int64_t> year;
    bool yearHasTwoDigits = false;
    std::optional<int64_t> month;
    std::optional<int64_t> day;
    std::optional<int64_t> dayOfYear;
    std::optional<int64_t> hourOfDay;  // 0...23, from H or k
    std::optional<int64_t> hourOfHalfDay;  // 0...11, from h or K
    std::optional<bool> isAfternoon;
    std::optional<int64_t> minute;
    std::optional<int64_t> second;
    std::optional<int64_t> nanosecond;
    std::optional<int64_t> utcOffsetSeconds;
    std::string zoneAbbreviation;  // a name only the calendar's zone can confirm
};

bool isNumericField(const DatePatternToken& token)
{
    switch (token.letter) {
    case 'y':
    case 'd':
    case 'D':
    case 'h':
    case 'H':
    case 'k':
    case 'K':
    case 'm':
    case 's':
    case 'S':
        return true;
    case 'M':
    case 'L':
        return token.count <= 2;
    default:
        return false;
    }
}

int maximumDigits(char letter)
{
    switch (letter) {
    case 'y':
        return kMaximumYearDigits;
    case 'S':
        return kMaximumFractionDigits;
    case 'D':
        return 3;
    default:
        return 2;
    }
}

// "+02", "+0200", "+02:00", "+020015", "+02:00:15", "+2".
std::optional<int64_t> acceptNumericOffset(TextCursor& cursor)
{
    const char sign = cursor.peek();
    if (sign != '+' && sign != '-')
        return std::nullopt;
    const size_t start = cursor.position();
    cursor.moveTo(start + 1);
    int digits = 0;
    const auto run = cursor.number(1, 6, &digits);
    int64_t hours = 0;
    int64_t minutes = 0;
    int64_t seconds = 0;
    bool valid = run.has_value();
    if (valid && digits <= 2) {
        hours = *run;
        if (cursor.peek() == ':' && TextCursor::isDigit(cursor.peek(1))) {
            cursor.moveTo(cursor.position() + 1);
            const auto m = cursor.number(2, 2);
            valid = m.has_value();
            minutes = m.value_or(0);
            if (valid && cursor.peek() == ':' && TextCursor::isDigit(cursor.peek(1))) {
                cursor.moveTo(cursor.position() + 1);
                const auto s = cursor.number(2, 2);
                valid = s.has_value();
                seconds = s.value_or(0);
            }
        }
    } else if (valid && (digits == 3 || digits == 4)) {
        hours = *run / 100;
        minutes = *run % 100;
    } else if (valid && digits == 6) {
        hours = *run / 10000;
        minutes = *run / 100 % 100;
        seconds = *run % 100;
    } else {
        valid = false;
    }
    if (!valid || hours > 23 || minutes > 59 || seconds > 59) {
        cursor.moveTo(start);
        return std::nullopt;
    }
    const int64_t offset = hours * 3600 + minutes * 60 + seconds;
    return sign == '-' ? -offset : offset;
}

// Any of the zone forms, whichever letter the pattern used: "Z", "+02:00",
// "GMT", "GMT+2", "UTC-05:30", or an abbreviation.
bool acceptZone(TextCursor& cursor, ParsedFields& fields)
{
    if (cursor.accept("GMT") || cursor.accept("UTC") || cursor.accept("UT")) {
        fields.utcOffsetSeconds = acceptNumericOffset(cursor).value_or(0);
        return true;
    }
    if (auto offset = acceptNumericOffset(cursor)) {
        fields.utcOffsetSeconds = offset;
        return true;
    }
    size_t length = 0;
    const std::string_view rest = cursor.rest();
    while (length < rest.size()
        && ((rest[length] >= 'A' && rest[length] <= 'Z') || (rest[length] >= 'a' && rest[length] <= 'z')))
        ++length;
    if (length == 0)
        return false;
    const std::string_view word = rest.substr(0, length);
    cursor.moveTo(cursor.position() + length);
    for (const ZoneAbbreviation& known : kKnownAbbreviations) {
        if (known.name == word) {
            fields.utcOffsetSeconds = known.utcOffsetSeconds;
            return true;
        }
    }
    fields.zoneAbbreviation = std::string(word);
    return true;
}

bool acceptNumericField(TextCursor& cursor, const DatePatternToken& token, bool nextIsNumeric, ParsedFields& fields)
{
    // Numbers that abut the next number have exactly the pattern's width,
    // as in "yyyyMMdd"; the others take as many digits as they may.
    const int maxDigits = maximumDigits(token.letter);
    const int exact = std::min(token.count, maxDigits);
    int digits = 0;
    const auto value = nextIsNumeric ? cursor.number(exact, exact, &digits) : cursor.number(1, maxDigits, &digits);
    if (!value)
        return false;
    auto inRange = [&](int64_t low, int64_t high) { return *value >= low && *value <= high; };
    switch (token.letter) {
    case 'y':
        fields.year = *value;
        fields.yearHasTwoDigits = token.count <= 2 && digits == 2;
        return true;
    case 'M':
    case 'L':
        fields.month = *value;
        return inRange(1, 12);
    case 'd':
        fields.day = *value;
        return inRange(1, 31);
    case 'D':
        fields.dayOfYear = *value;
        return inRange(1, 366);
    case 'H':
        fields.hourOfDay = *value;
        return inRange(0, 23);
    case 'k':
        fields.hourOfDay = *value % 24;
        return inRange(1, 24);
    case 'h':
        fields.hourOfHalfDay = *value % 12;
        return inRange(1, 12);
    case 'K':
        fields.hourOfHalfDay = *value;
        return inRange(0, 11);
    case 'm':
        fields.minute = *value;
        return inRange(0, 59);
    case 's':
        fields.second = *value;
        return inRange(0, 59);
    case 'S': {
        int64_t nanoseconds = *value;
        for (int i = digits; i < kMaximumFractionDigits; ++i)
            nanoseconds *= 10;
        fields.nanosecond = nanoseconds;
        return true;
    }
    default:
        return false;
    }
}

bool acceptTextField(
    TextCursor& cursor, const DatePatternToken& token, const DateSymbols& symbols, ParsedFields& fields)
{
    switch (token.letter) {
    case 'G': {
        const auto era = acceptName(cursor, symbols.eras, symbols.longEras, symbols.veryShortEras);
        if (era)
            fields.era = static_cast<int64_t>(*era);
        return era.has_value();
    }
    case 'M':
    case 'L': {
        const auto month = acceptName(cursor, symbols.months, symbols.shortMonths, symbols.standaloneShortMonths);
        if (month)
            fields.month = static_cast<int64_t>(*month) + 1;
        return month.has_value();
    }
    case 'E':
        // The weekday is read but not checked against the date, as on the platform.
        return acceptName(cursor, symbols.weekdays, symbols.shortWeekdays).has_value();
    case 'a': {
        const auto mark = acceptName(cursor, std::array<const char*, 2> {symbols.amSymbol, symbols.pmSymbol});
        if (mark)
            fields.isAfternoon = *mark == 1;
        return mark.has_value();
    }
    case 'Z':
    case 'z':
    case 'X':
    case 'x':
        return acceptZone(cursor, fields);
    default:
        return false;
    }
}

std::optional<Date> resolve(const ParsedFields& fields, const Calendar& calendar)
{
    Calendar zoned = calendar;
    if (fields.utcOffsetSeconds) {
        auto fixed = TimeZone::timeZoneForSecondsFromGMT(*fields.utcOffsetSeconds);
        if (!fixed)
            return std::nullopt;
        zoned.setTimeZone(*fixed);
    }
    const int64_t era = fields.era.value_or(1);
    int64_t yearOfEra = fields.year.value_or(kDefaultYear);
    if (fields.yearHasTwoDigits)
        yearOfEra += yearOfEra < kTwoDigitYearPivot ? 2000 : 1900;
    if (yearOfEra < 1)
        return std::nullopt;
    const int64_t year = era == 0 ? 1 - yearOfEra : yearOfEra;
    int64_t month = fields.month.value_or(1);
    int64_t day = fields.day.value_or(1);
    if (fields.day) {
        if (day > daysInMonth(year, static_cast<int>(month)))
            return std::nullopt;
    } else if (fields.dayOfYear) {
        if (*fields.dayOfYear > (isLeapYear(year) ? 366 : 365))
            return std::nullopt;
        month = 1;
        day = *fields.dayOfYear;
    }
    int64_t hour = 0;
    if (fields.hourOfDay)
        hour = *fields.hourOfDay;
    else if (fields.hourOfHalfDay)
        hour = *fields.hourOfHalfDay + (fields.isAfternoon.value_or(false) ? 12 : 0);

    DateComponents components;
    components.setEra(era);
    components.setYear(yearOfEra);
    components.setMonth(month);
    components.setDay(day);
    components.setHour(hour);
    components.setMinute(fields.minute.value_or(0));
    components.setSecond(fields.second.value_or(0));
    components.setNanosecond(fields.nanosecond.value_or(0));
    auto date = zoned.dateFromComponents(components);
    if (date && !fields.zoneAbbreviation.empty()
        && zoned.timeZone().abbreviationForDate(*date) != fields.zoneAbbreviation)
        return std::nullopt;
    return date;
}

}  // namespace

std::optional<Date> parseDatePattern(const std::vector<DatePatternToken>& tokens, std::string_view text,
    const Calendar& calendar, const DateSymbols& symbols)
{
    TextCursor cursor(text);
    ParsedFields fields;
    for (size_t i = 0; i < tokens.size(); ++i) {
        const DatePatternToken& token = tokens[i];
        if (token.letter == 0) {
            if (!cursor.accept(token.literal))
                return std::nullopt;
            continue;
        }
        if (isNumericField(token)) {
            const bool nextIsNumeric = i + 1 < tokens.size() && isNumericField(tokens[i + 1]);
            if (!acceptNumericField(cursor, token, nextIsNumeric, fields))
                return std::nullopt;
        } else if (!acceptTextField(cursor, token, symbols, fields)) {
            return std::nullopt;
        }
    }
    if (!cursor.atEnd())
        return std::nullopt;
    return resolve(fields, calendar);
}

}  // namespace plat::detail
