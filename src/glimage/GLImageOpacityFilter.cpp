#include "glimage/GLImageOpacityFilter.h"

#include "glimage/GLProgram.h"

namespace zt {

namespace {

// The pipeline's colour is premultiplied (pictures upload premultiplied
// pixels and read-backs take GL's values as they stand), so the colour fades
// with the alpha: alone, a lowered alpha would leave the colour stronger
// than its alpha, brighter than the picture when drawn over anything.
const char* const kOpacityFragmentShaderString = R"(
varying highp vec2 textureCoordinate;

uniform sampler2D inputImageTexture;
uniform highp float opacity;

void main()
{
    highp vec4 textureColor = texture2D(inputImageTexture, textureCoordinate);
    gl_FragColor = textureColor * opacity;
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
