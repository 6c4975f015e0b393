#pragma once
#include "glimage/GLImageTwoInputFilter.h"

namespace zt {

// The overlay's luminosity at the base's hue and saturation.
class GLImageLuminosityBlendFilter : public GLImageTwoInputFilter {
public:
    GLImageLuminosityBlendFilter();
};

}  // namespace zt
