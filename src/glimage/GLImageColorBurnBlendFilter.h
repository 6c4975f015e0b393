#pragma once
#include "glimage/GLImageTwoInputFilter.h"

namespace zt {

// Colour burn: 1 - (1 - base) / overlay in each of the four channels.
class GLImageColorBurnBlendFilter : public GLImageTwoInputFilter {
public:
    GLImageColorBurnBlendFilter();
};

}  // namespace zt
