#include "uikit/RectOperations.h"

#include <algorithm>
#include <cmath>

namespace zt::detail {

std::optional<plat::Rect> rectIntersection(plat::Rect a, plat::Rect b)
{
    const double minX = std::max(a.minX(), b.minX());
    const double minY = std::max(a.minY(), b.minY());
    const double maxX = std::min(a.maxX(), b.maxX());
    const double maxY = std::min(a.maxY(), b.maxY());
    if (maxX < minX || maxY < minY)
        return std::nullopt;
    return plat::makeRect(minX, minY, maxX - minX, maxY - minY);
}

plat::Rect rectUnion(plat::Rect a, plat::Rect b)
{
    const double minX = std::min(a.minX(), b.minX());
    const double minY = std::min(a.minY(), b.minY());
    return plat::makeRect(minX, minY, std::max(a.maxX(), b.maxX()) - minX, std::max(a.maxY(), b.maxY()) - minY);
}

plat::Rect rectOffset(plat::Rect rect, double dx, double dy)
{
    rect.origin.x += dx;
    rect.origin.y += dy;
    return rect;
}

plat::Rect rectIntegral(plat::Rect rect)
{
    const double minX = std::floor(rect.minX());
    const double minY = std::floor(rect.minY());
    return plat::makeRect(minX, minY, std::ceil(rect.maxX()) - minX, std::ceil(rect.maxY()) - minY);
}

bool isFiniteSize(plat::Size size)
{
    return std::isfinite(size.width) && std::isfinite(size.height);
}

bool isFiniteRect(plat::Rect rect)
{
    return std::isfinite(rect.origin.x) && std::isfinite(rect.origin.y) && isFiniteSize(rect.size);
}

}  // namespace zt::detail
