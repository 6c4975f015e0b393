#include "platform/foundation/Geometry.h"

#include <cstdio>
#include <cstdlib>
#include <vector>

namespace plat {

namespace {

std::string formatNumber(double value)
{
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%.17g", value);
    return buffer;
}

// The numbers of a "{a, b}" or "{{a, b}, {c, d}}" text, in order.
std::vector<double> numbersIn(const std::string& text, size_t wanted)
{
    std::vector<double> numbers;
    const char* cursor = text.c_str();
    while (*cursor && numbers.size() < wanted) {
        if ((*cursor >= '0' && *cursor <= '9') || *cursor == '-' || *cursor == '+' || *cursor == '.') {
            char* end = nullptr;
            double value = std::strtod(cursor, &end);
            if (end == cursor) {
                ++cursor;
                continue;
            }
            numbers.push_back(value);
            cursor = end;
        } else {
            ++cursor;
        }
    }
    if (numbers.size() < wanted)
        return std::vector<double>(wanted, 0.0);
    return numbers;
}

}  // namespace

std::string stringFromPoint(Point point)
{
    return "{" + formatNumber(point.x) + ", " + formatNumber(point.y) + "}";
}

std::string stringFromSize(Size size)
{
    return "{" + formatNumber(size.width) + ", " + formatNumber(size.height) + "}";
}

std::string stringFromRect(Rect rect)
{
    return "{" + stringFromPoint(rect.origin) + ", " + stringFromSize(rect.size) + "}";
}

Point pointFromString(const std::string& text)
{
    auto numbers = numbersIn(text, 2);
    return {numbers[0], numbers[1]};
}

Size sizeFromString(const std::string& text)
{
    auto numbers = numbersIn(text, 2);
    return {numbers[0], numbers[1]};
}

Rect rectFromString(const std::string& text)
{
    auto numbers = numbersIn(text, 4);
    return makeRect(numbers[0], numbers[1], numbers[2], numbers[3]);
}

}  // namespace plat
