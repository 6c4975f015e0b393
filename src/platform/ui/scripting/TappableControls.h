#pragma once
#include <memory>
#include <string>
#include <vector>

namespace plat {
class Control;
class View;
class Window;
}  // namespace plat

namespace plat::scripting {
class UIDriver;
}

namespace plat::scripting::detail {

// A control a person can tap on the screen as it is.
struct Tappable {
    std::shared_ptr<View> view;
    std::string name;  // the first of its names, for messages
    std::vector<std::string> names;  // see namesOf
    std::string key;  // kind, name and, for a repeated name, which one
    std::string description;  // as found, for messages
};

// Enabled controls and rows that take a selection, shown, not covered and
// not chosen already (a chosen tab or row is where the person is), back to
// front. A clear touch zone (a panel's catch button) is no control a person
// sees. Main thread.
std::vector<Tappable> tappableControls(UIDriver& driver, Window& window);

// What a person or a script may call the control: its accessibility label,
// the title it shows and its identifier, each; failing those the outlet it
// fills, else the text it shows, else the caption beside it. Empty when it
// has none.
std::vector<std::string> namesOf(const View& view, const Window& window);
// True when the name is the pattern, in which a star stands for any text
// ("Hold * times").
bool matchesPattern(const std::string& name, const std::string& pattern);
// True when one of the control's names (for one without, its kind and
// place) matches the pattern: the one rule by which scripts pick controls.
bool isCalled(const Tappable& control, const std::string& pattern);
// A control that sets something (a switch, a slider, a segmented control):
// its own drawing follows the finger whatever it is hooked to, so it counts
// only by what changes beyond it.
bool isSettingControl(const View& view);
// A button a bar shows for an item: only ever tapped, never dragged.
bool isBarButton(const View& view);

// Removes every action of the control, and of the bar item it shows (whose
// bar may make the item's view anew), so that a check can be shown a dead
// control. Main thread.
void unhook(Control& control, Window& window);

// What the control shows of its own state.
std::string ownState(const View& view);

}  // namespace plat::scripting::detail
