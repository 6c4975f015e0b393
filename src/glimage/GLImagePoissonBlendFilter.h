#pragma once
#include <atomic>
#include <cstdint>

#include "glimage/GLImageTwoInputCrossTextureSamplingFilter.h"

namespace zt {

// Blends the second input into the first in the gradient domain: each pass
// keeps the first picture's surroundings and takes the second's detail
// where its alpha (times mix) says, and the passes repeat on their own
// result, numIterations times in all. The passes alternate between two
// framebuffers so that the last always lands in the output that targets and
// read-backs see. Context queue, as GLImageFilter; the setters may be
// called from any thread.
class GLImagePoissonBlendFilter : public GLImageTwoInputCrossTextureSamplingFilter {
public:
    GLImagePoissonBlendFilter();  // mix 0.5, 10 iterations
    ~GLImagePoissonBlendFilter() override;

    double mix() const { return _mix; }
    void setMix(double newValue);
    // 0 runs one pass, as 1 does.
    uint64_t numIterations() const { return _numIterations; }
    void setNumIterations(uint64_t newValue) { _numIterations = newValue; }

    void createFilterFBOofSize(plat::Size currentFBOSize) override;
    void destroyFilterFBO() override;
    void deleteOutputTexture() override;
    void initializeSecondOutputTextureIfNeeded();
    void setSecondFilterFBO();
    void setOutputFBO() override;
    void renderToTextureWithVertices(
        const float* vertices, const float* textureCoordinates, uint32_t sourceTexture) override;

private:
    enum class PassTarget { MainFramebuffer, SecondFramebuffer };
    enum class PassSource { Inputs, PreviousPass };
    // One pass into a framebuffer, reading sourceTexture as the first input
    // at the coordinates given.
    void drawPass(PassTarget target, PassSource source, uint32_t sourceTexture, const float* vertices,
        const float* textureCoordinates);
    uint32_t mainOutputTexture();

    int32_t mixUniform = -1;
    double _mix = 0.5;
    std::atomic<uint64_t> _numIterations = 10;
    GLTexture secondFilterOutputTexture;  // context queue
    GLFramebuffer secondFilterFramebuffer;  // context queue
};

}  // namespace zt
