#pragma once
#include <cstdint>

// Proleptic Gregorian arithmetic on 64-bit day numbers (days since
// 1970-01-01), for the two places that count days without a calendar: the
// POSIX rules of time zone files and the ISO 8601 dates of property lists,
// both of which are defined on the proleptic calendar. Any thread (pure
// functions).
namespace plat::detail {

inline constexpr int64_t kSecondsPerDay = 86400;

constexpr int64_t floorDivide(int64_t value, int64_t divisor)
{
    int64_t quotient = value / divisor;
    if ((value % divisor != 0) && ((value < 0) != (divisor < 0)))
        --quotient;
    return quotient;
}

constexpr int64_t floorModulo(int64_t value, int64_t divisor)
{
    return value - floorDivide(value, divisor) * divisor;
}

constexpr bool isLeapYear(int64_t year)
{
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

constexpr int daysInMonth(int64_t year, int month)
{
    constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && isLeapYear(year) ? 29 : kDays[month - 1];
}

// Days since 1970-01-01 of a date whose month is 1...12 (the day may be out
// of its month's range: it simply counts on). Year 0 is 1 BC.
constexpr int64_t daysFromCivil(int64_t year, int month, int64_t day)
{
    const int64_t y = month <= 2 ? year - 1 : year;
    const int64_t era = floorDivide(y, 400);
    const int64_t yearOfEra = y - era * 400;
    const int64_t shiftedMonth = month > 2 ? month - 3 : month + 9;
    const int64_t dayOfYear = (153 * shiftedMonth + 2) / 5;
    const int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + dayOfEra - 719468 + (day - 1);
}

struct CivilDate {
    int64_t year = 1970;  // astronomical: 0 is 1 BC
    int month = 1;
    int day = 1;
};

constexpr CivilDate civilFromDays(int64_t days)
{
    const int64_t shifted = days + 719468;
    const int64_t era = floorDivide(shifted, 146097);
    const int64_t dayOfEra = shifted - era * 146097;
    const int64_t yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    const int64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const int64_t shiftedMonth = (5 * dayOfYear + 2) / 153;
    const int day = static_cast<int>(dayOfYear - (153 * shiftedMonth + 2) / 5 + 1);
    const int month = static_cast<int>(shiftedMonth < 10 ? shiftedMonth + 3 : shiftedMonth - 9);
    return {yearOfEra + era * 400 + (month <= 2 ? 1 : 0), month, day};
}

// 1 = Sunday ... 7 = Saturday; 1970-01-01 was a Thursday.
constexpr int weekdayFromDays(int64_t days)
{
    return static_cast<int>(floorModulo(days + 4, 7)) + 1;
}

}  // namespace plat::detail
