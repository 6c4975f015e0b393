#pragma once
#include "glimage/GLImageFilter.h"
#include "glimage/GPUVector.h"

namespace zt {

// Fades the picture to a colour with the distance from a centre, from
// vignetteStart to vignetteEnd (fractions of the frame). Setters from any thread.
class GLImageVignetteFilter : public GLImageFilter {
public:
    GLImageVignetteFilter();  // centre (0.5, 0.5), black, from 0.3 to 0.75

    plat::Point vignetteCenter() const { return _vignetteCenter; }
    void setVignetteCenter(plat::Point newValue);
    GPUVector3 vignetteColor() const { return _vignetteColor; }
    void setVignetteColor(GPUVector3 newValue);
    double vignetteStart() const { return _vignetteStart; }
    void setVignetteStart(double newValue);
    double vignetteEnd() const { return _vignetteEnd; }
    void setVignetteEnd(double newValue);

private:
    int32_t vignetteCenterUniform = -1;
    int32_t vignetteColorUniform = -1;
    int32_t vignetteStartUniform = -1;
    int32_t vignetteEndUniform = -1;
    plat::Point _vignetteCenter {0.5, 0.5};
    GPUVector3 _vignetteColor {0.0f, 0.0f, 0.0f};
    double _vignetteStart = 0.3;
    double _vignetteEnd = 0.75;
};

}  // namespace zt
