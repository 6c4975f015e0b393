#include "glimage/GLImageSwirlFilter.h"

#include "glimage/GLProgram.h"

namespace zt {

namespace {

const char* const kSwirlFragmentShaderString = R"(
varying highp vec2 textureCoordinate;

uniform sampler2D inputImageTexture;

uniform highp vec2 center;
uniform highp float radius;
uniform highp float angle;

void main()
{
    highp vec2 textureCoordinateToUse = textureCoordinate;
    highp float dist = distance(center, textureCoordinate);
    if (dist < radius) {
        textureCoordinateToUse -= center;
        highp float percent = (radius - dist) / radius;
        highp float theta = percent * percent * angle * 8.0;
        highp float s = sin(theta);
        highp float c = cos(theta);
        textureCoordinateToUse = vec2(dot(textureCoordinateToUse, vec2(c, -s)), dot(textureCoordinateToUse, vec2(s, c)));
        textureCoordinateToUse += center;
    }

    gl_FragColor = texture2D(inputImageTexture, textureCoordinateToUse);
}
)";

}  // namespace

GLImageSwirlFilter::GLImageSwirlFilter()
    : GLImageCenterAndAspectFilter(kSwirlFragmentShaderString, "center", {})
{
    radiusUniform = filterProgram->uniformIndex("radius");
    angleUniform = filterProgram->uniformIndex("angle");
    setRadius(0.5);
    setAngle(1.0);
    setCenter({0.5, 0.5});
}

void GLImageSwirlFilter::setRadius(double newValue)
{
    _radius = newValue;
    setFloat(float(newValue), radiusUniform, filterProgram);
}

void GLImageSwirlFilter::setAngle(double newValue)
{
    _angle = newValue;
    setFloat(float(newValue), angleUniform, filterProgram);
}

}  // namespace zt
