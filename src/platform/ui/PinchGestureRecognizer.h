#pragma once
#include "platform/ui/GestureRecognizer.h"

namespace plat {

// Recognises two fingers moving apart or together: the scale is their
// distance over the distance when they went down (settable), the velocity
// is scale per second. Continuous; ends when a finger lifts.
class PinchGestureRecognizer : public GestureRecognizer {
public:
    // The fingers' distance must change this much before the pinch begins.
    static constexpr double kHysteresis = 8;  // points

    PinchGestureRecognizer() = default;
    template <typename T, typename S> PinchGestureRecognizer(T* target, void (T::*action)(S&))
    {
        addTarget(target, action);
    }

    double scale() const { return _scale; }
    void setScale(double scale);
    double velocity() const { return _velocity; }

protected:
    void touchesBegan(const TouchSet& touches, const Event& event) override;
    void touchesMoved(const TouchSet& touches, const Event& event) override;
    void touchesEnded(const TouchSet& touches, const Event& event) override;
    void touchesCancelled(const TouchSet& touches, const Event& event) override;
    void reset() override;

private:
    double distance() const;

    double _initialDistance = 0;
    double _scale = 1;
    double _scaleBase = 1;  // what setScale moved the start to
    double _velocity = 0;
    double _lastTime = 0;
};

}  // namespace plat
