#pragma once
#include <functional>
#include <string>
#include <vector>

#include "platform/foundation/Result.h"

namespace plat::scripting {
class UIDriver;

// Taps, one at a time, every control a person can reach on the screen as it
// is (enabled buttons, bar items, switches, segmented controls, sliders,
// table rows that take a selection: shown, and not covered) and tells which
// did nothing a person sees: no screen, popover, sheet or alert came, no
// control came or went, the control's own state stayed as it was, a movie
// shown neither moved nor plays otherwise, a live picture held still kept its
// shape and turn (a camera switched to the other side mirrors it), and the
// picture of the screen did not change beyond what moves on it by itself (see
// SelfMotion: a playing movie and a live camera's picture are held still, a
// progress bar or a clock left out). A switch, a slider or a segmented
// control counts only by what changes beyond its own drawing: the picture,
// another control, a screen, or a setting it stores. A slider is dragged a
// little, a segmented control tapped on a segment not chosen. Each tap starts
// from the screen as it was: what a tap set moving comes to rest first, and
// what it set going that ends by itself soon (a message that goes a second
// later) has ended (see StartedWork); after it what appeared is dismissed
// without animation, a pushed screen popped, a popover closed by a touch
// beside it, a switch or a button that turned into another (Play into Stop)
// tapped again so that what it started stops, and when the screen is still
// not the one checked, the plan's way back runs (the script lines that reach
// it again) and the screen is watched afresh. A control that a tap leaves
// alone but that follows a finger (a trim band) is dragged as well. Controls
// are called by any of their names (see namesOf), and a name in the plan that
// calls no control is a fault. Main thread, manual clock.
class ControlsCheck {
public:
    // The time a tap is given to show its outcome, in the app's time.
    static constexpr double kSettleSeconds = 0.5;

    struct Plan {
        std::string screen;  // its name, for the messages
        // Names of controls not tapped ("Hold * times": a star stands for any text).
        std::vector<std::string> leftOut;
        // Names of controls tapped after all others, in this order (stars
        // as above); a name given again taps its control again; the last of
        // them may take the app elsewhere for good.
        std::vector<std::string> last;
        // Brings the app back to the screen; none: a control that leaves it fails.
        std::function<Result<void>()> comeBack;
        // When given, the only controls tapped (stars as above).
        std::vector<std::string> only = {};
    };

    ControlsCheck(UIDriver& driver, Plan plan);

    // One line a control that did nothing, or that took the app away from
    // the screen for good (the check stops there), and one a name in the
    // plan that calls no control. Each names the screen.
    std::vector<std::string> run();
    // The names of the controls tapped by the last run, in order.
    const std::vector<std::string>& probed() const { return _probed; }

private:
    UIDriver& _driver;
    Plan _plan;
    std::vector<std::string> _probed;
};

}  // namespace plat::scripting
