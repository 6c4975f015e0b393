#include "platform/ui/Touch.h"

#include "platform/ui/View.h"
#include "platform/ui/Window.h"

namespace plat {

Touch::Touch(std::shared_ptr<Window> window, Point locationInWindow, double timestamp, int tapCount)
    : _timestamp(timestamp)
    , _tapCount(tapCount)
    , _location(locationInWindow)
    , _previousLocation(locationInWindow)
    , _window(window)
{
}

Point Touch::locationInView(const View* view) const
{
    auto window = _window.lock();
    if (!view || !window)
        return _location;
    return view->convertPointFromView(_location, window.get());
}

Point Touch::previousLocationInView(const View* view) const
{
    auto window = _window.lock();
    if (!view || !window)
        return _previousLocation;
    return view->convertPointFromView(_previousLocation, window.get());
}

void Touch::moveTo(Point locationInWindow, double timestamp)
{
    _previousLocation = _location;
    _location = locationInWindow;
    _timestamp = timestamp;
    _phase = TouchPhase::Moved;
}

void Touch::setPhase(TouchPhase phase, double timestamp)
{
    _phase = phase;
    _timestamp = timestamp;
    if (phase != TouchPhase::Moved)
        _previousLocation = _location;
}

TouchSet Event::touchesForView(const View& view) const
{
    TouchSet touches;
    for (const auto& touch : _touches) {
        auto hit = touch->view();
        if (hit && (hit.get() == &view || hit->isDescendantOfView(view)))
            touches.push_back(touch);
    }
    return touches;
}

}  // namespace plat
