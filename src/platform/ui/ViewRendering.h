#pragma once
#include <memory>
#include <string>
#include <vector>

#include "platform/foundation/Geometry.h"
#include "platform/graphics/Color.h"
#include "platform/graphics/Font.h"
#include "platform/graphics/GraphicsContext.h"

namespace plat {
class Image;
class Layer;
class View;
class Window;

// A picture of what the view shows now: its layer tree with running
// animations at the current moment, transforms, alpha, clipping, shadows
// and drawn content, in the view's own coordinates, at scale pixels per
// point (0: the screen's). The tree is laid out first. Transparent where
// nothing is drawn, unless opaque (then on black). nullptr for an empty view.
std::shared_ptr<Image> renderViewToImage(View& view, double scale = 0, bool opaque = false);
// The screen as the window shows it (black where the window shows nothing).
std::shared_ptr<Image> snapshotWindow(Window& window, double scale = 0);
// The same, drawn only within the areas (window points), black elsewhere: a
// cheaper picture for a check that looks at parts of the screen.
std::shared_ptr<Image> snapshotWindowWithin(Window& window, double scale, const std::vector<Rect>& areas);

}  // namespace plat

namespace plat {

// A text on the screen: its words, font and colour, the area its lines
// cover in window points, and the layer whose drawing holds it.
struct TextOnScreen {
    std::string text;
    Font font;
    Color color;
    Rect frame;
    std::weak_ptr<Layer> layer;
};

// Redraws what the window's shown layers draw themselves with their texts
// in the ink given (left out, so that a picture shows what lies behind
// them; or all black or all white, so that pictures show their shapes), and
// gives those texts; TextInk::AsAsked draws them as they were. For checks
// of how texts read.
std::vector<TextOnScreen> redrawWindowTexts(Window& window, TextInk ink);

}  // namespace plat
