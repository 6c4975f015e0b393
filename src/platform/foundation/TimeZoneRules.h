#pragma once
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The offsets of one time zone over time, read from a TZif file (RFC 8536)
// or a POSIX TZ rule. Any thread (immutable once made).
namespace plat::detail {

struct LocalTimeType {
    int32_t utcOffsetSeconds = 0;
    bool isDaylightSavingTime = false;
    std::string abbreviation;

    friend bool operator==(const LocalTimeType&, const LocalTimeType&) = default;
};

// A POSIX TZ string such as "CET-1CEST,M3.5.0,M10.5.0/3": the rule a TZif
// file's footer gives for every date after its last transition.
struct PosixTimeZoneRule {
    struct Change {
        enum class Kind { JulianDayWithoutLeapDay, ZeroBasedDay, MonthWeekDay };
        Kind kind = Kind::MonthWeekDay;
        int day = 0;  // Jn: 1...365; n: 0...365; Mm.w.d: weekday 0 (Sunday)...6
        int week = 0;  // Mm.w.d: 1...5, 5 being the last in the month
        int month = 0;  // Mm.w.d: 1...12
        int32_t localSecondsAfterMidnight = 2 * 3600;  // -167...167 hours

        friend bool operator==(const Change&, const Change&) = default;
    };

    LocalTimeType standard;
    std::optional<LocalTimeType> daylight;
    Change start;  // into daylight time, in local standard time
    Change end;  // back to standard time, in local daylight time

    const LocalTimeType& typeAt(int64_t unixSeconds) const;

    friend bool operator==(const PosixTimeZoneRule&, const PosixTimeZoneRule&) = default;
};

std::optional<PosixTimeZoneRule> parsePosixTimeZoneRule(std::string_view text);

class TimeZoneRules {
public:
    // A zone that keeps one offset for ever.
    TimeZoneRules(std::string name, LocalTimeType fixed);
    TimeZoneRules(std::string name, PosixTimeZoneRule rule);

    // Empty for anything that is not a well-formed TZif file, whatever its
    // counts and indices claim: the file is outside input.
    static std::optional<TimeZoneRules> fromTZif(std::string name, const uint8_t* bytes, size_t length);

    const std::string& name() const { return _name; }
    const LocalTimeType& typeAt(int64_t unixSeconds) const;

    // The same name and the same offsets at all times.
    friend bool operator==(const TimeZoneRules&, const TimeZoneRules&) = default;

private:
    TimeZoneRules() = default;

    std::string _name;
    std::vector<int64_t> _transitions;  // strictly ascending, seconds since 1970
    std::vector<uint8_t> _transitionTypes;  // index into _types for each transition
    std::vector<LocalTimeType> _types;  // at least one; the first holds before any transition
    std::optional<PosixTimeZoneRule> _footer;
};

}  // namespace plat::detail
