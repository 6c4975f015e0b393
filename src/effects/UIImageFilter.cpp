#include "effects/UIImageFilter.h"

#include "effects/RGBFilter.h"
#include "platform/graphics/GraphicsContext.h"
#include "platform/graphics/Image.h"
#include "platform/graphics/ImageContext.h"

namespace zt {

namespace {

// The filters read 4 bytes a pixel in packed rows as red, green, blue,
// alpha: every picture is brought to that layout, in the one copy made anyway.
std::shared_ptr<plat::Bitmap> packedRGBACopy(const plat::Bitmap& bitmap)
{
    return bitmap.copyWithOrder(plat::PixelOrder::RGBA);
}

bool isMaskedColour(const uint8_t* pixel)
{
    unsigned alpha = pixel[3];
    if (alpha == 0)
        return false;
    auto straight = [alpha](unsigned component) { return (component * 255 + alpha / 2) / alpha; };
    return straight(pixel[0]) <= 124 && straight(pixel[1]) <= 68 && straight(pixel[2]) == 0;
}

}  // namespace

UIImageFilter::UIImageFilter(std::shared_ptr<const RGBFilter> filter)
    : _filter(std::move(filter))
{
}

std::shared_ptr<plat::Image> UIImageFilter::processImage(const std::shared_ptr<const plat::Image>& image) const
{
    if (!image)
        return nullptr;
    auto pixels = packedRGBACopy(*image->bitmap());
    if (!pixels)
        return nullptr;
    if (_filter)
        _filter->processFilter(pixels->mutableBytes(), pixels->width(), pixels->height());
    // The effects never touch alpha, so the copy is as opaque as its source.
    return std::make_shared<plat::Image>(std::move(pixels), image->scale(), image->imageOrientation());
}

std::shared_ptr<plat::Image> UIImageFilter::changeWhiteColorTransparent(
    const std::shared_ptr<const plat::Image>& image) const
{
    if (!image)
        return nullptr;
    auto pixels = packedRGBACopy(*image->bitmap());
    if (!pixels)
        return nullptr;
    bool opaque = true;
    for (int y = 0; y < pixels->height(); ++y) {
        uint8_t* pixel = pixels->mutableRow(y);
        for (int x = 0; x < pixels->width(); ++x, pixel += 4) {
            if (isMaskedColour(pixel)) {
                pixel[0] = pixel[1] = pixel[2] = pixel[3] = 0;
                opaque = false;
            }
        }
    }
    pixels->setOpaque(opaque && image->bitmap()->isOpaque());
    plat::Image masked(std::move(pixels), image->scale(), image->imageOrientation());
    plat::ImageContext canvas(image->size(), /*opaque=*/false, 1.0);
    if (!canvas.context())
        return nullptr;
    canvas.context()->drawImage(masked, {{0, 0}, image->size()});
    return canvas.finish();
}

}  // namespace zt
