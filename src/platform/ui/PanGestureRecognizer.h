#pragma once
#include <deque>
#include <limits>

#include "platform/ui/GestureRecognizer.h"

namespace plat {

// Recognises fingers dragging: it begins once they moved the hysteresis
// distance, then reports the translation from where they went down and the
// recent velocity; it ends when they lift. Continuous.
class PanGestureRecognizer : public GestureRecognizer {
public:
    static constexpr double kHysteresis = 10;  // points
    // The velocity is the movement over this recent span.
    static constexpr double kVelocityWindowSeconds = 0.1;

    PanGestureRecognizer() = default;
    template <typename T, typename S> PanGestureRecognizer(T* target, void (T::*action)(S&))
    {
        addTarget(target, action);
    }

    size_t minimumNumberOfTouches() const { return _minimumTouches; }
    void setMinimumNumberOfTouches(size_t touches) { _minimumTouches = touches > 0 ? touches : 1; }
    size_t maximumNumberOfTouches() const { return _maximumTouches; }
    void setMaximumNumberOfTouches(size_t touches) { _maximumTouches = touches; }

    // In the view's coordinate system (nullptr: the window's).
    Point translationInView(const View* view) const;
    void setTranslation(Point translation, const View* view);
    // Points per second.
    Point velocityInView(const View* view) const;

protected:
    void touchesBegan(const TouchSet& touches, const Event& event) override;
    void touchesMoved(const TouchSet& touches, const Event& event) override;
    void touchesEnded(const TouchSet& touches, const Event& event) override;
    void touchesCancelled(const TouchSet& touches, const Event& event) override;
    void reset() override;

private:
    struct Sample {
        double time;
        Point centroid;
    };
    Point vectorInView(Point vector, const View* view) const;
    void rebase(Point oldCentroid);
    void addSample(double time);

    size_t _minimumTouches = 1;
    size_t _maximumTouches = std::numeric_limits<size_t>::max();
    Point _origin;  // window coordinates; the translation is centroid - origin
    std::deque<Sample> _samples;
    Point _velocity;
};

}  // namespace plat
