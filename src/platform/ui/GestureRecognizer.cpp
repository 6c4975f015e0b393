#include "platform/ui/GestureRecognizer.h"

#include <algorithm>

#include "platform/foundation/RunLoop.h"
#include "platform/ui/TouchDispatcher.h"
#include "platform/ui/View.h"
#include "platform/ui/Window.h"

namespace plat {

GestureRecognizer::~GestureRecognizer()
{
    RunLoop::main().cancelPreviousPerformRequests(timerTarget());
}

void GestureRecognizer::setEnabled(bool enabled)
{
    if (_enabled == enabled)
        return;
    _enabled = enabled;
    if (!enabled) {
        if (_state == GestureRecognizerState::Began || _state == GestureRecognizerState::Changed)
            setState(GestureRecognizerState::Cancelled);
        else if (_state == GestureRecognizerState::Possible && !_touches.empty())
            setState(GestureRecognizerState::Failed);
        _touches.clear();
    }
}

void GestureRecognizer::requireGestureRecognizerToFail(const std::shared_ptr<GestureRecognizer>& other)
{
    if (other && other.get() != this)
        _requiredToFail.push_back(other);
}

Point GestureRecognizer::centroidInWindow() const
{
    if (_touches.empty())
        return _lastCentroid;
    Point sum;
    for (const auto& touch : _touches) {
        sum.x += touch->locationInWindow().x;
        sum.y += touch->locationInWindow().y;
    }
    double n = static_cast<double>(_touches.size());
    return {sum.x / n, sum.y / n};
}

Point GestureRecognizer::locationInView(const View* view) const
{
    Point inWindow = centroidInWindow();
    if (!view)
        return inWindow;
    auto window = view->window();
    return window ? view->convertPointFromView(inWindow, window.get()) : inWindow;
}

Point GestureRecognizer::locationOfTouch(size_t index, const View* view) const
{
    if (index >= _touches.size())
        return locationInView(view);
    return _touches[index]->locationInView(view);
}

void GestureRecognizer::reset()
{
    RunLoop::main().cancelPreviousPerformRequests(timerTarget());
    _state = GestureRecognizerState::Possible;
    _pendingState.reset();
    _touches.clear();
}

void GestureRecognizer::setState(GestureRecognizerState state)
{
    _lastCentroid = centroidInWindow();
    TouchDispatcher::shared().recognizerRequestsState(*this, state);
}

void GestureRecognizer::ignoreTouch(const Touch& touch)
{
    _lastCentroid = centroidInWindow();
    _touches.erase(std::remove_if(_touches.begin(), _touches.end(), [&](const auto& t) { return t.get() == &touch; }),
        _touches.end());
}

}  // namespace plat
