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
// did nothing a person sees: no screen, popover, sheet or alert came, the
// control's own state stayed as it was, and the picture of the screen did
// not change beyond what moves on it by itself: a picture that changes by
// itself (a live camera's, a playing movie's) is held still in the pictures
// compared, and other motion (a caret, a clock) is left out where it shows.
// A slider is dragged a
// little, a segmented control tapped on a segment not chosen. After each
// tap the screen is put back: what appeared is dismissed without animation,
// a pushed screen popped, a popover closed by a touch beside it, a control
// that changed its look tapped again, and when the screen is still not the
// one checked, the plan's way back runs (the script lines that reach it
// again). A control that a tap leaves alone but that follows a finger (a
// trim band) is dragged as well. Main thread, manual clock.
class ControlsCheck {
public:
    // The time a tap is given to show its outcome, in the app's time.
    static constexpr double kSettleSeconds = 0.5;

    struct Plan {
        std::string screen;  // its name, for the messages
        // Names of controls not tapped ("Hold * times": a star stands for any text).
        std::vector<std::string> leftOut;
        // Names of controls tapped after all others, in this order (stars
        // as above); the last of them may take the app elsewhere for good.
        std::vector<std::string> last;
        // Brings the app back to the screen; none: a control that leaves it fails.
        std::function<Result<void>()> comeBack;
        // When given, the only controls tapped (stars as above).
        std::vector<std::string> only = {};
    };

    ControlsCheck(UIDriver& driver, Plan plan);

    // One line a control that did nothing, or that took the app away from
    // the screen for good (the check stops there). Each names the control
    // and the screen.
    std::vector<std::string> run();
    // The names of the controls tapped by the last run, in order.
    const std::vector<std::string>& probed() const { return _probed; }

private:
    UIDriver& _driver;
    Plan _plan;
    std::vector<std::string> _probed;
};

}  // namespace plat::scripting
