#include "effects/ColorChangeFilter.h"

namespace zt {

namespace {

inline void swapRedAndBlue(const uint8_t* from, uint8_t* to)
{
    uint8_t first = from[0];
    uint8_t middle = from[1];
    to[0] = from[2];
    to[1] = middle;
    to[2] = first;
}

}  // namespace

void ColorChangeFilter::processFilter(uint8_t* pixels, int32_t width, int32_t height) const
{
    detail::forEachPixel(
        pixels, pixels, width, height, [](const uint8_t* from, uint8_t* to, int, int) { swapRedAndBlue(from, to); });
}

void ColorChangeFilter::processFilter(const uint8_t* source, uint8_t* dest, int32_t width, int32_t height) const
{
    detail::forEachPixel(
        source, dest, width, height, [](const uint8_t* from, uint8_t* to, int, int) { swapRedAndBlue(from, to); });
}

void ColorChangeFilter::processFilter(const uint8_t* source, uint8_t* dest, plat::Size size, plat::Rect scaleRect) const
{
    detail::forEachScaledSample(source, dest, size, scaleRect, /*stopEarly=*/false,
        [](const uint8_t* from, uint8_t* to, int, int) { swapRedAndBlue(from, to); });
}

}  // namespace zt
