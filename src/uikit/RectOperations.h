#pragma once
#include <optional>

#include "platform/foundation/Geometry.h"

// Rectangle arithmetic the kit's placement code shares, as the platform's
// geometry functions. Any thread (pure functions).
namespace zt::detail {

// The common part, or nullopt when the two do not overlap (touching edges
// give an empty rectangle, as the platform's intersection does).
std::optional<plat::Rect> rectIntersection(plat::Rect a, plat::Rect b);
plat::Rect rectUnion(plat::Rect a, plat::Rect b);
plat::Rect rectOffset(plat::Rect rect, double dx, double dy);
// Whole points, outward: the smallest rectangle of whole points that holds it.
plat::Rect rectIntegral(plat::Rect rect);
// Both sides finite and no NaN anywhere.
bool isFiniteRect(plat::Rect rect);
bool isFiniteSize(plat::Size size);

}  // namespace zt::detail
