#include "effects/SepiaFilter.h"

namespace zt {

// The three variants weigh and tint differently; the in-place one is the
// colour effect that frames show.
void SepiaFilter::processFilter(uint8_t* pixels, int32_t width, int32_t height) const
{
    detail::forEachPixel(pixels, pixels, width, height, [](const uint8_t* from, uint8_t* to, int, int) {
        int grey = static_cast<int>((77u * from[0] + 151u * from[1] + 28u * from[2]) >> 8);
        to[0] = detail::clampToByte(grey + 40);
        to[1] = detail::clampToByte(grey + 20);
        to[2] = detail::clampToByte(grey - 30);
    });
}

void SepiaFilter::processFilter(const uint8_t* source, uint8_t* dest, int32_t width, int32_t height) const
{
    detail::forEachPixel(source, dest, width, height, [](const uint8_t* from, uint8_t* to, int, int) {
        int grey = static_cast<int>((28u * from[0] + 151u * from[1] + 77u * from[2]) >> 8);
        to[2] = detail::clampToByte(grey + 60);
        to[1] = detail::clampToByte(grey + 30);
        to[0] = detail::clampToByte(grey - 50);
    });
}

void SepiaFilter::processFilter(const uint8_t* source, uint8_t* dest, plat::Size size, plat::Rect scaleRect) const
{
    detail::forEachScaledSample(
        source, dest, size, scaleRect, /*stopEarly=*/false, [](const uint8_t* from, uint8_t* to, int, int) {
            int grey = static_cast<int>((28u * from[0] + 151u * from[1] + 77u * from[2]) >> 8);
            to[2] = detail::clampToByte(grey + 40);
            to[1] = detail::clampToByte(grey + 20);
            to[0] = detail::clampToByte(grey - 30);
        });
}

}  // namespace zt
