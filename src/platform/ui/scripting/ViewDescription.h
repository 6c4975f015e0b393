#pragma once
#include <memory>
#include <string>
#include <vector>

#include "platform/foundation/Geometry.h"

namespace plat {
class View;
class ViewController;
class Window;
}  // namespace plat

namespace plat::scripting::detail {

// Views this faint, or hidden, are not on screen for a person.
bool isShown(const View& view);

// "LabelView \"Next\" of CoachMarkViewController at (10, 20, 300, 40)": enough to find it.
std::string describe(const View& view);

Rect windowFrameOf(const View& view);
// The overlap of two rectangles; empty when they do not meet.
Rect intersection(Rect a, Rect b);
// True when the view draws something itself (not counting its subviews).
bool drawsItself(const View& view);
// True when the view or a view inside it draws within area (window points).
bool drawsWithin(const View& view, Rect area);

// The controllers on the window's screen, front first: presented ones, then
// children, then their parent.
std::vector<std::shared_ptr<ViewController>> controllersOnScreen(const Window& window);

}  // namespace plat::scripting::detail
