#include "glimage/GLImageOpacityFilter.h"

#include "glimage/GLProgram.h"

namespace zt {

namespace {

const char* const kOpacityFragmentShaderString = R"(
varying highp vec2 textureCoordinate;

uniform sampler2D inputImageTexture;
uniform highp float opacity;

void main()
{
    highp vec4 textureColor = texture2D(inputImageTexture, textureCoordinate);
    gl_FragColor = vec4(textureColor.rgb, textureColor.a * opacity);
}
)";

}  // namespace

GLImageOpacityFilter::GLImageOpacityFilter()
    : GLImageFilter(kOpacityFragmentShaderString)
{
    opacityUniform = filterProgram->uniformIndex("opacity");
    setOpacity(1.0);
}

void GLImageOpacityFilter::setOpacity(double newOpacity)
{
    _opacity = newOpacity;
    setFloat(float(newOpacity), opacityUniform, filterProgram);
}

}  // namespace zt
