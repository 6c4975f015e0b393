#include "platform/ui/Homography.h"

#include <algorithm>
#include <cmath>

namespace plat::detail {

Homography Homography::fromAffine(const AffineTransform& t)
{
    return {{t.a, t.c, t.tx, t.b, t.d, t.ty, 0, 0, 1}};
}

Homography Homography::fromTransform3D(const Transform3D& t)
{
    return {{t.m11, t.m21, t.m41, t.m12, t.m22, t.m42, t.m14, t.m24, t.m44}};
}

Homography Homography::translation(double x, double y)
{
    return {{1, 0, x, 0, 1, y, 0, 0, 1}};
}

Homography Homography::concat(const Homography& first, const Homography& second)
{
    // Column vectors: second * first.
    const auto& a = second.m;
    const auto& b = first.m;
    Homography r;
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j)
            r.m[i * 3 + j] = a[i * 3] * b[j] + a[i * 3 + 1] * b[3 + j] + a[i * 3 + 2] * b[6 + j];
    return r;
}

double Homography::determinant() const
{
    return m[0] * (m[4] * m[8] - m[5] * m[7]) - m[1] * (m[3] * m[8] - m[5] * m[6]) + m[2] * (m[3] * m[7] - m[4] * m[6]);
}

Homography Homography::inverted() const
{
    double det = determinant();
    if (std::abs(det) < 1e-15)
        return *this;
    Homography r;
    r.m[0] = (m[4] * m[8] - m[5] * m[7]) / det;
    r.m[1] = (m[2] * m[7] - m[1] * m[8]) / det;
    r.m[2] = (m[1] * m[5] - m[2] * m[4]) / det;
    r.m[3] = (m[5] * m[6] - m[3] * m[8]) / det;
    r.m[4] = (m[0] * m[8] - m[2] * m[6]) / det;
    r.m[5] = (m[2] * m[3] - m[0] * m[5]) / det;
    r.m[6] = (m[3] * m[7] - m[4] * m[6]) / det;
    r.m[7] = (m[1] * m[6] - m[0] * m[7]) / det;
    r.m[8] = (m[0] * m[4] - m[1] * m[3]) / det;
    return r;
}

Point Homography::apply(Point p) const
{
    double x = m[0] * p.x + m[1] * p.y + m[2];
    double y = m[3] * p.x + m[4] * p.y + m[5];
    double wp = w(p);
    if (wp == 1)
        return {x, y};
    if (wp == 0)
        return {x * 1e9, y * 1e9};
    return {x / wp, y / wp};
}

Rect Homography::applyToRect(Rect r) const
{
    Point corners[4] = {apply({r.minX(), r.minY()}), apply({r.maxX(), r.minY()}), apply({r.minX(), r.maxY()}),
        apply({r.maxX(), r.maxY()})};
    double minX = corners[0].x, maxX = corners[0].x, minY = corners[0].y, maxY = corners[0].y;
    for (const Point& c : corners) {
        minX = std::min(minX, c.x);
        maxX = std::max(maxX, c.x);
        minY = std::min(minY, c.y);
        maxY = std::max(maxY, c.y);
    }
    return {{minX, minY}, {maxX - minX, maxY - minY}};
}

}  // namespace plat::detail
