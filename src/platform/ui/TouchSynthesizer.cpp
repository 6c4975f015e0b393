#include "platform/ui/TouchSynthesizer.h"

#include <algorithm>
#include <cmath>

#include "platform/ui/Animation.h"
#include "platform/ui/Application.h"
#include "platform/ui/Window.h"

namespace plat {

TouchSynthesizer::TouchSynthesizer(std::shared_ptr<Window> window)
    : _window(std::move(window))
{
}

void TouchSynthesizer::send(const TouchSet& changed, TouchPhase phase)
{
    const double now = currentMediaTime();
    for (const auto& touch : _active) {
        bool isChanged = std::find(changed.begin(), changed.end(), touch) != changed.end();
        if (!isChanged && touch->phase() != TouchPhase::Stationary)
            touch->setPhase(TouchPhase::Stationary, touch->timestamp());
        else if (isChanged && phase != TouchPhase::Moved)
            touch->setPhase(phase, now);
    }
    Event event(_active, now);
    Application::sharedApplication().sendEvent(*_window, event);
    if (phase == TouchPhase::Ended || phase == TouchPhase::Cancelled)
        _active.erase(std::remove_if(_active.begin(), _active.end(),
                          [&](const auto& t) { return std::find(changed.begin(), changed.end(), t) != changed.end(); }),
            _active.end());
}

std::shared_ptr<Touch> TouchSynthesizer::touchDown(Point locationInWindow)
{
    return touchesDown({locationInWindow}).front();
}

std::vector<std::shared_ptr<Touch>> TouchSynthesizer::touchesDown(const std::vector<Point>& locations)
{
    const double now = currentMediaTime();
    TouchSet added;
    for (Point location : locations) {
        int tapCount = 1;
        if (_lastLiftTime >= 0 && now - _lastLiftTime <= kMultiTapSeconds
            && std::hypot(location.x - _lastLift.x, location.y - _lastLift.y) <= kMultiTapDistance)
            tapCount = _lastTapCount + 1;
        auto touch = std::make_shared<Touch>(_window, location, now, tapCount);
        _active.push_back(touch);
        added.push_back(touch);
    }
    send(added, TouchPhase::Began);
    return added;
}

void TouchSynthesizer::moveTouch(const std::shared_ptr<Touch>& touch, Point locationInWindow)
{
    moveTouches({{touch, locationInWindow}});
}

void TouchSynthesizer::moveTouches(const std::vector<std::pair<std::shared_ptr<Touch>, Point>>& moves)
{
    const double now = currentMediaTime();
    TouchSet changed;
    for (const auto& [touch, location] : moves) {
        touch->moveTo(location, now);
        changed.push_back(touch);
    }
    send(changed, TouchPhase::Moved);
}

void TouchSynthesizer::liftTouch(const std::shared_ptr<Touch>& touch)
{
    liftTouches({touch});
}

void TouchSynthesizer::liftTouches(const std::vector<std::shared_ptr<Touch>>& touches)
{
    if (touches.empty())
        return;
    _lastLift = touches.front()->locationInWindow();
    _lastLiftTime = currentMediaTime();
    _lastTapCount = touches.front()->tapCount();
    send(touches, TouchPhase::Ended);
}

void TouchSynthesizer::cancelAllTouches()
{
    auto all = _active;
    send(all, TouchPhase::Cancelled);
}

}  // namespace plat
