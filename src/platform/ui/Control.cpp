#include "platform/ui/Control.h"

#include "platform/ui/GestureRecognizer.h"
#include "platform/ui/PanGestureRecognizer.h"
#include "platform/ui/SwipeGestureRecognizer.h"
#include "platform/ui/TapGestureRecognizer.h"

namespace plat {

Control::Control()
    : View()
{
}

Control::Control(Rect frame)
    : View(frame)
{
}

void Control::setEnabled(bool enabled)
{
    if (_enabled == enabled)
        return;
    _enabled = enabled;
    if (!enabled)
        _highlighted = false;
    stateDidChange();
}

void Control::setSelected(bool selected)
{
    if (_selected == selected)
        return;
    _selected = selected;
    stateDidChange();
}

void Control::setHighlighted(bool highlighted)
{
    if (_highlighted == highlighted)
        return;
    _highlighted = highlighted;
    stateDidChange();
}

unsigned Control::state() const
{
    unsigned s = ControlStateNormal;
    if (_highlighted)
        s |= ControlStateHighlighted;
    if (!_enabled)
        s |= ControlStateDisabled;
    if (_selected)
        s |= ControlStateSelected;
    return s;
}

void Control::setContentHorizontalAlignment(ControlContentHorizontalAlignment alignment)
{
    _horizontalAlignment = alignment;
    setNeedsLayout();
    setNeedsDisplay();
}

void Control::setContentVerticalAlignment(ControlContentVerticalAlignment alignment)
{
    _verticalAlignment = alignment;
    setNeedsLayout();
    setNeedsDisplay();
}

void Control::sendActionsForControlEvents(uint64_t events)
{
    auto keepAlive = weak_from_this().lock();
    _actions.send(*this, events);
}

bool Control::isInsideWithSlop(Point point) const
{
    Rect b = bounds();
    return point.x >= b.minX() - kTouchSlop && point.x < b.maxX() + kTouchSlop && point.y >= b.minY() - kTouchSlop
        && point.y < b.maxY() + kTouchSlop;
}

bool Control::beginTrackingWithTouch(Touch&, const Event&)
{
    return true;
}

bool Control::continueTrackingWithTouch(Touch&, const Event&)
{
    return true;
}

void Control::endTrackingWithTouch(Touch&, const Event&) { }

void Control::cancelTrackingWithEvent(const Event*) { }

void Control::touchesBegan(const TouchSet& touches, const Event& event)
{
    if (!_enabled || touches.empty())
        return;
    auto keepAlive = sharedAs<Control>();
    Touch& touch = *touches.front();
    _touchInside = true;
    _tracking = beginTrackingWithTouch(touch, event);
    setHighlighted(true);
    uint64_t events = ControlEventTouchDown;
    if (touch.tapCount() > 1)
        events |= ControlEventTouchDownRepeat;
    sendActionsForControlEvents(events);
}

void Control::touchesMoved(const TouchSet& touches, const Event& event)
{
    if (!_enabled || touches.empty())
        return;
    auto keepAlive = sharedAs<Control>();
    Touch& touch = *touches.front();
    bool wasInside = _touchInside;
    _touchInside = isInsideWithSlop(touch.locationInView(this));
    setHighlighted(_touchInside);
    if (_tracking)
        _tracking = continueTrackingWithTouch(touch, event);
    uint64_t events = _touchInside ? ControlEventTouchDragInside : ControlEventTouchDragOutside;
    if (wasInside != _touchInside)
        events |= _touchInside ? ControlEventTouchDragEnter : ControlEventTouchDragExit;
    sendActionsForControlEvents(events);
}

void Control::touchesEnded(const TouchSet& touches, const Event& event)
{
    if (touches.empty())
        return;
    auto keepAlive = sharedAs<Control>();
    Touch& touch = *touches.front();
    if (_enabled) {
        _touchInside = isInsideWithSlop(touch.locationInView(this));
        if (_tracking)
            endTrackingWithTouch(touch, event);
    }
    _tracking = false;
    setHighlighted(false);
    if (_enabled)
        sendActionsForControlEvents(_touchInside ? ControlEventTouchUpInside : ControlEventTouchUpOutside);
    _touchInside = false;
}

void Control::touchesCancelled(const TouchSet&, const Event& event)
{
    auto keepAlive = sharedAs<Control>();
    if (_tracking)
        cancelTrackingWithEvent(&event);
    _tracking = false;
    _touchInside = false;
    setHighlighted(false);
    if (_enabled)
        sendActionsForControlEvents(ControlEventTouchCancel);
}

bool Control::gestureRecognizerShouldBegin(GestureRecognizer& recognizer)
{
    auto owner = recognizer.view();
    if (owner.get() == this)
        return true;
    // The control's own gesture wins over the same gesture of a view above it.
    if (auto* tap = dynamic_cast<TapGestureRecognizer*>(&recognizer))
        if (tap->numberOfTapsRequired() == 1 && tap->numberOfTouchesRequired() == 1)
            return false;
    if (keepsDragsFromAncestors()
        && (dynamic_cast<PanGestureRecognizer*>(&recognizer) || dynamic_cast<SwipeGestureRecognizer*>(&recognizer)))
        return false;
    return true;
}

}  // namespace plat
