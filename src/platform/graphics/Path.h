#pragma once
#include <vector>

#include "platform/foundation/Geometry.h"
#include "platform/graphics/AffineTransform.h"

namespace plat {

// A path as the platform keeps one apart from any context: subpaths of lines
// and cubic curves in user-space points. Contexts replay it with addPath.
// Any thread (value type).
class Path {
public:
    enum class ElementType { MoveTo, LineTo, CurveTo, Close };
    struct Element {
        ElementType type;
        Point points[3];  // MoveTo and LineTo use [0]; CurveTo: control 1, control 2, end
        friend bool operator==(const Element&, const Element&) = default;
    };

    static Path pathWithRect(Rect rect);
    static Path pathWithOvalInRect(Rect rect);
    static Path pathWithRoundedRect(Rect rect, double cornerRadius);

    void moveToPoint(Point point);
    void addLineToPoint(Point point);
    void addCurveToPoint(Point control1, Point control2, Point end);
    void addQuadCurveToPoint(Point control, Point end);
    // An arc of the circle, from startAngle to endAngle (radians, measured
    // from the x axis towards y, which points down). Joined to the current
    // point by a line, or starts a subpath when there is none.
    void addArc(Point center, double radius, double startAngle, double endAngle, bool clockwise);
    void addRect(Rect rect);
    void addEllipseInRect(Rect rect);
    void closePath();
    void applyTransform(const AffineTransform& transform);

    bool isEmpty() const { return _elements.empty(); }
    Point currentPoint() const { return _current; }
    // The rectangle that holds every point, control points included.
    Rect bounds() const;
    const std::vector<Element>& elements() const { return _elements; }

    friend bool operator==(const Path&, const Path&) = default;

private:
    std::vector<Element> _elements;
    Point _current;
    Point _subpathStart;
    bool _hasCurrentPoint = false;
};

}  // namespace plat
