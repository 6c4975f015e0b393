#pragma once
#include "glimage/GLImageTwoInputFilter.h"

namespace zt {

// The sum of the colours, saturating where it reaches the product of the
// alphas.
class GLImageAddBlendFilter : public GLImageTwoInputFilter {
public:
    GLImageAddBlendFilter();
};

}  // namespace zt
