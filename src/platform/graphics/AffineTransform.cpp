#include "platform/graphics/AffineTransform.h"

#include <algorithm>
#include <cmath>

namespace plat {

AffineTransform AffineTransform::makeRotation(double radians)
{
    double cosine = std::cos(radians);
    double sine = std::sin(radians);
    return {cosine, sine, -sine, cosine, 0, 0};
}

AffineTransform AffineTransform::concat(const AffineTransform& first, const AffineTransform& second)
{
    return {
        first.a * second.a + first.b * second.c,
        first.a * second.b + first.b * second.d,
        first.c * second.a + first.d * second.c,
        first.c * second.b + first.d * second.d,
        first.tx * second.a + first.ty * second.c + second.tx,
        first.tx * second.b + first.ty * second.d + second.ty,
    };
}

bool AffineTransform::isInvertible() const
{
    double determinant = a * d - b * c;
    return determinant != 0 && std::isfinite(determinant);
}

AffineTransform AffineTransform::inverted() const
{
    if (!isInvertible())
        return *this;
    double determinant = a * d - b * c;
    AffineTransform inverse {d / determinant, -b / determinant, -c / determinant, a / determinant, 0, 0};
    inverse.tx = -(inverse.a * tx + inverse.c * ty);
    inverse.ty = -(inverse.b * tx + inverse.d * ty);
    return inverse;
}

Rect AffineTransform::applyToRect(Rect rect) const
{
    Point corners[] = {
        apply({rect.minX(), rect.minY()}),
        apply({rect.maxX(), rect.minY()}),
        apply({rect.minX(), rect.maxY()}),
        apply({rect.maxX(), rect.maxY()}),
    };
    double minX = corners[0].x, maxX = corners[0].x, minY = corners[0].y, maxY = corners[0].y;
    for (const Point& corner : corners) {
        minX = std::min(minX, corner.x);
        maxX = std::max(maxX, corner.x);
        minY = std::min(minY, corner.y);
        maxY = std::max(maxY, corner.y);
    }
    return makeRect(minX, minY, maxX - minX, maxY - minY);
}

AffineTransform translate(const AffineTransform& t, double x, double y)
{
    return AffineTransform::concat(AffineTransform::makeTranslation(x, y), t);
}

AffineTransform rotate(const AffineTransform& t, double radians)
{
    return AffineTransform::concat(AffineTransform::makeRotation(radians), t);
}

AffineTransform scale(const AffineTransform& t, double sx, double sy)
{
    return AffineTransform::concat(AffineTransform::makeScale(sx, sy), t);
}

}  // namespace plat
