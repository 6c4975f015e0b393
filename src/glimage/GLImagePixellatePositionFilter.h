#pragma once
#include "glimage/GLImageCenterAndAspectFilter.h"

namespace zt {

// Pixellates only inside a circle around a centre, leaving the rest as it is.
class GLImagePixellatePositionFilter : public GLImageCenterAndAspectFilter {
public:
    GLImagePixellatePositionFilter();  // cells 0.05, centre (0.5, 0.5), radius 0.25

    double fractionalWidthOfAPixel() const { return _fractionalWidthOfAPixel; }
    void setFractionalWidthOfAPixel(double newValue);
    double radius() const { return _radius; }
    void setRadius(double newValue);
    using GLImageCenterAndAspectFilter::adjustAspectRatio;
    using GLImageCenterAndAspectFilter::aspectRatio;
    using GLImageCenterAndAspectFilter::center;
    using GLImageCenterAndAspectFilter::setAspectRatio;
    using GLImageCenterAndAspectFilter::setCenter;

private:
    int32_t fractionalWidthOfAPixelUniform = -1;
    int32_t radiusUniform = -1;
    double _fractionalWidthOfAPixel = 0;
    double _radius = 0.25;
};

}  // namespace zt
