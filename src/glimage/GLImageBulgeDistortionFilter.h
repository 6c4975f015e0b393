#pragma once
#include "glimage/GLImageCenterAndAspectFilter.h"

namespace zt {

// Magnifies the picture inside a circle around a centre (a negative scale
// shrinks it), most at the centre.
class GLImageBulgeDistortionFilter : public GLImageCenterAndAspectFilter {
public:
    GLImageBulgeDistortionFilter();  // centre (0.5, 0.5), radius 0.25, scale 0.5

    double radius() const { return _radius; }
    void setRadius(double newValue);
    double scale() const { return _scale; }
    void setScale(double newValue);
    using GLImageCenterAndAspectFilter::adjustAspectRatio;
    using GLImageCenterAndAspectFilter::aspectRatio;
    using GLImageCenterAndAspectFilter::center;
    using GLImageCenterAndAspectFilter::setAspectRatio;
    using GLImageCenterAndAspectFilter::setCenter;

private:
    int32_t radiusUniform = -1;
    int32_t scaleUniform = -1;
    double _radius = 0.25;
    double _scale = 0.5;
};

}  // namespace zt
