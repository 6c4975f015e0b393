#pragma once
#include "glimage/GLImageFilter.h"

namespace zt {

// Multiplies alpha by the opacity. The colour is premultiplied, so it is
// multiplied too: the picture's own colour shows, fainter.
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
