#pragma once
#include <string>

// Points, sizes and rectangles in points (doubles), origin at the top left.
namespace plat {

struct Point {
    double x = 0;
    double y = 0;
    friend bool operator==(const Point&, const Point&) = default;
};

struct Size {
    double width = 0;
    double height = 0;
    friend bool operator==(const Size&, const Size&) = default;
};

struct Rect {
    Point origin;
    Size size;
    friend bool operator==(const Rect&, const Rect&) = default;

    double minX() const { return origin.x; }
    double minY() const { return origin.y; }
    double maxX() const { return origin.x + size.width; }
    double maxY() const { return origin.y + size.height; }
    double midX() const { return origin.x + size.width / 2; }
    double midY() const { return origin.y + size.height / 2; }
    double width() const { return size.width; }
    double height() const { return size.height; }
    bool isEmpty() const { return size.width <= 0 || size.height <= 0; }
    bool contains(Point point) const
    {
        return point.x >= minX() && point.x < maxX() && point.y >= minY() && point.y < maxY();
    }
};

inline Rect makeRect(double x, double y, double width, double height)
{
    return {{x, y}, {width, height}};
}

// The platform's string forms: "{x, y}", "{w, h}", "{{x, y}, {w, h}}".
// Parsing gives zero for text it cannot read, as the platform does.
std::string stringFromPoint(Point point);
std::string stringFromSize(Size size);
std::string stringFromRect(Rect rect);
Point pointFromString(const std::string& text);
Size sizeFromString(const std::string& text);
Rect rectFromString(const std::string& text);

}  // namespace plat
