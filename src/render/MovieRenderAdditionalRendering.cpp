#include "render/MovieRenderAdditionalRendering.h"

namespace zt {

MovieRenderAdditionalRendering::MovieRenderAdditionalRendering(const std::string& filePath)
{
    (void)filePath;
}

std::shared_ptr<plat::Image> MovieRenderAdditionalRendering::applyRenderStep(
    std::shared_ptr<plat::Image> image, int32_t frameIndex)
{
    (void)frameIndex;
    return image;
}

}  // namespace zt
