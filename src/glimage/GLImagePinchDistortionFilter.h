#pragma once
#include "glimage/GLImageCenterAndAspectFilter.h"

namespace zt {

// Pulls the picture inside a circle towards its centre (a negative scale
// pushes it out).
class GLImagePinchDistortionFilter : public GLImageCenterAndAspectFilter {
public:
    GLImagePinchDistortionFilter();  // centre (0.5, 0.5), radius 1.0, scale 0.5

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
    double _radius = 1.0;
    double _scale = 0.5;
};

}  // namespace zt
