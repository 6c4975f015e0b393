#pragma once
#include <memory>
#include <vector>

#include "platform/foundation/Geometry.h"

namespace plat {
class GestureRecognizer;
class View;
class Window;

enum class TouchPhase { Began, Moved, Stationary, Ended, Cancelled };

// One finger on the screen, from touch-down to lift-off, as the platform's
// touch: its place in window coordinates now and at the previous event, the
// time of its last change, the number of quick taps at one spot, the view it
// first hit and the recognisers that follow it. Main thread.
class Touch {
public:
    Touch(std::shared_ptr<Window> window, Point locationInWindow, double timestamp, int tapCount);

    TouchPhase phase() const { return _phase; }
    double timestamp() const { return _timestamp; }
    int tapCount() const { return _tapCount; }
    std::shared_ptr<View> view() const { return _view.lock(); }
    std::shared_ptr<Window> window() const { return _window.lock(); }
    // In view's coordinates; nullptr means the window's.
    Point locationInView(const View* view) const;
    Point previousLocationInView(const View* view) const;
    Point locationInWindow() const { return _location; }
    const std::vector<std::shared_ptr<GestureRecognizer>>& gestureRecognizers() const { return _recognizers; }

    // Moved by whoever produces the touches (the screen, the test drivers).
    void moveTo(Point locationInWindow, double timestamp);
    void setPhase(TouchPhase phase, double timestamp);

private:
    friend class TouchDispatcher;

    TouchPhase _phase = TouchPhase::Began;
    double _timestamp = 0;
    int _tapCount = 1;
    Point _location;
    Point _previousLocation;
    std::weak_ptr<View> _view;
    std::weak_ptr<Window> _window;
    std::vector<std::shared_ptr<GestureRecognizer>> _recognizers;
    // Set once a recogniser took the touch away from its view.
    bool _deliveryCancelled = false;
    bool _endDeliveryHeld = false;
};

using TouchSet = std::vector<std::shared_ptr<Touch>>;

// The touches of one moment: every finger down and which of them changed.
class Event {
public:
    Event(TouchSet allTouches, double timestamp)
        : _touches(std::move(allTouches))
        , _timestamp(timestamp)
    {
    }
    const TouchSet& allTouches() const { return _touches; }
    double timestamp() const { return _timestamp; }
    TouchSet touchesForView(const View& view) const;

private:
    TouchSet _touches;
    double _timestamp;
};

}  // namespace plat
