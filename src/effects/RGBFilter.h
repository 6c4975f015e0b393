#pragma once
#include <algorithm>
#include <cmath>
#include <cstdint>

#include "platform/foundation/Geometry.h"

namespace zt {

// The colour effects' contract: a pass over a buffer of 4 bytes a pixel
// (b0...b3, which UIImageFilter hands over as red, green, blue, alpha), rows
// packed (4 x width bytes apart). The base class does nothing. Effects keep
// only the tables they build when made, so one filter may run on any thread.
class RGBFilter {
public:
    RGBFilter() = default;
    virtual ~RGBFilter() = default;
    RGBFilter(const RGBFilter&) = delete;
    RGBFilter& operator=(const RGBFilter&) = delete;

    // In place. A width or height below 1 leaves the buffer as it is.
    virtual void processFilter(uint8_t* pixels, int32_t width, int32_t height) const;
    // The same values written into dest (the bytes it does not write stay as they were).
    virtual void processFilter(const uint8_t* source, uint8_t* dest, int32_t width, int32_t height) const;
    // Nearest-neighbour scaling of the source (of size) into scaleRect of a
    // destination with the same row length (size.width pixels), filtering
    // each sample on the way. Destination pixels outside size are not written.
    virtual void processFilter(const uint8_t* source, uint8_t* dest, plat::Size size, plat::Rect scaleRect) const;
};

namespace detail {

inline uint8_t clampToByte(int value)
{
    return static_cast<uint8_t>(std::clamp(value, 0, 255));
}

inline bool isFilterable(int32_t width, int32_t height)
{
    return width >= 1 && height >= 1;
}

// One pass over every pixel: visit(source pixel, destination pixel, x, y).
template <typename Visit>
void forEachPixel(const uint8_t* source, uint8_t* dest, int32_t width, int32_t height, Visit visit)
{
    if (!isFilterable(width, height))
        return;
    for (int32_t y = 0; y < height; ++y) {
        size_t row = static_cast<size_t>(y) * static_cast<size_t>(width) * 4;
        for (int32_t x = 0; x < width; ++x)
            visit(source + row + static_cast<size_t>(x) * 4, dest + row + static_cast<size_t>(x) * 4, x, y);
    }
}

// The scaled variant's walk: steps of size / rect in single precision,
// accumulated; visit(source pixel, destination pixel, source x, source y).
// stopEarly ends each walk one step before the edge, as posterize and thermal do.
template <typename Visit>
void forEachScaledSample(
    const uint8_t* source, uint8_t* dest, plat::Size size, plat::Rect rect, bool stopEarly, Visit visit)
{
    int32_t width = static_cast<int32_t>(size.width);
    int32_t height = static_cast<int32_t>(size.height);
    if (!isFilterable(width, height) || !(rect.width() > 0) || !(rect.height() > 0))
        return;
    float stepX = static_cast<float>(size.width / rect.width());
    float stepY = static_cast<float>(size.height / rect.height());
    float limitX = static_cast<float>(size.width) - (stopEarly ? 1 : 0);
    float limitY = static_cast<float>(size.height) - (stopEarly ? 1 : 0);
    int32_t originX = static_cast<int32_t>(std::floor(rect.minX()));
    int32_t originY = static_cast<int32_t>(std::floor(rect.minY()));
    int32_t row = 0;
    for (float fy = 0; fy < limitY; fy += stepY, ++row) {
        int32_t destY = row + originY;
        if (destY < 0 || destY >= height)
            continue;
        int32_t sourceY = static_cast<int32_t>(fy);
        int32_t column = 0;
        for (float fx = 0; fx < limitX; fx += stepX, ++column) {
            int32_t destX = column + originX;
            if (destX < 0 || destX >= width)
                continue;
            int32_t sourceX = static_cast<int32_t>(fx);
            visit(source + (static_cast<size_t>(sourceY) * width + sourceX) * 4,
                dest + (static_cast<size_t>(destY) * width + destX) * 4, sourceX, sourceY);
        }
    }
}

}  // namespace detail

}  // namespace zt
