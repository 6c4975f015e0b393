#pragma once
#include <array>

#include "effects/RGBFilter.h"

namespace zt {

// Colour effect: the grey level as a heat camera's false colours, black
// through blue, cyan, green and yellow to red. Any thread.
class ThermalFilter final : public RGBFilter {
public:
    ThermalFilter();  // initFilter
    void processFilter(uint8_t* pixels, int32_t width, int32_t height) const override;
    void processFilter(const uint8_t* source, uint8_t* dest, int32_t width, int32_t height) const override;
    void processFilter(const uint8_t* source, uint8_t* dest, plat::Size size, plat::Rect scaleRect) const override;

private:
    void apply(const uint8_t* from, uint8_t* to) const;

    // Indexed by grey level; mapr goes to byte 2, mapb to byte 0.
    std::array<uint8_t, 256> _mapr {};
    std::array<uint8_t, 256> _mapg {};
    std::array<uint8_t, 256> _mapb {};
};

}  // namespace zt
