#pragma once
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "platform/foundation/Date.h"

namespace plat {
class TimeZone;

namespace detail {
class TimeZoneRules;
// The rules behind a zone, for the calendar and the date formatter, which
// hand them to ICU.
const std::shared_ptr<const TimeZoneRules>& rulesOf(const TimeZone& timeZone);
}  // namespace detail

// A geopolitical region's offsets from GMT over time, read from the system's
// time zone database (/usr/share/zoneinfo) with our own TZif reader rather
// than taken from ICU's copy of the rules: the system's database is kept
// current, while the ICU of Debian 12 carries the rules of 2022 (Mexico
// changing its clocks still, Greenland, Egypt and Kazakhstan at their old
// offsets). The calendar and the date formatter hand these rules to ICU,
// which supplies the zones' localized names. A value: copies share the
// parsed rules. Any thread (immutable).
class TimeZone {
public:
    static constexpr int64_t kMaximumSecondsFromGMT = 18 * 3600;

    // "GMT", offset 0.
    static TimeZone utc();
    // A zone that keeps one offset, named "GMT+0200" ("GMT" for 0). Empty
    // beyond +-18 hours, as on the platform.
    static std::optional<TimeZone> timeZoneForSecondsFromGMT(int64_t seconds);
    // IANA names ("Europe/Berlin"), "UTC", "GMT", and fixed offsets written
    // "GMT+2", "GMT-05:30" or "UTC+0200". Empty when there is no such zone.
    static std::optional<TimeZone> timeZoneWithName(std::string_view name);
    // A zone named `name` from the bytes of a TZif file. Empty when the bytes
    // are not a well-formed TZif file.
    static std::optional<TimeZone> timeZoneWithName(std::string name, std::span<const uint8_t> tzifData);

    // The zone of the TZ environment variable when it is set and names a
    // zone (a zone name, a TZif path or a POSIX rule), else /etc/localtime,
    // else GMT. TZ is looked at on every call, so a change takes effect at once.
    static TimeZone localTimeZone();
    static TimeZone systemTimeZone() { return localTimeZone(); }

    const std::string& name() const;
    int64_t secondsFromGMTForDate(Date date) const;
    std::string abbreviationForDate(Date date) const;
    bool isDaylightSavingTimeForDate(Date date) const;

    // Same name and same rules.
    friend bool operator==(const TimeZone& left, const TimeZone& right);

private:
    friend const std::shared_ptr<const detail::TimeZoneRules>& detail::rulesOf(const TimeZone& timeZone);

    explicit TimeZone(std::shared_ptr<const detail::TimeZoneRules> rules);
    std::shared_ptr<const detail::TimeZoneRules> _rules;
};

}  // namespace plat
