#pragma once
#include <array>
#include <cstdint>
#include <optional>
#include <vector>

#include "platform/foundation/Geometry.h"

// The tone curve's arithmetic, free of GL: control points to a 256-entry
// curve by natural cubic spline, and four curves to the lookup texture's
// bytes. Any thread.
namespace zt::detail {

// The second derivatives of the natural spline through points (at least
// two, x strictly rising).
std::vector<double> secondDerivative(const std::vector<plat::Point>& points);
// The spline at every whole x from the first point to the last (0..255
// scale), clamped to 0..255, then the last point itself; empty for fewer
// than two points.
std::vector<plat::Point> splineCurve(const std::vector<plat::Point>& points);
// Control points (fractions 0..1, any order) to entries 0..255 of output
// minus input, 0..255 scale. Points outside 0..1 are clamped into it,
// points that are not numbers dropped, and of points with equal inputs the
// first is kept. Inputs below the first point map to 0, above the last to
// 255. Empty when fewer than two points remain.
std::vector<float> getPreparedSplineCurve(const std::vector<plat::Point>& points);

// The texture's 256 RGBA pixels: each channel through its own curve, then
// the composite. None unless every curve has its 256 entries.
std::optional<std::array<uint8_t, 1024>> toneCurveBytes(const std::vector<float>& composite,
    const std::vector<float>& red, const std::vector<float>& green, const std::vector<float>& blue);

}  // namespace zt::detail
