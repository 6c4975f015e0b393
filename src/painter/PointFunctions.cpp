#include "painter/PointFunctions.h"

#include <algorithm>
#include <cmath>

namespace zt {

plat::Point pointAdd(plat::Point a, plat::Point b)
{
    return {a.x + b.x, a.y + b.y};
}

plat::Point pointScale(plat::Point a, double s)
{
    return {a.x * s, a.y * s};
}

plat::Point pointSubtract(plat::Point a, plat::Point b)
{
    return {a.x - b.x, a.y - b.y};
}

double pointLength(plat::Point v)
{
    const auto squares = static_cast<float>(v.x * v.x + v.y * v.y);
    return static_cast<double>(std::sqrt(squares));
}

double pointDistance(plat::Point a, plat::Point b)
{
    return pointLength(pointSubtract(a, b));
}

float clampValue(float v, float a, float b)
{
    const float lo = std::min(a, b);
    const float hi = std::max(a, b);
    if (v < lo)
        return lo;
    if (v >= hi)
        return hi;
    return v;
}

}  // namespace zt
