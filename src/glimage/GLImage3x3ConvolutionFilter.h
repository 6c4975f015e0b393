#pragma once
#include "glimage/GLImage3x3TextureSamplingFilter.h"
#include "glimage/GPUVector.h"

namespace zt {

// Weighs each pixel's 3x3 neighbourhood by a kernel (row one is the top
// row) into its colour; alpha is the pixel's own.
class GLImage3x3ConvolutionFilter : public GLImage3x3TextureSamplingFilter {
public:
    GLImage3x3ConvolutionFilter();  // the identity kernel
    // For kernels with a shader of their own.
    explicit GLImage3x3ConvolutionFilter(const std::string& fragmentShaderString);

    const GPUMatrix3x3& convolutionKernel() const { return _convolutionKernel; }
    void setConvolutionKernel(const GPUMatrix3x3& newValue);

protected:
    // The convolution's shader, with afterSum run on resultColor before it is written.
    static std::string convolutionFragmentShader(const char* afterSum);

private:
    int32_t convolutionMatrixUniform = -1;
    GPUMatrix3x3 _convolutionKernel {};
};

}  // namespace zt
