#include "glimage/GLImageRadialDistortionFilter.h"

#include "glimage/GLProgram.h"

namespace zt {

GLImageRadialDistortionFilter::GLImageRadialDistortionFilter(
    const std::string& fragmentShaderString, double initialRadius)
    : GLImageCenterAndAspectFilter(fragmentShaderString, "center", "aspectRatio")
{
    radiusUniform = filterProgram->uniformIndex("radius");
    scaleUniform = filterProgram->uniformIndex("scale");
    setRadius(initialRadius);
    setScale(0.5);
    setCenter({0.5, 0.5});
}

void GLImageRadialDistortionFilter::setRadius(double newValue)
{
    _radius = newValue;
    setFloat(float(newValue), radiusUniform, filterProgram);
}

void GLImageRadialDistortionFilter::setScale(double newValue)
{
    _scale = newValue;
    setFloat(float(newValue), scaleUniform, filterProgram);
}

}  // namespace zt
