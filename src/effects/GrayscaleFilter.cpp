#include "effects/GrayscaleFilter.h"

namespace zt {

namespace {

inline void toGrey(const uint8_t* from, uint8_t* to)
{
    auto grey = static_cast<uint8_t>((28u * from[0] + 151u * from[1] + 77u * from[2]) >> 8);
    to[0] = to[1] = to[2] = grey;
}

}  // namespace

void GrayscaleFilter::processFilter(uint8_t* pixels, int32_t width, int32_t height) const
{
    detail::forEachPixel(
        pixels, pixels, width, height, [](const uint8_t* from, uint8_t* to, int, int) { toGrey(from, to); });
}

void GrayscaleFilter::processFilter(const uint8_t* source, uint8_t* dest, int32_t width, int32_t height) const
{
    detail::forEachPixel(
        source, dest, width, height, [](const uint8_t* from, uint8_t* to, int, int) { toGrey(from, to); });
}

void GrayscaleFilter::processFilter(const uint8_t* source, uint8_t* dest, plat::Size size, plat::Rect scaleRect) const
{
    detail::forEachScaledSample(source, dest, size, scaleRect, /*stopEarly=*/false,
        [](const uint8_t* from, uint8_t* to, int, int) { toGrey(from, to); });
}

}  // namespace zt
