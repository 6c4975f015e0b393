#include "glimage/GLImageRGBFilter.h"

#include "glimage/GLProgram.h"

namespace zt {

namespace {

const char* const kRGBFragmentShaderString = R"(
varying highp vec2 textureCoordinate;

uniform sampler2D inputImageTexture;
uniform highp float redAdjustment;
uniform highp float greenAdjustment;
uniform highp float blueAdjustment;

void main()
{
    highp vec4 textureColor = texture2D(inputImageTexture, textureCoordinate);
    gl_FragColor = vec4(textureColor.r * redAdjustment, textureColor.g * greenAdjustment,
        textureColor.b * blueAdjustment, textureColor.a);
}
)";

}  // namespace

GLImageRGBFilter::GLImageRGBFilter()
    : GLImageFilter(kRGBFragmentShaderString)
{
    redUniform = filterProgram->uniformIndex("redAdjustment");
    greenUniform = filterProgram->uniformIndex("greenAdjustment");
    blueUniform = filterProgram->uniformIndex("blueAdjustment");
    setRed(1.0);
    setGreen(1.0);
    setBlue(1.0);
}

void GLImageRGBFilter::setRed(double newValue)
{
    _red = newValue;
    setFloat(float(newValue), redUniform, filterProgram);
}

void GLImageRGBFilter::setGreen(double newValue)
{
    _green = newValue;
    setFloat(float(newValue), greenUniform, filterProgram);
}

void GLImageRGBFilter::setBlue(double newValue)
{
    _blue = newValue;
    setFloat(float(newValue), blueUniform, filterProgram);
}

}  // namespace zt
