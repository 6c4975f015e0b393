#pragma once
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "glimage/GLImageInput.h"
#include "glimage/GLObject.h"

namespace plat {
class GLCacheTexture;
class GLTextureCache;
class PixelBuffer;
}  // namespace plat

namespace zt {
class GLProgram;

// One pixel as read back: red, green, blue, alpha.
struct GLImageByteColorVector {
    uint8_t red = 0;
    uint8_t green = 0;
    uint8_t blue = 0;
    uint8_t alpha = 0;
    friend bool operator==(const GLImageByteColorVector&, const GLImageByteColorVector&) = default;
};

// A sink that draws its input into a buffer of a set size and hands out the
// pixel bytes (BGRA or RGBA), row 0 first as the frame's top row. The bytes
// of a frame are read at most once: later reads within the frame return
// them again. Frames arrive on the context queue; the reads and set-up may
// come from any thread and run synchronously there.
class GLImageRawDataOutput : public GLImageInput {
public:
    enum class ResultsInBGRAFormat { No, Yes };
    GLImageRawDataOutput(plat::Size newImageSize, ResultsInBGRAFormat resultsInBGRAFormat);
    ~GLImageRawDataOutput() override;
    GLImageRawDataOutput(const GLImageRawDataOutput&) = delete;
    GLImageRawDataOutput& operator=(const GLImageRawDataOutput&) = delete;

    // The current frame's bytes, rows bytesPerRowInOutput apart; valid
    // until the next read of a new frame, a new image size or the output's end.
    const uint8_t* rawBytesForImage();
    // The pixel at a point in pixels, y growing downwards from the frame's
    // top; points outside are taken at the nearest edge.
    GLImageByteColorVector colorAtLocation(plat::Point locationInImage);
    size_t bytesPerRowInOutput();
    void setImageSize(plat::Size newImageSize);
    plat::Size imageSize() const;

    // Called on the context queue when a frame has arrived; it may read the bytes there.
    std::function<void()> newFrameAvailableBlock() const;
    void setNewFrameAvailableBlock(std::function<void()> block);
    void setEnabled(bool value) { _enabled = value; }

    // GLImageInput
    void newFrameReadyAtTime(const plat::MediaTime& frameTime, int64_t textureIndex) override;
    void setInputTexture(uint32_t newInputTexture, int64_t textureIndex) override;
    void setTextureDelegate(std::weak_ptr<GLImageTextureDelegate> newTextureDelegate, int64_t textureIndex) override;
    int64_t nextAvailableTextureIndex() override { return 0; }
    void setInputSize(plat::Size, int64_t) override { }
    void setInputRotation(GLImageRotationMode newInputRotation, int64_t textureIndex) override;
    plat::Size maximumOutputSize() override;
    void endProcessing() override { }
    bool shouldIgnoreUpdatesToThisTarget() override { return false; }
    bool enabled() override { return _enabled.load(); }
    void conserveMemoryForNextFrame() override { }
    bool wantsMonochromeInput() override { return false; }
    void setCurrentlyReceivingMonochromeInput(bool) override { }

    // Context queue.
    void createDataFBO();
    void destroyDataFBO();
    void setFilterFBO();
    void renderAtInternalSize();

    // How many times the input was drawn for reading.
    uint64_t renderCountForTesting() const { return _renderCount.load(); }

private:
    void releaseLockedRenderTarget();

    // Context queue.
    plat::Size _imageSize;
    std::shared_ptr<plat::GLTextureCache> rawDataTextureCache;
    std::shared_ptr<plat::PixelBuffer> renderTarget;
    std::shared_ptr<plat::GLCacheTexture> renderTexture;
    bool renderTargetLocked = false;
    GLImageRotationMode inputRotation = GLImageRotationMode::NoRotation;  // kept, not applied
    bool outputBGRA;
    std::weak_ptr<GLImageTextureDelegate> textureDelegate;
    bool hasReadFromTheCurrentFrame = false;
    GLFramebuffer dataFramebuffer;
    GLRenderbuffer dataRenderbuffer;
    uint32_t inputTextureForDisplay = 0;  // the source's, not ours
    std::shared_ptr<GLProgram> dataProgram;
    int32_t dataPositionAttribute = 0;
    int32_t dataTextureCoordinateAttribute = 0;
    int32_t dataInputTextureUniform = 0;
    std::vector<uint8_t> _rawBytes;  // without the texture cache
    const uint8_t* _rawBytesForImage = nullptr;
    size_t _bytesPerRow = 0;
    std::function<void()> _newFrameAvailableBlock;

    std::atomic<bool> _enabled {true};
    std::atomic<uint64_t> _renderCount {0};
};

}  // namespace zt
