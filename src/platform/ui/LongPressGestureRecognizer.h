#pragma once
#include "platform/ui/GestureRecognizer.h"

namespace plat {

// Recognises fingers held still for the minimum press duration (measured on
// the run loop's clock); it then follows their movement until they lift.
// Continuous.
class LongPressGestureRecognizer : public GestureRecognizer {
public:
    LongPressGestureRecognizer() = default;
    template <typename T, typename S> LongPressGestureRecognizer(T* target, void (T::*action)(S&))
    {
        addTarget(target, action);
    }

    double minimumPressDuration() const { return _minimumPressDuration; }
    void setMinimumPressDuration(double seconds) { _minimumPressDuration = seconds; }
    double allowableMovement() const { return _allowableMovement; }
    void setAllowableMovement(double points) { _allowableMovement = points; }
    int numberOfTouchesRequired() const { return _touchesRequired; }
    void setNumberOfTouchesRequired(int touches) { _touchesRequired = touches > 0 ? touches : 1; }

protected:
    void touchesBegan(const TouchSet& touches, const Event& event) override;
    void touchesMoved(const TouchSet& touches, const Event& event) override;
    void touchesEnded(const TouchSet& touches, const Event& event) override;
    void touchesCancelled(const TouchSet& touches, const Event& event) override;
    void reset() override;

private:
    double _minimumPressDuration = 0.5;
    double _allowableMovement = 10;
    int _touchesRequired = 1;
    Point _start;
};

}  // namespace plat
