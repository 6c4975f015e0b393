#include "glimage/GLImageSaturationFilter.h"

#include "glimage/GLProgram.h"

namespace zt {

namespace {

const char* const kSaturationFragmentShaderString = R"(
varying highp vec2 textureCoordinate;

uniform sampler2D inputImageTexture;
uniform mediump float saturation;

void main()
{
    mediump vec4 textureColor = texture2D(inputImageTexture, textureCoordinate);
    const mediump vec3 luminanceWeighting = vec3(0.2125, 0.7154, 0.0721);
    mediump float luminance = dot(textureColor.rgb, luminanceWeighting);
    gl_FragColor = vec4(mix(vec3(luminance), textureColor.rgb, saturation), textureColor.a);
}
)";

}  // namespace

GLImageSaturationFilter::GLImageSaturationFilter()
    : GLImageFilter(kSaturationFragmentShaderString)
{
    saturationUniform = filterProgram->uniformIndex("saturation");
    setSaturation(1.0);
}

void GLImageSaturationFilter::setSaturation(double newSaturation)
{
    _saturation = newSaturation;
    setFloat(float(newSaturation), saturationUniform, filterProgram);
}

}  // namespace zt
