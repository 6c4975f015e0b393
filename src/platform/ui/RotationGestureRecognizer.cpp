#include "platform/ui/RotationGestureRecognizer.h"

#include <cmath>
#include <numbers>

namespace plat {

double RotationGestureRecognizer::angle() const
{
    const auto& t = touches();
    if (t.size() < 2)
        return 0;
    Point a = t[0]->locationInWindow();
    Point b = t[1]->locationInWindow();
    return std::atan2(b.y - a.y, b.x - a.x);
}

void RotationGestureRecognizer::setRotation(double radians)
{
    _offset += radians - _rotation;
    _rotation = radians;
}

void RotationGestureRecognizer::touchesBegan(const TouchSet&, const Event& event)
{
    if (numberOfTouches() > 2) {
        if (state() == GestureRecognizerState::Possible)
            setState(GestureRecognizerState::Failed);
        return;
    }
    if (numberOfTouches() == 2) {
        _lastAngle = angle();
        _turned = 0;
        _offset = 0;
        _rotation = 0;
        _lastTime = event.timestamp();
    }
}

void RotationGestureRecognizer::touchesMoved(const TouchSet&, const Event& event)
{
    if (numberOfTouches() < 2)
        return;
    double a = angle();
    double step = a - _lastAngle;
    // Across the ±π seam the short way round is the real turn.
    if (step > std::numbers::pi)
        step -= 2 * std::numbers::pi;
    else if (step < -std::numbers::pi)
        step += 2 * std::numbers::pi;
    _lastAngle = a;
    _turned += step;
    double newRotation = _turned + _offset;
    double dt = event.timestamp() - _lastTime;
    if (dt > 0)
        _velocity = (newRotation - _rotation) / dt;
    _lastTime = event.timestamp();
    _rotation = newRotation;
    if (state() == GestureRecognizerState::Possible) {
        if (std::abs(_turned) >= kHysteresisRadians)
            setState(GestureRecognizerState::Began);
    } else if (state() == GestureRecognizerState::Began || state() == GestureRecognizerState::Changed) {
        setState(GestureRecognizerState::Changed);
    }
}

void RotationGestureRecognizer::touchesEnded(const TouchSet&, const Event&)
{
    if (state() == GestureRecognizerState::Began || state() == GestureRecognizerState::Changed)
        setState(GestureRecognizerState::Ended);
    else
        setState(GestureRecognizerState::Failed);
}

void RotationGestureRecognizer::touchesCancelled(const TouchSet&, const Event&)
{
    setState(GestureRecognizerState::Cancelled);
}

void RotationGestureRecognizer::reset()
{
    GestureRecognizer::reset();
    _turned = 0;
    _offset = 0;
    _rotation = 0;
    _velocity = 0;
}

}  // namespace plat
