#pragma once
#include "platform/foundation/Geometry.h"
#include "platform/graphics/AffineTransform.h"

// The crop editor's geometry: a rectangle kept as its four corners, so that
// it can be turned and mapped, and the tests that decide whether a picture
// still covers the crop rectangle. Any thread (pure functions).
namespace zt {

// Four corners, which need not stay axis-aligned once mapped.
struct Rectangle {
    plat::Point topLeft;
    plat::Point topRight;
    plat::Point bottomLeft;
    plat::Point bottomRight;
};

Rectangle RectangleFromCGRect(plat::Rect rect);
// Origin at the top-left corner, width from the top edge, height from the
// left edge; either may come out negative for a mirrored rectangle.
plat::Rect CGRectFromRectangle(const Rectangle& rectangle);

// The axis-aligned box around rect turned by radians about its own centre.
plat::Rect boundingBoxForRect(plat::Rect rect, double radians);
// Where the corners of rect lie under transform applied about the
// rectangle's centre, as a view's transform is applied about its centre.
Rectangle applyTransform(const plat::AffineTransform& transform, plat::Rect rect);
// Each corner mapped by transform.
Rectangle applyTransform(const plat::AffineTransform& transform, const Rectangle& rectangle);

// The same rectangle with a positive width and height.
plat::Rect standardizedRect(plat::Rect rect);
// Whether inner lies within outer (edges included), both standardized. A
// picture that exactly covers the crop rectangle may miss it by a rounding
// error of the transforms, so a few millionths of a point are forgiven.
bool rectContainsRect(plat::Rect outer, plat::Rect inner);

}  // namespace zt
