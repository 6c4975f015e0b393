#pragma once
#include <cstdint>

#include "platform/ui/TargetAction.h"
#include "platform/ui/View.h"

namespace plat {

// The platform's control events (bits).
enum ControlEvents : uint64_t {
    ControlEventTouchDown = 1u << 0,
    ControlEventTouchDownRepeat = 1u << 1,
    ControlEventTouchDragInside = 1u << 2,
    ControlEventTouchDragOutside = 1u << 3,
    ControlEventTouchDragEnter = 1u << 4,
    ControlEventTouchDragExit = 1u << 5,
    ControlEventTouchUpInside = 1u << 6,
    ControlEventTouchUpOutside = 1u << 7,
    ControlEventTouchCancel = 1u << 8,
    ControlEventValueChanged = 1u << 12,
    ControlEventEditingDidBegin = 1u << 16,
    ControlEventEditingChanged = 1u << 17,
    ControlEventEditingDidEnd = 1u << 18,
    ControlEventEditingDidEndOnExit = 1u << 19,
    ControlEventAllTouchEvents = 0x00000FFFu,
    ControlEventAllEditingEvents = 0x000F0000u,
    ControlEventAllEvents = 0xFFFFFFFFu,
};

// The platform's control states (bits; normal is none).
enum ControlState : unsigned {
    ControlStateNormal = 0,
    ControlStateHighlighted = 1u << 0,
    ControlStateDisabled = 1u << 1,
    ControlStateSelected = 1u << 2,
};

enum class ControlContentHorizontalAlignment : int { Center = 0, Left = 1, Right = 2, Fill = 3 };
enum class ControlContentVerticalAlignment : int { Center = 0, Top = 1, Bottom = 2, Fill = 3 };

// The platform's control: enabled, selected and highlighted states, touch
// tracking that turns a finger into control events (down, drags inside and
// outside with the platform's 70-point slop, up inside or outside, cancel),
// and target-actions per event (targets are weak, see TargetActionList).
// A control keeps a single-finger tap or a drag of an ancestor's recogniser
// from taking its touches, as the platform does. Main thread.
class Control : public View {
public:
    // How far outside its bounds a finger still counts as inside.
    static constexpr double kTouchSlop = 70;
    // A disabled control's content is drawn this opaque: it looks dimmed, as
    // the platform draws it, so a person sees it will not respond.
    static constexpr double kDisabledContentAlpha = 0.35;

    Control();
    explicit Control(Rect frame);

    bool isEnabled() const { return _enabled; }
    virtual void setEnabled(bool enabled);
    bool isSelected() const { return _selected; }
    virtual void setSelected(bool selected);
    bool isHighlighted() const { return _highlighted; }
    virtual void setHighlighted(bool highlighted);
    unsigned state() const;
    ControlContentHorizontalAlignment contentHorizontalAlignment() const { return _horizontalAlignment; }
    void setContentHorizontalAlignment(ControlContentHorizontalAlignment alignment);
    ControlContentVerticalAlignment contentVerticalAlignment() const { return _verticalAlignment; }
    void setContentVerticalAlignment(ControlContentVerticalAlignment alignment);
    bool isTracking() const { return _tracking; }
    bool isTouchInside() const { return _touchInside; }

    template <typename T, typename S> void addTarget(T* target, void (T::*action)(S&), uint64_t events)
    {
        _actions.add(target, action, events);
    }
    template <typename T> void addTarget(T* target, void (T::*action)(), uint64_t events)
    {
        _actions.add(target, action, events);
    }
    template <typename T, typename Action> void removeTarget(const T* target, Action action, uint64_t events)
    {
        _actions.remove(target, action, events);
    }
    // A null target removes every target's actions for the events, as on the platform.
    void removeTarget(const Object* target, uint64_t events) { _actions.removeTarget(target, events); }
    bool hasTarget(const Object* target) const { return _actions.hasTarget(target); }
    uint64_t allControlEventsForTarget(const Object* target) const { return _actions.eventsForTarget(target); }
    bool hasActionsForEvents(uint64_t events) const { return _actions.hasEvents(events); }
    // Runs the actions of the events now.
    void sendActionsForControlEvents(uint64_t events);

    // Tracking, for subclasses: return true to go on tracking.
    virtual bool beginTrackingWithTouch(Touch& touch, const Event& event);
    virtual bool continueTrackingWithTouch(Touch& touch, const Event& event);
    virtual void endTrackingWithTouch(Touch& touch, const Event& event);
    virtual void cancelTrackingWithEvent(const Event* event);

    void touchesBegan(const TouchSet& touches, const Event& event) override;
    void touchesMoved(const TouchSet& touches, const Event& event) override;
    void touchesEnded(const TouchSet& touches, const Event& event) override;
    void touchesCancelled(const TouchSet& touches, const Event& event) override;
    bool gestureRecognizerShouldBegin(GestureRecognizer& recognizer) override;

protected:
    // Controls whose own gesture is a drag (sliders, switches) also keep drags and swipes.
    virtual bool keepsDragsFromAncestors() const { return false; }
    // Called after any state change, for the look.
    virtual void stateDidChange() { setNeedsDisplay(); }
    bool isInsideWithSlop(Point point) const;

private:
    TargetActionList<Control> _actions;
    bool _enabled = true;
    bool _selected = false;
    bool _highlighted = false;
    bool _tracking = false;
    bool _touchInside = false;
    ControlContentHorizontalAlignment _horizontalAlignment = ControlContentHorizontalAlignment::Center;
    ControlContentVerticalAlignment _verticalAlignment = ControlContentVerticalAlignment::Center;
};

}  // namespace plat
