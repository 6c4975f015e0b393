#include "platform/foundation/TimeZoneRules.h"

#include <algorithm>
#include <cctype>
#include <cstring>

#include "platform/foundation/CalendarArithmetic.h"

namespace plat::detail {

namespace {

// Offsets beyond a little more than a day are not a real zone's.
constexpr int32_t kMaximumOffsetSeconds = 26 * 3600;
constexpr int kMaximumOffsetHours = 24;
constexpr int kMaximumRuleTimeHours = 167;  // TZif version 3 extends rule times to a week
constexpr size_t kHeaderLength = 44;

class ByteReader {
public:
    ByteReader(const uint8_t* bytes, size_t length)
        : _bytes(bytes)
        , _length(length)
    {
    }

    bool has(uint64_t count) const { return count <= _length - _position; }
    size_t position() const { return _position; }
    const uint8_t* current() const { return _bytes + _position; }

    bool skip(uint64_t count)
    {
        if (!has(count))
            return false;
        _position += static_cast<size_t>(count);
        return true;
    }

    // Big-endian unsigned number of `width` bytes; the caller checked has().
    uint64_t readUnsigned(int width)
    {
        uint64_t value = 0;
        for (int i = 0; i < width; ++i)
            value = (value << 8) | _bytes[_position++];
        return value;
    }

    int64_t readSigned(int width)
    {
        const uint64_t value = readUnsigned(width);
        if (width == 8)
            return static_cast<int64_t>(value);
        const uint64_t signBit = uint64_t {1} << (width * 8 - 1);
        return static_cast<int64_t>(value ^ signBit) - static_cast<int64_t>(signBit);
    }

private:
    const uint8_t* _bytes;
    size_t _length;
    size_t _position = 0;
};

struct TZifHeader {
    char version = 0;
    uint32_t utcIndicatorCount = 0;
    uint32_t standardIndicatorCount = 0;
    uint32_t leapSecondCount = 0;
    uint32_t transitionCount = 0;
    uint32_t typeCount = 0;
    uint32_t characterCount = 0;

    uint64_t dataBlockLength(int timeWidth) const
    {
        const auto width = static_cast<uint64_t>(timeWidth);
        return uint64_t {transitionCount} * (width + 1) + uint64_t {typeCount} * 6 + characterCount
            + uint64_t {leapSecondCount} * (width + 4) + standardIndicatorCount + utcIndicatorCount;
    }
};

std::optional<TZifHeader> readHeader(ByteReader& reader)
{
    if (!reader.has(kHeaderLength))
        return std::nullopt;
    const uint8_t* magic = reader.current();
    if (magic[0] != 'T' || magic[1] != 'Z' || magic[2] != 'i' || magic[3] != 'f')
        return std::nullopt;
    TZifHeader header;
    header.version = static_cast<char>(magic[4]);
    if (header.version != 0 && (header.version < '2' || header.version > '4'))
        return std::nullopt;
    reader.skip(20);
    header.utcIndicatorCount = static_cast<uint32_t>(reader.readUnsigned(4));
    header.standardIndicatorCount = static_cast<uint32_t>(reader.readUnsigned(4));
    header.leapSecondCount = static_cast<uint32_t>(reader.readUnsigned(4));
    header.transitionCount = static_cast<uint32_t>(reader.readUnsigned(4));
    header.typeCount = static_cast<uint32_t>(reader.readUnsigned(4));
    header.characterCount = static_cast<uint32_t>(reader.readUnsigned(4));
    return header;
}

bool isUsableHeader(const TZifHeader& header)
{
    // Transition types are single bytes, so more than 256 types cannot be referred to.
    return header.typeCount >= 1 && header.typeCount <= 256 && header.characterCount >= 1
        && (header.utcIndicatorCount == 0 || header.utcIndicatorCount == header.typeCount)
        && (header.standardIndicatorCount == 0 || header.standardIndicatorCount == header.typeCount);
}

std::optional<std::string> abbreviationAt(const uint8_t* characters, uint32_t count, uint32_t index)
{
    if (index >= count)
        return std::nullopt;
    std::string abbreviation;
    for (uint32_t i = index; i < count; ++i) {
        const uint8_t c = characters[i];
        if (c == 0)
            return abbreviation;
        if (c < 0x20 || c > 0x7e)
            return std::nullopt;
        abbreviation.push_back(static_cast<char>(c));
    }
    return std::nullopt;  // not terminated inside the table
}

// Text input for the POSIX TZ rule.
class RuleCursor {
public:
    explicit RuleCursor(std::string_view text)
        : _text(text)
    {
    }

    bool atEnd() const { return _position >= _text.size(); }
    char peek() const { return atEnd() ? '\0' : _text[_position]; }
    bool accept(char c)
    {
        if (peek() != c || atEnd())
            return false;
        ++_position;
        return true;
    }

    // 1...maxDigits decimal digits.
    std::optional<int> number(int maxDigits)
    {
        int value = 0;
        int digits = 0;
        while (digits < maxDigits && peek() >= '0' && peek() <= '9') {
            value = value * 10 + (peek() - '0');
            ++_position;
            ++digits;
        }
        if (digits == 0)
            return std::nullopt;
        return value;
    }

    std::optional<std::string> zoneName()
    {
        std::string name;
        if (accept('<')) {
            while (!atEnd() && peek() != '>') {
                const char c = peek();
                if (!std::isalnum(static_cast<unsigned char>(c)) && c != '+' && c != '-')
                    return std::nullopt;
                name.push_back(c);
                ++_position;
            }
            if (!accept('>'))
                return std::nullopt;
        } else {
            while (std::isalpha(static_cast<unsigned char>(peek())) && !atEnd()) {
                name.push_back(peek());
                ++_position;
            }
        }
        if (name.size() < 3)
            return std::nullopt;
        return name;
    }

    // [+-]hh[:mm[:ss]], in seconds as written (POSIX offsets count west as positive).
    std::optional<int32_t> signedTime(int maxHours)
    {
        int sign = 1;
        if (accept('-'))
            sign = -1;
        else
            accept('+');
        const auto hours = number(3);
        if (!hours || *hours > maxHours)
            return std::nullopt;
        int minutes = 0;
        int seconds = 0;
        if (accept(':')) {
            const auto m = number(2);
            if (!m || *m > 59)
                return std::nullopt;
            minutes = *m;
            if (accept(':')) {
                const auto s = number(2);
                if (!s || *s > 59)
                    return std::nullopt;
                seconds = *s;
            }
        }
        return sign * (*hours * 3600 + minutes * 60 + seconds);
    }

    std::optional<PosixTimeZoneRule::Change> change()
    {
        using Kind = PosixTimeZoneRule::Change::Kind;
        PosixTimeZoneRule::Change result;
        if (accept('J')) {
            const auto day = number(3);
            if (!day || *day < 1 || *day > 365)
                return std::nullopt;
            result.kind = Kind::JulianDayWithoutLeapDay;
            result.day = *day;
        } else if (accept('M')) {
            const auto month = number(2);
            if (!month || *month < 1 || *month > 12 || !accept('.'))
                return std::nullopt;
            const auto week = number(1);
            if (!week || *week < 1 || *week > 5 || !accept('.'))
                return std::nullopt;
            const auto weekday = number(1);
            if (!weekday || *weekday > 6)
                return std::nullopt;
            result.kind = Kind::MonthWeekDay;
            result.month = *month;
            result.week = *week;
            result.day = *weekday;
        } else {
            const auto day = number(3);
            if (!day || *day > 365)
                return std::nullopt;
            result.kind = Kind::ZeroBasedDay;
            result.day = *day;
        }
        if (accept('/')) {
            const auto time = signedTime(kMaximumRuleTimeHours);
            if (!time)
                return std::nullopt;
            result.localSecondsAfterMidnight = *time;
        }
        return result;
    }

private:
    std::string_view _text;
    size_t _position = 0;
};

int64_t dayOfChange(int64_t year, const PosixTimeZoneRule::Change& change)
{
    using Kind = PosixTimeZoneRule::Change::Kind;
    switch (change.kind) {
    case Kind::JulianDayWithoutLeapDay: {
        // Counts 1...365 and never names February 29.
        const bool afterLeapDay = isLeapYear(year) && change.day >= 60;
        return daysFromCivil(year, 1, 1) + change.day - 1 + (afterLeapDay ? 1 : 0);
    }
    case Kind::ZeroBasedDay:
        return daysFromCivil(year, 1, 1) + change.day;
    case Kind::MonthWeekDay: {
        const int64_t first = daysFromCivil(year, change.month, 1);
        const int firstWeekday = weekdayFromDays(first) - 1;  // 0 = Sunday, as in the rule
        int64_t day = first + (change.day - firstWeekday + 7) % 7 + (change.week - 1) * 7;
        const int64_t last = first + daysInMonth(year, change.month) - 1;
        while (day > last)
            day -= 7;
        return day;
    }
    }
    return 0;
}

}  // namespace

const LocalTimeType& PosixTimeZoneRule::typeAt(int64_t unixSeconds) const
{
    if (!daylight)
        return standard;
    const int64_t localStandard = unixSeconds + standard.utcOffsetSeconds;
    const int64_t year = civilFromDays(floorDivide(localStandard, kSecondsPerDay)).year;
    const int64_t startsAt
        = dayOfChange(year, start) * kSecondsPerDay + start.localSecondsAfterMidnight - standard.utcOffsetSeconds;
    const int64_t endsAt
        = dayOfChange(year, end) * kSecondsPerDay + end.localSecondsAfterMidnight - daylight->utcOffsetSeconds;
    bool inDaylightTime = false;
    if (startsAt < endsAt)
        inDaylightTime = unixSeconds >= startsAt && unixSeconds < endsAt;
    else  // southern hemisphere: daylight time spans the turn of the year
        inDaylightTime = !(unixSeconds >= endsAt && unixSeconds < startsAt);
    return inDaylightTime ? *daylight : standard;
}

std::optional<PosixTimeZoneRule> parsePosixTimeZoneRule(std::string_view text)
{
    RuleCursor cursor(text);
    PosixTimeZoneRule rule;
    auto standardName = cursor.zoneName();
    if (!standardName)
        return std::nullopt;
    const auto standardOffset = cursor.signedTime(kMaximumOffsetHours);
    if (!standardOffset)
        return std::nullopt;
    rule.standard = {-*standardOffset, false, std::move(*standardName)};
    if (cursor.atEnd())
        return rule;

    auto daylightName = cursor.zoneName();
    if (!daylightName)
        return std::nullopt;
    int32_t daylightOffset = rule.standard.utcOffsetSeconds + 3600;  // one hour ahead unless stated
    if (!cursor.atEnd() && cursor.peek() != ',') {
        const auto stated = cursor.signedTime(kMaximumOffsetHours);
        if (!stated)
            return std::nullopt;
        daylightOffset = -*stated;
    }
    rule.daylight = LocalTimeType {daylightOffset, true, std::move(*daylightName)};
    if (cursor.atEnd()) {
        // No rule given: POSIX leaves it to the system; the usual one is the
        // United States' (second Sunday in March to first Sunday in November).
        rule.start = {PosixTimeZoneRule::Change::Kind::MonthWeekDay, 0, 2, 3, 2 * 3600};
        rule.end = {PosixTimeZoneRule::Change::Kind::MonthWeekDay, 0, 1, 11, 2 * 3600};
        return rule;
    }
    if (!cursor.accept(','))
        return std::nullopt;
    const auto start = cursor.change();
    if (!start || !cursor.accept(','))
        return std::nullopt;
    const auto end = cursor.change();
    if (!end || !cursor.atEnd())
        return std::nullopt;
    rule.start = *start;
    rule.end = *end;
    return rule;
}

TimeZoneRules::TimeZoneRules(std::string name, LocalTimeType fixed)
    : _name(std::move(name))
    , _types {std::move(fixed)}
{
}

TimeZoneRules::TimeZoneRules(std::string name, PosixTimeZoneRule rule)
    : _name(std::move(name))
    , _types {rule.standard}
    , _footer(std::move(rule))
{
}

std::optional<TimeZoneRules> TimeZoneRules::fromTZif(std::string name, const uint8_t* bytes, size_t length)
{
    if (bytes == nullptr)
        return std::nullopt;
    ByteReader reader(bytes, length);
    auto header = readHeader(reader);
    if (!header)
        return std::nullopt;
    int timeWidth = 4;
    if (header->version != 0) {
        // Version 2 and later repeat everything with 64-bit times after the
        // 32-bit block; only the second block and the footer are read.
        if (!reader.skip(header->dataBlockLength(4)))
            return std::nullopt;
        header = readHeader(reader);
        if (!header)
            return std::nullopt;
        timeWidth = 8;
    }
    if (!isUsableHeader(*header) || !reader.has(header->dataBlockLength(timeWidth)))
        return std::nullopt;

    TimeZoneRules rules;
    rules._name = std::move(name);
    rules._transitions.reserve(header->transitionCount);
    for (uint32_t i = 0; i < header->transitionCount; ++i) {
        const int64_t at = reader.readSigned(timeWidth);
        if (!rules._transitions.empty() && at <= rules._transitions.back())
            return std::nullopt;
        rules._transitions.push_back(at);
    }
    rules._transitionTypes.assign(reader.current(), reader.current() + header->transitionCount);
    reader.skip(header->transitionCount);
    for (const uint8_t type : rules._transitionTypes) {
        if (type >= header->typeCount)
            return std::nullopt;
    }

    struct RawType {
        int32_t offset;
        uint8_t isDaylight;
        uint8_t abbreviationIndex;
    };
    std::vector<RawType> rawTypes;
    rawTypes.reserve(header->typeCount);
    for (uint32_t i = 0; i < header->typeCount; ++i) {
        RawType raw {};
        raw.offset = static_cast<int32_t>(reader.readSigned(4));
        raw.isDaylight = static_cast<uint8_t>(reader.readUnsigned(1));
        raw.abbreviationIndex = static_cast<uint8_t>(reader.readUnsigned(1));
        if (raw.offset < -kMaximumOffsetSeconds || raw.offset > kMaximumOffsetSeconds || raw.isDaylight > 1)
            return std::nullopt;
        rawTypes.push_back(raw);
    }
    const uint8_t* characters = reader.current();
    for (const RawType& raw : rawTypes) {
        auto abbreviation = abbreviationAt(characters, header->characterCount, raw.abbreviationIndex);
        if (!abbreviation)
            return std::nullopt;
        rules._types.push_back({raw.offset, raw.isDaylight == 1, std::move(*abbreviation)});
    }
    // Leap-second records and the standard/UT indicators are not needed:
    // dates here count POSIX seconds, and the footer supersedes the indicators.
    reader.skip(header->characterCount + uint64_t {header->leapSecondCount} * (timeWidth + 4)
        + header->standardIndicatorCount + header->utcIndicatorCount);

    if (header->version != 0) {
        if (!reader.has(1) || reader.readUnsigned(1) != '\n')
            return std::nullopt;
        const auto* begin = reinterpret_cast<const char*>(reader.current());
        const size_t remaining = length - reader.position();
        const auto* newline = static_cast<const char*>(std::memchr(begin, '\n', remaining));
        if (newline == nullptr)
            return std::nullopt;
        const std::string_view footer(begin, static_cast<size_t>(newline - begin));
        if (!footer.empty()) {
            rules._footer = parsePosixTimeZoneRule(footer);
            if (!rules._footer)
                return std::nullopt;
        }
    }
    return rules;
}

const LocalTimeType& TimeZoneRules::typeAt(int64_t unixSeconds) const
{
    if (_transitions.empty())
        return _footer ? _footer->typeAt(unixSeconds) : _types.front();
    if (unixSeconds < _transitions.front())
        return _types.front();
    if (_footer && unixSeconds >= _transitions.back())
        return _footer->typeAt(unixSeconds);
    const auto after = std::upper_bound(_transitions.begin(), _transitions.end(), unixSeconds);
    const auto index = static_cast<size_t>(after - _transitions.begin()) - 1;
    return _types[_transitionTypes[index]];
}

}  // namespace plat::detail
