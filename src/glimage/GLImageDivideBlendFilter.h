#pragma once
#include "glimage/GLImageTwoInputFilter.h"

namespace zt {

// The base divided by the overlay, as premultiplied colours divide.
class GLImageDivideBlendFilter : public GLImageTwoInputFilter {
public:
    GLImageDivideBlendFilter();
};

}  // namespace zt
