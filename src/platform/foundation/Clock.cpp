#include "platform/foundation/Clock.h"

#include <cmath>
#include <ctime>
#include <mutex>
#include <vector>

#include "platform/foundation/Fatal.h"
#include "platform/foundation/RunLoop.h"

namespace plat {

namespace {

// Never destroyed: timer threads still read the current clock while the
// process runs its exit handlers.
struct ClockRegistry {
    std::mutex currentLock;
    std::shared_ptr<Clock> current;  // guarded by currentLock
    std::mutex handlersLock;
    std::vector<std::function<void()>> changeHandlers;  // guarded by handlersLock
};

ClockRegistry& registry()
{
    static ClockRegistry* shared = new ClockRegistry();
    return *shared;
}

}  // namespace

Clock& Clock::current()
{
    // The reference must outlive a clock replaced meanwhile on another
    // thread (a test putting its manual clock away while a camera's tick
    // still reads it): the calling thread keeps what it read until it reads
    // again.
    thread_local std::shared_ptr<Clock> lastRead;
    lastRead = currentShared();
    return *lastRead;
}

std::shared_ptr<Clock> Clock::currentShared()
{
    auto& clocks = registry();
    std::lock_guard lock(clocks.currentLock);
    if (!clocks.current)
        clocks.current = std::make_shared<SystemClock>();
    return clocks.current;
}

void Clock::setCurrent(std::shared_ptr<Clock> clock)
{
    auto& clocks = registry();
    {
        std::lock_guard lock(clocks.currentLock);
        clocks.current = std::move(clock);
    }
    std::vector<std::function<void()>> handlers;
    {
        std::lock_guard lock(clocks.handlersLock);
        handlers = clocks.changeHandlers;
    }
    for (const auto& handler : handlers)
        handler();
}

double SystemClock::uptimeSeconds() const
{
    timespec now {};
    ::clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) / 1e9;
}

Date SystemClock::date() const
{
    timespec now {};
    ::clock_gettime(CLOCK_REALTIME, &now);
    return Date::withTimeIntervalSince1970(static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) / 1e9);
}

ManualClock::ManualClock(double startUptimeSeconds, Date startDate, BackgroundWork backgroundWork)
    : _startUptime(startUptimeSeconds)
    , _startDate(startDate)
    , _backgroundWork(backgroundWork)
    , _uptime(startUptimeSeconds)
{
}

double ManualClock::uptimeSeconds() const
{
    return _uptime.load();
}

Date ManualClock::date() const
{
    return _startDate.addingTimeInterval(_uptime.load() - _startUptime);
}

void ManualClock::advance(double seconds)
{
    if (!(seconds >= 0) || !std::isfinite(seconds))
        detail::fatal("ManualClock::advance: cannot advance by {} seconds", seconds);
    if (!isMainThread())
        detail::fatal("ManualClock::advance: call it on the main thread");
    if (Clock::currentShared().get() != this)
        detail::fatal("ManualClock::advance: this clock is not the current clock");
    RunLoop::main().runUntilUptime(_uptime.load() + seconds, RunLoop::StopRequests::Ignore);
}

void ManualClock::moveTo(double uptimeSeconds)
{
    // Never backwards: a nested advance may already have gone further.
    double now = _uptime.load();
    while (uptimeSeconds > now && !_uptime.compare_exchange_weak(now, uptimeSeconds)) { }
}

namespace detail {

void addClockChangeHandler(std::function<void()> handler)
{
    auto& clocks = registry();
    std::lock_guard lock(clocks.handlersLock);
    clocks.changeHandlers.push_back(std::move(handler));
}

}  // namespace detail

}  // namespace plat
