#include "effects/OverlayFilter.h"

#include <algorithm>
#include <cstring>

#include "platform/graphics/Image.h"

namespace zt {

namespace {

constexpr int32_t kOpaqueAlpha = 255;
constexpr int kEchoDivisor = 10;

}  // namespace

OverlayFilter::OverlayFilter(int32_t numberOfOverlays)
    : _numberOfOverlays(std::max(numberOfOverlays, 0))
{
}

std::shared_ptr<plat::Image> OverlayFilter::getImageFromPixelBuffer(
    const uint8_t* buffer, int32_t width, int32_t height, uint32_t bytesPerRow) const
{
    auto bitmap = plat::Bitmap::allocate(width, height, plat::PixelOrder::BGRA, bytesPerRow);
    if (!bitmap)
        return nullptr;
    std::memcpy(bitmap->mutableBytes(), buffer, bitmap->byteCount());
    return std::make_shared<plat::Image>(std::move(bitmap), 1.0, plat::ImageOrientation::Up);
}

void OverlayFilter::cleanPixelBuffer(uint8_t* buffer, int32_t width, int32_t height) const
{
    if (width >= 1 && height >= 1)
        std::memset(buffer, 0, static_cast<size_t>(width) * static_cast<size_t>(height) * 4);
}

void OverlayFilter::produceEffectImage(
    const plat::Image& image, uint8_t* dest, int32_t width, int32_t height, int32_t alpha) const
{
    const plat::Bitmap& bitmap = *image.bitmap();
    int rows = std::min(height, bitmap.height());
    int columns = std::min(width, bitmap.width());
    for (int y = 0; y < rows; ++y) {
        const uint8_t* from = bitmap.row(y);
        uint8_t* to = dest + static_cast<size_t>(y) * static_cast<size_t>(width) * 4;
        for (int x = 0; x < columns; ++x, from += 4, to += 4) {
            to[0] = static_cast<uint8_t>(to[0] + from[0] / kEchoDivisor);
            to[1] = static_cast<uint8_t>(to[1] + from[1] / kEchoDivisor);
            to[2] = static_cast<uint8_t>(to[2] + from[2] / kEchoDivisor);
            to[3] = static_cast<uint8_t>(alpha);
        }
    }
}

void OverlayFilter::processFilter(
    const uint8_t* source, uint8_t* dest, int32_t width, int32_t height, uint32_t bytesPerRow)
{
    auto image = getImageFromPixelBuffer(source, width, height, bytesPerRow);
    if (!image)
        return;
    _images.push_front(std::move(image));
    if (_images.size() > static_cast<size_t>(_numberOfOverlays))
        _images.pop_back();
    cleanPixelBuffer(dest, width, height);
    for (auto picture = _images.rbegin(); picture != _images.rend(); ++picture) {
        if (const plat::Image* kept = picture->get())
            produceEffectImage(*kept, dest, width, height, kOpaqueAlpha);
    }
}

}  // namespace zt
