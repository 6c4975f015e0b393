#pragma once
#include "effects/RGBFilter.h"

namespace zt {

// Colour effect: swaps bytes 0 and 2 (red and blue). Any thread.
class ColorChangeFilter final : public RGBFilter {
public:
    ColorChangeFilter() = default;  // initFilter
    void processFilter(uint8_t* pixels, int32_t width, int32_t height) const override;
    void processFilter(const uint8_t* source, uint8_t* dest, int32_t width, int32_t height) const override;
    void processFilter(const uint8_t* source, uint8_t* dest, plat::Size size, plat::Rect scaleRect) const override;
};

}  // namespace zt
