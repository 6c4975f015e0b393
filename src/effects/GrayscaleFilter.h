#pragma once
#include "effects/RGBFilter.h"

namespace zt {

// Colour effect: grey scale: Y = (28 b0 + 151 b1 + 77 b2) >> 8 in all three (byte 0 weighs 28, byte 2 weighs 77). Any
// thread.
class GrayscaleFilter final : public RGBFilter {
public:
    GrayscaleFilter() = default;  // initFilter
    void processFilter(uint8_t* pixels, int32_t width, int32_t height) const override;
    void processFilter(const uint8_t* source, uint8_t* dest, int32_t width, int32_t height) const override;
    void processFilter(const uint8_t* source, uint8_t* dest, plat::Size size, plat::Rect scaleRect) const override;
};

}  // namespace zt
