#pragma once
#include "glimage/GLImageFilter.h"

namespace zt {

// Mixes each pixel with its luminance grey: 0 gives grey, above 1 oversaturates.
class GLImageSaturationFilter : public GLImageFilter {
public:
    GLImageSaturationFilter();

    double saturation() const { return _saturation; }
    void setSaturation(double newSaturation);

private:
    int32_t saturationUniform = 0;
    double _saturation = 1.0;
};

}  // namespace zt
