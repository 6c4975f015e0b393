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
    if (_deadlineUptime && timeRemaining() <= 0) {
        log("application: no background task begins once the background time has run out");
        return BackgroundTaskInvalid;
    }
    const BackgroundTaskIdentifier identifier = ++_lastIdentifier;
    _handlers.emplace(identifier, std::move(expirationHandler));
    return identifier;
}

void BackgroundTaskList::end(BackgroundTaskIdentifier identifier)
{
    _handlers.erase(identifier);
}

void BackgroundTaskList::appEnteredBackground()
{
    if (_deadlineUptime)
        return;
    _deadlineUptime = Clock::current().uptimeSeconds() + kAllowedSeconds;
    _expiryTimer = Timer::scheduledTimerWithTimeInterval(
        kAllowedSeconds, [this] { expire(); }, /*repeats=*/false);
}

void BackgroundTaskList::appEnteredForeground()
{
    cancelExpiry();
    _deadlineUptime.reset();
}

double BackgroundTaskList::timeRemaining() const
{
    if (!_deadlineUptime)
        return std::numeric_limits<double>::max();
    return std::max(0.0, *_deadlineUptime - Clock::current().uptimeSeconds());
}

void BackgroundTaskList::reset()
{
    cancelExpiry();
    _deadlineUptime.reset();
    _handlers.clear();
}

void BackgroundTaskList::expire()
{
    _expiryTimer.reset();
    // Handlers end their own tasks (and may begin or end others): call each
    // task that is still running when its turn comes, oldest first.
    std::vector<BackgroundTaskIdentifier> running;
    for (const auto& [identifier, handler] : _handlers)
        running.push_back(identifier);
    for (BackgroundTaskIdentifier identifier : running) {
        auto it = _handlers.find(identifier);
        if (it == _handlers.end())
            continue;
        auto handler = it->second;
        if (handler)
            handler();
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
