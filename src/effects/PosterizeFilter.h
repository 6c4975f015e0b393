#pragma once
#include <array>

#include "effects/RGBFilter.h"

namespace zt {

// Colour effect: each of bytes 0 to 2 reduced to numLevels evenly spread
// values (4 levels: 0, 85, 170, 255). Any thread.
class PosterizeFilter final : public RGBFilter {
public:
    // initFilter:; fewer than 2 levels would divide by zero, so 2 is the least.
    explicit PosterizeFilter(int numLevels);
    void processFilter(uint8_t* pixels, int32_t width, int32_t height) const override;
    void processFilter(const uint8_t* source, uint8_t* dest, int32_t width, int32_t height) const override;
    // Keeps byte 0 and passes bytes 1 to 3 through the levels, as it always did.
    void processFilter(const uint8_t* source, uint8_t* dest, plat::Size size, plat::Rect scaleRect) const override;

    int numLevels() const { return _numLevels; }
    const std::array<int, 256>& levels() const { return _levels; }

private:
    int _numLevels;
    std::array<int, 256> _levels {};  // output value per input byte
};

}  // namespace zt
