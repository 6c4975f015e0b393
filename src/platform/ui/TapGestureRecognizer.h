#pragma once
#include "platform/ui/GestureRecognizer.h"

namespace plat {

// Recognises a number of taps with a number of fingers: each tap lifts
// within the allowable movement, and the next tap starts within the tap
// interval of the last lift, or the gesture fails. Discrete.
class TapGestureRecognizer : public GestureRecognizer {
public:
    static constexpr double kAllowableMovement = 10;  // points
    static constexpr double kMaximumTapIntervalSeconds = 0.35;

    TapGestureRecognizer() = default;
    template <typename T, typename S> TapGestureRecognizer(T* target, void (T::*action)(S&))
    {
        addTarget(target, action);
    }

    int numberOfTapsRequired() const { return _tapsRequired; }
    void setNumberOfTapsRequired(int taps) { _tapsRequired = taps > 0 ? taps : 1; }
    int numberOfTouchesRequired() const { return _touchesRequired; }
    void setNumberOfTouchesRequired(int touches) { _touchesRequired = touches > 0 ? touches : 1; }

protected:
    void touchesBegan(const TouchSet& touches, const Event& event) override;
    void touchesMoved(const TouchSet& touches, const Event& event) override;
    void touchesEnded(const TouchSet& touches, const Event& event) override;
    void touchesCancelled(const TouchSet& touches, const Event& event) override;
    void reset() override;

private:
    void startTapTimer();

    int _tapsRequired = 1;
    int _touchesRequired = 1;
    int _tapsDone = 0;
    int _touchesThisTap = 0;
    Point _startInWindow;
};

}  // namespace plat
