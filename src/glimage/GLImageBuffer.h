#pragma once
#include <atomic>
#include <cstdint>
#include <deque>

#include "glimage/GLImageFilter.h"

namespace zt {

// Delays a stream by bufferSize frames: a ring of textures, oldest first.
// Each frame, the targets are shown the oldest texture, then the ring turns
// and the new frame is drawn into the texture that was oldest. Until that
// many frames have passed, the output is transparent black; a new frame size
// starts the ring afresh. Frames and textures on the context queue;
// setBufferSize may be called from any thread.
class GLImageBuffer : public GLImageFilter {
public:
    GLImageBuffer();
    ~GLImageBuffer() override;

    void newFrameReadyAtTime(const plat::MediaTime& frameTime, int64_t textureIndex) override;
    void setInputSize(plat::Size newSize, int64_t textureIndex) override;
    void renderToTextureWithVertices(
        const float* vertices, const float* textureCoordinates, uint32_t sourceTexture) override;
    // The ring is the output: it is neither read back through a pixel buffer
    // nor given up when targets are done with a frame.
    void prepareForImageCapture() override { }
    void cleanupOutputImage() override { }
    void deleteOutputTexture() override { }
    uint32_t textureForOutput() override;
    void createFilterFBOofSize(plat::Size currentFBOSize) override;
    void recreateFilterFBO() override;
    // A read-back reads the texture the targets are shown.
    void setOutputFBO() override;

    // Context queue: a texture with the output options, of the frame size
    // once that is known.
    GLTexture generateTexture();
    void removeTexture(GLTexture texture);

    // Growing adds textures at the end, shrinking drops the last ones; 0 is ignored.
    void setBufferSize(uint64_t newValue);
    uint64_t bufferSize() const { return _bufferSize; }

    std::vector<uint32_t> bufferedTexturesForTesting() const;

private:
    // Context queue: allocates every texture of the ring at the frame size, cleared.
    void allocateBufferedTextures(plat::Size size);
    void clearTexture(uint32_t texture);

    std::deque<GLTexture> bufferedTextures;  // context queue; the front is the output
    std::atomic<uint64_t> _bufferSize = 1;
};

}  // namespace zt
