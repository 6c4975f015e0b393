#pragma once
#include "glimage/GLImageTwoInputFilter.h"

namespace zt {

// Overlay: multiplies the dark half of the base and screens its light half
// with the overlay; opaque.
class GLImageOverlayBlendFilter : public GLImageTwoInputFilter {
public:
    GLImageOverlayBlendFilter();
};

}  // namespace zt
