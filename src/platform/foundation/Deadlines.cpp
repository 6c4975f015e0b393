#include "platform/foundation/Deadlines.h"

#include "platform/foundation/Clock.h"

namespace plat::detail {

namespace {

// A waiter whose deadline is further away than this wakes early and looks
// again, which keeps the conversion to steady-clock ticks far from overflow.
constexpr double kLongestSingleWaitSeconds = 3600;
// Timeouts longer than this (about 31 years) count as infinite.
constexpr double kLongestFiniteTimeoutSeconds = 1e9;

std::chrono::steady_clock::time_point steadyNowPlus(double seconds)
{
    return std::chrono::steady_clock::now()
        + std::chrono::duration_cast<std::chrono::steady_clock::duration>(std::chrono::duration<double>(seconds));
}

}  // namespace

std::chrono::steady_clock::time_point steadyDeadlineFor(const Clock& clock, double uptimeSeconds)
{
    double remaining = uptimeSeconds - clock.uptimeSeconds();
    if (!(remaining > 0))
        remaining = 0;
    return steadyNowPlus(remaining < kLongestSingleWaitSeconds ? remaining : kLongestSingleWaitSeconds);
}

std::optional<std::chrono::steady_clock::time_point> realTimeDeadlineAfter(double timeoutSeconds)
{
    if (timeoutSeconds > kLongestFiniteTimeoutSeconds)
        return std::nullopt;
    return steadyNowPlus(timeoutSeconds > 0 ? timeoutSeconds : 0);  // NaN waits not at all
}

}  // namespace plat::detail
