#pragma once
#include "platform/ui/GestureRecognizer.h"

namespace plat {

// Recognises two fingers turning: the rotation is the angle (radians,
// clockwise on screen positive) since they went down (settable), the
// velocity radians per second. Continuous; ends when a finger lifts.
class RotationGestureRecognizer : public GestureRecognizer {
public:
    // The fingers must turn this much before the rotation begins.
    static constexpr double kHysteresisRadians = 0.09;

    RotationGestureRecognizer() = default;
    template <typename T, typename S> RotationGestureRecognizer(T* target, void (T::*action)(S&))
    {
        addTarget(target, action);
    }

    double rotation() const { return _rotation; }
    void setRotation(double radians);
    double velocity() const { return _velocity; }

protected:
    void touchesBegan(const TouchSet& touches, const Event& event) override;
    void touchesMoved(const TouchSet& touches, const Event& event) override;
    void touchesEnded(const TouchSet& touches, const Event& event) override;
    void touchesCancelled(const TouchSet& touches, const Event& event) override;
    void reset() override;

private:
    double angle() const;

    double _lastAngle = 0;
    double _turned = 0;  // unwrapped since the start
    double _offset = 0;  // what setRotation changed
    double _rotation = 0;
    double _velocity = 0;
    double _lastTime = 0;
};

}  // namespace plat
