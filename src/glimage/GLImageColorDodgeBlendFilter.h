#pragma once
#include "glimage/GLImageTwoInputFilter.h"

namespace zt {

// Colour dodge: the base brightened by the overlay, with the overlay
// un-premultiplied and kept below 1; opaque.
class GLImageColorDodgeBlendFilter : public GLImageTwoInputFilter {
public:
    GLImageColorDodgeBlendFilter();
};

}  // namespace zt
