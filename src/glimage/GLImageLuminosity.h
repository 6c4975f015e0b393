#pragma once
#include <functional>
#include <memory>

#include "glimage/GLImageAverageColor.h"

namespace zt {

// Reduces each frame to its average luminance, as GLImageAverageColor does
// colours: the first pass turns colour into luminance, later passes average
// the red channel. The block runs on the context queue.
class GLImageLuminosity : public GLImageAverageColor {
public:
    using LuminosityProcessingFinishedBlock = std::function<void(double luminosity, const plat::MediaTime& frameTime)>;

    GLImageLuminosity();

    const LuminosityProcessingFinishedBlock& luminosityProcessingFinishedBlock() const
    {
        return _luminosityProcessingFinishedBlock;
    }
    void setLuminosityProcessingFinishedBlock(LuminosityProcessingFinishedBlock block)
    {
        _luminosityProcessingFinishedBlock = std::move(block);
    }

    void renderToTextureWithVertices(
        const float* vertices, const float* textureCoordinates, uint32_t sourceTexture) override;
    void extractLuminosityAtFrameTime(const plat::MediaTime& frameTime);

private:
    std::shared_ptr<GLProgram> secondFilterProgram;
    int32_t secondFilterPositionAttribute = 0;
    int32_t secondFilterTextureCoordinateAttribute = 0;
    int32_t secondFilterInputTextureUniform = 0;
    int32_t secondFilterInputTextureUniform2 = 0;
    int32_t secondFilterTexelWidthUniform = 0;
    int32_t secondFilterTexelHeightUniform = 0;
    LuminosityProcessingFinishedBlock _luminosityProcessingFinishedBlock;
};

}  // namespace zt
