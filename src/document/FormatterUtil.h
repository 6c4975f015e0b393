#pragma once
#include <cstdint>
#include <string>

#include "platform/foundation/Date.h"

namespace zt {

// Texts shown to the user: dates, durations, file sizes and clip times, in
// the local time zone and the current locale. Any thread (stateless).
class FormatterUtil {
public:
    // The medium date style without time; today, yesterday and tomorrow by name.
    static std::string getFormatedDate(plat::Date date);
    // The calendar difference between now and now plus the seconds: "mm:ss",
    // or "hh:mm:ss" when the hours are not 0; whole days and months are not
    // shown. Seconds that are not finite count as 0.
    static std::string getFormatedDuration(double seconds);
    // "%.0ld KB", "MB" or "GB" with the whole number of units (0 bytes is
    // " KB", as printf writes a zero with no digits); empty from 1001 GB on
    // and for negative sizes, which only damaged data has.
    static std::string getFormatedFileSize(int64_t bytes);
    // "mm:ss" from one minute on; below it "ss:hhh", the seconds and the
    // hundredths (12.345 is "12:034"). Negative and non-finite times count as 0.
    static std::string stringFromTime(float seconds);
};

}  // namespace zt
