#include "platform/ui/LongPressGestureRecognizer.h"

#include <cmath>

#include "platform/foundation/RunLoop.h"

namespace plat {

void LongPressGestureRecognizer::touchesBegan(const TouchSet&, const Event&)
{
    if (state() != GestureRecognizerState::Possible)
        return;
    if (static_cast<int>(numberOfTouches()) > _touchesRequired) {
        setState(GestureRecognizerState::Failed);
        return;
    }
    if (static_cast<int>(numberOfTouches()) != _touchesRequired)
        return;
    _start = centroidInWindow();
    RunLoop::main().cancelPreviousPerformRequests(timerTarget());
    std::weak_ptr<GestureRecognizer> weakSelf = std::static_pointer_cast<GestureRecognizer>(shared_from_this());
    RunLoop::main().performAfterDelay(timerTarget(), _minimumPressDuration, [weakSelf] {
        if (auto self = weakSelf.lock())
            if (self->state() == GestureRecognizerState::Possible && self->numberOfTouches() > 0)
                static_cast<LongPressGestureRecognizer&>(*self).setState(GestureRecognizerState::Began);
    });
}

void LongPressGestureRecognizer::touchesMoved(const TouchSet&, const Event&)
{
    if (state() == GestureRecognizerState::Possible) {
        Point now = centroidInWindow();
        if (std::hypot(now.x - _start.x, now.y - _start.y) > _allowableMovement)
            setState(GestureRecognizerState::Failed);
    } else if (state() == GestureRecognizerState::Began || state() == GestureRecognizerState::Changed) {
        setState(GestureRecognizerState::Changed);
    }
}

void LongPressGestureRecognizer::touchesEnded(const TouchSet&, const Event&)
{
    if (state() == GestureRecognizerState::Began || state() == GestureRecognizerState::Changed)
        setState(GestureRecognizerState::Ended);
    else
        setState(GestureRecognizerState::Failed);
}

void LongPressGestureRecognizer::touchesCancelled(const TouchSet&, const Event&)
{
    setState(GestureRecognizerState::Cancelled);
}

void LongPressGestureRecognizer::reset()
{
    GestureRecognizer::reset();
    _start = {};
}

}  // namespace plat
