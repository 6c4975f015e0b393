#pragma once
#include "glimage/GLImageGaussianBlurFilter.h"

namespace zt {

// The Gaussian blur of the red channel alone, written as opaque grey: the
// blur of a luminance picture at a quarter of the arithmetic.
class GLImageSingleComponentGaussianBlurFilter : public GLImageGaussianBlurFilter {
public:
    GLImageSingleComponentGaussianBlurFilter();  // sample radius 4, sigma 2

    static std::string vertexShaderForOptimizedBlurOfRadius(uint32_t blurRadius, double sigma);
    static std::string fragmentShaderForOptimizedBlurOfRadius(uint32_t blurRadius, double sigma);

protected:
    std::string optimizedVertexShader(uint32_t sampleRadius, double sigma) const override;
    std::string optimizedFragmentShader(uint32_t sampleRadius, double sigma) const override;
};

}  // namespace zt
