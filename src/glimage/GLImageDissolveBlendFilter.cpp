#include "glimage/GLImageDissolveBlendFilter.h"

#include "glimage/GLProgram.h"

namespace zt {

namespace {

const char* const kDissolveBlendFragmentShaderString = R"(
varying highp vec2 textureCoordinate;
varying highp vec2 textureCoordinate2;

uniform sampler2D inputImageTexture;
uniform sampler2D inputImageTexture2;
uniform mediump float mixturePercent;

void main()
{
    mediump vec4 textureColor = texture2D(inputImageTexture, textureCoordinate);
    mediump vec4 textureColor2 = texture2D(inputImageTexture2, textureCoordinate2);
    gl_FragColor = mix(textureColor, textureColor2, mixturePercent);
}
)";

}  // namespace

GLImageDissolveBlendFilter::GLImageDissolveBlendFilter()
    : GLImageTwoInputFilter(kDissolveBlendFragmentShaderString)
{
    mixUniform = filterProgram->uniformIndex("mixturePercent");
    setMix(0.5);
}

void GLImageDissolveBlendFilter::setMix(double newValue)
{
    _mix = newValue;
    setFloat(float(newValue), mixUniform, filterProgram);
}

}  // namespace zt
