#pragma once
#include "glimage/GLImageCenterAndAspectFilter.h"

namespace zt {

// Twists the picture inside a circle around a centre, most at the centre.
class GLImageSwirlFilter : public GLImageCenterAndAspectFilter {
public:
    GLImageSwirlFilter();  // centre (0.5, 0.5), radius 0.5, angle 1.0

    double radius() const { return _radius; }
    void setRadius(double newValue);
    double angle() const { return _angle; }
    void setAngle(double newValue);
    using GLImageCenterAndAspectFilter::center;
    using GLImageCenterAndAspectFilter::setCenter;

private:
    int32_t radiusUniform = -1;
    int32_t angleUniform = -1;
    double _radius = 0.5;
    double _angle = 1.0;
};

}  // namespace zt
