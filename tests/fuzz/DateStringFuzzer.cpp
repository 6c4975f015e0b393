// Date text from feeds and servers, read with the patterns the app uses; and
// arbitrary patterns, written and read back.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/foundation/DateFormatter.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0)
        return 0;
    static const char* const kPatterns[] = {"yyyy-MM-dd'T'HH:mm:ss.SSSZZZZZ", "EEE, dd MMM yyyy HH:mm:ss zzz",
        "EEE, dd MMM yyyy HH:mm:ss Z", "yyyy-MM-dd-HH-mm-ss", "yyyyMMddHHmmssSSS", "M-dd_hh-mm-ssa"};
    const std::string_view text(reinterpret_cast<const char*>(data + 1), size - 1);
    plat::DateFormatter formatter;
    formatter.setTimeZone(plat::TimeZone::timeZoneWithName("Europe/Berlin").value_or(plat::TimeZone::utc()));
    if (data[0] % 2 == 0) {
        formatter.setDateFormat(kPatterns[data[0] / 2 % std::size(kPatterns)]);
        if (auto date = formatter.dateFromString(text))
            (void)formatter.stringFromDate(*date);
    } else {
        formatter.setDateFormat(std::string(text));
        const std::string written = formatter.stringFromDate(plat::Date::withTimeIntervalSince1970(1796655845.678));
        (void)formatter.dateFromString(written);
        (void)formatter.dateFromString(text);
    }
    return 0;
}
