#include "glimage/GLImageExposureFilter.h"

#include "glimage/GLProgram.h"

namespace zt {

namespace {

const char* const kExposureFragmentShaderString = R"(
varying highp vec2 textureCoordinate;

uniform sampler2D inputImageTexture;
uniform highp float exposure;

void main()
{
    highp vec4 textureColor = texture2D(inputImageTexture, textureCoordinate);
    gl_FragColor = vec4(textureColor.rgb * pow(2.0, exposure), textureColor.w);
}
)";

}  // namespace

GLImageExposureFilter::GLImageExposureFilter()
    : GLImageFilter(kExposureFragmentShaderString)
{
    exposureUniform = filterProgram->uniformIndex("exposure");
    setExposure(0.0);
}

void GLImageExposureFilter::setExposure(double newExposure)
{
    _exposure = newExposure;
    setFloat(float(newExposure), exposureUniform, filterProgram);
}

}  // namespace zt
