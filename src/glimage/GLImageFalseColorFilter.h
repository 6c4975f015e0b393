#pragma once
#include "glimage/GLImageFilter.h"
#include "glimage/GPUVector.h"

namespace zt {

// Maps luminance onto a gradient from the first colour (dark) to the second (bright).
class GLImageFalseColorFilter : public GLImageFilter {
public:
    GLImageFalseColorFilter();

    const GPUVector4& firstColor() const { return _firstColor; }
    void setFirstColor(const GPUVector4& newValue);
    const GPUVector4& secondColor() const { return _secondColor; }
    void setSecondColor(const GPUVector4& newValue);
    void setFirstColorRed(float redComponent, float greenComponent, float blueComponent);
    void setSecondColorRed(float redComponent, float greenComponent, float blueComponent);

private:
    int32_t firstColorUniform = 0;
    int32_t secondColorUniform = 0;
    GPUVector4 _firstColor = {0.0f, 0.0f, 0.5f, 1.0f};
    GPUVector4 _secondColor = {1.0f, 0.0f, 0.0f, 1.0f};
};

}  // namespace zt
