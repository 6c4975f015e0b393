#pragma once
#include <memory>

#include "glimage/GLImageInput.h"

namespace zt {

// A frame target that passes everything on to another target without
// keeping it alive: for a filter that owns one of its own sources, which
// would otherwise keep each other forever. Once the target is gone the
// calls do nothing. Context queue, as the target.
class GLImageWeakTarget : public GLImageInput {
public:
    explicit GLImageWeakTarget(std::weak_ptr<GLImageInput> target);

    void newFrameReadyAtTime(const plat::MediaTime& frameTime, int64_t textureIndex) override;
    void setInputTexture(uint32_t newInputTexture, int64_t textureIndex) override;
    void setTextureDelegate(std::weak_ptr<GLImageTextureDelegate> newTextureDelegate, int64_t textureIndex) override;
    int64_t nextAvailableTextureIndex() override;
    void setInputSize(plat::Size newSize, int64_t textureIndex) override;
    void setInputRotation(GLImageRotationMode newInputRotation, int64_t textureIndex) override;
    plat::Size maximumOutputSize() override;
    void endProcessing() override;
    bool shouldIgnoreUpdatesToThisTarget() override;
    bool enabled() override;
    void conserveMemoryForNextFrame() override;
    bool wantsMonochromeInput() override;
    void setCurrentlyReceivingMonochromeInput(bool newValue) override;

private:
    std::weak_ptr<GLImageInput> _target;
};

}  // namespace zt
