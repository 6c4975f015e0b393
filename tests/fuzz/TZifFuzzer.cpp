// TZif files from disk: any bytes give a zone or none, and a zone answers
// every date.
#include <cstddef>
#include <cstdint>
#include <span>

#include "platform/foundation/TimeZone.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const auto zone = plat::TimeZone::timeZoneWithName("Fuzz/Zone", std::span<const uint8_t>(data, size));
    if (!zone)
        return 0;
    for (const double seconds : {-1e18, -5e9, -1.0, 0.0, 1.8e9, 4.1e9, 1e12, 1e18}) {
        const auto date = plat::Date::withTimeIntervalSince1970(seconds);
        (void)zone->secondsFromGMTForDate(date);
        (void)zone->abbreviationForDate(date);
        (void)zone->isDaylightSavingTimeForDate(date);
    }
    return 0;
}
