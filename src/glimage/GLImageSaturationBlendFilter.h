#pragma once
#include "glimage/GLImageTwoInputFilter.h"

namespace zt {

// The overlay's saturation at the base's hue and luminosity.
class GLImageSaturationBlendFilter : public GLImageTwoInputFilter {
public:
    GLImageSaturationBlendFilter();
};

}  // namespace zt
