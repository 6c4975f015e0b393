#include "render/ApplicationIdleTimer.h"

#include <mutex>

namespace zt {

namespace {

struct IdleTimerState {
    std::mutex lock;
    bool disabled = false;  // guarded by lock
    std::function<void(bool)> observer;  // guarded by lock
};

IdleTimerState& state()
{
    static IdleTimerState shared;
    return shared;
}

}  // namespace

void ApplicationIdleTimer::setIdleTimerDisabled(bool disabled)
{
    std::function<void(bool)> observer;
    {
        std::lock_guard lock(state().lock);
        state().disabled = disabled;
        observer = state().observer;
    }
    if (observer)
        observer(disabled);
}

bool ApplicationIdleTimer::isIdleTimerDisabled()
{
    std::lock_guard lock(state().lock);
    return state().disabled;
}

void ApplicationIdleTimer::setObserver(std::function<void(bool disabled)> observer)
{
    std::lock_guard lock(state().lock);
    state().observer = std::move(observer);
}

}  // namespace zt
