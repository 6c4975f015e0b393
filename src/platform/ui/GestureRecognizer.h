#pragma once
#include <memory>
#include <optional>
#include <vector>

#include "platform/foundation/Geometry.h"
#include "platform/ui/Object.h"
#include "platform/ui/TargetAction.h"
#include "platform/ui/Touch.h"

namespace plat {
class GestureRecognizer;
class View;

// The platform's recogniser states, with its numbers. A discrete gesture
// (tap, swipe) goes from possible to recognised (= ended) at once; a
// continuous one begins, changes and ends, or is cancelled.
enum class GestureRecognizerState : int {
    Possible = 0,
    Began = 1,
    Changed = 2,
    Ended = 3,
    Recognized = 3,
    Cancelled = 4,
    Failed = 5,
};

// Optional questions a recogniser puts to its delegate; the defaults are the
// platform's answers when the delegate does not implement them.
class GestureRecognizerDelegate {
public:
    virtual ~GestureRecognizerDelegate() = default;
    virtual bool gestureRecognizerShouldBegin(GestureRecognizer&) { return true; }
    virtual bool gestureRecognizerShouldReceiveTouch(GestureRecognizer&, Touch&) { return true; }
    virtual bool gestureRecognizerShouldRecognizeSimultaneouslyWithGestureRecognizer(
        GestureRecognizer&, GestureRecognizer&)
    {
        return false;
    }
};

// The platform's gesture recogniser: attached to a view, it sees the touches
// that begin in that view or its subviews before the views do, moves through
// its states, and sends its actions (targets are weak, see TargetActionList).
// Recognising one gesture makes the others on the same touches fail unless
// a delegate lets them recognise simultaneously; a recogniser can wait for
// another to fail; one that recognises takes its touches away from the
// views (cancelsTouchesInView), whose touch ends are held until the
// recognisers decide (delaysTouchesEnded). Subclasses give the state
// machine. Main thread.
class GestureRecognizer : public Object {
public:
    ~GestureRecognizer() override;

    template <typename T, typename S> void addTarget(T* target, void (T::*action)(S&))
    {
        _actions.add(target, action, ~uint64_t(0));
    }
    template <typename T> void addTarget(T* target, void (T::*action)()) { _actions.add(target, action, ~uint64_t(0)); }
    template <typename T, typename Action> void removeTarget(const T* target, Action action)
    {
        _actions.remove(target, action, ~uint64_t(0));
    }

    GestureRecognizerState state() const { return _state; }
    std::shared_ptr<View> view() const { return _view.lock(); }
    const std::weak_ptr<GestureRecognizerDelegate>& delegate() const { return _delegate; }
    void setDelegate(std::weak_ptr<GestureRecognizerDelegate> delegate) { _delegate = std::move(delegate); }
    bool isEnabled() const { return _enabled; }
    // Disabling a recogniser in the middle of a gesture cancels it.
    void setEnabled(bool enabled);
    bool cancelsTouchesInView() const { return _cancelsTouchesInView; }
    void setCancelsTouchesInView(bool cancels) { _cancelsTouchesInView = cancels; }
    bool delaysTouchesEnded() const { return _delaysTouchesEnded; }
    void setDelaysTouchesEnded(bool delays) { _delaysTouchesEnded = delays; }
    // This recogniser recognises only once other has failed.
    void requireGestureRecognizerToFail(const std::shared_ptr<GestureRecognizer>& other);

    // The centroid of the touches (the last ones after they lifted).
    Point locationInView(const View* view) const;
    size_t numberOfTouches() const { return _touches.size(); }
    Point locationOfTouch(size_t index, const View* view) const;

protected:
    GestureRecognizer() = default;

    // The subclass's state machine.
    virtual void touchesBegan(const TouchSet&, const Event&) { }
    virtual void touchesMoved(const TouchSet&, const Event&) { }
    virtual void touchesEnded(const TouchSet&, const Event&) { }
    virtual void touchesCancelled(const TouchSet&, const Event&) { }
    // Back to possible once a gesture is over; subclasses clear their state (and call this).
    virtual void reset();
    // Moves the state machine; the dispatcher checks delegates, dependencies
    // and rivals before a gesture may begin, and sends the actions.
    void setState(GestureRecognizerState state);
    // The touches the recogniser follows.
    const TouchSet& touches() const { return _touches; }
    // Stops following a touch (it goes on to the view as usual).
    void ignoreTouch(const Touch& touch);
    // The last known centroid, in window coordinates.
    Point centroidInWindow() const;
    // For timers: identity to cancel delayed performs by.
    const void* timerTarget() const { return this; }

private:
    friend class View;
    friend class TouchDispatcher;

    TargetActionList<GestureRecognizer> _actions;
    GestureRecognizerState _state = GestureRecognizerState::Possible;
    std::weak_ptr<View> _view;
    std::weak_ptr<GestureRecognizerDelegate> _delegate;
    bool _enabled = true;
    bool _cancelsTouchesInView = true;
    bool _delaysTouchesEnded = true;
    std::vector<std::weak_ptr<GestureRecognizer>> _requiredToFail;
    TouchSet _touches;
    Point _lastCentroid;
    // A transition to began or recognised waiting for another recogniser to fail.
    std::optional<GestureRecognizerState> _pendingState;
};

}  // namespace plat
