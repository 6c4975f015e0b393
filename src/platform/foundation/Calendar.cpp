#include "platform/foundation/Calendar.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <unicode/gregocal.h>

#include "platform/foundation/CalendarArithmetic.h"
#include "platform/foundation/DateInstant.h"
#include "platform/foundation/Fatal.h"
#include "platform/foundation/ICUObjectPool.h"
#include "platform/foundation/RulesTimeZone.h"

namespace plat {

namespace {

using detail::Instant;
using detail::kMaximumUnixSeconds;
using detail::kNanosecondsPerSecond;

using detail::kSecondsPerDay;
constexpr double kSecondsPerYear = 365.2425 * static_cast<double>(kSecondsPerDay);
constexpr double kYearsPerYear = 1;
constexpr double kYearsPerMonth = 1.0 / 12;
constexpr double kYearsPerDay = 1.0 / 365.2425;
// The years either way of 1970 that dates reach (kMaximumUnixSeconds).
constexpr double kMaximumYears = static_cast<double>(kMaximumUnixSeconds) / kSecondsPerYear;
// Bounds on the fields of dateFromComponents and dateByAddingComponents,
// about the span of the range in each unit: sums of them stay far inside 64
// bits. ICU keeps fields and day counts in 32 bits, which is checked where
// fields go to ICU.
constexpr int64_t kMaximumYearField = 2 * static_cast<int64_t>(kMaximumYears) + 2;
constexpr int64_t kMaximumMonthField = kMaximumYearField * 12;
constexpr int64_t kMaximumDayField = kMaximumYearField * 366;
constexpr int64_t kMaximumHourField = kMaximumDayField * 24;
constexpr int64_t kMaximumMinuteField = kMaximumHourField * 60;
constexpr int64_t kMaximumSecondField = kMaximumMinuteField * 60;
constexpr int64_t kLargestICUField = std::numeric_limits<int32_t>::max();
// ICU adds at most this many units at once.
constexpr int64_t kLargestICUStep = std::numeric_limits<int32_t>::max() / 2;

struct PooledCalendar {
    std::unique_ptr<icu::Calendar> calendar;
    std::shared_ptr<const detail::TimeZoneRules> zone;  // the calendar's, held so that its identity stays unique
};

detail::ICUObjectPool<PooledCalendar>& calendarPool()
{
    // Never destroyed: calendars in use during process exit find it alive.
    static auto* pool = new detail::ICUObjectPool<PooledCalendar>();
    return *pool;
}

// ICU's Gregorian calendar in a zone, lent for one use on one thread. Like
// the platform's, it counts Julian dates before 15 October 1582. Lenient:
// fields out of their range carry over.
class LentCalendar {
public:
    explicit LentCalendar(const TimeZone& timeZone)
        : _loan(calendarPool().lend({}, [&](const std::string&) { return makeCalendar(timeZone); }))
    {
        if (_loan->zone != detail::rulesOf(timeZone)) {
            _loan->calendar->adoptTimeZone(detail::RulesTimeZone::forTimeZone(timeZone).release());
            _loan->zone = detail::rulesOf(timeZone);
        }
    }

    icu::Calendar* operator->() const { return _loan->calendar.get(); }

    void setUnixSeconds(int64_t seconds)
    {
        UErrorCode status = U_ZERO_ERROR;
        _loan->calendar->setTime(detail::icuMillisecondsOfSecond(seconds), status);
    }

    int64_t unixSeconds() const
    {
        UErrorCode status = U_ZERO_ERROR;
        const UDate milliseconds = _loan->calendar->getTime(status);
        return U_SUCCESS(status) ? detail::unixSecondsFromICUMilliseconds(milliseconds) : 0;
    }

    int32_t field(UCalendarDateFields field) const
    {
        UErrorCode status = U_ZERO_ERROR;
        return _loan->calendar->get(field, status);
    }

    // Adds in steps ICU takes; the date stays where ICU holds it at the end
    // of its range.
    void add(UCalendarDateFields field, int64_t amount)
    {
        while (amount != 0) {
            const int64_t step = std::clamp(amount, -kLargestICUStep, kLargestICUStep);
            UErrorCode status = U_ZERO_ERROR;
            _loan->calendar->add(field, static_cast<int32_t>(step), status);
            amount -= step;
        }
    }

private:
    static std::unique_ptr<PooledCalendar> makeCalendar(const TimeZone& timeZone)
    {
        UErrorCode status = U_ZERO_ERROR;
        auto pooled = std::make_unique<PooledCalendar>();
        pooled->calendar = std::make_unique<icu::GregorianCalendar>(
            detail::RulesTimeZone::forTimeZone(timeZone).release(), icu::Locale("en_US"), status);
        if (U_FAILURE(status))
            detail::fatal("calendar: ICU makes no Gregorian calendar: {}", u_errorName(status));
        pooled->zone = detail::rulesOf(timeZone);
        return pooled;
    }

    detail::ICUObjectPool<PooledCalendar>::Loan _loan;
};

int64_t valueOr(int64_t value, int64_t fallback)
{
    return value == kDateComponentUndefined ? fallback : value;
}

bool isWithin(int64_t value, int64_t limit)
{
    return value == kDateComponentUndefined || (value >= -limit && value <= limit);
}

bool hasBoundedFields(const DateComponents& components)
{
    return isWithin(components.year(), kMaximumYearField) && isWithin(components.month(), kMaximumMonthField)
        && isWithin(components.day(), kMaximumDayField) && isWithin(components.hour(), kMaximumHourField)
        && isWithin(components.minute(), kMaximumMinuteField) && isWithin(components.second(), kMaximumSecondField);
}

bool isInDateRange(int64_t unixSeconds)
{
    return unixSeconds >= -kMaximumUnixSeconds && unixSeconds <= kMaximumUnixSeconds;
}

bool isWithinYears(double years)
{
    return std::fabs(years) <= kMaximumYears;
}

double yearsSince1970(int64_t unixSeconds)
{
    return static_cast<double>(unixSeconds) / kSecondsPerYear;
}

// The date `amount` units of the field after `base`, keeping its fraction of
// a second; dates that would leave the range are held at its end.
Instant addingCalendarUnits(
    LentCalendar& calendar, Instant base, UCalendarDateFields field, int64_t amount, double yearsPerUnit)
{
    const double reachedYears = yearsSince1970(base.seconds) + static_cast<double>(amount) * yearsPerUnit;
    if (!isWithinYears(reachedYears))
        return {reachedYears < 0 ? -kMaximumUnixSeconds : kMaximumUnixSeconds, base.nanoseconds};
    calendar.setUnixSeconds(base.seconds);
    calendar.add(field, amount);
    return {detail::clampUnixSeconds(calendar.unixSeconds()), base.nanoseconds};
}

Instant addingSeconds(Instant base, int64_t seconds)
{
    return {detail::clampUnixSeconds(base.seconds + seconds), base.nanoseconds};
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

struct LocalFields {
    int64_t extendedYear;  // astronomical: 0 is 1 BC
    int64_t month;  // 0 ... 11
    int64_t julianDay;
};

LocalFields localFieldsAt(LentCalendar& calendar, int64_t unixSeconds)
{
    calendar.setUnixSeconds(unixSeconds);
    return {calendar.field(UCAL_EXTENDED_YEAR), calendar.field(UCAL_MONTH), calendar.field(UCAL_JULIAN_DAY)};
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
    LentCalendar calendar(_timeZone);
    calendar.setUnixSeconds(instant.seconds);
    DateComponents result;
    if (containsUnit(units, CalendarUnit::Era))
        result.setEra(calendar.field(UCAL_ERA));
    if (containsUnit(units, CalendarUnit::Year))
        result.setYear(calendar.field(UCAL_YEAR));
    if (containsUnit(units, CalendarUnit::Month))
        result.setMonth(calendar.field(UCAL_MONTH) + 1);
    if (containsUnit(units, CalendarUnit::Day))
        result.setDay(calendar.field(UCAL_DATE));
    if (containsUnit(units, CalendarUnit::Hour))
        result.setHour(calendar.field(UCAL_HOUR_OF_DAY));
    if (containsUnit(units, CalendarUnit::Minute))
        result.setMinute(calendar.field(UCAL_MINUTE));
    if (containsUnit(units, CalendarUnit::Second))
        result.setSecond(calendar.field(UCAL_SECOND));
    if (containsUnit(units, CalendarUnit::Nanosecond))
        result.setNanosecond(instant.nanoseconds);
    if (containsUnit(units, CalendarUnit::Weekday))
        result.setWeekday(calendar.field(UCAL_DAY_OF_WEEK));
    return result;
}

DateComponents Calendar::components(CalendarUnit units, Date fromDate, Date toDate) const
{
    Instant current = detail::instantFromDate(fromDate);
    const Instant target = detail::instantFromDate(toDate);
    const bool forward = target >= current;
    const int64_t direction = forward ? 1 : -1;
    auto fits = [&](Instant candidate) { return forward ? candidate <= target : candidate >= target; };
    LentCalendar calendar(_timeZone);

    // The most steps of one unit from `current` that do not pass the target,
    // starting from an estimate that is off by a step or two at most (ICU's
    // own search overshoots the ends of its range). Steps that make no
    // progress (dates held at the end of the range) end the count.
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
    auto stepsOf = [&](UCalendarDateFields field, double yearsPerUnit) {
        return [&calendar, field, yearsPerUnit, base = current](int64_t amount) {
            return amount == 0 ? base : addingCalendarUnits(calendar, base, field, amount, yearsPerUnit);
        };
    };

    DateComponents result;
    const LocalFields targetFields = localFieldsAt(calendar, target.seconds);
    if (containsUnit(units, CalendarUnit::Year)) {
        const int64_t estimate = targetFields.extendedYear - localFieldsAt(calendar, current.seconds).extendedYear;
        result.setYear(countSteps(stepsOf(UCAL_YEAR, kYearsPerYear), estimate));
    }
    if (containsUnit(units, CalendarUnit::Month)) {
        const LocalFields currentFields = localFieldsAt(calendar, current.seconds);
        const int64_t estimate = (targetFields.extendedYear - currentFields.extendedYear) * 12
            + (targetFields.month - currentFields.month);
        result.setMonth(countSteps(stepsOf(UCAL_MONTH, kYearsPerMonth), estimate));
    }
    if (containsUnit(units, CalendarUnit::Day)) {
        const int64_t estimate = targetFields.julianDay - localFieldsAt(calendar, current.seconds).julianDay;
        result.setDay(countSteps(stepsOf(UCAL_DATE, kYearsPerDay), estimate));
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
    const int64_t era = valueOr(components.era(), 1) == 0 ? 0 : 1;
    const int64_t yearOfEra = valueOr(components.year(), 1);
    const int64_t month = valueOr(components.month(), 1);
    const int64_t nanoseconds = valueOr(components.nanosecond(), 0);
    // The time of day carries into the days here, on the wall clock, as
    // ICU would carry it: ICU's fields hold 32 bits.
    const int64_t secondsInAll = valueOr(components.hour(), 0) * 3600 + valueOr(components.minute(), 0) * 60
        + valueOr(components.second(), 0) + detail::floorDivide(nanoseconds, kNanosecondsPerSecond);
    const int64_t day = valueOr(components.day(), 1) + detail::floorDivide(secondsInAll, kSecondsPerDay);
    const int64_t secondOfDay = detail::floorModulo(secondsInAll, kSecondsPerDay);
    // Each sum along the way stays in the range, so that none of ICU's day
    // counts overflows.
    const double yearsFromMonths = static_cast<double>(era == 0 ? 1 - yearOfEra : yearOfEra) - 1970
        + static_cast<double>(month - 1) * kYearsPerMonth;
    const double yearsFromDays = yearsFromMonths + static_cast<double>(day - 1) * kYearsPerDay;
    if (!isWithinYears(yearsFromMonths) || !isWithinYears(yearsFromDays) || day > kLargestICUField
        || day < -kLargestICUField)
        return std::nullopt;

    LentCalendar calendar(_timeZone);
    calendar->clear();
    calendar->set(UCAL_ERA, static_cast<int32_t>(era));
    calendar->set(UCAL_YEAR, static_cast<int32_t>(yearOfEra));
    calendar->set(UCAL_MONTH, static_cast<int32_t>(month - 1));
    calendar->set(UCAL_DATE, static_cast<int32_t>(day));
    calendar->set(UCAL_HOUR_OF_DAY, static_cast<int32_t>(secondOfDay / 3600));
    calendar->set(UCAL_MINUTE, static_cast<int32_t>(secondOfDay % 3600 / 60));
    calendar->set(UCAL_SECOND, static_cast<int32_t>(secondOfDay % 60));
    calendar->set(UCAL_MILLISECOND, 0);
    UErrorCode status = U_ZERO_ERROR;
    const UDate milliseconds = calendar->getTime(status);
    const int64_t seconds = detail::unixSecondsFromICUMilliseconds(milliseconds);
    if (U_FAILURE(status) || !isInDateRange(seconds))
        return std::nullopt;
    return detail::dateFromInstant({seconds, detail::floorModulo(nanoseconds, kNanosecondsPerSecond)});
}

std::optional<Date> Calendar::dateByAddingComponents(const DateComponents& components, Date date) const
{
    if (!hasBoundedFields(components))
        return std::nullopt;
    Instant instant = detail::instantFromDate(date);
    LentCalendar calendar(_timeZone);
    // Years, months and days one after the other, as the platform adds them:
    // each step keeps the day where the month has it, and the clock time.
    if (components.year() != kDateComponentUndefined)
        instant = addingCalendarUnits(calendar, instant, UCAL_YEAR, components.year(), kYearsPerYear);
    if (components.month() != kDateComponentUndefined)
        instant = addingCalendarUnits(calendar, instant, UCAL_MONTH, components.month(), kYearsPerMonth);
    if (components.day() != kDateComponentUndefined)
        instant = addingCalendarUnits(calendar, instant, UCAL_DATE, components.day(), kYearsPerDay);
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
    LentCalendar calendar(_timeZone);
    calendar.setUnixSeconds(detail::instantFromDate(date).seconds);
    calendar->set(UCAL_HOUR_OF_DAY, 0);
    calendar->set(UCAL_MINUTE, 0);
    calendar->set(UCAL_SECOND, 0);
    calendar->set(UCAL_MILLISECOND, 0);
    return detail::dateFromInstant({detail::clampUnixSeconds(calendar.unixSeconds()), 0});
}

namespace {

int32_t julianDayOf(const TimeZone& timeZone, Date date)
{
    LentCalendar calendar(timeZone);
    calendar.setUnixSeconds(detail::instantFromDate(date).seconds);
    return calendar.field(UCAL_JULIAN_DAY);
}

}  // namespace

bool Calendar::isDateInToday(Date date) const
{
    return julianDayOf(_timeZone, date) == julianDayOf(_timeZone, Date::now());
}

bool Calendar::isDateInYesterday(Date date) const
{
    return julianDayOf(_timeZone, date) == julianDayOf(_timeZone, Date::now()) - 1;
}

bool Calendar::isDateInTomorrow(Date date) const
{
    return julianDayOf(_timeZone, date) == julianDayOf(_timeZone, Date::now()) + 1;
}

}  // namespace plat
