#pragma once
#include <cstddef>
#include <cstdint>

namespace plat::detail {

// Where a bi-planar 4:2:0 YCbCr picture goes: its luma plane and its
// interleaved CbCr plane, (width + 1) / 2 pairs by (height + 1) / 2 rows.
struct BiPlanarPlanes {
    uint8_t* luma = nullptr;
    size_t lumaStride = 0;
    uint8_t* chroma = nullptr;
    size_t chromaStride = 0;
};

enum class YCbCrMatrix { ITU601, ITU709 };

// Converts a 32-bit BGRA picture into a bi-planar 4:2:0 one of the same
// size, each chroma sample from its 2 x 2 pixels (an odd last row or
// column is counted twice), in video or full range. Fixed point, within one
// step of the exact result; several times quicker than swscale's generic
// RGB input for the camera's pictures.
void convertBGRAToBiPlanar420(const uint8_t* bgra, size_t bgraStride, int width, int height,
    const BiPlanarPlanes& target, YCbCrMatrix matrix, bool fullRange);
// The same for 32-bit ARGB pictures (alpha first in memory), as the movie
// export hands its pictures to the H.264 encoder.
void convertARGBToBiPlanar420(const uint8_t* argb, size_t argbStride, int width, int height,
    const BiPlanarPlanes& target, YCbCrMatrix matrix, bool fullRange);

}  // namespace plat::detail
