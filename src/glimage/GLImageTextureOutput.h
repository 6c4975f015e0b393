#pragma once
#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>

#include "glimage/GLImageInput.h"

namespace zt {
class GLImageTextureOutput;

// Hears of each frame that reaches a texture output, on the context queue;
// the output's texture is the frame during the call.
class GLImageTextureOutputDelegate {
public:
    virtual ~GLImageTextureOutputDelegate() = default;
    virtual void newFrameReadyFromTextureOutput(GLImageTextureOutput& callbackTextureOutput) = 0;
};

// A sink that hands its input texture to a delegate, for GL code outside the
// pipeline. The texture stays its source's. Context queue, but for the
// delegate and the switch, which any thread may set.
class GLImageTextureOutput : public GLImageInput {
public:
    GLImageTextureOutput() = default;

    uint32_t texture() const { return _texture.load(); }
    std::shared_ptr<GLImageTextureOutputDelegate> delegate() const;
    void setDelegate(std::weak_ptr<GLImageTextureOutputDelegate> delegate);
    void setEnabled(bool value) { _enabled = value; }

    // GLImageInput
    void newFrameReadyAtTime(const plat::MediaTime& frameTime, int64_t textureIndex) override;
    void setInputTexture(uint32_t newInputTexture, int64_t textureIndex) override;
    void setTextureDelegate(std::weak_ptr<GLImageTextureDelegate> newTextureDelegate, int64_t textureIndex) override;
    int64_t nextAvailableTextureIndex() override { return 0; }
    void setInputSize(plat::Size, int64_t) override { }
    void setInputRotation(GLImageRotationMode, int64_t) override { }
    plat::Size maximumOutputSize() override { return {}; }
    void endProcessing() override { }
    bool shouldIgnoreUpdatesToThisTarget() override { return false; }
    bool enabled() override { return _enabled.load(); }
    void conserveMemoryForNextFrame() override { }
    bool wantsMonochromeInput() override { return false; }
    void setCurrentlyReceivingMonochromeInput(bool) override { }

private:
    std::weak_ptr<GLImageTextureDelegate> textureDelegate;  // context queue
    std::atomic<uint32_t> _texture {0};
    mutable std::mutex _lock;
    std::weak_ptr<GLImageTextureOutputDelegate> _delegate;  // guarded by _lock
    std::atomic<bool> _enabled {true};
};

}  // namespace zt
