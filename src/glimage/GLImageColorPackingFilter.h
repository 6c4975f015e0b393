#pragma once
#include "glimage/GLImageFilter.h"

namespace zt {

// Packs the red values of four neighbouring pixels into the four channels
// of one output pixel: the output is half the input in each dimension.
class GLImageColorPackingFilter : public GLImageFilter {
public:
    GLImageColorPackingFilter();

    void setupFilterForSize(plat::Size filterFrameSize) override;
    plat::Size outputFrameSize() override;
    plat::Size sizeOfFBO() override;

private:
    int32_t texelWidthUniform = 0;
    int32_t texelHeightUniform = 0;
    float texelWidth = 0;
    float texelHeight = 0;
};

}  // namespace zt
