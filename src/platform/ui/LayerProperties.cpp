#include "platform/ui/LayerProperties.h"

#include <cmath>

namespace plat {

namespace {

// A transform taken apart as scale, then rotation about z, then translation,
// which is how the transform sub-paths read and write it.
struct TransformParts {
    double sx = 1, sy = 1, sz = 1;
    double angle = 0;
    double tx = 0, ty = 0, tz = 0;
};

TransformParts decompose(const Transform3D& t)
{
    TransformParts p;
    p.sx = std::hypot(t.m11, t.m12, t.m13);
    p.sy = std::hypot(t.m21, t.m22, t.m23);
    p.sz = std::hypot(t.m31, t.m32, t.m33);
    p.angle = std::atan2(t.m12, t.m11);
    p.tx = t.m41;
    p.ty = t.m42;
    p.tz = t.m43;
    return p;
}

Transform3D recompose(const Transform3D& original, const TransformParts& p)
{
    Transform3D r = Transform3D::makeScale(p.sx, p.sy, p.sz);
    r = Transform3D::concat(r, Transform3D::makeRotation(p.angle, 0, 0, 1));
    r = Transform3D::concat(r, Transform3D::makeTranslation(p.tx, p.ty, p.tz));
    r.m34 = original.m34;
    r.m14 = original.m14;
    r.m24 = original.m24;
    return r;
}

const double* asNumber(const AnimationValue& value)
{
    return std::get_if<double>(&value);
}

template <typename T> bool assign(T& target, const AnimationValue& value)
{
    if (auto* v = std::get_if<T>(&value)) {
        target = *v;
        return true;
    }
    return false;
}

}  // namespace

detail::Homography LayerProperties::toSuperlayer() const
{
    Point anchor {
        bounds.origin.x + anchorPoint.x * bounds.size.width, bounds.origin.y + anchorPoint.y * bounds.size.height};
    return detail::Homography::concat(detail::Homography::translation(-anchor.x, -anchor.y),
        detail::Homography::concat(
            detail::Homography::fromTransform3D(transform), detail::Homography::translation(position.x, position.y)));
}

Rect LayerProperties::frame() const
{
    return toSuperlayer().applyToRect(bounds);
}

std::optional<AnimationValue> valueForKeyPath(const LayerProperties& p, std::string_view keyPath)
{
    if (keyPath == "position")
        return p.position;
    if (keyPath == "position.x")
        return p.position.x;
    if (keyPath == "position.y")
        return p.position.y;
    if (keyPath == "bounds")
        return p.bounds;
    if (keyPath == "bounds.size")
        return p.bounds.size;
    if (keyPath == "bounds.origin")
        return p.bounds.origin;
    if (keyPath == "bounds.size.width")
        return p.bounds.size.width;
    if (keyPath == "bounds.size.height")
        return p.bounds.size.height;
    if (keyPath == "anchorPoint")
        return p.anchorPoint;
    if (keyPath == "zPosition")
        return p.zPosition;
    if (keyPath == "opacity")
        return p.opacity;
    if (keyPath == "cornerRadius")
        return p.cornerRadius;
    if (keyPath == "borderWidth")
        return p.borderWidth;
    if (keyPath == "borderColor")
        return p.borderColor;
    if (keyPath == "backgroundColor")
        return p.backgroundColor.value_or(Color::clearColor());
    if (keyPath == "shadowColor")
        return p.shadowColor;
    if (keyPath == "shadowOpacity")
        return p.shadowOpacity;
    if (keyPath == "shadowOffset")
        return p.shadowOffset;
    if (keyPath == "shadowRadius")
        return p.shadowRadius;
    if (keyPath == "transform")
        return p.transform;
    if (keyPath.substr(0, 10) == "transform.") {
        TransformParts parts = decompose(p.transform);
        std::string_view sub = keyPath.substr(10);
        if (sub == "scale")
            return (parts.sx + parts.sy) / 2;
        if (sub == "scale.x")
            return parts.sx;
        if (sub == "scale.y")
            return parts.sy;
        if (sub == "scale.z")
            return parts.sz;
        if (sub == "rotation" || sub == "rotation.z")
            return parts.angle;
        if (sub == "translation")
            return Size {parts.tx, parts.ty};
        if (sub == "translation.x")
            return parts.tx;
        if (sub == "translation.y")
            return parts.ty;
        if (sub == "translation.z")
            return parts.tz;
    }
    return std::nullopt;
}

bool setValueForKeyPath(LayerProperties& p, std::string_view keyPath, const AnimationValue& value)
{
    const double* number = asNumber(value);
    if (keyPath == "position")
        return assign(p.position, value);
    if (keyPath == "position.x" && number)
        return p.position.x = *number, true;
    if (keyPath == "position.y" && number)
        return p.position.y = *number, true;
    if (keyPath == "bounds")
        return assign(p.bounds, value);
    if (keyPath == "bounds.size")
        return assign(p.bounds.size, value);
    if (keyPath == "bounds.origin")
        return assign(p.bounds.origin, value);
    if (keyPath == "bounds.size.width" && number)
        return p.bounds.size.width = *number, true;
    if (keyPath == "bounds.size.height" && number)
        return p.bounds.size.height = *number, true;
    if (keyPath == "anchorPoint")
        return assign(p.anchorPoint, value);
    if (keyPath == "zPosition")
        return assign(p.zPosition, value);
    if (keyPath == "opacity")
        return assign(p.opacity, value);
    if (keyPath == "cornerRadius")
        return assign(p.cornerRadius, value);
    if (keyPath == "borderWidth")
        return assign(p.borderWidth, value);
    if (keyPath == "borderColor")
        return assign(p.borderColor, value);
    if (keyPath == "backgroundColor") {
        if (auto* color = std::get_if<Color>(&value)) {
            p.backgroundColor = *color;
            return true;
        }
        return false;
    }
    if (keyPath == "shadowColor")
        return assign(p.shadowColor, value);
    if (keyPath == "shadowOpacity")
        return assign(p.shadowOpacity, value);
    if (keyPath == "shadowOffset")
        return assign(p.shadowOffset, value);
    if (keyPath == "shadowRadius")
        return assign(p.shadowRadius, value);
    if (keyPath == "transform")
        return assign(p.transform, value);
    if (keyPath.substr(0, 10) == "transform.") {
        TransformParts parts = decompose(p.transform);
        std::string_view sub = keyPath.substr(10);
        if (sub == "translation") {
            auto* size = std::get_if<Size>(&value);
            if (!size)
                return false;
            parts.tx = size->width;
            parts.ty = size->height;
        } else if (!number) {
            return false;
        } else if (sub == "scale") {
            parts.sx = parts.sy = parts.sz = *number;
        } else if (sub == "scale.x") {
            parts.sx = *number;
        } else if (sub == "scale.y") {
            parts.sy = *number;
        } else if (sub == "scale.z") {
            parts.sz = *number;
        } else if (sub == "rotation" || sub == "rotation.z") {
            parts.angle = *number;
        } else if (sub == "translation.x") {
            parts.tx = *number;
        } else if (sub == "translation.y") {
            parts.ty = *number;
        } else if (sub == "translation.z") {
            parts.tz = *number;
        } else if (sub == "rotation.x" || sub == "rotation.y") {
            p.transform = rotate(p.transform, *number, sub == "rotation.x" ? 1 : 0, sub == "rotation.y" ? 1 : 0, 0);
            return true;
        } else {
            return false;
        }
        p.transform = recompose(p.transform, parts);
        return true;
    }
    return false;
}

}  // namespace plat
