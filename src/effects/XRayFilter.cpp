#include "effects/XRayFilter.h"

namespace zt {

namespace {

inline void toXRay(const uint8_t* from, uint8_t* to)
{
    int inverted = static_cast<int>((28u * (255u - from[0]) + 151u * (255u - from[1]) + 77u * (255u - from[2])) >> 8);
    to[0] = to[1] = detail::clampToByte(inverted + 20);
    to[2] = detail::clampToByte(inverted - 20);
}

}  // namespace

void XRayFilter::processFilter(uint8_t* pixels, int32_t width, int32_t height) const
{
    detail::forEachPixel(
        pixels, pixels, width, height, [](const uint8_t* from, uint8_t* to, int, int) { toXRay(from, to); });
}

void XRayFilter::processFilter(const uint8_t* source, uint8_t* dest, int32_t width, int32_t height) const
{
    detail::forEachPixel(
        source, dest, width, height, [](const uint8_t* from, uint8_t* to, int, int) { toXRay(from, to); });
}

void XRayFilter::processFilter(const uint8_t* source, uint8_t* dest, plat::Size size, plat::Rect scaleRect) const
{
    detail::forEachScaledSample(source, dest, size, scaleRect, /*stopEarly=*/false,
        [](const uint8_t* from, uint8_t* to, int, int) { toXRay(from, to); });
}

}  // namespace zt
