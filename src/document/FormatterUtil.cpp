#include "document/FormatterUtil.h"

#include <climits>
#include <cmath>
#include <cstdio>

#include "platform/foundation/Calendar.h"
#include "platform/foundation/DateFormatter.h"

namespace zt {

namespace {

constexpr int64_t kKilobyte = 1024;
constexpr int64_t kMegabyte = kKilobyte * 1024;
constexpr int64_t kGigabyte = kMegabyte * 1024;
// A size moves to the next unit only past 1000 of the smaller one.
constexpr int64_t kUnitsBeforeNextUnit = 1001;
// Longer times would not fit the minutes into an int.
constexpr double kLongestTimeSeconds = 60.0 * INT_MAX;

std::string fileSizeText(int64_t bytes, int64_t unit, const char* format)
{
    char text[64];
    std::snprintf(text, sizeof text, format, static_cast<long>(bytes / unit));
    return text;
}

}  // namespace

std::string FormatterUtil::getFormatedDate(plat::Date date)
{
    plat::DateFormatter formatter;
    formatter.setDateStyle(plat::DateFormatterStyle::Medium);
    formatter.setTimeStyle(plat::DateFormatterStyle::None);
    formatter.setDoesRelativeDateFormatting(/*doesRelativeDateFormatting=*/true);
    return formatter.stringFromDate(date);
}

std::string FormatterUtil::getFormatedDuration(double seconds)
{
    if (!std::isfinite(seconds))
        seconds = 0;
    const plat::Date now = plat::Date::now();
    constexpr auto kUnits = plat::CalendarUnit::Month | plat::CalendarUnit::Day | plat::CalendarUnit::Hour
        | plat::CalendarUnit::Minute | plat::CalendarUnit::Second;
    const plat::DateComponents difference
        = plat::Calendar::currentCalendar().components(kUnits, now, now.addingTimeInterval(seconds));
    // Days and months absorb the rest, so these are all below 60.
    const int hours = static_cast<int>(difference.hour());
    const int minutes = static_cast<int>(difference.minute());
    const int wholeSeconds = static_cast<int>(difference.second());
    char text[64];
    if (hours != 0)
        std::snprintf(text, sizeof text, "%.2d:%.2d:%.2d", hours, minutes, wholeSeconds);
    else
        std::snprintf(text, sizeof text, "%.2d:%.2d", minutes, wholeSeconds);
    return text;
}

std::string FormatterUtil::getFormatedFileSize(int64_t bytes)
{
    if (bytes < 0)
        return "";
    if (bytes < kUnitsBeforeNextUnit * kKilobyte)
        return fileSizeText(bytes, kKilobyte, "%.0ld KB");
    if (bytes < kUnitsBeforeNextUnit * kMegabyte)
        return fileSizeText(bytes, kMegabyte, "%.0ld MB");
    if (bytes < kUnitsBeforeNextUnit * kGigabyte)
        return fileSizeText(bytes, kGigabyte, "%.0ld GB");
    return "";
}

std::string FormatterUtil::stringFromTime(float seconds)
{
    double time = seconds;
    if (!std::isfinite(time) || time < 0)
        time = 0;
    time = std::fmin(time, kLongestTimeSeconds);
    const double minutes = std::floor(time / 60);
    const int wholeSeconds = static_cast<int>(time - 60 * minutes);
    char text[64];
    if (minutes >= 1) {
        std::snprintf(text, sizeof text, "%.2d:%.2d", static_cast<int>(minutes), wholeSeconds);
    } else {
        const int hundredths = static_cast<int>((time - std::floor(time)) * 100);
        std::snprintf(text, sizeof text, "%.2d:%.3d", wholeSeconds, hundredths);
    }
    return text;
}

}  // namespace zt
