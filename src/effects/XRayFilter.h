#pragma once
#include "effects/RGBFilter.h"

namespace zt {

// Colour effect: an inverted grey with a cold cast, like an X-ray film. Any thread.
class XRayFilter final : public RGBFilter {
public:
    XRayFilter() = default;  // initFilter
    void processFilter(uint8_t* pixels, int32_t width, int32_t height) const override;
    void processFilter(const uint8_t* source, uint8_t* dest, int32_t width, int32_t height) const override;
    void processFilter(const uint8_t* source, uint8_t* dest, plat::Size size, plat::Rect scaleRect) const override;
};

}  // namespace zt
