#pragma once
#include "platform/foundation/Geometry.h"

namespace plat {

// The platform's 2-D affine transform: x' = a·x + c·y + tx, y' = b·x + d·y + ty.
// The operations that take a transform (translate, rotate, scale) put their
// step before it, as the platform's do: translate(t, 5, 0) moves points by 5
// and then applies t. Any thread (value type).
struct AffineTransform {
    double a = 1;
    double b = 0;
    double c = 0;
    double d = 1;
    double tx = 0;
    double ty = 0;

    static constexpr AffineTransform identity() { return {}; }
    static constexpr AffineTransform makeTranslation(double x, double y) { return {1, 0, 0, 1, x, y}; }
    static constexpr AffineTransform makeScale(double sx, double sy) { return {sx, 0, 0, sy, 0, 0}; }
    static AffineTransform makeRotation(double radians);

    bool isIdentity() const { return *this == identity(); }
    // The transform that applies first, then second.
    static AffineTransform concat(const AffineTransform& first, const AffineTransform& second);
    // The inverse; the transform itself when it cannot be inverted, as on the platform.
    AffineTransform inverted() const;
    bool isInvertible() const;

    Point apply(Point point) const { return {a * point.x + c * point.y + tx, b * point.x + d * point.y + ty}; }
    Size applyToSize(Size size) const { return {a * size.width + c * size.height, b * size.width + d * size.height}; }
    // The smallest rectangle that holds the transformed corners.
    Rect applyToRect(Rect rect) const;

    friend bool operator==(const AffineTransform&, const AffineTransform&) = default;
};

AffineTransform translate(const AffineTransform& t, double x, double y);
AffineTransform rotate(const AffineTransform& t, double radians);
AffineTransform scale(const AffineTransform& t, double sx, double sy);

}  // namespace plat
