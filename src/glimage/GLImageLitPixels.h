#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/foundation/Geometry.h"

namespace zt {
class GLImageFilter;
}

// Reading back the white-on-black results of the detectors and finding
// their lit pixels. Context queue.
namespace zt::detail {

// Reads the filter's output framebuffer (its frame size) into pixels as
// RGBA bytes, growing the buffer when needed; aborts with
// wrongFormatMessage unless the filter's textures store RGBA bytes. Returns
// the size read, zero when the filter has no frame.
plat::Size readFilterOutput(GLImageFilter& filter, std::vector<uint8_t>& pixels, const char* wrongFormatMessage);

// Calls lit(column, row) for each pixel whose red byte is not 0, in memory
// order (row 0 first, left to right), visiting every pixelStep-th pixel
// counted from the first byte.
template <typename Lit>
void forEachLitPixel(const std::vector<uint8_t>& pixels, size_t width, size_t height, size_t pixelStep, Lit&& lit)
{
    const size_t rowBytes = width * 4;
    const size_t byteCount = rowBytes * height;
    for (size_t index = 0; index < byteCount && index < pixels.size(); index += pixelStep * 4) {
        if (pixels[index] == 0)
            continue;
        const size_t row = index / rowBytes;
        lit((index - row * rowBytes) / 4, row);
    }
}

}  // namespace zt::detail
