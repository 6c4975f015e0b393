#include "effects/PosterizeFilter.h"

namespace zt {

PosterizeFilter::PosterizeFilter(int numLevels)
    : _numLevels(std::max(numLevels, 2))
{
    for (int v = 0; v < 256; ++v)
        _levels[v] = ((_numLevels * v) / 256) * 255 / (_numLevels - 1);
}

void PosterizeFilter::processFilter(uint8_t* pixels, int32_t width, int32_t height) const
{
    processFilter(pixels, pixels, width, height);
}

void PosterizeFilter::processFilter(const uint8_t* source, uint8_t* dest, int32_t width, int32_t height) const
{
    detail::forEachPixel(source, dest, width, height, [this](const uint8_t* from, uint8_t* to, int, int) {
        to[0] = static_cast<uint8_t>(_levels[from[0]]);
        to[1] = static_cast<uint8_t>(_levels[from[1]]);
        to[2] = static_cast<uint8_t>(_levels[from[2]]);
    });
}

void PosterizeFilter::processFilter(const uint8_t* source, uint8_t* dest, plat::Size size, plat::Rect scaleRect) const
{
    detail::forEachScaledSample(
        source, dest, size, scaleRect, /*stopEarly=*/true, [this](const uint8_t* from, uint8_t* to, int, int) {
            to[0] = from[0];
            to[1] = static_cast<uint8_t>(_levels[from[1]]);
            to[2] = static_cast<uint8_t>(_levels[from[2]]);
            to[3] = static_cast<uint8_t>(_levels[from[3]]);
        });
}

}  // namespace zt
