#include "glimage/GLImageGammaFilter.h"

#include "glimage/GLProgram.h"

namespace zt {

namespace {

const char* const kGammaFragmentShaderString = R"(
varying highp vec2 textureCoordinate;

uniform sampler2D inputImageTexture;
uniform mediump float gamma;

void main()
{
    mediump vec4 textureColor = texture2D(inputImageTexture, textureCoordinate);
    gl_FragColor = vec4(pow(textureColor.rgb, vec3(gamma)), textureColor.a);
}
)";

}  // namespace

GLImageGammaFilter::GLImageGammaFilter()
    : GLImageFilter(kGammaFragmentShaderString)
{
    gammaUniform = filterProgram->uniformIndex("gamma");
    setGamma(1.0);
}

void GLImageGammaFilter::setGamma(double newGamma)
{
    _gamma = newGamma;
    setFloat(float(newGamma), gammaUniform, filterProgram);
}

}  // namespace zt
