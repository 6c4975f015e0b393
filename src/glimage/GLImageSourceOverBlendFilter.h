#pragma once
#include "glimage/GLImageTwoInputFilter.h"

namespace zt {

// The base mixed toward the overlay by the overlay's alpha, all four
// channels.
class GLImageSourceOverBlendFilter : public GLImageTwoInputFilter {
public:
    GLImageSourceOverBlendFilter();
};

}  // namespace zt
