#pragma once
#include "glimage/GLImageCenterAndAspectFilter.h"

namespace zt {

// Stretches the middle of the picture around a centre and squeezes the edges.
class GLImageStretchDistortionFilter : public GLImageCenterAndAspectFilter {
public:
    GLImageStretchDistortionFilter();  // centre (0.5, 0.5)

    using GLImageCenterAndAspectFilter::center;
    using GLImageCenterAndAspectFilter::setCenter;
};

}  // namespace zt
