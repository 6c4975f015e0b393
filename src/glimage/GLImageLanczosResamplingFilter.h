#pragma once
#include "glimage/GLImageTwoPassTextureSamplingFilter.h"

namespace zt {

// Resizes with a fixed nine-tap Lanczos kernel, one axis per pass: the
// first pass takes the frame to the output's height at the input's width,
// the second to the output's width. The taps are one input pixel apart.
// The output size is set with forceProcessingAtSize. Context queue, as
// GLImageFilter.
class GLImageLanczosResamplingFilter : public GLImageTwoPassTextureSamplingFilter {
public:
    GLImageLanczosResamplingFilter();

    void setInputSize(plat::Size newSize, int64_t textureIndex) override;
    void setupFilterForSize(plat::Size filterFrameSize) override;
    void setFilterFBO() override;
    void setSecondFilterFBO() override;

    // The input's size, turned into the output's axes.
    plat::Size originalImageSize() const { return _originalImageSize; }
    void setOriginalImageSize(plat::Size newValue) { _originalImageSize = newValue; }

    // The size of the first pass's framebuffer, none before the first frame.
    plat::Size firstPassSizeForTesting() const;

private:
    plat::Size firstPassSize();

    plat::Size _originalImageSize;  // context queue
    plat::Size _firstPassSize;  // context queue
};

}  // namespace zt
