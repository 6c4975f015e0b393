#include "platform/graphics/Path.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace plat {

namespace {

// A quarter circle as one cubic: the control points lie kKappa of the radius out.
constexpr double kKappa = 0.5522847498307936;

}  // namespace

Path Path::pathWithRect(Rect rect)
{
    Path path;
    path.addRect(rect);
    return path;
}

Path Path::pathWithOvalInRect(Rect rect)
{
    Path path;
    path.addEllipseInRect(rect);
    return path;
}

Path Path::pathWithRoundedRect(Rect rect, double cornerRadius)
{
    double radius = std::clamp(cornerRadius, 0.0, std::min(rect.width(), rect.height()) / 2);
    Path path;
    if (radius <= 0) {
        path.addRect(rect);
        return path;
    }
    constexpr double kHalfPi = std::numbers::pi / 2;
    path.moveToPoint({rect.minX() + radius, rect.minY()});
    path.addArc({rect.maxX() - radius, rect.minY() + radius}, radius, -kHalfPi, 0, true);
    path.addArc({rect.maxX() - radius, rect.maxY() - radius}, radius, 0, kHalfPi, true);
    path.addArc({rect.minX() + radius, rect.maxY() - radius}, radius, kHalfPi, std::numbers::pi, true);
    path.addArc({rect.minX() + radius, rect.minY() + radius}, radius, std::numbers::pi, 3 * kHalfPi, true);
    path.closePath();
    return path;
}

void Path::moveToPoint(Point point)
{
    _elements.push_back({ElementType::MoveTo, {point, {}, {}}});
    _current = _subpathStart = point;
    _hasCurrentPoint = true;
}

void Path::addLineToPoint(Point point)
{
    if (!_hasCurrentPoint) {
        moveToPoint(point);
        return;
    }
    _elements.push_back({ElementType::LineTo, {point, {}, {}}});
    _current = point;
}

void Path::addCurveToPoint(Point control1, Point control2, Point end)
{
    if (!_hasCurrentPoint)
        moveToPoint(control1);
    _elements.push_back({ElementType::CurveTo, {control1, control2, end}});
    _current = end;
}

void Path::addQuadCurveToPoint(Point control, Point end)
{
    if (!_hasCurrentPoint)
        moveToPoint(control);
    Point start = _current;
    Point control1 {start.x + 2.0 / 3 * (control.x - start.x), start.y + 2.0 / 3 * (control.y - start.y)};
    Point control2 {end.x + 2.0 / 3 * (control.x - end.x), end.y + 2.0 / 3 * (control.y - end.y)};
    addCurveToPoint(control1, control2, end);
}

void Path::addArc(Point center, double radius, double startAngle, double endAngle, bool clockwise)
{
    // With y pointing down, "clockwise" on screen is the direction of growing angles.
    double sweep = endAngle - startAngle;
    constexpr double kTwoPi = 2 * std::numbers::pi;
    if (!clockwise) {
        // The platform draws a counterclockwise (on screen) arc with falling angles.
        sweep = -std::fmod(kTwoPi - std::fmod(sweep, kTwoPi), kTwoPi);
        if (sweep == 0 && endAngle != startAngle)
            sweep = -kTwoPi;
    } else {
        sweep = std::fmod(sweep, kTwoPi);
        if (sweep < 0)
            sweep += kTwoPi;
        if (sweep == 0 && endAngle != startAngle)
            sweep = kTwoPi;
    }
    auto pointAt = [&](double angle) {
        return Point {center.x + radius * std::cos(angle), center.y + radius * std::sin(angle)};
    };
    Point start = pointAt(startAngle);
    if (_hasCurrentPoint)
        addLineToPoint(start);
    else
        moveToPoint(start);
    int segments = std::max(1, static_cast<int>(std::ceil(std::abs(sweep) / (std::numbers::pi / 2) - 1e-9)));
    double step = sweep / segments;
    double handle = 4.0 / 3 * std::tan(step / 4) * radius;
    double angle = startAngle;
    for (int i = 0; i < segments; ++i) {
        double next = angle + step;
        Point from = pointAt(angle);
        Point to = pointAt(next);
        Point control1 {from.x - handle * std::sin(angle), from.y + handle * std::cos(angle)};
        Point control2 {to.x + handle * std::sin(next), to.y - handle * std::cos(next)};
        addCurveToPoint(control1, control2, to);
        angle = next;
    }
}

void Path::addRect(Rect rect)
{
    moveToPoint({rect.minX(), rect.minY()});
    addLineToPoint({rect.maxX(), rect.minY()});
    addLineToPoint({rect.maxX(), rect.maxY()});
    addLineToPoint({rect.minX(), rect.maxY()});
    closePath();
}

void Path::addEllipseInRect(Rect rect)
{
    double rx = rect.width() / 2;
    double ry = rect.height() / 2;
    double cx = rect.midX();
    double cy = rect.midY();
    double kx = rx * kKappa;
    double ky = ry * kKappa;
    moveToPoint({cx + rx, cy});
    addCurveToPoint({cx + rx, cy + ky}, {cx + kx, cy + ry}, {cx, cy + ry});
    addCurveToPoint({cx - kx, cy + ry}, {cx - rx, cy + ky}, {cx - rx, cy});
    addCurveToPoint({cx - rx, cy - ky}, {cx - kx, cy - ry}, {cx, cy - ry});
    addCurveToPoint({cx + kx, cy - ry}, {cx + rx, cy - ky}, {cx + rx, cy});
    closePath();
}

void Path::closePath()
{
    if (!_hasCurrentPoint)
        return;
    _elements.push_back({ElementType::Close, {}});
    _current = _subpathStart;
}

void Path::applyTransform(const AffineTransform& transform)
{
    for (Element& element : _elements) {
        for (Point& point : element.points)
            point = transform.apply(point);
    }
    _current = transform.apply(_current);
    _subpathStart = transform.apply(_subpathStart);
}

Rect Path::bounds() const
{
    if (_elements.empty())
        return {};
    double minX = INFINITY, minY = INFINITY, maxX = -INFINITY, maxY = -INFINITY;
    for (const Element& element : _elements) {
        int used = element.type == ElementType::CurveTo ? 3 : element.type == ElementType::Close ? 0 : 1;
        for (int i = 0; i < used; ++i) {
            minX = std::min(minX, element.points[i].x);
            minY = std::min(minY, element.points[i].y);
            maxX = std::max(maxX, element.points[i].x);
            maxY = std::max(maxY, element.points[i].y);
        }
    }
    return makeRect(minX, minY, maxX - minX, maxY - minY);
}

}  // namespace plat
