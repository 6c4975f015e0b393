#include "painter/CPRoundRectPaths.h"

#include <numbers>

namespace zt {

namespace {
constexpr double kQuarter = std::numbers::pi / 2;

plat::Rect shrunk(plat::Rect rect)
{
    return plat::makeRect(rect.minX() + 1, rect.minY() + 1, rect.width() - 2, rect.height() - 2);
}

// Angles in the screen's coordinates (y down): 0 right, pi/2 down; clockwise
// on the screen is the way of growing angles.
void arcThroughCorner(plat::Path& path, plat::Point centre, double radius, double fromAngle)
{
    path.addArc(centre, radius, fromAngle, fromAngle + kQuarter, /*clockwise=*/true);
}
}  // namespace

plat::Path roundRectPathForBoundingRect(plat::Rect rect, double r)
{
    const plat::Rect b = shrunk(rect);
    plat::Path path;
    path.moveToPoint({b.minX(), b.midY()});
    arcThroughCorner(path, {b.minX() + r, b.minY() + r}, r, std::numbers::pi);
    arcThroughCorner(path, {b.maxX() - r, b.minY() + r}, r, -kQuarter);
    arcThroughCorner(path, {b.maxX() - r, b.maxY() - r}, r, 0);
    arcThroughCorner(path, {b.minX() + r, b.maxY() - r}, r, kQuarter);
    path.closePath();
    return path;
}

plat::Path leftRoundRectPathForBoundingRect(plat::Rect rect, double r)
{
    const plat::Rect b = shrunk(rect);
    plat::Path path;
    path.moveToPoint({b.maxX(), b.minY()});
    path.addLineToPoint({b.minX() + r, b.minY()});
    path.addArc({b.minX() + r, b.minY() + r}, r, -kQuarter, -std::numbers::pi, /*clockwise=*/false);
    path.addArc({b.minX() + r, b.maxY() - r}, r, std::numbers::pi, kQuarter, /*clockwise=*/false);
    path.addLineToPoint({b.maxX(), b.maxY()});
    return path;
}

plat::Path rightRoundRectPathForBoundingRect(plat::Rect rect, double r)
{
    const plat::Rect b = shrunk(rect);
    plat::Path path;
    path.moveToPoint({b.minX(), b.minY()});
    path.addLineToPoint({b.maxX() - r, b.minY()});
    path.addArc({b.maxX() - r, b.minY() + r}, r, -kQuarter, 0, /*clockwise=*/true);
    path.addArc({b.maxX() - r, b.maxY() - r}, r, 0, kQuarter, /*clockwise=*/true);
    path.addLineToPoint({b.minX(), b.maxY()});
    return path;
}

}  // namespace zt
