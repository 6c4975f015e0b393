#pragma once
#include "glimage/GLImageFilter.h"

namespace zt {

// Multiplies each colour channel by its own gain.
class GLImageRGBFilter : public GLImageFilter {
public:
    GLImageRGBFilter();

    double red() const { return _red; }
    void setRed(double newValue);
    double green() const { return _green; }
    void setGreen(double newValue);
    double blue() const { return _blue; }
    void setBlue(double newValue);

private:
    int32_t redUniform = 0;
    int32_t greenUniform = 0;
    int32_t blueUniform = 0;
    double _red = 1.0;
    double _green = 1.0;
    double _blue = 1.0;
};

}  // namespace zt
