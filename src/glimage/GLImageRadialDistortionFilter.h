#pragma once
#include "glimage/GLImageCenterAndAspectFilter.h"

namespace zt {

// A distortion inside a circle around a centre, of a strength set by the
// scale; the shader reads the uniforms "radius" and "scale" besides the
// centre and aspect ratio.
class GLImageRadialDistortionFilter : public GLImageCenterAndAspectFilter {
public:
    double radius() const { return _radius; }
    void setRadius(double newValue);
    double scale() const { return _scale; }
    void setScale(double newValue);
    using GLImageCenterAndAspectFilter::adjustAspectRatio;
    using GLImageCenterAndAspectFilter::aspectRatio;
    using GLImageCenterAndAspectFilter::center;
    using GLImageCenterAndAspectFilter::setAspectRatio;
    using GLImageCenterAndAspectFilter::setCenter;

protected:
    // Centre (0.5, 0.5), scale 0.5.
    GLImageRadialDistortionFilter(const std::string& fragmentShaderString, double initialRadius);

private:
    int32_t radiusUniform = -1;
    int32_t scaleUniform = -1;
    double _radius = 0;
    double _scale = 0.5;
};

}  // namespace zt
