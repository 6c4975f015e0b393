#pragma once
#include "glimage/GLImageTwoInputFilter.h"

namespace zt {

// Multiplies the overlay (input 1) into the base (input 0), each showing
// through where the other is transparent.
class GLImageMultiplyBlendFilter : public GLImageTwoInputFilter {
public:
    GLImageMultiplyBlendFilter();
};

}  // namespace zt
