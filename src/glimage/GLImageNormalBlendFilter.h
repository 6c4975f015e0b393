#pragma once
#include "glimage/GLImageTwoInputFilter.h"

namespace zt {

// The overlay composited over the base by their alphas, colours divided
// back by the resulting alpha (none for a fully see-through result).
class GLImageNormalBlendFilter : public GLImageTwoInputFilter {
public:
    GLImageNormalBlendFilter();
};

}  // namespace zt
