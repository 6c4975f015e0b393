#include "glimage/GLImagePosterizeFilter.h"

#include "glimage/GLProgram.h"

namespace zt {

namespace {

const char* const kPosterizeFragmentShaderString = R"(
varying highp vec2 textureCoordinate;

uniform sampler2D inputImageTexture;
uniform highp float colorLevels;

void main()
{
    highp vec4 textureColor = texture2D(inputImageTexture, textureCoordinate);
    gl_FragColor = floor((textureColor * colorLevels) + vec4(0.5)) / colorLevels;
}
)";

}  // namespace

GLImagePosterizeFilter::GLImagePosterizeFilter()
    : GLImageFilter(kPosterizeFragmentShaderString)
{
    colorLevelsUniform = filterProgram->uniformIndex("colorLevels");
    setColorLevels(10);
}

void GLImagePosterizeFilter::setColorLevels(uint64_t newValue)
{
    _colorLevels = newValue;
    setFloat(float(newValue), colorLevelsUniform, filterProgram);
}

}  // namespace zt
