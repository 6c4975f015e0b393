#include "platform/ui/TemplateImage.h"

#include "platform/graphics/GraphicsContext.h"
#include "platform/graphics/Image.h"

namespace plat::detail {

std::shared_ptr<Image> tintedImage(const Image& image, const Color& color)
{
    const auto& bitmap = image.bitmap();
    auto context = GraphicsContext::bitmapContext(bitmap->width(), bitmap->height(), 1, ContextOpacity::Transparent);
    if (!context)
        return nullptr;
    Rect all {{0, 0}, {static_cast<double>(bitmap->width()), static_cast<double>(bitmap->height())}};
    Image stored(bitmap, 1, ImageOrientation::Up);
    context->drawImage(stored, all);
    context->setBlendMode(BlendMode::SourceIn);
    context->setFillColor(color);
    context->fillRect(all);
    auto pixels = context->takeImage();
    if (!pixels)
        return nullptr;
    auto tinted = std::make_shared<Image>(
        pixels->bitmap(), image.scale(), image.imageOrientation(), ImageRenderingMode::AlwaysTemplate);
    return tinted->resizableImageWithCapInsets(image.capInsets());
}

}  // namespace plat::detail
