#pragma once
#include <string>

#include "glimage/GLImageCenterAndAspectFilter.h"

namespace zt {

// The picture seen through a glass ball: turned upside down and magnified
// inside a circle, transparent black outside it.
class GLImageSphereRefractionFilter : public GLImageCenterAndAspectFilter {
public:
    GLImageSphereRefractionFilter();  // centre (0.5, 0.5), radius 0.25, refractive index 0.71

    double radius() const { return _radius; }
    void setRadius(double newValue);
    double refractiveIndex() const { return _refractiveIndex; }
    void setRefractiveIndex(double newValue);
    using GLImageCenterAndAspectFilter::adjustAspectRatio;
    using GLImageCenterAndAspectFilter::aspectRatio;
    using GLImageCenterAndAspectFilter::center;
    using GLImageCenterAndAspectFilter::setAspectRatio;
    using GLImageCenterAndAspectFilter::setCenter;

protected:
    // For the lit glass ball, which shares the properties.
    explicit GLImageSphereRefractionFilter(const std::string& fragmentShaderString);

private:
    int32_t radiusUniform = -1;
    int32_t refractiveIndexUniform = -1;
    double _radius = 0.25;
    double _refractiveIndex = 0.71;
};

}  // namespace zt
