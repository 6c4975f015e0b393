#pragma once
#include <memory>
#include <unicode/timezone.h>

#include "platform/foundation/TimeZone.h"
#include "platform/foundation/TimeZoneRules.h"

// Not a public header: it brings in ICU.
namespace plat::detail {

// One of our zones as ICU sees it: offsets from our rules (the system's time
// zone files, a TZ rule, a fixed offset), and our zone's name as its ID, by
// which ICU finds the localized names of the zones it knows. Immutable
// after construction; any thread may call its const members.
class RulesTimeZone final : public icu::TimeZone {
public:
    explicit RulesTimeZone(std::shared_ptr<const TimeZoneRules> rules);
    static std::unique_ptr<icu::TimeZone> forTimeZone(const plat::TimeZone& timeZone);

    // A local wall time skipped by a clock change is read with the offset
    // from before the change, so it lands after it; one that occurs twice is
    // the later occurrence. Those are ICU's own defaults, which its calendar
    // leaves to a zone of this kind.
    void getOffset(UDate date, UBool local, int32_t& rawOffset, int32_t& dstOffset, UErrorCode& status) const override;
    int32_t getOffset(uint8_t era, int32_t year, int32_t month, int32_t day, uint8_t dayOfWeek, int32_t milliseconds,
        UErrorCode& status) const override;
    int32_t getOffset(uint8_t era, int32_t year, int32_t month, int32_t day, uint8_t dayOfWeek, int32_t milliseconds,
        int32_t monthLength, UErrorCode& status) const override;
    void setRawOffset(int32_t offsetMillis) override;
    int32_t getRawOffset() const override;
    UBool useDaylightTime() const override;
    UBool inDaylightTime(UDate date, UErrorCode& status) const override;
    UBool hasSameRules(const icu::TimeZone& other) const override;
    bool operator==(const icu::TimeZone& other) const override;
    RulesTimeZone* clone() const override;

    static UClassID getStaticClassID();
    UClassID getDynamicClassID() const override;

private:
    const LocalTimeType& typeAtLocalTime(int64_t localSeconds) const;

    std::shared_ptr<const TimeZoneRules> _rules;
};

}  // namespace plat::detail
