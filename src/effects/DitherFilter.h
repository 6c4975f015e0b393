#pragma once
#include <array>
#include <vector>

#include "effects/RGBFilter.h"

namespace zt {

// Colour effect: monochrome ordered dither to 4 grey levels with a 4 x 4
// matrix, the position in the matrix taken from the pixel's column and row.
// Any thread.
class DitherFilter final : public RGBFilter {
public:
    DitherFilter();  // initFilter
    void processFilter(uint8_t* pixels, int32_t width, int32_t height) const override;
    void processFilter(const uint8_t* source, uint8_t* dest, int32_t width, int32_t height) const override;
    void processFilter(const uint8_t* source, uint8_t* dest, plat::Size size, plat::Rect scaleRect) const override;

private:
    uint8_t ditheredGrey(const uint8_t* pixel, int x, int y) const;

    std::array<int, 16> _matrix {0, 14, 3, 13, 11, 5, 8, 6, 12, 2, 15, 1, 7, 9, 4, 10};
    int _rows = 4;
    int _cols = 4;
    int _levels = 4;
    std::array<int, 256> _mod {};  // 17·v / 256: where v falls between two levels, 0...16
    std::array<int, 256> _div {};  // the level below v
    std::vector<int> _map;  // level to grey value
};

}  // namespace zt
