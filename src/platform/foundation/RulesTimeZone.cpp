#include "platform/foundation/RulesTimeZone.h"

#include <cmath>
#include <limits>

#include "platform/foundation/CalendarArithmetic.h"

namespace plat::detail {

namespace {

constexpr int32_t kMillisecondsPerSecond = 1000;
// TZif files and TZ rules give a type's whole offset and whether it is
// daylight time, not how much of it is daylight saving. ICU's calendar and
// formatter use the sum and whether the daylight part is zero, so a daylight
// type counts one hour of it.
constexpr int32_t kDaylightSavingSeconds = 3600;
// The present, for the questions ICU asks without a date: the offsets in
// force in 2038, after every change the database knows today.
constexpr int64_t kPresentUnixSeconds = std::numeric_limits<int32_t>::max();
constexpr int64_t kHalfYearSeconds = 182 * kSecondsPerDay;

int64_t unixSecondsOf(UDate milliseconds)
{
    if (!std::isfinite(milliseconds))
        return 0;
    return static_cast<int64_t>(std::floor(milliseconds / kMillisecondsPerSecond));
}

void splitOffset(const LocalTimeType& type, int32_t& rawOffset, int32_t& dstOffset)
{
    const int32_t daylight = type.isDaylightSavingTime ? kDaylightSavingSeconds : 0;
    rawOffset = (type.utcOffsetSeconds - daylight) * kMillisecondsPerSecond;
    dstOffset = daylight * kMillisecondsPerSecond;
}

icu::UnicodeString idOf(const TimeZoneRules& rules)
{
    return icu::UnicodeString::fromUTF8(rules.name());
}

}  // namespace

RulesTimeZone::RulesTimeZone(std::shared_ptr<const TimeZoneRules> rules)
    : icu::TimeZone(idOf(*rules))
    , _rules(std::move(rules))
{
}

std::unique_ptr<icu::TimeZone> RulesTimeZone::forTimeZone(const plat::TimeZone& timeZone)
{
    return std::make_unique<RulesTimeZone>(rulesOf(timeZone));
}

const LocalTimeType& RulesTimeZone::typeAtLocalTime(int64_t localSeconds) const
{
    const auto offsetAt = [&](int64_t unixSeconds) { return _rules->typeAt(unixSeconds).utcOffsetSeconds; };
    const int64_t before = offsetAt(localSeconds - kSecondsPerDay);
    const int64_t after = offsetAt(localSeconds + kSecondsPerDay);
    const auto holds = [&](int64_t offset) { return offsetAt(localSeconds - offset) == offset; };
    if (before != after) {
        const bool beforeHolds = holds(before);
        const bool afterHolds = holds(after);
        if (beforeHolds && afterHolds)
            return _rules->typeAt(std::max(localSeconds - before, localSeconds - after));
        if (afterHolds)
            return _rules->typeAt(localSeconds - after);
        // Skipped: the offset from before the change.
        return _rules->typeAt(localSeconds - kSecondsPerDay);
    }
    // One offset on both sides, or two changes within a day: the offset in
    // force at the guess.
    return _rules->typeAt(localSeconds - before);
}

void RulesTimeZone::getOffset(UDate date, UBool local, int32_t& rawOffset, int32_t& dstOffset, UErrorCode& status) const
{
    if (U_FAILURE(status))
        return;
    const int64_t seconds = unixSecondsOf(date);
    splitOffset(local ? typeAtLocalTime(seconds) : _rules->typeAt(seconds), rawOffset, dstOffset);
}

int32_t RulesTimeZone::getOffset(uint8_t era, int32_t year, int32_t month, int32_t day, uint8_t /*dayOfWeek*/,
    int32_t milliseconds, UErrorCode& status) const
{
    if (U_FAILURE(status))
        return 0;
    if (month < UCAL_JANUARY || month > UCAL_DECEMBER) {
        status = U_ILLEGAL_ARGUMENT_ERROR;
        return 0;
    }
    const int64_t astronomicalYear = era == 0 ? 1 - int64_t {year} : year;
    const int64_t days = daysFromCivil(astronomicalYear, month + 1, day);
    const int64_t localSeconds = days * kSecondsPerDay + floorDivide(milliseconds, kMillisecondsPerSecond);
    return typeAtLocalTime(localSeconds).utcOffsetSeconds * kMillisecondsPerSecond;
}

int32_t RulesTimeZone::getOffset(uint8_t era, int32_t year, int32_t month, int32_t day, uint8_t dayOfWeek,
    int32_t milliseconds, int32_t /*monthLength*/, UErrorCode& status) const
{
    return getOffset(era, year, month, day, dayOfWeek, milliseconds, status);
}

void RulesTimeZone::setRawOffset(int32_t /*offsetMillis*/)
{
    // The rules are shared and immutable; ICU never changes a zone it was handed.
}

int32_t RulesTimeZone::getRawOffset() const
{
    int32_t rawOffset = 0;
    int32_t dstOffset = 0;
    splitOffset(_rules->typeAt(kPresentUnixSeconds), rawOffset, dstOffset);
    return rawOffset;
}

UBool RulesTimeZone::useDaylightTime() const
{
    return _rules->typeAt(kPresentUnixSeconds).isDaylightSavingTime
        || _rules->typeAt(kPresentUnixSeconds + kHalfYearSeconds).isDaylightSavingTime;
}

UBool RulesTimeZone::inDaylightTime(UDate date, UErrorCode& status) const
{
    if (U_FAILURE(status))
        return false;
    return _rules->typeAt(unixSecondsOf(date)).isDaylightSavingTime;
}

UBool RulesTimeZone::hasSameRules(const icu::TimeZone& other) const
{
    const auto* rules = dynamic_cast<const RulesTimeZone*>(&other);
    return rules != nullptr && (rules->_rules == _rules || *rules->_rules == *_rules);
}

bool RulesTimeZone::operator==(const icu::TimeZone& other) const
{
    return icu::TimeZone::operator==(other) && hasSameRules(other);
}

RulesTimeZone* RulesTimeZone::clone() const
{
    // ICU's calendars and formatters own the zones they are handed, by
    // cloning them; the clone shares the immutable rules.
    return new RulesTimeZone(*this);
}

UClassID RulesTimeZone::getStaticClassID()
{
    static char classID = 0;
    return &classID;
}

UClassID RulesTimeZone::getDynamicClassID() const
{
    return getStaticClassID();
}

}  // namespace plat::detail
