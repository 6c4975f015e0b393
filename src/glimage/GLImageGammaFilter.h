#pragma once
#include "glimage/GLImageFilter.h"

namespace zt {

// Raises each colour channel to the power gamma.
class GLImageGammaFilter : public GLImageFilter {
public:
    GLImageGammaFilter();

    double gamma() const { return _gamma; }
    void setGamma(double newGamma);

private:
    int32_t gammaUniform = 0;
    double _gamma = 1.0;
};

}  // namespace zt
