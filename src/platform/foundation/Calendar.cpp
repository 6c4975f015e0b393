#include "platform/foundation/Calendar.h"

#include <algorithm>
#include <functional>

#include "platform/foundation/CalendarArithmetic.h"

namespace plat {

namespace {

using detail::Instant;
using detail::kNanosecondsPerSecond;
using detail::kSecondsPerDay;

// Bounds on the fields of dateFromComponents and dateByAddingComponents:
// together they keep every intermediate sum far inside 64 bits, and the
// result inside the clamped range of dates.
constexpr int64_t kMaximumYears = 200'000'000;
constexpr int64_t kMaximumMonths = kMaximumYears * 12;
constexpr int64_t kMaximumDays = kMaximumYears * 366;
constexpr int64_t kMaximumHours = kMaximumDays * 24;
constexpr int64_t kMaximumMinutes = kMaximumHours * 60;
constexpr int64_t kMaximumSeconds = kMaximumMinutes * 60;

struct LocalDateTime {
    int64_t days = 0;  // since 1970-01-01, local
    int64_t secondOfDay = 0;
    detail::CivilDate date;
};

int64_t offsetAt(const TimeZone& timeZone, int64_t unixSeconds)
{
    const int64_t clamped = detail::clampUnixSeconds(unixSeconds);
    return timeZone.secondsFromGMTForDate(Date::withTimeIntervalSince1970(static_cast<double>(clamped)));
}

LocalDateTime localDateTime(const TimeZone& timeZone, Instant instant)
{
    const int64_t local = instant.seconds + offsetAt(timeZone, instant.seconds);
    LocalDateTime result;
    result.days = detail::floorDivide(local, kSecondsPerDay);
    result.secondOfDay = local - result.days * kSecondsPerDay;
    result.date = detail::civilFromDays(result.days);
    return result;
}

// The instant that a local wall time denotes. A time skipped by a clock
// change is read with the offset from before it (so it lands after the
// change, moved forward); a time that occurs twice is the later occurrence.
Instant instantFromLocal(const TimeZone& timeZone, int64_t localSeconds, int64_t nanoseconds)
{
    localSeconds = detail::clampUnixSeconds(localSeconds);
    const int64_t before = offsetAt(timeZone, localSeconds - kSecondsPerDay);
    const int64_t after = offsetAt(timeZone, localSeconds + kSecondsPerDay);
    auto holds = [&](int64_t offset) { return offsetAt(timeZone, localSeconds - offset) == offset; };
    int64_t seconds = localSeconds - before;
    if (before != after) {
        const bool beforeHolds = holds(before);
        const bool afterHolds = holds(after);
        if (beforeHolds && afterHolds)
            seconds = std::max(localSeconds - before, localSeconds - after);
        else if (afterHolds)
            seconds = localSeconds - after;
    } else if (!holds(before)) {
        // Two changes within a day; take the offset in force at the guess.
        seconds = localSeconds - offsetAt(timeZone, seconds);
    }
    return {detail::clampUnixSeconds(seconds), nanoseconds};
}

int64_t localSecondsOf(int64_t days, int64_t secondOfDay)
{
    return days * kSecondsPerDay + secondOfDay;
}

Instant addingMonths(const TimeZone& timeZone, Instant base, int64_t months)
{
    const LocalDateTime local = localDateTime(timeZone, base);
    const int64_t total = local.date.year * 12 + (local.date.month - 1) + months;
    const int64_t year = detail::floorDivide(total, 12);
    const int month = static_cast<int>(detail::floorModulo(total, 12)) + 1;
    const int day = std::min(local.date.day, detail::daysInMonth(year, month));
    const int64_t days = detail::daysFromCivil(year, month, day);
    return instantFromLocal(timeZone, localSecondsOf(days, local.secondOfDay), base.nanoseconds);
}

Instant addingDays(const TimeZone& timeZone, Instant base, int64_t days)
{
    const LocalDateTime local = localDateTime(timeZone, base);
    return instantFromLocal(timeZone, localSecondsOf(local.days + days, local.secondOfDay), base.nanoseconds);
}

Instant addingSeconds(Instant base, int64_t seconds)
{
    return {detail::clampUnixSeconds(base.seconds + seconds), base.nanoseconds};
}

bool isWithin(int64_t value, int64_t limit)
{
    return value == kDateComponentUndefined || (value >= -limit && value <= limit);
}

int64_t valueOr(int64_t value, int64_t fallback)
{
    return value == kDateComponentUndefined ? fallback : value;
}

bool hasBoundedFields(const DateComponents& components)
{
    return isWithin(components.year(), kMaximumYears) && isWithin(components.month(), kMaximumMonths)
        && isWithin(components.day(), kMaximumDays) && isWithin(components.hour(), kMaximumHours)
        && isWithin(components.minute(), kMaximumMinutes) && isWithin(components.second(), kMaximumSeconds);
}

bool isInDateRange(int64_t unixSeconds)
{
    return unixSeconds >= -detail::kMaximumUnixSeconds && unixSeconds <= detail::kMaximumUnixSeconds;
}

// The difference `to - from` as seconds and nanoseconds of one sign.
Instant signedDifference(Instant from, Instant to)
{
    Instant difference {to.seconds - from.seconds, to.nanoseconds - from.nanoseconds};
    if (difference.seconds > 0 && difference.nanoseconds < 0) {
        difference.seconds -= 1;
        difference.nanoseconds += kNanosecondsPerSecond;
    } else if (difference.seconds < 0 && difference.nanoseconds > 0) {
        difference.seconds += 1;
        difference.nanoseconds -= kNanosecondsPerSecond;
    }
    return difference;
}

}  // namespace

Calendar::Calendar()
    : _timeZone(TimeZone::localTimeZone())
{
}

Calendar Calendar::currentCalendar()
{
    return Calendar();
}

DateComponents Calendar::components(CalendarUnit units, Date date) const
{
    const Instant instant = detail::instantFromDate(date);
    const LocalDateTime local = localDateTime(_timeZone, instant);
    const bool anno = local.date.year > 0;
    DateComponents result;
    if (containsUnit(units, CalendarUnit::Era))
        result.setEra(anno ? 1 : 0);
    if (containsUnit(units, CalendarUnit::Year))
        result.setYear(anno ? local.date.year : 1 - local.date.year);
    if (containsUnit(units, CalendarUnit::Month))
        result.setMonth(local.date.month);
    if (containsUnit(units, CalendarUnit::Day))
        result.setDay(local.date.day);
    if (containsUnit(units, CalendarUnit::Hour))
        result.setHour(local.secondOfDay / 3600);
    if (containsUnit(units, CalendarUnit::Minute))
        result.setMinute(local.secondOfDay % 3600 / 60);
    if (containsUnit(units, CalendarUnit::Second))
        result.setSecond(local.secondOfDay % 60);
    if (containsUnit(units, CalendarUnit::Nanosecond))
        result.setNanosecond(instant.nanoseconds);
    if (containsUnit(units, CalendarUnit::Weekday))
        result.setWeekday(detail::weekdayFromDays(local.days));
    return result;
}

DateComponents Calendar::components(CalendarUnit units, Date fromDate, Date toDate) const
{
    Instant current = detail::instantFromDate(fromDate);
    const Instant target = detail::instantFromDate(toDate);
    const bool forward = target >= current;
    const int64_t direction = forward ? 1 : -1;
    auto fits = [&](Instant candidate) { return forward ? candidate <= target : candidate >= target; };

    // The most steps of one unit from `current` that do not pass the target,
    // starting from an estimate that is off by a step or two at most.
    // Steps that make no progress (dates held at the limit of the range) end the count.
    auto countSteps = [&](const std::function<Instant(int64_t)>& advance, int64_t estimate) {
        int64_t steps = forward ? std::max<int64_t>(estimate, 0) : std::min<int64_t>(estimate, 0);
        Instant reached = advance(steps);
        while (steps != 0 && !fits(reached)) {
            const Instant earlier = advance(steps - direction);
            if (earlier == reached) {
                steps = 0;
                reached = advance(0);
                break;
            }
            steps -= direction;
            reached = earlier;
        }
        for (;;) {
            const Instant next = advance(steps + direction);
            if (!fits(next) || next == reached)
                break;
            steps += direction;
            reached = next;
        }
        current = reached;
        return steps;
    };

    DateComponents result;
    const LocalDateTime targetLocal = localDateTime(_timeZone, target);
    if (containsUnit(units, CalendarUnit::Year)) {
        const Instant base = current;
        const int64_t estimate = targetLocal.date.year - localDateTime(_timeZone, base).date.year;
        result.setYear(countSteps([&](int64_t years) { return addingMonths(_timeZone, base, years * 12); }, estimate));
    }
    if (containsUnit(units, CalendarUnit::Month)) {
        const Instant base = current;
        const LocalDateTime baseLocal = localDateTime(_timeZone, base);
        const int64_t estimate
            = (targetLocal.date.year - baseLocal.date.year) * 12 + (targetLocal.date.month - baseLocal.date.month);
        result.setMonth(countSteps([&](int64_t months) { return addingMonths(_timeZone, base, months); }, estimate));
    }
    if (containsUnit(units, CalendarUnit::Day)) {
        const Instant base = current;
        const int64_t estimate = targetLocal.days - localDateTime(_timeZone, base).days;
        result.setDay(countSteps([&](int64_t days) { return addingDays(_timeZone, base, days); }, estimate));
    }
    // Smaller units are elapsed time: exact division of what is left.
    const std::pair<CalendarUnit, int64_t> timeUnits[]
        = {{CalendarUnit::Hour, 3600}, {CalendarUnit::Minute, 60}, {CalendarUnit::Second, 1}};
    for (const auto& [unit, secondsPerUnit] : timeUnits) {
        if (!containsUnit(units, unit))
            continue;
        const int64_t steps = signedDifference(current, target).seconds / secondsPerUnit;
        current = addingSeconds(current, steps * secondsPerUnit);
        if (unit == CalendarUnit::Hour)
            result.setHour(steps);
        else if (unit == CalendarUnit::Minute)
            result.setMinute(steps);
        else
            result.setSecond(steps);
    }
    if (containsUnit(units, CalendarUnit::Nanosecond)) {
        const Instant left = signedDifference(current, target);
        int64_t nanoseconds = 0;
        if (__builtin_mul_overflow(left.seconds, kNanosecondsPerSecond, &nanoseconds)
            || __builtin_add_overflow(nanoseconds, left.nanoseconds, &nanoseconds))
            nanoseconds = forward ? std::numeric_limits<int64_t>::max() : std::numeric_limits<int64_t>::min();
        result.setNanosecond(nanoseconds);
    }
    return result;
}

std::optional<Date> Calendar::dateFromComponents(const DateComponents& components) const
{
    if (!hasBoundedFields(components))
        return std::nullopt;
    const int64_t yearOfEra = valueOr(components.year(), 1);
    const int64_t year = valueOr(components.era(), 1) == 0 ? 1 - yearOfEra : yearOfEra;
    const int64_t monthIndex = valueOr(components.month(), 1) - 1;
    const int64_t normalisedYear = year + detail::floorDivide(monthIndex, 12);
    const int month = static_cast<int>(detail::floorModulo(monthIndex, 12)) + 1;
    const int64_t days = detail::daysFromCivil(normalisedYear, month, 1) + valueOr(components.day(), 1) - 1;
    const int64_t nanoseconds = valueOr(components.nanosecond(), 0);
    const int64_t local = days * kSecondsPerDay + valueOr(components.hour(), 0) * 3600
        + valueOr(components.minute(), 0) * 60 + valueOr(components.second(), 0)
        + detail::floorDivide(nanoseconds, kNanosecondsPerSecond);
    if (!isInDateRange(local))
        return std::nullopt;
    const Instant instant = instantFromLocal(_timeZone, local, detail::floorModulo(nanoseconds, kNanosecondsPerSecond));
    return detail::dateFromInstant(instant);
}

std::optional<Date> Calendar::dateByAddingComponents(const DateComponents& components, Date date) const
{
    if (!hasBoundedFields(components))
        return std::nullopt;
    Instant instant = detail::instantFromDate(date);
    // Years and months one after the other, as the platform adds them: each
    // step keeps the day where the month has it.
    if (components.year() != kDateComponentUndefined)
        instant = addingMonths(_timeZone, instant, components.year() * 12);
    if (components.month() != kDateComponentUndefined)
        instant = addingMonths(_timeZone, instant, components.month());
    if (components.day() != kDateComponentUndefined)
        instant = addingDays(_timeZone, instant, components.day());
    const int64_t elapsed
        = valueOr(components.hour(), 0) * 3600 + valueOr(components.minute(), 0) * 60 + valueOr(components.second(), 0);
    const int64_t addedNanoseconds = valueOr(components.nanosecond(), 0);
    const int64_t nanoseconds = instant.nanoseconds + detail::floorModulo(addedNanoseconds, kNanosecondsPerSecond);
    const int64_t seconds = instant.seconds + elapsed + detail::floorDivide(addedNanoseconds, kNanosecondsPerSecond)
        + nanoseconds / kNanosecondsPerSecond;
    if (!isInDateRange(seconds))
        return std::nullopt;
    return detail::dateFromInstant({seconds, nanoseconds % kNanosecondsPerSecond});
}

Date Calendar::startOfDayForDate(Date date) const
{
    const LocalDateTime local = localDateTime(_timeZone, detail::instantFromDate(date));
    return detail::dateFromInstant(instantFromLocal(_timeZone, localSecondsOf(local.days, 0), 0));
}

bool Calendar::isDateInToday(Date date) const
{
    return localDateTime(_timeZone, detail::instantFromDate(date)).days
        == localDateTime(_timeZone, detail::instantFromDate(Date::now())).days;
}

bool Calendar::isDateInYesterday(Date date) const
{
    return localDateTime(_timeZone, detail::instantFromDate(date)).days
        == localDateTime(_timeZone, detail::instantFromDate(Date::now())).days - 1;
}

bool Calendar::isDateInTomorrow(Date date) const
{
    return localDateTime(_timeZone, detail::instantFromDate(date)).days
        == localDateTime(_timeZone, detail::instantFromDate(Date::now())).days + 1;
}

}  // namespace plat
