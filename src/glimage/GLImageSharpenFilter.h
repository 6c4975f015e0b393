#pragma once
#include "glimage/GLImageFilter.h"

namespace zt {

// Sharpens with the four direct neighbours: the centre times 1 + 4s less
// each neighbour times s. Setters from any thread.
class GLImageSharpenFilter : public GLImageFilter {
public:
    GLImageSharpenFilter();  // sharpness 0

    void setupFilterForSize(plat::Size filterFrameSize) override;

    double sharpness() const { return _sharpness; }
    void setSharpness(double newValue);

private:
    int32_t sharpnessUniform = -1;
    int32_t imageWidthFactorUniform = -1;
    int32_t imageHeightFactorUniform = -1;
    double _sharpness = 0;
};

}  // namespace zt
