#include "platform/ui/DisplayLink.h"

#include "platform/foundation/Timer.h"
#include "platform/ui/Animation.h"

namespace plat {

DisplayLink::~DisplayLink()
{
    if (_timer)
        _timer->invalidate();
}

void DisplayLink::addToRunLoop()
{
    _added = true;
    schedule();
}

void DisplayLink::invalidate()
{
    _added = false;
    if (_timer)
        _timer->invalidate();
    _timer.reset();
}

void DisplayLink::setPaused(bool paused)
{
    _paused = paused;
    schedule();
}

void DisplayLink::setFrameInterval(int interval)
{
    _frameInterval = interval > 0 ? interval : 1;
    schedule();
}

void DisplayLink::schedule()
{
    if (_timer)
        _timer->invalidate();
    _timer.reset();
    if (!_added || _paused)
        return;
    // The timer's block keeps the link alive, as the run loop keeps an added link.
    auto self = std::static_pointer_cast<DisplayLink>(shared_from_this());
    _timer = Timer::scheduledTimerWithTimeInterval(
        kRefreshSeconds * _frameInterval, [self] { self->fire(); }, /*repeats=*/true);
}

void DisplayLink::fire()
{
    _timestamp = currentMediaTime();
    _actions.send(*this, ~uint64_t(0));
}

}  // namespace plat
