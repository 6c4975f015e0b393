#pragma once
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <memory>

#include "platform/graphics/Bitmap.h"
#include "platform/graphics/Image.h"

namespace zt::bench {

// Something like a photo: soft gradients, texture, sensor noise and a few
// hard edges, so the codecs meet the amount of detail they meet in use.
inline std::shared_ptr<plat::Image> photoLikePicture(int width, int height)
{
    auto bitmap = plat::Bitmap::allocate(width, height, plat::PixelOrder::BGRA);
    uint32_t noise = 12345;
    for (int y = 0; y < height; ++y) {
        uint8_t* p = bitmap->mutableRow(y);
        for (int x = 0; x < width; ++x, p += 4) {
            noise = noise * 1664525u + 1013904223u;
            int grain = static_cast<int>((noise >> 24) % 17) - 8;
            double u = static_cast<double>(x) / width, v = static_cast<double>(y) / height;
            double shade = 0.5 + 0.3 * std::sin(u * 9.0 + v * 4.0) * std::cos(v * 7.0);
            double texture = 0.08 * std::sin(x * 0.9) * std::sin(y * 0.7);
            bool box = (x / (width / 8) + y / (height / 6)) % 5 == 0;
            auto channel = [&](double tint) {
                double value = (shade + texture) * tint * 255 + grain + (box ? 40 : 0);
                return static_cast<uint8_t>(std::clamp(value, 0.0, 255.0));
            };
            p[0] = channel(0.8);
            p[1] = channel(1.0);
            p[2] = channel(1.1);
            p[3] = 255;
        }
    }
    bitmap->setOpaque(true);
    return plat::Image::imageWithBitmap(bitmap);
}

}  // namespace zt::bench
