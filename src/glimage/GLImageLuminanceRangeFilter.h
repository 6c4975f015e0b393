#pragma once
#include "glimage/GLImageFilter.h"

namespace zt {

// Pulls every pixel towards mid-grey luminance by the reduction factor.
class GLImageLuminanceRangeFilter : public GLImageFilter {
public:
    GLImageLuminanceRangeFilter();

    double rangeReductionFactor() const { return _rangeReductionFactor; }
    void setRangeReductionFactor(double newRangeReductionFactor);

private:
    int32_t rangeReductionFactorUniform = 0;
    double _rangeReductionFactor = 0.6;
};

}  // namespace zt
