#pragma once
#include "glimage/GLImageFilter.h"

namespace zt {

// Each pixel becomes (L, L, L, alpha) of its luminance L.
extern const char* const kGLImageLuminanceFragmentShaderString;

// Luminance grey. Told that its input is grey already, it draws nothing and
// hands its input texture on as its output.
class GLImageGrayscaleFilter : public GLImageFilter {
public:
    GLImageGrayscaleFilter();

    bool wantsMonochromeInput() override { return true; }
    bool providesMonochromeOutput() override { return true; }
    uint32_t textureForOutput() override;
    void setInputTexture(uint32_t newInputTexture, int64_t textureIndex) override;
    void newFrameReadyAtTime(const plat::MediaTime& frameTime, int64_t textureIndex) override;
    void prepareTargetForFrame(GLImageInput& target, int64_t textureIndex) override;
};

}  // namespace zt
