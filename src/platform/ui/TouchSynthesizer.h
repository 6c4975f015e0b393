#pragma once
#include <memory>
#include <utility>
#include <vector>

#include "platform/foundation/Geometry.h"
#include "platform/ui/Touch.h"

namespace plat {
class Window;

// Makes the touch events of fingers on a window, as the screen does for the
// platform: each change of a finger is one event holding every finger
// down; touches that start near the last lift soon after it count as
// repeated taps. Used by the desktop screen (mouse as finger) and the test
// drivers. Time comes from plat::Clock. Main thread.
class TouchSynthesizer {
public:
    // Taps closer than this in time and space add up (double taps).
    static constexpr double kMultiTapSeconds = 0.35;
    static constexpr double kMultiTapDistance = 20;

    explicit TouchSynthesizer(std::shared_ptr<Window> window);

    std::shared_ptr<Touch> touchDown(Point locationInWindow);
    // Several fingers down in one event.
    std::vector<std::shared_ptr<Touch>> touchesDown(const std::vector<Point>& locations);
    void moveTouch(const std::shared_ptr<Touch>& touch, Point locationInWindow);
    void moveTouches(const std::vector<std::pair<std::shared_ptr<Touch>, Point>>& moves);
    void liftTouch(const std::shared_ptr<Touch>& touch);
    void liftTouches(const std::vector<std::shared_ptr<Touch>>& touches);
    // The system took the touches (a call came in): every finger is cancelled.
    void cancelAllTouches();
    const TouchSet& activeTouches() const { return _active; }
    const std::shared_ptr<Window>& window() const { return _window; }

private:
    void send(const TouchSet& changed, TouchPhase phase);

    std::shared_ptr<Window> _window;
    TouchSet _active;
    Point _lastLift;
    double _lastLiftTime = -1;
    int _lastTapCount = 0;
};

}  // namespace plat
