#pragma once
#include "glimage/GLImageTwoInputFilter.h"

namespace zt {

// The darker of base and overlay, each weighed by the other's alpha;
// opaque.
class GLImageDarkenBlendFilter : public GLImageTwoInputFilter {
public:
    GLImageDarkenBlendFilter();
};

}  // namespace zt
