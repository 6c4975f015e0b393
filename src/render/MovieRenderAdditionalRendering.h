#pragma once
#include <cstdint>
#include <memory>
#include <string>

namespace plat {
class Image;
}

namespace zt {

// A hook for one more step on every exported picture. Nothing makes one yet;
// the GIF and single-images renderers keep an empty place for it. Any thread.
class MovieRenderAdditionalRendering {
public:
    explicit MovieRenderAdditionalRendering(const std::string& filePath);  // initWithFilePath: (the path is not kept)
    // The picture unchanged.
    std::shared_ptr<plat::Image> applyRenderStep(std::shared_ptr<plat::Image> image, int32_t frameIndex);
};

}  // namespace zt
