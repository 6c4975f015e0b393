#pragma once
#include "glimage/GLImageGaussianBlurFilter.h"

namespace zt {

// An edge-preserving blur: nine taps along each axis whose weights fall
// with the tap's colour distance to the centre, so that neighbours across
// an edge count little or not at all. A new blur radius replaces its
// shaders by plain Gaussian ones.
class GLImageBilateralFilter : public GLImageGaussianBlurFilter {
public:
    GLImageBilateralFilter();

    // Colour distances times this of 1 or more leave a tap out.
    double distanceNormalizationFactor() const { return _distanceNormalizationFactor; }
    void setDistanceNormalizationFactor(double newValue);

private:
    int32_t firstDistanceNormalizationFactorUniform = -1;
    int32_t secondDistanceNormalizationFactorUniform = -1;
    double _distanceNormalizationFactor = 8.0;
};

}  // namespace zt
