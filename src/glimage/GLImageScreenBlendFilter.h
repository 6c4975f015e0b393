#pragma once
#include "glimage/GLImageTwoInputFilter.h"

namespace zt {

// Screen: 1 - (1 - overlay)(1 - base) in each of the four channels.
class GLImageScreenBlendFilter : public GLImageTwoInputFilter {
public:
    GLImageScreenBlendFilter();
};

}  // namespace zt
