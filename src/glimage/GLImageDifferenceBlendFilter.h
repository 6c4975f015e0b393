#pragma once
#include "glimage/GLImageTwoInputFilter.h"

namespace zt {

// The absolute difference of the colours; the base's alpha.
class GLImageDifferenceBlendFilter : public GLImageTwoInputFilter {
public:
    GLImageDifferenceBlendFilter();
};

}  // namespace zt
