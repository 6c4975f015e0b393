#pragma once
#include <cstdint>
#include <functional>
#include <vector>

#include "glimage/GLImageFilter.h"

namespace zt {

extern const char* const kGLImageColorAveragingVertexShaderString;

// Reduces each frame to its average red, green, blue and alpha: passes that
// each shrink the frame 16-fold in area on the GPU, then a read-back of the
// last, tiny stage that the CPU adds up. The result block runs on the
// context queue; a caller that updates the screen hands the result on.
// Frames with a side under 8 pixels have no stage and give no result.
class GLImageAverageColor : public GLImageFilter {
public:
    using ColorAverageProcessingFinishedBlock
        = std::function<void(double red, double green, double blue, double alpha, const plat::MediaTime& frameTime)>;

    GLImageAverageColor();

    const ColorAverageProcessingFinishedBlock& colorAverageProcessingFinishedBlock() const
    {
        return _colorAverageProcessingFinishedBlock;
    }
    void setColorAverageProcessingFinishedBlock(ColorAverageProcessingFinishedBlock block)
    {
        _colorAverageProcessingFinishedBlock = std::move(block);
    }

    void initializeOutputTextureIfNeeded() override;
    void deleteOutputTexture() override;
    void createFilterFBOofSize(plat::Size currentFBOSize) override;
    void destroyFilterFBO() override;
    void recreateFilterFBO() override;
    void renderToTextureWithVertices(
        const float* vertices, const float* textureCoordinates, uint32_t sourceTexture) override;
    void setInputRotation(GLImageRotationMode newInputRotation, int64_t textureIndex) override;
    void prepareForImageCapture() override;

    void extractAverageColorAtFrameTime(const plat::MediaTime& frameTime);

    // Width and height of each reduction stage, stage 0 first.
    std::vector<plat::Size> stageSizesForTesting() const;
    size_t readBackBufferSizeForTesting() const { return rawImagePixels.size(); }

protected:
    // For subclasses that reduce with another first program.
    explicit GLImageAverageColor(const std::string& fragmentShaderString);
    // Aborts unless the stages store RGBA bytes, the only layout the read-back
    // of the last stage knows, naming the wrong format with the message given.
    void requireRGBAByteOutput(const char* wrongFormatMessage) const;
    // Reads the last stage back (RGBA bytes) and returns its pixel count, 0
    // when there is no stage to read.
    size_t readLastStage();
    void drawStage(size_t stage, uint32_t texture, int32_t texelWidthLocation, int32_t texelHeightLocation,
        int32_t samplerLocation);

    int32_t texelWidthUniform = 0;
    int32_t texelHeightUniform = 0;
    std::vector<GLTexture> stageTextures;  // context queue
    std::vector<GLFramebuffer> stageFramebuffers;  // context queue
    std::vector<plat::Size> stageSizes;
    std::vector<uint8_t> rawImagePixels;

private:
    ColorAverageProcessingFinishedBlock _colorAverageProcessingFinishedBlock;
};

}  // namespace zt
