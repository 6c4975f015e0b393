#pragma once
#include <chrono>
#include <optional>

namespace plat {
class Clock;
}

// Deadlines for waiting on condition variables. Waiting is how blocked
// threads pass time without spinning; these turn our clock's moments and
// synchronisation timeouts into steady-clock deadlines.
namespace plat::detail {

// The steady-clock moment at which clock will show uptimeSeconds. Far
// deadlines are clamped: the waiter wakes at the clamp and looks again.
std::chrono::steady_clock::time_point steadyDeadlineFor(const Clock& clock, double uptimeSeconds);

// The deadline of a synchronisation timeout (semaphores, groups), or nothing
// for an infinite (or absurdly long) one.
std::optional<std::chrono::steady_clock::time_point> realTimeDeadlineAfter(double timeoutSeconds);

}  // namespace plat::detail
