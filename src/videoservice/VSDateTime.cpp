#include "videoservice/VSDateTime.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <ctime>

namespace zt {

namespace {

constexpr int64_t kSecondsPerDay = 86400;

// Days since 1970-01-01 of a proleptic Gregorian date (Howard Hinnant's algorithm).
int64_t daysFromCivil(int64_t year, int64_t month, int64_t day)
{
    year -= month <= 2 ? 1 : 0;
    const int64_t era = (year >= 0 ? year : year - 399) / 400;
    const int64_t yearOfEra = year - era * 400;
    const int64_t dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    const int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + dayOfEra - 719468;
}

void civilFromDays(int64_t days, int64_t& year, int64_t& month, int64_t& day)
{
    days += 719468;
    const int64_t era = (days >= 0 ? days : days - 146096) / 146097;
    const int64_t dayOfEra = days - era * 146097;
    const int64_t yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    const int64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const int64_t shifted = (5 * dayOfYear + 2) / 153;
    day = dayOfYear - (153 * shifted + 2) / 5 + 1;
    month = shifted + (shifted < 10 ? 3 : -9);
    year = yearOfEra + era * 400 + (month <= 2 ? 1 : 0);
}

int64_t definedOr(int64_t value, int64_t fallback)
{
    return value == VSDateComponents::kUndefined ? fallback : value;
}

// Seconds since 1970 of the components read as UTC wall time. Undefined
// fields count as the start of their unit; absurd years are clamped so the
// arithmetic cannot overflow.
int64_t wallSecondsOfComponents(const VSDateComponents& components)
{
    auto clampField = [](int64_t value, int64_t low, int64_t high) { return std::min(std::max(value, low), high); };
    int64_t year = clampField(definedOr(components.year, 1970), -1000000, 1000000);
    int64_t month = clampField(definedOr(components.month, 1), -100000, 100000);
    int64_t day = clampField(definedOr(components.day, 1), -10000000, 10000000);
    int64_t hour = clampField(definedOr(components.hour, 0), -10000000, 10000000);
    int64_t minute = clampField(definedOr(components.minute, 0), -10000000, 10000000);
    int64_t second = clampField(definedOr(components.second, 0), -10000000, 10000000);
    // Months outside 1...12 roll into the year, as a calendar does.
    int64_t monthIndex = month - 1;
    year += monthIndex >= 0 ? monthIndex / 12 : (monthIndex - 11) / 12;
    monthIndex = ((monthIndex % 12) + 12) % 12;
    int64_t days = daysFromCivil(year, monthIndex + 1, 1) + day - 1;
    return days * kSecondsPerDay + hour * 3600 + minute * 60 + second;
}

// A scanner that skips white space and line breaks before every item.
class Scanner {
public:
    explicit Scanner(std::string_view text)
        : _text(text)
    {
    }

    bool scanInteger(int64_t& value)
    {
        skipSpace();
        size_t index = _index;
        bool negative = false;
        if (index < _text.size() && (_text[index] == '+' || _text[index] == '-')) {
            negative = _text[index] == '-';
            ++index;
        }
        size_t digitsStart = index;
        int64_t number = 0;
        constexpr int64_t kLimit = std::numeric_limits<int64_t>::max() / 10 - 10;
        while (index < _text.size() && _text[index] >= '0' && _text[index] <= '9') {
            if (number < kLimit)
                number = number * 10 + (_text[index] - '0');
            ++index;
        }
        if (index == digitsStart)
            return false;
        value = negative ? -number : number;
        _index = index;
        return true;
    }

    bool scanFloat(float& value)
    {
        skipSpace();
        size_t index = _index;
        if (index < _text.size() && (_text[index] == '+' || _text[index] == '-'))
            ++index;
        size_t digits = 0;
        while (index < _text.size() && _text[index] >= '0' && _text[index] <= '9')
            ++index, ++digits;
        if (index < _text.size() && _text[index] == '.') {
            ++index;
            while (index < _text.size() && _text[index] >= '0' && _text[index] <= '9')
                ++index, ++digits;
        }
        if (digits == 0)
            return false;
        std::string number(_text.substr(_index, index - _index));
        // Only digits, sign and point: the C locale's decimal point is not involved
        // because the integer and fraction parts are read separately.
        size_t point = number.find('.');
        double whole = 0;
        double fraction = 0;
        double scale = 1;
        bool negative = !number.empty() && number[0] == '-';
        for (size_t i = 0; i < number.size(); ++i) {
            char c = number[i];
            if (c < '0' || c > '9')
                continue;
            if (point == std::string::npos || i < point) {
                whole = whole * 10 + (c - '0');
            } else {
                scale /= 10;
                fraction += (c - '0') * scale;
            }
        }
        double result = whole + fraction;
        value = static_cast<float>(negative ? -result : result);
        _index = index;
        return true;
    }

    bool scanCharactersFromSet(std::string_view set, std::string& scanned)
    {
        skipSpace();
        size_t index = _index;
        while (index < _text.size() && set.find(_text[index]) != std::string_view::npos)
            ++index;
        if (index == _index)
            return false;
        scanned.assign(_text.substr(_index, index - _index));
        _index = index;
        return true;
    }

private:
    void skipSpace()
    {
        while (_index < _text.size()
            && (_text[_index] == ' ' || _text[_index] == '\t' || _text[_index] == '\n' || _text[_index] == '\r'
                || _text[_index] == '\v' || _text[_index] == '\f'))
            ++_index;
    }

    std::string_view _text;
    size_t _index = 0;
};

}  // namespace

VSTimeZone::VSTimeZone(Kind kind, int64_t seconds, std::string name)
    : _kind(kind)
    , _secondsFromGMT(seconds)
    , _name(std::move(name))
{
}

VSTimeZone VSTimeZone::universal()
{
    return VSTimeZone(Kind::Universal, 0, "Universal");
}

VSTimeZone VSTimeZone::timeZoneForSecondsFromGMT(int64_t seconds)
{
    int64_t magnitude = seconds < 0 ? -seconds : seconds;
    char name[32];
    std::snprintf(name, sizeof name, "GMT%c%02lld%02lld", seconds < 0 ? '-' : '+',
        static_cast<long long>(magnitude / 3600), static_cast<long long>(magnitude / 60 % 60));
    return VSTimeZone(Kind::Fixed, seconds, name);
}

VSTimeZone VSTimeZone::device()
{
    return VSTimeZone(Kind::Device, 0, "Local");
}

std::optional<VSTimeZone> VSTimeZone::timeZoneWithName(std::string_view name)
{
    if (name == "Universal" || name == "UTC")
        return universal();
    if (name == "GMT")
        return timeZoneForSecondsFromGMT(0);
    if (name == "Local")
        return device();
    return std::nullopt;
}

int64_t VSTimeZone::secondsFromGMTForDate(plat::Date date) const
{
    if (_kind != Kind::Device)
        return _secondsFromGMT;
    auto seconds = static_cast<std::time_t>(std::floor(date.timeIntervalSince1970()));
    std::tm local {};
    if (::localtime_r(&seconds, &local) == nullptr)
        return 0;
    return local.tm_gmtoff;
}

VSDateTime VSDateTime::dateTimeWithRFC3339String(std::string_view text)
{
    VSDateTime value;
    value.setFromRFC3339String(text);
    return value;
}

VSDateTime VSDateTime::dateTimeWithDate(plat::Date date, const std::optional<VSTimeZone>& timeZone)
{
    VSDateTime value;
    value.setFromDate(date, timeZone);
    return value;
}

void VSDateTime::setFromRFC3339String(std::string_view text)
{
    constexpr int64_t kUndefined = VSDateComponents::kUndefined;
    int64_t year = kUndefined, month = kUndefined, day = kUndefined, hour = kUndefined, minute = kUndefined;
    float seconds = -1.0f;
    std::string zone;
    bool hasZone = false;
    int64_t offsetHours = 0, offsetMinutes = 0;
    std::string separator;
    Scanner scanner(text);
    // Each item only when all before it were read.
    (void)(scanner.scanInteger(year) && scanner.scanCharactersFromSet("-", separator) && scanner.scanInteger(month)
        && scanner.scanCharactersFromSet("-", separator) && scanner.scanInteger(day)
        && scanner.scanCharactersFromSet("Tt ", separator) && scanner.scanInteger(hour)
        && scanner.scanCharactersFromSet(":", separator) && scanner.scanInteger(minute)
        && scanner.scanCharactersFromSet(":", separator) && scanner.scanFloat(seconds)
        && (hasZone = scanner.scanCharactersFromSet("+-zZ", zone)) && scanner.scanInteger(offsetHours)
        && scanner.scanCharactersFromSet(":", separator) && scanner.scanInteger(offsetMinutes));

    VSDateComponents components;
    components.year = year;
    components.month = month;
    components.day = day;
    components.hour = hour;
    components.minute = minute;
    if (seconds != -1.0f && !std::isnan(seconds))
        components.second = static_cast<int64_t>(std::trunc(seconds));
    _dateComponents = components;
    _timeZone.reset();
    _offsetSeconds = kUndefinedOffset;
    _isUniversalTime = false;
    if (!hasZone)
        return;
    if (zone == "Z" || zone == "z") {
        _isUniversalTime = true;
        _offsetSeconds = 0;
        return;
    }
    auto clampPart = [](int64_t value) { return std::min<int64_t>(std::max<int64_t>(value, -1000000), 1000000); };
    int64_t offset = clampPart(offsetHours) * 3600 + clampPart(offsetMinutes) * 60;
    if (zone == "-")
        offset = offset == 0 ? kUndefinedOffset : -offset;
    _offsetSeconds = offset;
}

void VSDateTime::setFromDate(plat::Date date, const std::optional<VSTimeZone>& timeZone)
{
    VSTimeZone zone = timeZone.value_or(VSTimeZone::device());
    int64_t offset = zone.secondsFromGMTForDate(date);
    double wall = std::floor(date.timeIntervalSince1970()) + static_cast<double>(offset);
    auto wallSeconds = static_cast<int64_t>(std::max(std::min(wall, 1e15), -1e15));
    int64_t days
        = wallSeconds >= 0 ? wallSeconds / kSecondsPerDay : (wallSeconds - kSecondsPerDay + 1) / kSecondsPerDay;
    int64_t secondOfDay = wallSeconds - days * kSecondsPerDay;
    VSDateComponents components;
    civilFromDays(days, components.year, components.month, components.day);
    components.hour = secondOfDay / 3600;
    components.minute = secondOfDay / 60 % 60;
    components.second = secondOfDay % 60;
    _dateComponents = components;
    _isUniversalTime = false;
    if (timeZone) {
        _offsetSeconds = offset;
        if (offset == 0 && timeZone->isUniversal())
            _isUniversalTime = true;
    } else {
        _offsetSeconds = kUndefinedOffset;
    }
    _timeZone = timeZone;
}

std::string VSDateTime::RFC3339String() const
{
    auto field = [](int64_t value) { return static_cast<long long>(definedOr(value, 0)); };
    char text[160];
    std::string timePart;
    if (hasTime()) {
        std::string zonePart;
        if (_isUniversalTime) {
            zonePart = "Z";
        } else if (_offsetSeconds != kUndefinedOffset) {
            int64_t magnitude = _offsetSeconds < 0 ? -_offsetSeconds : _offsetSeconds;
            std::snprintf(text, sizeof text, "%s%02lld:%02lld", _offsetSeconds < 0 ? "-" : "+",
                static_cast<long long>(magnitude / 3600 % 24), static_cast<long long>(magnitude / 60 % 60));
            zonePart = text;
        } else {
            zonePart = "-00:00";
        }
        std::snprintf(text, sizeof text, "T%02lld:%02lld:%02lld%s", field(_dateComponents.hour),
            field(_dateComponents.minute), field(_dateComponents.second), zonePart.c_str());
        timePart = text;
    }
    std::snprintf(text, sizeof text, "%04lld-%02lld-%02lld%s", field(_dateComponents.year),
        field(_dateComponents.month), field(_dateComponents.day), timePart.c_str());
    return text;
}

plat::Date VSDateTime::date() const
{
    if (!hasTime()) {
        VSDateComponents noon = _dateComponents;
        noon.hour = 12;
        noon.minute = 0;
        noon.second = 0;
        return plat::Date::withTimeIntervalSince1970(static_cast<double>(wallSecondsOfComponents(noon)));
    }
    int64_t wall = wallSecondsOfComponents(_dateComponents);
    VSTimeZone zone = timeZone().value_or(VSTimeZone::device());
    // The offset of a zone with daylight saving depends on the instant itself:
    // settle it in two steps.
    int64_t offset = zone.secondsFromGMTForDate(plat::Date::withTimeIntervalSince1970(static_cast<double>(wall)));
    offset = zone.secondsFromGMTForDate(plat::Date::withTimeIntervalSince1970(static_cast<double>(wall - offset)));
    return plat::Date::withTimeIntervalSince1970(static_cast<double>(wall - offset));
}

std::optional<VSTimeZone> VSDateTime::timeZone() const
{
    if (_timeZone)
        return _timeZone;
    if (_isUniversalTime)
        return VSTimeZone::universal();
    if (_offsetSeconds != kUndefinedOffset)
        return VSTimeZone::timeZoneForSecondsFromGMT(_offsetSeconds);
    return std::nullopt;
}

void VSDateTime::setTimeZone(const std::optional<VSTimeZone>& timeZone)
{
    _timeZone = timeZone;
    _offsetSeconds = timeZone ? timeZone->secondsFromGMTForDate(date()) : kUndefinedOffset;
}

void VSDateTime::setTimeZone(const std::optional<VSTimeZone>& timeZone, int64_t offsetSeconds)
{
    _timeZone = timeZone;
    _offsetSeconds = offsetSeconds;
}

bool VSDateTime::hasTime() const
{
    return _dateComponents.hour != VSDateComponents::kUndefined
        && _dateComponents.minute != VSDateComponents::kUndefined;
}

void VSDateTime::setHasTime(bool shouldHaveTime)
{
    if (shouldHaveTime && !hasTime()) {
        _dateComponents.hour = 0;
        _dateComponents.minute = 0;
        _dateComponents.second = 0;
        _offsetSeconds = kUndefinedOffset;
        _isUniversalTime = false;
    } else if (!shouldHaveTime && hasTime()) {
        _dateComponents.hour = VSDateComponents::kUndefined;
        _dateComponents.minute = VSDateComponents::kUndefined;
        _dateComponents.second = VSDateComponents::kUndefined;
        _offsetSeconds = kUndefinedOffset;
        _isUniversalTime = false;
        _timeZone.reset();
    }
}

bool VSDateTime::isEqual(const VSDateTime& other) const
{
    if (this == &other)
        return true;
    return _offsetSeconds == other._offsetSeconds && _isUniversalTime == other._isUniversalTime
        && timeZone() == other.timeZone() && doesDateComponents(_dateComponents, other._dateComponents);
}

std::string VSDateTime::description() const
{
    char text[64];
    std::snprintf(text, sizeof text, "VSDateTime %p: {", static_cast<const void*>(this));
    return text + RFC3339String() + "}";
}

}  // namespace zt
