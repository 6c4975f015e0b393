#pragma once
#include "glimage/GLImageTwoInputFilter.h"

namespace zt {

// The overlay's hue and saturation at the base's luminosity.
class GLImageColorBlendFilter : public GLImageTwoInputFilter {
public:
    GLImageColorBlendFilter();
};

}  // namespace zt
