#pragma once
#include "glimage/GLImageFilter.h"

namespace zt {

// Lifts the shadows (0 none, 1 most) and darkens the highlights (1 none,
// 0 most), scaling each pixel's colour by its corrected luminance.
class GLImageHighlightShadowFilter : public GLImageFilter {
public:
    GLImageHighlightShadowFilter();

    double shadows() const { return _shadows; }
    void setShadows(double newValue);
    double highlights() const { return _highlights; }
    void setHighlights(double newValue);

private:
    int32_t shadowsUniform = 0;
    int32_t highlightsUniform = 0;
    double _shadows = 0.0;
    double _highlights = 1.0;
};

}  // namespace zt
