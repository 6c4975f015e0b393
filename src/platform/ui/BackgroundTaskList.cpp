#include "platform/ui/BackgroundTaskList.h"

#include <algorithm>
#include <limits>
#include <vector>

#include "platform/foundation/Clock.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/Timer.h"

namespace plat {

BackgroundTaskList::~BackgroundTaskList()
{
    cancelExpiry();
}

BackgroundTaskIdentifier BackgroundTaskList::begin(std::function<void()> expirationHandler)
{
    std::lock_guard guard(_lock);
    if (hasRunOutLocked()) {
        log("application: no background task begins once the background time has run out");
        return BackgroundTaskInvalid;
    }
    const BackgroundTaskIdentifier identifier = ++_lastIdentifier;
    _handlers.emplace(identifier, std::move(expirationHandler));
    return identifier;
}

void BackgroundTaskList::end(BackgroundTaskIdentifier identifier)
{
    std::function<void()> ended;  // released outside the lock: it may hold what ends tasks
    std::lock_guard guard(_lock);
    if (auto it = _handlers.find(identifier); it != _handlers.end()) {
        ended = std::move(it->second);
        _handlers.erase(it);
    }
}

size_t BackgroundTaskList::count() const
{
    std::lock_guard guard(_lock);
    return _handlers.size();
}

void BackgroundTaskList::appEnteredBackground()
{
    {
        std::lock_guard guard(_lock);
        if (_deadlineUptime)
            return;
        _deadlineUptime = Clock::current().uptimeSeconds() + kAllowedSeconds;
    }
    // The list lives as long as the application object, and stops the timer when it goes.
    _expiryTimer = Timer::scheduledTimerWithTimeInterval(
        kAllowedSeconds, [this] { expire(); }, /*repeats=*/false);
}

void BackgroundTaskList::appEnteredForeground()
{
    cancelExpiry();
    std::lock_guard guard(_lock);
    _deadlineUptime.reset();
}

double BackgroundTaskList::timeRemaining() const
{
    std::lock_guard guard(_lock);
    if (!_deadlineUptime)
        return std::numeric_limits<double>::max();
    return std::max(0.0, *_deadlineUptime - Clock::current().uptimeSeconds());
}

void BackgroundTaskList::reset()
{
    cancelExpiry();
    std::map<BackgroundTaskIdentifier, std::function<void()>> forgotten;
    std::lock_guard guard(_lock);
    _deadlineUptime.reset();
    forgotten.swap(_handlers);
}

bool BackgroundTaskList::hasRunOutLocked() const
{
    return _deadlineUptime && Clock::current().uptimeSeconds() >= *_deadlineUptime;
}

void BackgroundTaskList::expire()
{
    _expiryTimer.reset();
    // Handlers end their own tasks (and may begin or end others): each task
    // still running when its turn comes is told, oldest first, outside the lock.
    std::vector<BackgroundTaskIdentifier> running;
    {
        std::lock_guard guard(_lock);
        for (const auto& [identifier, handler] : _handlers)
            running.push_back(identifier);
    }
    for (BackgroundTaskIdentifier identifier : running) {
        std::function<void()> handler;
        {
            std::lock_guard guard(_lock);
            auto it = _handlers.find(identifier);
            if (it == _handlers.end())
                continue;
            handler = it->second;
        }
        if (handler)
            handler();
        std::lock_guard guard(_lock);
        if (_handlers.erase(identifier) > 0)
            log("application: background task {} was not ended by its expiration handler", identifier);
    }
}

void BackgroundTaskList::cancelExpiry()
{
    if (auto timer = std::move(_expiryTimer))
        timer->invalidate();
}

}  // namespace plat
