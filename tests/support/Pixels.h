#pragma once
// Pixel helpers for tests of pictures (header only: the test binaries that
// include it link the graphics stand-in through their library).
#include <array>
#include <cstdint>
#include <functional>
#include <memory>

#include "platform/graphics/Bitmap.h"
#include "platform/graphics/Image.h"

namespace plat::test {

// Components in R, G, B, A order whatever the bitmap's byte order.
using Rgba = std::array<int, 4>;

inline Rgba pixelAt(const Bitmap& bitmap, int x, int y)
{
    const uint8_t* p = bitmap.row(y) + static_cast<size_t>(x) * 4;
    if (bitmap.order() == PixelOrder::BGRA)
        return {p[2], p[1], p[0], p[3]};
    return {p[0], p[1], p[2], p[3]};
}

inline Rgba pixelAt(const Image& image, int x, int y)
{
    return pixelAt(*image.bitmap(), x, y);
}

// A bitmap whose pixel (x, y) is colour(x, y), given as R, G, B, A (premultiplied).
inline std::shared_ptr<Bitmap> makeBitmap(
    int width, int height, PixelOrder order, const std::function<Rgba(int x, int y)>& colour)
{
    auto bitmap = Bitmap::allocate(width, height, order);
    bool opaque = true;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            Rgba c = colour(x, y);
            uint8_t* p = bitmap->mutableRow(y) + static_cast<size_t>(x) * 4;
            p[order == PixelOrder::BGRA ? 2 : 0] = static_cast<uint8_t>(c[0]);
            p[1] = static_cast<uint8_t>(c[1]);
            p[order == PixelOrder::BGRA ? 0 : 2] = static_cast<uint8_t>(c[2]);
            p[3] = static_cast<uint8_t>(c[3]);
            opaque = opaque && c[3] == 255;
        }
    }
    bitmap->setOpaque(opaque);
    return bitmap;
}

inline std::shared_ptr<Image> makeImage(int width, int height, const std::function<Rgba(int x, int y)>& colour,
    ImageOrientation orientation = ImageOrientation::Up, PixelOrder order = PixelOrder::BGRA)
{
    return Image::imageWithBitmap(makeBitmap(width, height, order, colour), 1, orientation);
}

inline std::shared_ptr<Image> makeFlatImage(int width, int height, Rgba colour)
{
    return makeImage(width, height, [colour](int, int) { return colour; });
}

// The largest difference of any component.
inline int componentDistance(const Rgba& a, const Rgba& b)
{
    int largest = 0;
    for (size_t i = 0; i < 4; ++i)
        largest = std::max(largest, std::abs(a[i] - b[i]));
    return largest;
}

// Pixels of two pictures of one size whose colours lie more than tolerance apart in some component.
inline int64_t differingPixels(const Image& a, const Image& b, int tolerance)
{
    int64_t differing = 0;
    for (int y = 0; y < a.bitmap()->height(); ++y)
        for (int x = 0; x < a.bitmap()->width(); ++x)
            differing += componentDistance(pixelAt(a, x, y), pixelAt(b, x, y)) > tolerance;
    return differing;
}

}  // namespace plat::test
