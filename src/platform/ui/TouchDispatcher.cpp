#include "platform/ui/TouchDispatcher.h"

#include <algorithm>

#include "platform/ui/View.h"
#include "platform/ui/Window.h"

namespace plat {

namespace {

bool isTerminal(GestureRecognizerState state)
{
    return state == GestureRecognizerState::Ended || state == GestureRecognizerState::Cancelled
        || state == GestureRecognizerState::Failed;
}

bool isInProgress(GestureRecognizerState state)
{
    return state == GestureRecognizerState::Began || state == GestureRecognizerState::Changed;
}

bool tracks(const GestureRecognizer& recognizer, const Touch& touch)
{
    const auto& list = touch.gestureRecognizers();
    return std::any_of(list.begin(), list.end(), [&](const auto& r) { return r.get() == &recognizer; });
}

}  // namespace

TouchDispatcher& TouchDispatcher::shared()
{
    static TouchDispatcher dispatcher;
    return dispatcher;
}

void TouchDispatcher::discardAll()
{
    _active.clear();
    _held.clear();
    _currentEvent = nullptr;
}

void TouchDispatcher::collectRecognizers(const std::shared_ptr<Touch>& touch)
{
    for (auto view = touch->view(); view; view = view->superview()) {
        auto recognizers = view->gestureRecognizers();
        for (const auto& recognizer : recognizers) {
            if (!recognizer->isEnabled() || recognizer->_pendingState)
                continue;
            if (isTerminal(recognizer->_state) && !recognizer->_touches.empty())
                continue;  // waits for its reset
            if (auto delegate = recognizer->delegate().lock();
                delegate && !delegate->gestureRecognizerShouldReceiveTouch(*recognizer, *touch))
                continue;
            touch->_recognizers.push_back(recognizer);
            recognizer->_touches.push_back(touch);
            if (std::find(_active.begin(), _active.end(), recognizer) == _active.end())
                _active.push_back(recognizer);
        }
    }
}

void TouchDispatcher::dispatch(Window& window, const Event& event)
{
    auto keepWindow = window.shared_from_this();
    const Event* outerEvent = _currentEvent;
    _currentEvent = &event;

    for (const auto& touch : event.allTouches()) {
        if (touch->phase() != TouchPhase::Began || touch->_view.lock())
            continue;
        touch->_view = window.hitTest(touch->locationInWindow(), &event);
        collectRecognizers(touch);
    }

    const TouchPhase phases[] = {TouchPhase::Began, TouchPhase::Moved, TouchPhase::Ended, TouchPhase::Cancelled};
    for (TouchPhase phase : phases) {
        // Recognisers first, in the order they appear on the touches.
        std::vector<std::shared_ptr<GestureRecognizer>> recognizers;
        for (const auto& touch : event.allTouches())
            if (touch->phase() == phase)
                for (const auto& recognizer : touch->_recognizers)
                    if (std::find(recognizers.begin(), recognizers.end(), recognizer) == recognizers.end())
                        recognizers.push_back(recognizer);
        for (const auto& recognizer : recognizers) {
            TouchSet mine;
            for (const auto& touch : event.allTouches()) {
                bool followed = std::any_of(recognizer->_touches.begin(), recognizer->_touches.end(),
                    [&](const auto& t) { return t.get() == touch.get(); });
                if (touch->phase() == phase && followed)
                    mine.push_back(touch);
            }
            if (mine.empty() || !recognizer->isEnabled())
                continue;
            switch (phase) {
            case TouchPhase::Began:
                recognizer->touchesBegan(mine, event);
                break;
            case TouchPhase::Moved:
                recognizer->touchesMoved(mine, event);
                break;
            case TouchPhase::Ended:
                recognizer->touchesEnded(mine, event);
                break;
            case TouchPhase::Cancelled:
                recognizer->touchesCancelled(mine, event);
                break;
            case TouchPhase::Stationary:
                break;
            }
            recognizer->_lastCentroid = recognizer->centroidInWindow();
            if (phase == TouchPhase::Ended || phase == TouchPhase::Cancelled)
                for (const auto& touch : mine)
                    recognizer->ignoreTouch(*touch);
        }

        // Then the views, unless a recogniser took the touch.
        TouchSet forViews;
        for (const auto& touch : event.allTouches()) {
            if (touch->phase() != phase || touch->_deliveryCancelled)
                continue;
            if (phase == TouchPhase::Ended) {
                bool undecided = std::any_of(touch->_recognizers.begin(), touch->_recognizers.end(), [](const auto& r) {
                    return r->delaysTouchesEnded() && r->state() == GestureRecognizerState::Possible;
                });
                if (undecided) {
                    touch->_endDeliveryHeld = true;
                    _held.push_back(touch);
                    continue;
                }
            }
            forViews.push_back(touch);
        }
        deliverToViews(forViews, phase, event);
    }

    resetFinishedRecognizers();
    releaseHeldEnds();
    _currentEvent = outerEvent;
}

void TouchDispatcher::deliverToViews(const TouchSet& touches, TouchPhase phase, const Event& event)
{
    std::vector<std::shared_ptr<View>> views;
    for (const auto& touch : touches)
        if (auto view = touch->view(); view && std::find(views.begin(), views.end(), view) == views.end())
            views.push_back(view);
    for (const auto& view : views) {
        TouchSet mine;
        for (const auto& touch : touches)
            if (touch->view() == view)
                mine.push_back(touch);
        switch (phase) {
        case TouchPhase::Began:
            view->touchesBegan(mine, event);
            break;
        case TouchPhase::Moved:
            view->touchesMoved(mine, event);
            break;
        case TouchPhase::Ended:
            view->touchesEnded(mine, event);
            break;
        case TouchPhase::Cancelled:
            view->touchesCancelled(mine, event);
            break;
        case TouchPhase::Stationary:
            break;
        }
    }
}

bool TouchDispatcher::allowsSimultaneous(GestureRecognizer& a, GestureRecognizer& b) const
{
    if (auto delegate = a.delegate().lock();
        delegate && delegate->gestureRecognizerShouldRecognizeSimultaneouslyWithGestureRecognizer(a, b))
        return true;
    if (auto delegate = b.delegate().lock();
        delegate && delegate->gestureRecognizerShouldRecognizeSimultaneouslyWithGestureRecognizer(b, a))
        return true;
    return false;
}

bool TouchDispatcher::sharesTouches(const GestureRecognizer& a, const GestureRecognizer& b) const
{
    // Recognisers compete when one touch goes to both, or when one waits between taps.
    if (a._touches.empty() || b._touches.empty())
        return true;
    for (const auto& touch : a._touches)
        if (tracks(b, *touch))
            return true;
    return false;
}

bool TouchDispatcher::mayBegin(GestureRecognizer& recognizer)
{
    if (auto delegate = recognizer.delegate().lock(); delegate && !delegate->gestureRecognizerShouldBegin(recognizer))
        return false;
    auto view = recognizer.view();
    if (view && !view->gestureRecognizerShouldBegin(recognizer))
        return false;
    // A control under the finger may keep an ancestor's recogniser from taking its touches.
    for (const auto& touch : recognizer._touches) {
        auto hit = touch->view();
        if (hit && hit != view && !hit->gestureRecognizerShouldBegin(recognizer))
            return false;
    }
    return true;
}

void TouchDispatcher::recognizerRequestsState(GestureRecognizer& recognizer, GestureRecognizerState state)
{
    auto keep = std::static_pointer_cast<GestureRecognizer>(recognizer.shared_from_this());
    const GestureRecognizerState current = recognizer._state;
    bool starts = current == GestureRecognizerState::Possible
        && (state == GestureRecognizerState::Began || state == GestureRecognizerState::Recognized);
    if (starts) {
        if (!recognizer.isEnabled() || !mayBegin(recognizer)) {
            commitState(recognizer, GestureRecognizerState::Failed);
        } else {
            bool waits = false;
            bool prevented = false;
            for (const auto& weak : recognizer._requiredToFail) {
                auto other = weak.lock();
                if (!other)
                    continue;
                bool otherActive = std::find(_active.begin(), _active.end(), other) != _active.end();
                if (other->_state == GestureRecognizerState::Possible && otherActive)
                    waits = true;
                else if (isInProgress(other->_state) || other->_state == GestureRecognizerState::Ended)
                    prevented = true;
            }
            if (!prevented) {
                for (const auto& other : _active) {
                    if (other.get() == &recognizer || !sharesTouches(recognizer, *other))
                        continue;
                    if (isInProgress(other->_state) && !allowsSimultaneous(recognizer, *other))
                        prevented = true;
                }
            }
            if (prevented) {
                commitState(recognizer, GestureRecognizerState::Failed);
            } else if (waits) {
                recognizer._pendingState = state;
            } else {
                auto rivals = _active;
                for (const auto& other : rivals) {
                    if (other.get() == &recognizer || other->_state != GestureRecognizerState::Possible
                        || !sharesTouches(recognizer, *other) || allowsSimultaneous(recognizer, *other))
                        continue;
                    commitState(*other, GestureRecognizerState::Failed);
                }
                commitState(recognizer, state);
            }
        }
    } else if (state == GestureRecognizerState::Failed) {
        if (current == GestureRecognizerState::Possible)
            commitState(recognizer, GestureRecognizerState::Failed);
    } else if (state == GestureRecognizerState::Changed || state == GestureRecognizerState::Ended) {
        if (isInProgress(current))
            commitState(recognizer, state);
    } else if (state == GestureRecognizerState::Cancelled) {
        if (isInProgress(current))
            commitState(recognizer, state);
        else if (current == GestureRecognizerState::Possible)
            commitState(recognizer, GestureRecognizerState::Failed);
    }
    if (!_currentEvent) {
        // A timer moved it: nothing else will tidy up.
        resetFinishedRecognizers();
        releaseHeldEnds();
    }
}

void TouchDispatcher::commitState(GestureRecognizer& recognizer, GestureRecognizerState state)
{
    const GestureRecognizerState previous = recognizer._state;
    recognizer._state = state;
    recognizer._pendingState.reset();
    if (state == GestureRecognizerState::Failed) {
        didFail(recognizer);
        return;
    }
    if (previous == GestureRecognizerState::Possible) {
        if (recognizer.cancelsTouchesInView())
            cancelViewDelivery(recognizer);
        // Those waiting for this one to fail will not recognise.
        auto waiting = _active;
        for (const auto& other : waiting) {
            if (!other->_pendingState)
                continue;
            bool dependsOnMe = std::any_of(other->_requiredToFail.begin(), other->_requiredToFail.end(),
                [&](const auto& w) { return w.lock().get() == &recognizer; });
            if (dependsOnMe)
                commitState(*other, GestureRecognizerState::Failed);
        }
    }
    recognizer._actions.send(recognizer, ~uint64_t(0));
}

void TouchDispatcher::didFail(GestureRecognizer& recognizer)
{
    auto waiting = _active;
    for (const auto& other : waiting) {
        if (!other->_pendingState)
            continue;
        bool dependsOnIt = std::any_of(other->_requiredToFail.begin(), other->_requiredToFail.end(),
            [&](const auto& w) { return w.lock().get() == &recognizer; });
        if (!dependsOnIt)
            continue;
        auto state = *other->_pendingState;
        other->_pendingState.reset();
        recognizerRequestsState(*other, state);
    }
}

void TouchDispatcher::cancelViewDelivery(GestureRecognizer& recognizer)
{
    TouchSet cancelled;
    auto consider = [&](const std::shared_ptr<Touch>& touch) {
        if (touch->_deliveryCancelled || !tracks(recognizer, *touch))
            return;
        touch->_deliveryCancelled = true;
        if (std::find(cancelled.begin(), cancelled.end(), touch) == cancelled.end())
            cancelled.push_back(touch);
    };
    for (const auto& touch : recognizer._touches)
        consider(touch);
    for (const auto& touch : _held)
        consider(touch);
    _held.erase(
        std::remove_if(_held.begin(), _held.end(), [](const auto& t) { return t->_deliveryCancelled; }), _held.end());
    if (cancelled.empty())
        return;
    Event event(cancelled, cancelled.front()->timestamp());
    deliverToViews(cancelled, TouchPhase::Cancelled, _currentEvent ? *_currentEvent : event);
}

void TouchDispatcher::releaseHeldEnds()
{
    TouchSet ready;
    for (const auto& touch : _held) {
        bool undecided = std::any_of(touch->_recognizers.begin(), touch->_recognizers.end(), [&](const auto& r) {
            return r->delaysTouchesEnded() && r->state() == GestureRecognizerState::Possible
                && std::find(_active.begin(), _active.end(), r) != _active.end();
        });
        if (!undecided)
            ready.push_back(touch);
    }
    if (ready.empty())
        return;
    _held.erase(std::remove_if(_held.begin(), _held.end(),
                    [&](const auto& t) { return std::find(ready.begin(), ready.end(), t) != ready.end(); }),
        _held.end());
    Event event(ready, ready.front()->timestamp());
    deliverToViews(ready, TouchPhase::Ended, event);
}

void TouchDispatcher::resetFinishedRecognizers()
{
    auto active = _active;
    for (const auto& recognizer : active) {
        if (!isTerminal(recognizer->_state) || !recognizer->_touches.empty())
            continue;
        recognizer->reset();
        _active.erase(std::remove(_active.begin(), _active.end(), recognizer), _active.end());
    }
}

}  // namespace plat
