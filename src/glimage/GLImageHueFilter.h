#pragma once
#include "glimage/GLImageFilter.h"

namespace zt {

// Turns the hue by an angle in the YIQ colour space, keeping luma and chroma.
class GLImageHueFilter : public GLImageFilter {
public:
    GLImageHueFilter();

    // Radians, though the setter takes degrees.
    double hue() const { return _hue; }
    // Degrees, reduced modulo 360 with the argument's sign.
    void setHue(double newHue);

private:
    int32_t hueAdjustUniform = 0;
    double _hue = 0.0;
};

}  // namespace zt
