#pragma once
#include <string>
#include <vector>

namespace plat {
class Window;
}

namespace plat::scripting {

// What a person would find wrong on the screen as it is now, one line a
// fault: a control, or a label's text, that lies partly or wholly outside
// the screen or outside a view that clips it, or over which another view
// draws. Content a person drags into view (in a scroll view, or in a view
// that follows a pan) may lie partly outside the view that shows it, and a
// table's row may pass under the section header the table keeps at its top; what
// lies behind a backdrop across the whole screen (a sheet's dimming, a
// screen presented over another) is out of play and not looked at. Main
// thread; the screen is drawn once, and again for each control that has
// views drawn after it across it.
std::vector<std::string> layoutFaults(Window& window);

}  // namespace plat::scripting
