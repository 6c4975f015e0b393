#pragma once
#include "glimage/GLImageTwoInputFilter.h"

namespace zt {

// The overlay's hue at the base's saturation and luminosity.
class GLImageHueBlendFilter : public GLImageTwoInputFilter {
public:
    GLImageHueBlendFilter();
};

}  // namespace zt
