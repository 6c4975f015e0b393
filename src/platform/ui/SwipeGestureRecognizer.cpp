#include "platform/ui/SwipeGestureRecognizer.h"

#include <cmath>

namespace plat {

void SwipeGestureRecognizer::touchesBegan(const TouchSet&, const Event& event)
{
    if (static_cast<int>(numberOfTouches()) > _touchesRequired) {
        setState(GestureRecognizerState::Failed);
        return;
    }
    _start = centroidInWindow();
    _startTime = event.timestamp();
}

void SwipeGestureRecognizer::touchesMoved(const TouchSet&, const Event& event)
{
    if (state() != GestureRecognizerState::Possible)
        return;
    if (event.timestamp() - _startTime > kMaximumDurationSeconds) {
        setState(GestureRecognizerState::Failed);
        return;
    }
    if (static_cast<int>(numberOfTouches()) != _touchesRequired)
        return;
    Point now = centroidInWindow();
    double dx = now.x - _start.x;
    double dy = now.y - _start.y;
    struct Candidate {
        unsigned direction;
        double along;
        double across;
    };
    const Candidate candidates[]
        = {{SwipeGestureRecognizerDirectionRight, dx, dy}, {SwipeGestureRecognizerDirectionLeft, -dx, dy},
            {SwipeGestureRecognizerDirectionUp, -dy, dx}, {SwipeGestureRecognizerDirectionDown, dy, dx}};
    for (const auto& c : candidates) {
        if (!(_direction & c.direction) || c.along <= 0)
            continue;
        if (std::abs(c.across) > kMaximumDriftRatio * c.along && c.along > kMinimumDistance / 2) {
            setState(GestureRecognizerState::Failed);
            return;
        }
        if (c.along >= kMinimumDistance) {
            setState(GestureRecognizerState::Recognized);
            return;
        }
    }
}

void SwipeGestureRecognizer::touchesEnded(const TouchSet&, const Event&)
{
    if (state() == GestureRecognizerState::Possible)
        setState(GestureRecognizerState::Failed);
}

void SwipeGestureRecognizer::touchesCancelled(const TouchSet&, const Event&)
{
    setState(GestureRecognizerState::Failed);
}

void SwipeGestureRecognizer::reset()
{
    GestureRecognizer::reset();
    _start = {};
    _startTime = 0;
}

}  // namespace plat
