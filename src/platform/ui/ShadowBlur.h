#pragma once
#include <cstddef>
#include <cstdint>

namespace plat::detail {

// Blurs one 8-bit channel in place, approximating a Gaussian of the given
// radius (in pixels) by three box blurs; stride and step address the channel
// (step 1 for alpha-only pixels, 4 with an offset for ARGB). Any thread.
void blurChannel(uint8_t* pixels, int width, int height, size_t stride, int step, double radiusPixels);

}  // namespace plat::detail
