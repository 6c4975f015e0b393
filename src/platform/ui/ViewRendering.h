#pragma once
#include <memory>

namespace plat {
class Image;
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

}  // namespace plat
