#include "platform/ui/TapGestureRecognizer.h"

#include <cmath>

#include "platform/foundation/RunLoop.h"

namespace plat {

void TapGestureRecognizer::touchesBegan(const TouchSet& touches, const Event&)
{
    RunLoop::main().cancelPreviousPerformRequests(timerTarget());
    if (_touchesThisTap == 0 && numberOfTouches() == touches.size())
        _startInWindow = touches.front()->locationInWindow();
    _touchesThisTap = static_cast<int>(numberOfTouches());
    if (_touchesThisTap > _touchesRequired)
        setState(GestureRecognizerState::Failed);
}

void TapGestureRecognizer::touchesMoved(const TouchSet& touches, const Event&)
{
    for (const auto& touch : touches) {
        Point p = touch->locationInWindow();
        if (std::hypot(p.x - _startInWindow.x, p.y - _startInWindow.y) > kAllowableMovement) {
            setState(GestureRecognizerState::Failed);
            return;
        }
    }
}

void TapGestureRecognizer::touchesEnded(const TouchSet& touches, const Event&)
{
    if (state() != GestureRecognizerState::Possible)
        return;
    if (numberOfTouches() > touches.size())
        return;  // fingers still down
    if (_touchesThisTap != _touchesRequired) {
        setState(GestureRecognizerState::Failed);
        return;
    }
    _touchesThisTap = 0;
    if (++_tapsDone >= _tapsRequired) {
        setState(GestureRecognizerState::Recognized);
        return;
    }
    startTapTimer();
}

void TapGestureRecognizer::touchesCancelled(const TouchSet&, const Event&)
{
    setState(GestureRecognizerState::Failed);
}

void TapGestureRecognizer::startTapTimer()
{
    std::weak_ptr<GestureRecognizer> weakSelf = std::static_pointer_cast<GestureRecognizer>(shared_from_this());
    RunLoop::main().performAfterDelay(timerTarget(), kMaximumTapIntervalSeconds, [weakSelf] {
        if (auto self = std::static_pointer_cast<TapGestureRecognizer>(weakSelf.lock()))
            if (self->state() == GestureRecognizerState::Possible)
                self->setState(GestureRecognizerState::Failed);
    });
}

void TapGestureRecognizer::reset()
{
    GestureRecognizer::reset();
    _tapsDone = 0;
    _touchesThisTap = 0;
}

}  // namespace plat
