#pragma once
#include "glimage/GLImageRadialDistortionFilter.h"

namespace zt {

// Magnifies the picture inside a circle around a centre (a negative scale
// shrinks it), most at the centre.
class GLImageBulgeDistortionFilter : public GLImageRadialDistortionFilter {
public:
    GLImageBulgeDistortionFilter();  // centre (0.5, 0.5), radius 0.25, scale 0.5
};

}  // namespace zt
