#pragma once
#include "glimage/GLImageFilter.h"

namespace zt {

// Multiplies alpha by the opacity; the colour channels are kept.
class GLImageOpacityFilter : public GLImageFilter {
public:
    GLImageOpacityFilter();

    double opacity() const { return _opacity; }
    void setOpacity(double newOpacity);

private:
    int32_t opacityUniform = 0;
    double _opacity = 1.0;
};

}  // namespace zt
