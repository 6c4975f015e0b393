#pragma once
#include <memory>
#include <string>
#include <vector>

namespace plat {
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
    std::string name;
    std::string key;  // kind, name and, for a repeated name, which one
    std::string description;  // as found, for messages
};

// Enabled controls and rows that take a selection, shown, not covered and
// not chosen already (a chosen tab or row is where the person is), back to
// front. A clear touch zone (a panel's catch button) is no control a person
// sees. Main thread.
std::vector<Tappable> tappableControls(UIDriver& driver, Window& window);

// What a person or a script calls the control: its accessibility label, the
// title it shows, its identifier, the outlet it fills, the text it shows,
// the caption beside it, or at least its kind and place.
std::string nameOf(const View& view, const Window& window);
// What the control shows of its own state.
std::string ownState(const View& view);

}  // namespace plat::scripting::detail
