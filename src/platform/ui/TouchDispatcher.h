#pragma once
#include <memory>
#include <vector>

#include "platform/ui/GestureRecognizer.h"
#include "platform/ui/Touch.h"

namespace plat {
class Window;

// Delivers touch events the platform's way: a new touch goes to the view
// hit at its place and to the recognisers of that view and its ancestors;
// recognisers see each change first; views get theirs unless a recogniser
// took the touch; recognisers compete for their touches, wait for others to
// fail, and are reset once their touches are gone. Main thread.
class TouchDispatcher {
public:
    static TouchDispatcher& shared();

    // The touches of the event whose phase changed go out; the rest stand still.
    void dispatch(Window& window, const Event& event);
    // A recogniser's state machine moved (called from GestureRecognizer::setState).
    void recognizerRequestsState(GestureRecognizer& recognizer, GestureRecognizerState state);
    // For test isolation.
    void discardAll();

private:
    TouchDispatcher() = default;

    void collectRecognizers(const std::shared_ptr<Touch>& touch);
    void commitState(GestureRecognizer& recognizer, GestureRecognizerState state);
    bool mayBegin(GestureRecognizer& recognizer);
    bool allowsSimultaneous(GestureRecognizer& a, GestureRecognizer& b) const;
    bool sharesTouches(const GestureRecognizer& a, const GestureRecognizer& b) const;
    void didFail(GestureRecognizer& recognizer);
    void cancelViewDelivery(GestureRecognizer& recognizer);
    void releaseHeldEnds();
    void resetFinishedRecognizers();
    void deliverToViews(const TouchSet& touches, TouchPhase phase, const Event& event);

    std::vector<std::shared_ptr<GestureRecognizer>> _active;
    // Touches whose end the views have not heard yet.
    TouchSet _held;
    const Event* _currentEvent = nullptr;
};

}  // namespace plat
