#pragma once
#include "glimage/GLImageRadialDistortionFilter.h"

namespace zt {

// Pulls the picture inside a circle towards its centre (a negative scale
// pushes it out).
class GLImagePinchDistortionFilter : public GLImageRadialDistortionFilter {
public:
    GLImagePinchDistortionFilter();  // centre (0.5, 0.5), radius 1.0, scale 0.5
};

}  // namespace zt
