#include "effects/ThermalFilter.h"

namespace zt {

namespace {

// Products in single precision, truncated towards zero, as the tables were always made.
uint8_t six(int difference)
{
    return static_cast<uint8_t>(static_cast<int>(6.0f * static_cast<float>(difference)));
}

}  // namespace

ThermalFilter::ThermalFilter()
{
    for (int g = 0; g < 256; ++g) {
        if (g >= 214) {
            _mapr[g] = 255;
            _mapg[g] = six(255 - g);
            _mapb[g] = 0;
        } else if (g >= 172) {
            _mapr[g] = static_cast<uint8_t>(255 - six(213 - g));
            _mapg[g] = 255;
            _mapb[g] = 0;
        } else if (g >= 130) {
            _mapr[g] = 0;
            _mapg[g] = 255;
            _mapb[g] = six(171 - g);
        } else if (g >= 88) {
            _mapr[g] = 0;
            _mapg[g] = static_cast<uint8_t>(255 - six(129 - g));
            _mapb[g] = 255;
        } else if (g >= 46) {
            _mapr[g] = static_cast<uint8_t>(87 - g);
            _mapg[g] = 0;
            _mapb[g] = 255;
        } else if (g >= 14) {
            _mapr[g] = static_cast<uint8_t>(70 - (45 - g));
            _mapg[g] = 0;
            _mapb[g] = static_cast<uint8_t>(255 - six(45 - g));
        }
    }
}

void ThermalFilter::apply(const uint8_t* from, uint8_t* to) const
{
    int grey = (from[0] + from[1] + from[2]) / 3;
    to[2] = _mapr[grey];
    to[1] = _mapg[grey];
    to[0] = _mapb[grey];
}

void ThermalFilter::processFilter(uint8_t* pixels, int32_t width, int32_t height) const
{
    processFilter(pixels, pixels, width, height);
}

void ThermalFilter::processFilter(const uint8_t* source, uint8_t* dest, int32_t width, int32_t height) const
{
    detail::forEachPixel(
        source, dest, width, height, [this](const uint8_t* from, uint8_t* to, int, int) { apply(from, to); });
}

void ThermalFilter::processFilter(const uint8_t* source, uint8_t* dest, plat::Size size, plat::Rect scaleRect) const
{
    detail::forEachScaledSample(source, dest, size, scaleRect, /*stopEarly=*/true,
        [this](const uint8_t* from, uint8_t* to, int, int) { apply(from, to); });
}

}  // namespace zt
