#pragma once
#include "glimage/GLImageTwoInputFilter.h"

namespace zt {

// Soft light: the base darkened or lightened gently by the overlay, in
// each of the four channels; a fully see-through base divides by 1.
class GLImageSoftLightBlendFilter : public GLImageTwoInputFilter {
public:
    GLImageSoftLightBlendFilter();
};

}  // namespace zt
