#pragma once
#include "glimage/GLImageTwoInputFilter.h"

namespace zt {

// The lighter of base and overlay in each of the four channels.
class GLImageLightenBlendFilter : public GLImageTwoInputFilter {
public:
    GLImageLightenBlendFilter();
};

}  // namespace zt
