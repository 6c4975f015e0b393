#pragma once
#include "glimage/GLImageTwoInputFilter.h"

namespace zt {

// Hard light: the overlay formulas with the overlay choosing between
// multiply and screen; opaque.
class GLImageHardLightBlendFilter : public GLImageTwoInputFilter {
public:
    GLImageHardLightBlendFilter();
};

}  // namespace zt
