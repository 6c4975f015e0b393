#include "platform/graphics/UprightPixels.h"

#include "platform/graphics/GraphicsContext.h"
#include "platform/graphics/Image.h"

namespace plat {

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
