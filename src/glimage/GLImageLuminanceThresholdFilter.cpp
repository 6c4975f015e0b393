#include "glimage/GLImageLuminanceThresholdFilter.h"

#include "glimage/GLProgram.h"

namespace zt {

namespace {

const char* const kThresholdFragmentShaderString = R"(
varying highp vec2 textureCoordinate;

uniform sampler2D inputImageTexture;
uniform highp float threshold;

void main()
{
    highp vec4 textureColor = texture2D(inputImageTexture, textureCoordinate);
    const highp vec3 W = vec3(0.2125, 0.7154, 0.0721);
    highp float luminance = dot(textureColor.rgb, W);
    highp float thresholdResult = step(threshold, luminance);
    gl_FragColor = vec4(vec3(thresholdResult), textureColor.w);
}
)";

}  // namespace

GLImageLuminanceThresholdFilter::GLImageLuminanceThresholdFilter()
    : GLImageFilter(kThresholdFragmentShaderString)
{
    thresholdUniform = filterProgram->uniformIndex("threshold");
    setThreshold(0.5);
}

void GLImageLuminanceThresholdFilter::setThreshold(double newThreshold)
{
    _threshold = newThreshold;
    setFloat(float(newThreshold), thresholdUniform, filterProgram);
}

}  // namespace zt
