#include "glimage/GLImageBrightnessFilter.h"

#include "glimage/GLProgram.h"

namespace zt {

namespace {

const char* const kBrightnessFragmentShaderString = R"(
varying highp vec2 textureCoordinate;

uniform sampler2D inputImageTexture;
uniform mediump float brightness;

void main()
{
    mediump vec4 textureColor = texture2D(inputImageTexture, textureCoordinate);
    gl_FragColor = vec4((textureColor.rgb + vec3(brightness)), textureColor.a);
}
)";

}  // namespace

GLImageBrightnessFilter::GLImageBrightnessFilter()
    : GLImageFilter(kBrightnessFragmentShaderString)
{
    brightnessUniform = filterProgram->uniformIndex("brightness");
    setBrightness(0.0);
}

void GLImageBrightnessFilter::setBrightness(double newBrightness)
{
    _brightness = newBrightness;
    setFloat(float(newBrightness), brightnessUniform, filterProgram);
}

}  // namespace zt
