#pragma once
#include <array>

#include "platform/foundation/Geometry.h"
#include "platform/graphics/AffineTransform.h"
#include "platform/ui/Transform3D.h"

namespace plat::detail {

// A projective map of the plane, x' = (a x + b y + c) / (g x + h y + i),
// y' = (d x + e y + f) / (g x + h y + i): how a layer's plane lands in its
// superlayer's once the 3-D transform is flattened. Any thread (value type).
struct Homography {
    // Rows of the 3x3 matrix, for column vectors [x y 1].
    std::array<double, 9> m {1, 0, 0, 0, 1, 0, 0, 0, 1};

    static Homography fromAffine(const AffineTransform& t);
    // The plane z = 0 of a layer under the transform, seen from the front.
    static Homography fromTransform3D(const Transform3D& t);
    static Homography translation(double x, double y);

    // first, then second.
    static Homography concat(const Homography& first, const Homography& second);
    bool isAffine() const { return m[6] == 0 && m[7] == 0 && m[8] == 1; }
    AffineTransform affine() const { return {m[0], m[3], m[1], m[4], m[2], m[5]}; }
    Homography inverted() const;
    double determinant() const;

    Point apply(Point p) const;
    // The denominator at p: points behind the eye have w <= 0.
    double w(Point p) const { return m[6] * p.x + m[7] * p.y + m[8]; }
    // The bounding box of the mapped corners.
    Rect applyToRect(Rect r) const;
};

}  // namespace plat::detail
