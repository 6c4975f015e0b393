#pragma once
#include "glimage/GLImageFilter.h"

namespace zt {

// Adds the brightness to each colour channel; 0 passes the picture through.
class GLImageBrightnessFilter : public GLImageFilter {
public:
    GLImageBrightnessFilter();

    double brightness() const { return _brightness; }
    void setBrightness(double newBrightness);

private:
    int32_t brightnessUniform = 0;
    double _brightness = 0.0;
};

}  // namespace zt
