#pragma once
#include "glimage/GLImageFilter.h"
#include "glimage/GPUVector.h"

namespace zt {

// Each output component j is the dot product of the input colour (r, g, b, a)
// with row j of the matrix, blended with the input by intensity.
class GLImageColorMatrixFilter : public GLImageFilter {
public:
    GLImageColorMatrixFilter();

    const GPUMatrix4x4& colorMatrix() const { return _colorMatrix; }
    void setColorMatrix(const GPUMatrix4x4& newColorMatrix);
    double intensity() const { return _intensity; }
    void setIntensity(double newIntensity);

private:
    int32_t colorMatrixUniform = 0;
    int32_t intensityUniform = 0;
    GPUMatrix4x4 _colorMatrix = kGPUMatrix4x4Identity;
    double _intensity = 1.0;
};

}  // namespace zt
