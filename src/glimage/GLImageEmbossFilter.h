#pragma once
#include "glimage/GLImage3x3ConvolutionFilter.h"

namespace zt {

// A relief: the convolution with (-2i, -i, 0), (-i, 1, i), (0, i, 2i) for
// the intensity i; 0 leaves the picture as it is.
class GLImageEmbossFilter : public GLImage3x3ConvolutionFilter {
public:
    GLImageEmbossFilter();  // intensity 1

    double intensity() const { return _intensity; }
    void setIntensity(double newValue);

private:
    double _intensity = 1.0;
};

}  // namespace zt
