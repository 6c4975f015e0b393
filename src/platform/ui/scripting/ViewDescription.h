#pragma once
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/foundation/Geometry.h"

namespace plat {
class Layer;
class View;
class ViewController;
class Window;
}  // namespace plat

namespace plat::scripting::detail {

// Views this faint, or hidden, are not on screen for a person.
bool isShown(const View& view);
bool isShown(const Layer& layer);

// "LabelView \"Next\" of CoachMarkViewController at (10, 20, 300, 40)": enough to find it.
std::string describe(const View& view);

Rect windowFrameOf(const View& view);
// The overlap of two rectangles; empty when they do not meet.
Rect intersection(Rect a, Rect b);
// True when the view draws something itself (not counting its subviews).
bool drawsItself(const View& view);
// True when the view or a view inside it draws within area (window points).
bool drawsWithin(const View& view, Rect area);

// Laid-out frames land on fractions of a point; this much past an edge is not a cut.
constexpr double kEdgeTolerancePoints = 0.5;
// True when inner, give or take the tolerance, lies inside outer.
bool liesWithin(Rect inner, Rect outer);
// True for a view across the whole screen that takes the touches meant for
// what lies behind it: a panel's catch button, a sheet's dimming, a screen
// presented over another. What is drawn after it is another layer of the
// screen, shown over the one behind on purpose.
bool isLayerBoundary(const View& view, Rect screen);
// The views drawn after the view in its layer of the screen, in drawing
// order: the later siblings of the view and of each of its ancestors, up
// to the first layer boundary.
std::vector<std::shared_ptr<View>> drawnAfterInLayer(const View& view, Rect screen);
// True when a layer boundary is drawn after the view: it lies behind a
// sheet's dimming or a screen presented over it, out of play.
bool isBehindBackdrop(const View& view, Rect screen);
// The part of the view's frame (window points) that the views holding it
// and clipping to their bounds leave in sight; empty when none.
Rect visiblePartOf(const View& view);

// The views of the window by their layers.
std::map<const Layer*, std::shared_ptr<View>> viewsByLayer(Window& window);
// The view whose layer is the given one, or holds it as a layer of its own.
std::shared_ptr<View> viewHolding(const Layer& layer, const std::map<const Layer*, std::shared_ptr<View>>& views);

// The controllers on the window's screen, front first: presented ones, then
// children, then their parent.
std::vector<std::shared_ptr<ViewController>> controllersOnScreen(const Window& window);

}  // namespace plat::scripting::detail
