#pragma once
// How much of what lies behind a panel shows through it, measured on the
// window's picture (header only: the test binaries that include it link the
// UI stand-in through their library).
#include <algorithm>
#include <cmath>
#include <memory>

#include "platform/foundation/Geometry.h"
#include "platform/graphics/Bitmap.h"
#include "platform/graphics/Image.h"
#include "platform/ui/View.h"
#include "platform/ui/ViewRendering.h"
#include "platform/ui/Window.h"
#include "support/Pixels.h"

namespace plat::test {

// The window is pictured twice, with a black and then a white backdrop
// slipped in right beneath the panel (over everything else behind it);
// within area (window points) the largest difference of a colour component
// between the two pictures is what shows through: 0 for an opaque panel,
// 255 where nothing covers the backdrop. -1 when nothing could be pictured.
inline int largestSeeThrough(Window& window, View& panel, Rect area, double scale = 1)
{
    auto holder = panel.superview();
    if (!holder)
        return -1;
    auto backdrop = std::make_shared<View>(holder->bounds());
    holder->insertSubviewBelowSubview(backdrop, panel);
    backdrop->setBackgroundColor(Color::blackColor());
    auto overBlack = snapshotWindow(window, scale);
    backdrop->setBackgroundColor(Color::whiteColor());
    auto overWhite = snapshotWindow(window, scale);
    backdrop->removeFromSuperview();
    if (!overBlack || !overWhite)
        return -1;
    const auto& black = *overBlack->bitmap();
    const auto& white = *overWhite->bitmap();
    const int left = std::max(0, static_cast<int>(std::ceil(area.minX() * scale)));
    const int top = std::max(0, static_cast<int>(std::ceil(area.minY() * scale)));
    const int right = std::min(black.width(), static_cast<int>(std::floor(area.maxX() * scale)));
    const int bottom = std::min(black.height(), static_cast<int>(std::floor(area.maxY() * scale)));
    int largest = 0;
    for (int y = top; y < bottom; ++y)
        for (int x = left; x < right; ++x)
            largest = std::max(largest, componentDistance(pixelAt(black, x, y), pixelAt(white, x, y)));
    return largest;
}

}  // namespace plat::test
