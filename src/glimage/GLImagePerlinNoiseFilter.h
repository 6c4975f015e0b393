#pragma once
#include "glimage/GLImageFilter.h"
#include "glimage/GPUVector.h"

namespace zt {

// Smooth gradient noise between two colours, at scale cells across the
// frame. The input is not sampled: it only gives the frame's size.
// Setters from any thread; frames on the context queue.
class GLImagePerlinNoiseFilter : public GLImageFilter {
public:
    GLImagePerlinNoiseFilter();  // scale 8, opaque black to white

    float scale() const { return _scale; }
    void setScale(float newValue);
    GPUVector4 colorStart() const { return _colorStart; }
    void setColorStart(GPUVector4 newValue);
    GPUVector4 colorFinish() const { return _colorFinish; }
    void setColorFinish(GPUVector4 newValue);

private:
    int32_t scaleUniform = -1;
    int32_t colorStartUniform = -1;
    int32_t colorFinishUniform = -1;
    float _scale = 8.0f;
    GPUVector4 _colorStart {0.0f, 0.0f, 0.0f, 1.0f};
    GPUVector4 _colorFinish {1.0f, 1.0f, 1.0f, 1.0f};
};

}  // namespace zt
