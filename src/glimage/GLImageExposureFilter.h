#pragma once
#include "glimage/GLImageFilter.h"

namespace zt {

// Scales the colour by 2 to the power of the exposure, in stops.
class GLImageExposureFilter : public GLImageFilter {
public:
    GLImageExposureFilter();

    double exposure() const { return _exposure; }
    void setExposure(double newExposure);

private:
    int32_t exposureUniform = 0;
    double _exposure = 0.0;
};

}  // namespace zt
