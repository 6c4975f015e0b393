#include "platform/ui/AnimationValue.h"

#include <cmath>

namespace plat {

namespace {

double lerp(double a, double b, double t)
{
    return a + (b - a) * t;
}

Point lerp(Point a, Point b, double t)
{
    return {lerp(a.x, b.x, t), lerp(a.y, b.y, t)};
}

Size lerp(Size a, Size b, double t)
{
    return {lerp(a.width, b.width, t), lerp(a.height, b.height, t)};
}

}  // namespace

AnimationValue interpolate(const AnimationValue& from, const AnimationValue& to, double t)
{
    if (from.index() != to.index())
        return t >= 0.5 ? to : from;
    return std::visit(
        [&](const auto& a) -> AnimationValue {
            using T = std::decay_t<decltype(a)>;
            const T& b = std::get<T>(to);
            if constexpr (std::is_same_v<T, double> || std::is_same_v<T, Point> || std::is_same_v<T, Size>) {
                return lerp(a, b, t);
            } else if constexpr (std::is_same_v<T, Rect>) {
                return Rect {lerp(a.origin, b.origin, t), lerp(a.size, b.size, t)};
            } else if constexpr (std::is_same_v<T, Color>) {
                if (a.patternImage() || b.patternImage())
                    return t >= 0.5 ? b : a;
                return Color::colorWithRed(lerp(a.red(), b.red(), t), lerp(a.green(), b.green(), t),
                    lerp(a.blue(), b.blue(), t), lerp(a.alpha(), b.alpha(), t));
            } else {
                Transform3D r;
                r.m11 = lerp(a.m11, b.m11, t), r.m12 = lerp(a.m12, b.m12, t), r.m13 = lerp(a.m13, b.m13, t);
                r.m14 = lerp(a.m14, b.m14, t), r.m21 = lerp(a.m21, b.m21, t), r.m22 = lerp(a.m22, b.m22, t);
                r.m23 = lerp(a.m23, b.m23, t), r.m24 = lerp(a.m24, b.m24, t), r.m31 = lerp(a.m31, b.m31, t);
                r.m32 = lerp(a.m32, b.m32, t), r.m33 = lerp(a.m33, b.m33, t), r.m34 = lerp(a.m34, b.m34, t);
                r.m41 = lerp(a.m41, b.m41, t), r.m42 = lerp(a.m42, b.m42, t), r.m43 = lerp(a.m43, b.m43, t);
                r.m44 = lerp(a.m44, b.m44, t);
                return r;
            }
        },
        from);
}

std::optional<AnimationValue> addValues(const AnimationValue& from, const AnimationValue& by)
{
    if (from.index() != by.index())
        return std::nullopt;
    return std::visit(
        [&](const auto& a) -> std::optional<AnimationValue> {
            using T = std::decay_t<decltype(a)>;
            const T& b = std::get<T>(by);
            if constexpr (std::is_same_v<T, double>)
                return a + b;
            else if constexpr (std::is_same_v<T, Point>)
                return Point {a.x + b.x, a.y + b.y};
            else if constexpr (std::is_same_v<T, Size>)
                return Size {a.width + b.width, a.height + b.height};
            else if constexpr (std::is_same_v<T, Transform3D>)
                return Transform3D::concat(b, a);
            else
                return std::nullopt;
        },
        from);
}

double valueDistance(const AnimationValue& a, const AnimationValue& b)
{
    if (a.index() != b.index())
        return 0;
    return std::visit(
        [&](const auto& x) -> double {
            using T = std::decay_t<decltype(x)>;
            const T& y = std::get<T>(b);
            if constexpr (std::is_same_v<T, double>)
                return std::abs(y - x);
            else if constexpr (std::is_same_v<T, Point>)
                return std::hypot(y.x - x.x, y.y - x.y);
            else if constexpr (std::is_same_v<T, Size>)
                return std::hypot(y.width - x.width, y.height - x.height);
            else if constexpr (std::is_same_v<T, Rect>)
                return std::hypot(y.origin.x - x.origin.x, y.origin.y - x.origin.y)
                    + std::hypot(y.size.width - x.size.width, y.size.height - x.size.height);
            else
                return 1;
        },
        a);
}

}  // namespace plat
