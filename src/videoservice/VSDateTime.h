#pragma once
#include <cstdint>
#include <limits>
#include <optional>
#include <string>
#include <string_view>

#include "platform/foundation/Date.h"

namespace zt {

// A time zone as the date-time values need one: universal time, a fixed
// offset from GMT, or the device's zone. Only the device's zone looks at the
// system (through localtime_r, which reads and never changes it). Any thread
// (value type).
class VSTimeZone {
public:
    static VSTimeZone universal();  // the zone named "Universal"
    static VSTimeZone timeZoneForSecondsFromGMT(int64_t seconds);
    static VSTimeZone device();
    // "Universal", "UTC", "GMT" and "Local"; other names are unknown here.
    static std::optional<VSTimeZone> timeZoneWithName(std::string_view name);

    int64_t secondsFromGMTForDate(plat::Date date) const;
    const std::string& name() const { return _name; }
    bool isUniversal() const { return _kind == Kind::Universal; }

    friend bool operator==(const VSTimeZone&, const VSTimeZone&) = default;

private:
    enum class Kind { Universal, Fixed, Device };
    VSTimeZone(Kind kind, int64_t seconds, std::string name);
    Kind _kind;
    int64_t _secondsFromGMT;
    std::string _name;
};

// Calendar fields; kUndefined marks a field that is not set.
struct VSDateComponents {
    static constexpr int64_t kUndefined = std::numeric_limits<int64_t>::max();
    int64_t era = kUndefined;
    int64_t year = kUndefined;
    int64_t month = kUndefined;
    int64_t day = kUndefined;
    int64_t hour = kUndefined;
    int64_t minute = kUndefined;
    int64_t second = kUndefined;
    int64_t week = kUndefined;
    int64_t weekday = kUndefined;
    int64_t weekdayOrdinal = kUndefined;
    friend bool operator==(const VSDateComponents&, const VSDateComponents&) = default;
};

// An RFC 3339 date-time: a calendar date with or without a time of day, in
// universal time ("Z"), at a fixed offset, or with no stated offset. Fractions
// of a second are dropped. One thread at a time (value type).
class VSDateTime {
public:
    static constexpr int64_t kUndefinedOffset = VSDateComponents::kUndefined;

    VSDateTime() = default;
    static VSDateTime dateTimeWithRFC3339String(std::string_view text);
    static VSDateTime dateTimeWithDate(plat::Date date, const std::optional<VSTimeZone>& timeZone);

    void setFromRFC3339String(std::string_view text);
    void setFromDate(plat::Date date, const std::optional<VSTimeZone>& timeZone);

    std::string RFC3339String() const;
    std::string stringValue() const { return RFC3339String(); }
    // The instant the value denotes; a date-only value is noon UTC of its day,
    // a value without zone is read in the device's zone.
    plat::Date date() const;

    std::optional<VSTimeZone> timeZone() const;
    // Stores the zone and sets the offset to the zone's at the value's date.
    void setTimeZone(const std::optional<VSTimeZone>& timeZone);
    void setTimeZone(const std::optional<VSTimeZone>& timeZone, int64_t offsetSeconds);
    int64_t offsetSeconds() const { return _offsetSeconds; }
    void setOffsetSeconds(int64_t seconds) { _offsetSeconds = seconds; }
    bool isUniversalTime() const { return _isUniversalTime; }
    void setIsUniversalTime(bool isUniversal) { _isUniversalTime = isUniversal; }
    const VSDateComponents& dateComponents() const { return _dateComponents; }
    void setDateComponents(const VSDateComponents& components) { _dateComponents = components; }

    bool hasTime() const;
    void setHasTime(bool hasTime);

    bool isEqual(const VSDateTime& other) const;
    static bool doesDateComponents(const VSDateComponents& left, const VSDateComponents& right)
    {
        return left == right;
    }
    friend bool operator==(const VSDateTime& left, const VSDateTime& right) { return left.isEqual(right); }
    std::string description() const;

private:
    VSDateComponents _dateComponents;
    int64_t _offsetSeconds = kUndefinedOffset;
    bool _isUniversalTime = false;
    std::optional<VSTimeZone> _timeZone;
};

}  // namespace zt
