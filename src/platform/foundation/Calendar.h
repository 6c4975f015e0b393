#pragma once
#include <cstdint>
#include <limits>
#include <optional>

#include "platform/foundation/Date.h"
#include "platform/foundation/TimeZone.h"

namespace plat {

// A field of DateComponents that is not set: the largest signed 64-bit value.
inline constexpr int64_t kDateComponentUndefined = std::numeric_limits<int64_t>::max();

// Calendar units, combined with |. The values are the platform's.
enum class CalendarUnit : uint32_t {
    Era = 1u << 1,
    Year = 1u << 2,
    Month = 1u << 3,
    Day = 1u << 4,
    Hour = 1u << 5,
    Minute = 1u << 6,
    Second = 1u << 7,
    Weekday = 1u << 9,
    Nanosecond = 1u << 15,
};

constexpr CalendarUnit operator|(CalendarUnit left, CalendarUnit right)
{
    return static_cast<CalendarUnit>(static_cast<uint32_t>(left) | static_cast<uint32_t>(right));
}

constexpr bool containsUnit(CalendarUnit units, CalendarUnit unit)
{
    return (static_cast<uint32_t>(units) & static_cast<uint32_t>(unit)) != 0;
}

// Calendar fields of a date, or amounts to add or that lie between two
// dates; each field may be kDateComponentUndefined. Any thread (value type).
class DateComponents {
public:
    int64_t era() const { return _era; }
    void setEra(int64_t value) { _era = value; }
    int64_t year() const { return _year; }
    void setYear(int64_t value) { _year = value; }
    int64_t month() const { return _month; }
    void setMonth(int64_t value) { _month = value; }
    int64_t day() const { return _day; }
    void setDay(int64_t value) { _day = value; }
    int64_t hour() const { return _hour; }
    void setHour(int64_t value) { _hour = value; }
    int64_t minute() const { return _minute; }
    void setMinute(int64_t value) { _minute = value; }
    int64_t second() const { return _second; }
    void setSecond(int64_t value) { _second = value; }
    int64_t nanosecond() const { return _nanosecond; }
    void setNanosecond(int64_t value) { _nanosecond = value; }
    // 1 = Sunday ... 7 = Saturday.
    int64_t weekday() const { return _weekday; }
    void setWeekday(int64_t value) { _weekday = value; }

    friend bool operator==(const DateComponents&, const DateComponents&) = default;

private:
    int64_t _era = kDateComponentUndefined;
    int64_t _year = kDateComponentUndefined;
    int64_t _month = kDateComponentUndefined;
    int64_t _day = kDateComponentUndefined;
    int64_t _hour = kDateComponentUndefined;
    int64_t _minute = kDateComponentUndefined;
    int64_t _second = kDateComponentUndefined;
    int64_t _nanosecond = kDateComponentUndefined;
    int64_t _weekday = kDateComponentUndefined;
};

// The Gregorian calendar, proleptic (no Julian dates before 1582), in a time
// zone. Era 0 is BC, era 1 AD. A value; one thread at a time may change it,
// any number may read it.
class Calendar {
public:
    // The Gregorian calendar in the local time zone.
    Calendar();
    static Calendar currentCalendar();

    const TimeZone& timeZone() const { return _timeZone; }
    void setTimeZone(TimeZone timeZone) { _timeZone = std::move(timeZone); }

    // The requested fields of the date in the calendar's time zone; the rest undefined.
    DateComponents components(CalendarUnit units, Date date) const;
    // The difference between two dates in the requested units, the largest
    // first: each unit takes as many whole steps as fit before the next one
    // counts the rest (January 31 to March 1 is one month and one day, with
    // the step of a month landing on February 28). Negative when toDate is
    // earlier. Era and weekday are not counted.
    DateComponents components(CalendarUnit units, Date fromDate, Date toDate) const;
    // Undefined fields count as their smallest value (year 1, January, the 1st,
    // midnight); fields out of their range carry over, as month 13 is January
    // of the next year. A local time skipped by a clock change moves forward by
    // the change; one that occurs twice is the later. Empty for fields too
    // large to denote a date.
    std::optional<Date> dateFromComponents(const DateComponents& components) const;
    // Adds years, months and days on the calendar (keeping the time of day,
    // and the last day of a shorter month where the day does not exist), then
    // hours, minutes, seconds and nanoseconds as elapsed time. Era and weekday
    // are not added. Empty for amounts too large to denote a date; dates
    // beyond about 285 million years either way are held at that limit.
    std::optional<Date> dateByAddingComponents(const DateComponents& components, Date date) const;

    Date startOfDayForDate(Date date) const;
    // Relative to Date::now().
    bool isDateInToday(Date date) const;
    bool isDateInYesterday(Date date) const;
    bool isDateInTomorrow(Date date) const;

private:
    TimeZone _timeZone;
};

}  // namespace plat
