#include "editor/QVImageEditorGeometry.h"

#include <algorithm>
#include <cmath>

namespace zt {

namespace {

// Points; far below what a screen shows, far above a double's rounding at screen sizes.
constexpr double kContainmentTolerance = 1e-6;

plat::Point rotatedAbout(plat::Point point, plat::Point centre, double cosine, double sine)
{
    double dx = point.x - centre.x;
    double dy = point.y - centre.y;
    return {centre.x + dx * cosine - dy * sine, centre.y + dx * sine + dy * cosine};
}

}  // namespace

Rectangle RectangleFromCGRect(plat::Rect rect)
{
    return {
        {rect.minX(), rect.minY()}, {rect.maxX(), rect.minY()}, {rect.minX(), rect.maxY()}, {rect.maxX(), rect.maxY()}};
}

plat::Rect CGRectFromRectangle(const Rectangle& rectangle)
{
    return {
        rectangle.topLeft, {rectangle.topRight.x - rectangle.topLeft.x, rectangle.bottomLeft.y - rectangle.topLeft.y}};
}

plat::Rect boundingBoxForRect(plat::Rect rect, double radians)
{
    plat::Point centre {rect.midX(), rect.midY()};
    double cosine = std::cos(radians);
    double sine = std::sin(radians);
    Rectangle corners = RectangleFromCGRect(rect);
    const plat::Point turned[] = {rotatedAbout(corners.topLeft, centre, cosine, sine),
        rotatedAbout(corners.topRight, centre, cosine, sine), rotatedAbout(corners.bottomLeft, centre, cosine, sine),
        rotatedAbout(corners.bottomRight, centre, cosine, sine)};
    double minX = turned[0].x, maxX = turned[0].x, minY = turned[0].y, maxY = turned[0].y;
    for (const plat::Point& point : turned) {
        minX = std::min(minX, point.x);
        maxX = std::max(maxX, point.x);
        minY = std::min(minY, point.y);
        maxY = std::max(maxY, point.y);
    }
    return plat::makeRect(minX, minY, maxX - minX, maxY - minY);
}

Rectangle applyTransform(const plat::AffineTransform& transform, plat::Rect rect)
{
    plat::Point centre {rect.midX(), rect.midY()};
    // Into the centre's frame, the transform, and back out.
    plat::AffineTransform aboutCentre = plat::AffineTransform::concat(
        plat::AffineTransform::concat(plat::AffineTransform::makeTranslation(-centre.x, -centre.y), transform),
        plat::AffineTransform::makeTranslation(centre.x, centre.y));
    return applyTransform(aboutCentre, RectangleFromCGRect(rect));
}

Rectangle applyTransform(const plat::AffineTransform& transform, const Rectangle& rectangle)
{
    return {transform.apply(rectangle.topLeft), transform.apply(rectangle.topRight),
        transform.apply(rectangle.bottomLeft), transform.apply(rectangle.bottomRight)};
}

plat::Rect standardizedRect(plat::Rect rect)
{
    if (rect.size.width < 0) {
        rect.origin.x += rect.size.width;
        rect.size.width = -rect.size.width;
    }
    if (rect.size.height < 0) {
        rect.origin.y += rect.size.height;
        rect.size.height = -rect.size.height;
    }
    return rect;
}

bool rectContainsRect(plat::Rect outer, plat::Rect inner)
{
    outer = standardizedRect(outer);
    inner = standardizedRect(inner);
    // NaN fails every comparison, so a broken transform never counts as covering.
    return inner.minX() >= outer.minX() - kContainmentTolerance && inner.minY() >= outer.minY() - kContainmentTolerance
        && inner.maxX() <= outer.maxX() + kContainmentTolerance && inner.maxY() <= outer.maxY() + kContainmentTolerance;
}

}  // namespace zt
