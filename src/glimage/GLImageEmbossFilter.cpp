#include "glimage/GLImageEmbossFilter.h"

namespace zt {

GLImageEmbossFilter::GLImageEmbossFilter()
{
    setIntensity(1.0);
}

void GLImageEmbossFilter::setIntensity(double newValue)
{
    _intensity = newValue;
    const auto i = float(newValue);
    setConvolutionKernel({{-2.0f * i, -i, 0.0f}, {-i, 1.0f, i}, {0.0f, i, 2.0f * i}});
}

}  // namespace zt
