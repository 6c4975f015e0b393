#include "glimage/GLImageAlphaBlendFilter.h"

#include "glimage/GLProgram.h"

namespace zt {

namespace {

const char* const kAlphaBlendFragmentShaderString = R"(
varying highp vec2 textureCoordinate;
varying highp vec2 textureCoordinate2;

uniform sampler2D inputImageTexture;
uniform sampler2D inputImageTexture2;

uniform lowp float mixturePercent;

void main()
{
    lowp vec4 base = texture2D(inputImageTexture, textureCoordinate);
    lowp vec4 overlay = texture2D(inputImageTexture2, textureCoordinate2);

    gl_FragColor = vec4(mix(base.rgb, overlay.rgb, overlay.a * mixturePercent), base.a);
}
)";

constexpr double kDefaultMix = 0.5;

}  // namespace

GLImageAlphaBlendFilter::GLImageAlphaBlendFilter()
    : GLImageTwoInputFilter(kAlphaBlendFragmentShaderString)
{
    mixUniform = filterProgram->uniformIndex("mixturePercent");
    setMix(kDefaultMix);
}

void GLImageAlphaBlendFilter::setMix(double newValue)
{
    _mix = newValue;
    setFloat(float(newValue), mixUniform, filterProgram);
}

}  // namespace zt
