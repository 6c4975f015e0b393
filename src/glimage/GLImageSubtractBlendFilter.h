#pragma once
#include "glimage/GLImageTwoInputFilter.h"

namespace zt {

// The overlay's colour taken from the base's; the base's alpha.
class GLImageSubtractBlendFilter : public GLImageTwoInputFilter {
public:
    GLImageSubtractBlendFilter();
};

}  // namespace zt
