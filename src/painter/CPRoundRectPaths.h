#pragma once
#include "platform/foundation/Geometry.h"
#include "platform/graphics/Path.h"

namespace zt {

// The rounded outlines of the picker's swatch and compare view. Each takes
// the rectangle shrunk by 1 point on every side, so a stroke of 2 stays
// inside the bounds. Any thread.

// Closed, from the middle of the left edge clockwise through the corners.
plat::Path roundRectPathForBoundingRect(plat::Rect rect, double cornerRadius);
// Open: from the top-right corner round the left side to the bottom-right corner.
plat::Path leftRoundRectPathForBoundingRect(plat::Rect rect, double cornerRadius);
// Open: the mirror image, from the top-left corner round the right side.
plat::Path rightRoundRectPathForBoundingRect(plat::Rect rect, double cornerRadius);

}  // namespace zt
