#pragma once
#include <algorithm>
#include <cmath>
#include <compare>
#include <cstdint>

#include "platform/foundation/Date.h"

// A date as whole seconds and nanoseconds, the form in which the calendar,
// the date formatter and the time zones hand dates to ICU. Any thread (pure
// functions).
namespace plat::detail {

inline constexpr int64_t kNanosecondsPerSecond = 1'000'000'000;
// ICU's calendar reaches about 5.8 million years either way of 1970. Dates
// are held a little inside that (about 4.75 million years), so that a step
// of a unit beyond a date still lands where ICU can count.
inline constexpr int64_t kMaximumUnixSeconds = 150'000'000'000'000;

struct Instant {
    int64_t seconds = 0;  // since 1970
    int64_t nanoseconds = 0;  // 0 ... 999'999'999

    auto operator<=>(const Instant&) const = default;
};

inline int64_t clampUnixSeconds(int64_t seconds)
{
    return seconds < -kMaximumUnixSeconds ? -kMaximumUnixSeconds
                                          : (seconds > kMaximumUnixSeconds ? kMaximumUnixSeconds : seconds);
}

// NaN becomes the epoch; infinities and huge values are held at the limit.
inline Instant instantFromDate(Date date)
{
    const double since1970 = date.timeIntervalSince1970();
    if (std::isnan(since1970))
        return {};
    const double limit = static_cast<double>(kMaximumUnixSeconds);
    const double clamped = std::fmax(-limit, std::fmin(limit, since1970));
    const double whole = std::floor(clamped);
    Instant instant {static_cast<int64_t>(whole), std::llround((clamped - whole) * 1e9)};
    if (instant.nanoseconds >= kNanosecondsPerSecond) {
        instant.seconds += 1;
        instant.nanoseconds -= kNanosecondsPerSecond;
    }
    return instant;
}

inline Date dateFromInstant(Instant instant)
{
    return Date::withTimeIntervalSince1970(static_cast<double>(instant.seconds)
        + static_cast<double>(instant.nanoseconds) / static_cast<double>(kNanosecondsPerSecond));
}

// ICU's milliseconds of the whole second.
inline double icuMillisecondsOfSecond(int64_t unixSeconds)
{
    return static_cast<double>(unixSeconds) * 1000.0;
}

// ICU's milliseconds of the instant, whole. A date's double holds about a
// tenth of a microsecond today, so 0.678 s may arrive as 0.677999973:
// round to whole microseconds first, then cut to the millisecond (0.9996 s
// stays in its second as 999 ms).
inline double icuMilliseconds(Instant instant)
{
    constexpr int64_t kMicrosecondsPerSecond = 1'000'000;
    const int64_t microseconds = std::min((instant.nanoseconds + 500) / 1000, kMicrosecondsPerSecond - 1);
    return icuMillisecondsOfSecond(instant.seconds) + static_cast<double>(microseconds / 1000);
}

inline int64_t unixSecondsFromICUMilliseconds(double milliseconds)
{
    return static_cast<int64_t>(std::floor(milliseconds / 1000.0));
}

}  // namespace plat::detail
