#include "glimage/GLImageContrastFilter.h"

#include "glimage/GLProgram.h"

namespace zt {

namespace {

const char* const kContrastFragmentShaderString = R"(
varying highp vec2 textureCoordinate;

uniform sampler2D inputImageTexture;
uniform mediump float contrast;

void main()
{
    mediump vec4 textureColor = texture2D(inputImageTexture, textureCoordinate);
    gl_FragColor = vec4(((textureColor.rgb - vec3(0.5)) * contrast + vec3(0.5)), textureColor.a);
}
)";

}  // namespace

GLImageContrastFilter::GLImageContrastFilter()
    : GLImageFilter(kContrastFragmentShaderString)
{
    contrastUniform = filterProgram->uniformIndex("contrast");
    setContrast(1.0);
}

void GLImageContrastFilter::setContrast(double newContrast)
{
    _contrast = newContrast;
    setFloat(float(newContrast), contrastUniform, filterProgram);
}

}  // namespace zt
