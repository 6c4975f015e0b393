#pragma once
#include "effects/RGBFilter.h"

namespace zt {

// Colour effect: sepia toning from a weighted grey, warmed towards red and yellow. Any thread.
class SepiaFilter final : public RGBFilter {
public:
    SepiaFilter() = default;  // initFilter
    void processFilter(uint8_t* pixels, int32_t width, int32_t height) const override;
    void processFilter(const uint8_t* source, uint8_t* dest, int32_t width, int32_t height) const override;
    void processFilter(const uint8_t* source, uint8_t* dest, plat::Size size, plat::Rect scaleRect) const override;
};

}  // namespace zt
