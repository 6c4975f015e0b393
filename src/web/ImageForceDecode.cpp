#include "web/ImageForceDecode.h"

#include "platform/graphics/GraphicsContext.h"
#include "platform/graphics/Image.h"
#include "platform/graphics/ImageContext.h"

namespace zt {

std::shared_ptr<plat::Image> decodedImageWithImage(const std::shared_ptr<plat::Image>& image)
{
    if (!image)
        return nullptr;
    constexpr double kScreenScale = 0.0;  // how an image context is asked for the main screen's scale
    const plat::Size size = image->size();
    plat::ImageContext context(size, image->bitmap()->isOpaque(), kScreenScale);
    plat::GraphicsContext* drawing = context.context();
    if (!drawing)
        return nullptr;
    drawing->drawImage(*image, plat::Rect {{0, 0}, size});
    return context.finish();
}

}  // namespace zt
