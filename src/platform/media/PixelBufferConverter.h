#pragma once
#include <cstdint>
#include <memory>

#include "platform/foundation/Result.h"

namespace plat {
class PixelBuffer;
}

namespace plat::detail {

// A picture in memory as FFmpeg describes it: up to four planes with their
// row strides, an AVPixelFormat, and for YCbCr pictures the colour matrix
// (an SWS_CS_ value) and whether it spans the full range.
struct PictureInMemory {
    const uint8_t* const* planes = nullptr;
    const int* strides = nullptr;
    int format = -1;
    int width = 0;
    int height = 0;
    int colorspace = 0;  // SWS_CS_ITU601 when 0
    bool fullRange = false;
};

// Converts pictures into pixel buffers of any format they hold (32-bit BGRA
// or ARGB, bi-planar 4:2:0 YCbCr in video or full range), scaling to the
// buffer's size, through swscale. YCbCr buffers are made with the source's
// matrix where it is BT.601 or BT.709 (BT.709 for any other) and carry it
// as their YCbCr-matrix attachment. Keeps its scaler between pictures. One
// thread at a time.
class PixelBufferConverter {
public:
    PixelBufferConverter();
    ~PixelBufferConverter();
    PixelBufferConverter(const PixelBufferConverter&) = delete;
    PixelBufferConverter& operator=(const PixelBufferConverter&) = delete;

    Result<void> convert(const PictureInMemory& source, PixelBuffer& target);
    // A locked or unlocked BGRA or ARGB buffer into target.
    Result<void> convert(PixelBuffer& source, PixelBuffer& target);

private:
    struct Impl;
    std::unique_ptr<Impl> _impl;
};

}  // namespace plat::detail
