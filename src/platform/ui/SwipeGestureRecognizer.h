#pragma once
#include "platform/ui/GestureRecognizer.h"

namespace plat {

// The platform's swipe directions (a mask).
enum SwipeGestureRecognizerDirection : unsigned {
    SwipeGestureRecognizerDirectionRight = 1u << 0,
    SwipeGestureRecognizerDirectionLeft = 1u << 1,
    SwipeGestureRecognizerDirectionUp = 1u << 2,
    SwipeGestureRecognizerDirectionDown = 1u << 3,
};

// Recognises a quick stroke in one of the permitted directions: the fingers
// travel the minimum distance along it, staying close to its line, within
// the time limit. Discrete.
class SwipeGestureRecognizer : public GestureRecognizer {
public:
    static constexpr double kMinimumDistance = 50;  // points along the direction
    // Sideways drift may be at most this share of the travel.
    static constexpr double kMaximumDriftRatio = 0.5;
    static constexpr double kMaximumDurationSeconds = 0.5;

    SwipeGestureRecognizer() = default;
    template <typename T, typename S> SwipeGestureRecognizer(T* target, void (T::*action)(S&))
    {
        addTarget(target, action);
    }

    unsigned direction() const { return _direction; }
    void setDirection(unsigned direction) { _direction = direction; }
    int numberOfTouchesRequired() const { return _touchesRequired; }
    void setNumberOfTouchesRequired(int touches) { _touchesRequired = touches > 0 ? touches : 1; }

protected:
    void touchesBegan(const TouchSet& touches, const Event& event) override;
    void touchesMoved(const TouchSet& touches, const Event& event) override;
    void touchesEnded(const TouchSet& touches, const Event& event) override;
    void touchesCancelled(const TouchSet& touches, const Event& event) override;
    void reset() override;

private:
    unsigned _direction = SwipeGestureRecognizerDirectionRight;
    int _touchesRequired = 1;
    Point _start;
    double _startTime = 0;
};

}  // namespace plat
