#include "platform/ui/PinchGestureRecognizer.h"

#include <cmath>

namespace plat {

double PinchGestureRecognizer::distance() const
{
    const auto& t = touches();
    if (t.size() < 2)
        return 0;
    Point a = t[0]->locationInWindow();
    Point b = t[1]->locationInWindow();
    return std::hypot(a.x - b.x, a.y - b.y);
}

void PinchGestureRecognizer::setScale(double scale)
{
    // The platform lets the action reset the scale: later changes are relative to now.
    double now = distance();
    if (now > 0 && scale > 0)
        _initialDistance = now / scale;
    _scale = scale;
    _scaleBase = scale;
}

void PinchGestureRecognizer::touchesBegan(const TouchSet&, const Event& event)
{
    if (numberOfTouches() > 2) {
        if (state() == GestureRecognizerState::Possible)
            setState(GestureRecognizerState::Failed);
        return;
    }
    if (numberOfTouches() == 2) {
        _initialDistance = distance();
        _scale = 1;
        _lastTime = event.timestamp();
    }
}

void PinchGestureRecognizer::touchesMoved(const TouchSet&, const Event& event)
{
    if (numberOfTouches() < 2 || _initialDistance <= 0)
        return;
    double d = distance();
    double newScale = d / _initialDistance;
    double dt = event.timestamp() - _lastTime;
    if (dt > 0)
        _velocity = (newScale - _scale) / dt;
    _lastTime = event.timestamp();
    _scale = newScale;
    if (state() == GestureRecognizerState::Possible) {
        if (std::abs(d - _initialDistance * _scaleBase) >= kHysteresis)
            setState(GestureRecognizerState::Began);
    } else if (state() == GestureRecognizerState::Began || state() == GestureRecognizerState::Changed) {
        setState(GestureRecognizerState::Changed);
    }
}

void PinchGestureRecognizer::touchesEnded(const TouchSet&, const Event&)
{
    if (state() == GestureRecognizerState::Began || state() == GestureRecognizerState::Changed)
        setState(GestureRecognizerState::Ended);
    else
        setState(GestureRecognizerState::Failed);
}

void PinchGestureRecognizer::touchesCancelled(const TouchSet&, const Event&)
{
    setState(GestureRecognizerState::Cancelled);
}

void PinchGestureRecognizer::reset()
{
    GestureRecognizer::reset();
    _initialDistance = 0;
    _scale = 1;
    _scaleBase = 1;
    _velocity = 0;
}

}  // namespace plat
