#include "platform/graphics/UprightPixels.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>

#include "platform/graphics/GraphicsContext.h"
#include "platform/graphics/Image.h"

namespace plat {

namespace {

// Pixels are moved in square blocks, so that the rows read and the columns
// written of a quarter turn both stay in the cache.
constexpr int kBlockPixels = 64;

}  // namespace

std::shared_ptr<Bitmap> turnedUpright(const Bitmap& stored, ImageOrientation orientation)
{
    const int width = stored.width();
    const int height = stored.height();
    bool transposed = isTransposed(orientation);
    auto upright = Bitmap::allocate(transposed ? height : width, transposed ? width : height, stored.order());
    if (!upright)
        return nullptr;
    upright->setOpaque(stored.isOpaque());
    // Where the centre of stored pixel (x, y) lands, less half a pixel: the
    // upright pixel's index, from whole steps along each stored axis.
    AffineTransform map = uprightTransform(orientation, {static_cast<double>(width), static_cast<double>(height)});
    const auto a = static_cast<int64_t>(map.a), b = static_cast<int64_t>(map.b);
    const auto c = static_cast<int64_t>(map.c), d = static_cast<int64_t>(map.d);
    const auto tx = static_cast<int64_t>(std::lround(map.a * 0.5 + map.c * 0.5 + map.tx - 0.5));
    const auto ty = static_cast<int64_t>(std::lround(map.b * 0.5 + map.d * 0.5 + map.ty - 0.5));
    const size_t destinationStride = upright->bytesPerRow();
    uint8_t* destination = upright->mutableBytes();
    for (int y0 = 0; y0 < height; y0 += kBlockPixels) {
        for (int x0 = 0; x0 < width; x0 += kBlockPixels) {
            int yEnd = std::min(height, y0 + kBlockPixels), xEnd = std::min(width, x0 + kBlockPixels);
            for (int y = y0; y < yEnd; ++y) {
                const uint8_t* source = stored.row(y) + static_cast<size_t>(x0) * 4;
                int64_t ux = a * x0 + c * y + tx, uy = b * x0 + d * y + ty;
                for (int x = x0; x < xEnd; ++x, source += 4, ux += a, uy += b)
                    std::memcpy(destination + static_cast<size_t>(uy) * destinationStride + static_cast<size_t>(ux) * 4,
                        source, 4);
            }
        }
    }
    return upright;
}

std::shared_ptr<const Bitmap> uprightPixels(const Image& image)
{
    if (image.imageOrientation() == ImageOrientation::Up && image.scale() == 1)
        return image.bitmap();
    Size size = image.size();
    int width = static_cast<int>(size.width * image.scale() + 0.5);
    int height = static_cast<int>(size.height * image.scale() + 0.5);
    auto context = GraphicsContext::bitmapContext(width, height, 1, ContextOpacity::Transparent);
    if (!context)
        return nullptr;
    context->drawImage(image, makeRect(0, 0, width, height));
    auto drawn = context->takeImage();
    return drawn ? drawn->bitmap() : nullptr;
}

}  // namespace plat
