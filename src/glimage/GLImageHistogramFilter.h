#pragma once
#include <atomic>
#include <cstdint>
#include <memory>
#include <vector>

#include "glimage/GLImageFilter.h"

namespace zt {

enum class GLImageHistogramType : int32_t { Red = 0, Green = 1, Blue = 2, RGB = 3, Luminance = 4 };

// A 256-bin histogram of a frame's red, green or blue channel, all three,
// or its luminance, made on the GPU: the frame's bytes are read back and
// drawn as one additive point per counted pixel into the middle row of a
// 256 x 3 target, so that bin v's channel counts the pixels of value v in
// steps of 1/255 (a bin is full after 255). Frames on the context queue;
// the factor may be set from any thread.
class GLImageHistogramFilter : public GLImageFilter {
public:
    explicit GLImageHistogramFilter(GLImageHistogramType newHistogramType);

    GLImageHistogramType histogramType() const { return _histogramType; }
    // One pixel in this many is counted; 0 counts as 1.
    uint64_t downsamplingFactor() const { return _downsamplingFactor; }
    void setDownsamplingFactor(uint64_t newValue);

    plat::Size sizeOfFBO() override;
    plat::Size outputFrameSize() override;
    void setInputSize(plat::Size newSize, int64_t textureIndex) override;
    // The count does not depend on the frame's turn.
    void setInputRotation(GLImageRotationMode newInputRotation, int64_t textureIndex) override;
    void newFrameReadyAtTime(const plat::MediaTime& frameTime, int64_t textureIndex) override;
    void renderToTextureWithVertices(
        const float* vertices, const float* textureCoordinates, uint32_t sourceTexture) override;

    // Context queue: the buffer the frame is read back into, for the input size.
    void generatePointCoordinates();
    void initializeSecondaryAttributes();

private:
    // Context queue: the input's bytes into the buffer, read from the texture itself.
    void readInputPixels(uint32_t sourceTexture);
    void drawPoints(const std::shared_ptr<GLProgram>& program, int32_t positionAttribute);

    GLImageHistogramType _histogramType;
    std::atomic<uint64_t> _downsamplingFactor = 16;
    std::vector<uint8_t> vertexSamplingCoordinates;  // context queue
    plat::Size sampledSize;  // context queue: the size the buffer was made for
    GLFramebuffer inputReadFramebuffer;  // context queue
    std::shared_ptr<GLProgram> secondFilterProgram;
    std::shared_ptr<GLProgram> thirdFilterProgram;
    int32_t secondFilterPositionAttribute = 0;
    int32_t thirdFilterPositionAttribute = 0;
};

}  // namespace zt
