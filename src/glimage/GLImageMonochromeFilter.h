#pragma once
#include "glimage/GLImageFilter.h"
#include "glimage/GPUVector.h"

namespace zt {

// Tints the picture with one colour by its luminance (an overlay of the
// colour on the grey picture), mixed with the input by intensity.
class GLImageMonochromeFilter : public GLImageFilter {
public:
    GLImageMonochromeFilter();

    double intensity() const { return _intensity; }
    void setIntensity(double newValue);
    const GPUVector4& color() const { return _color; }
    void setColor(const GPUVector4& newColor);
    // Sends the colour without storing it.
    void setColorRed(float redComponent, float greenComponent, float blueComponent);

private:
    int32_t intensityUniform = 0;
    int32_t filterColorUniform = 0;
    double _intensity = 1.0;
    GPUVector4 _color = {0.6f, 0.45f, 0.3f, 1.0f};
};

}  // namespace zt
