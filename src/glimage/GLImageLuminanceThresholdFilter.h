#pragma once
#include "glimage/GLImageFilter.h"

namespace zt {

// White where the luminance reaches the threshold, black below; alpha is kept.
class GLImageLuminanceThresholdFilter : public GLImageFilter {
public:
    GLImageLuminanceThresholdFilter();

    double threshold() const { return _threshold; }
    void setThreshold(double newThreshold);

private:
    int32_t thresholdUniform = 0;
    double _threshold = 0.5;
};

}  // namespace zt
