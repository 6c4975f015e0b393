#include "platform/foundation/Clock.h"

#include <ctime>
#include <mutex>

namespace plat {

namespace {

std::mutex currentLock;
std::shared_ptr<Clock> currentClock;  // guarded by currentLock

}  // namespace

Clock& Clock::current()
{
    return *currentShared();
}

std::shared_ptr<Clock> Clock::currentShared()
{
    std::lock_guard lock(currentLock);
    if (!currentClock)
        currentClock = std::make_shared<SystemClock>();
    return currentClock;
}

void Clock::setCurrent(std::shared_ptr<Clock> clock)
{
    std::lock_guard lock(currentLock);
    currentClock = std::move(clock);
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

}  // namespace plat
