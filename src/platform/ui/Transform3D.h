#pragma once
#include "platform/foundation/Geometry.h"
#include "platform/graphics/AffineTransform.h"

namespace plat {

// The platform's 4x4 layer transform. Points are row vectors multiplied on
// the left, [x y z 1] * M, so m41..m43 translate and m34 gives perspective
// (a point at depth z is divided by 1 + m34 * z). The operations that take a
// transform (translate, scale, rotate) put their step before it, as the
// platform's do. Any thread (value type).
struct Transform3D {
    double m11 = 1, m12 = 0, m13 = 0, m14 = 0;
    double m21 = 0, m22 = 1, m23 = 0, m24 = 0;
    double m31 = 0, m32 = 0, m33 = 1, m34 = 0;
    double m41 = 0, m42 = 0, m43 = 0, m44 = 1;

    static constexpr Transform3D identity() { return {}; }
    static Transform3D makeTranslation(double tx, double ty, double tz);
    static Transform3D makeScale(double sx, double sy, double sz);
    // Rotation by angle (radians) about the axis (x, y, z); a zero axis gives the identity.
    static Transform3D makeRotation(double angle, double x, double y, double z);
    static Transform3D makeAffineTransform(const AffineTransform& transform);

    bool isIdentity() const { return *this == identity(); }
    // True when it maps the plane z = 0 as an affine transform does.
    bool isAffine() const;
    // The 2-D part (meaningful when isAffine()).
    AffineTransform affineTransform() const;

    // first, then second: first * second.
    static Transform3D concat(const Transform3D& first, const Transform3D& second);
    // The inverse; the transform itself when it has none, as on the platform.
    Transform3D inverted() const;

    friend bool operator==(const Transform3D&, const Transform3D&) = default;
};

Transform3D translate(const Transform3D& t, double tx, double ty, double tz);
Transform3D scale(const Transform3D& t, double sx, double sy, double sz);
Transform3D rotate(const Transform3D& t, double angle, double x, double y, double z);

}  // namespace plat
