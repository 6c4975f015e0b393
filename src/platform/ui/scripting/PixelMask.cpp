#include "platform/ui/scripting/PixelMask.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "platform/graphics/Bitmap.h"
#include "platform/graphics/Image.h"

namespace plat::scripting::detail {

PixelMask::PixelMask(int width, int height)
    : _width(std::max(0, width))
    , _height(std::max(0, height))
    , _set(static_cast<size_t>(_width) * static_cast<size_t>(_height), false)
{
}

PixelMask::PixelMask(const Image& a, const Image& b)
{
    const Bitmap& first = *a.bitmap();
    const Bitmap& second = *b.bitmap();
    _width = std::min(first.width(), second.width());
    _height = std::min(first.height(), second.height());
    _set.assign(static_cast<size_t>(_width) * static_cast<size_t>(_height), false);
    for (int y = 0; y < _height; ++y) {
        const uint8_t* p = first.row(y);
        const uint8_t* q = second.row(y);
        for (int x = 0; x < _width; ++x)
            _set[index(x, y)] = std::abs(p[4 * x] - q[4 * x]) > kChannelTolerance
                || std::abs(p[4 * x + 1] - q[4 * x + 1]) > kChannelTolerance
                || std::abs(p[4 * x + 2] - q[4 * x + 2]) > kChannelTolerance;
    }
}

void PixelMask::addGrown(const PixelMask& other)
{
    if (_set.empty()) {
        _width = other._width;
        _height = other._height;
        _set.assign(other._set.size(), false);
    }
    for (int y = 0; y < std::min(_height, other._height); ++y)
        for (int x = 0; x < std::min(_width, other._width); ++x)
            if (other._set[other.index(x, y)])
                for (int dy = -1; dy <= 1; ++dy)
                    for (int dx = -1; dx <= 1; ++dx)
                        if (x + dx >= 0 && x + dx < _width && y + dy >= 0 && y + dy < _height)
                            _set[index(x + dx, y + dy)] = true;
}

template <typename Visit> void PixelMask::forEachWithin(Rect area, Visit visit) const
{
    const int left = std::max(0, static_cast<int>(std::floor(area.minX())));
    const int top = std::max(0, static_cast<int>(std::floor(area.minY())));
    const int right = std::min(_width, static_cast<int>(std::ceil(area.maxX())));
    const int bottom = std::min(_height, static_cast<int>(std::ceil(area.maxY())));
    for (int y = top; y < bottom; ++y)
        for (int x = left; x < right; ++x)
            visit(x, y);
}

void PixelMask::addArea(Rect area)
{
    forEachWithin(area, [&](int x, int y) { _set[index(x, y)] = true; });
}

int64_t PixelMask::countWithin(Rect area, const PixelMask& apartFrom) const
{
    int64_t count = 0;
    forEachWithin(area, [&](int x, int y) {
        count += _set[index(x, y)]
            && (x >= apartFrom._width || y >= apartFrom._height || !apartFrom._set[apartFrom.index(x, y)]);
    });
    return count;
}

bool PixelMask::isClear() const
{
    return std::find(_set.begin(), _set.end(), true) == _set.end();
}

int64_t PixelMask::countOutside(const PixelMask& other) const
{
    int64_t count = 0;
    for (int y = 0; y < _height; ++y)
        for (int x = 0; x < _width; ++x)
            count += _set[index(x, y)] && (x >= other._width || y >= other._height || !other._set[other.index(x, y)]);
    return count;
}

}  // namespace plat::scripting::detail
