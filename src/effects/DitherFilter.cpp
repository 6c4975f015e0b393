#include "effects/DitherFilter.h"

namespace zt {

DitherFilter::DitherFilter()
{
    for (int i = 0; i < _levels; ++i)
        _map.push_back(i * 255 / (_levels - 1));
    for (int v = 0; v < 256; ++v) {
        _div[v] = (_levels - 1) * v / 256;
        _mod[v] = v * (_rows * _cols + 1) / 256;
    }
}

uint8_t DitherFilter::ditheredGrey(const uint8_t* pixel, int x, int y) const
{
    int threshold = _matrix[(y % _rows) * _cols + (x % _cols)];
    int grey = (pixel[0] + pixel[1] + pixel[2]) / 3;
    int level = _mod[grey] > threshold ? _div[grey] + 1 : _div[grey];
    return static_cast<uint8_t>(_map[level]);
}

void DitherFilter::processFilter(uint8_t* pixels, int32_t width, int32_t height) const
{
    processFilter(pixels, pixels, width, height);
}

void DitherFilter::processFilter(const uint8_t* source, uint8_t* dest, int32_t width, int32_t height) const
{
    detail::forEachPixel(source, dest, width, height,
        [this](const uint8_t* from, uint8_t* to, int x, int y) { to[0] = to[1] = to[2] = ditheredGrey(from, x, y); });
}

void DitherFilter::processFilter(const uint8_t* source, uint8_t* dest, plat::Size size, plat::Rect scaleRect) const
{
    detail::forEachScaledSample(source, dest, size, scaleRect, /*stopEarly=*/false,
        [this](const uint8_t* from, uint8_t* to, int sourceX, int sourceY) {
            to[0] = to[1] = to[2] = ditheredGrey(from, sourceX, sourceY);
        });
}

}  // namespace zt
