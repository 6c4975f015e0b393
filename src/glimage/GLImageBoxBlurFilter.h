#pragma once
#include "glimage/GLImageGaussianBlurFilter.h"

namespace zt {

// A separable box blur: every tap of 2R + 1 weighs the same. Its radius is
// the sample radius itself, the nearest even whole number to the one set,
// at most the largest sample radius of the Gaussian blur.
class GLImageBoxBlurFilter : public GLImageGaussianBlurFilter {
public:
    GLImageBoxBlurFilter();  // radius 4

    // sigma is not used.
    static std::string vertexShaderForOptimizedBlurOfRadius(uint32_t blurRadius, double sigma);
    static std::string fragmentShaderForOptimizedBlurOfRadius(uint32_t blurRadius, double sigma);

    void setBlurRadiusInPixels(double newValue) override;

protected:
    std::string optimizedVertexShader(uint32_t sampleRadius, double sigma) const override;
    std::string optimizedFragmentShader(uint32_t sampleRadius, double sigma) const override;
};

}  // namespace zt
