#pragma once
#include "glimage/GLImageTwoInputFilter.h"

namespace zt {

// Linear burn: base + overlay - 1, not below 0; the base's alpha.
class GLImageLinearBurnBlendFilter : public GLImageTwoInputFilter {
public:
    GLImageLinearBurnBlendFilter();
};

}  // namespace zt
