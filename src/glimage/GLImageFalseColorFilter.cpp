#include "glimage/GLImageFalseColorFilter.h"

#include "glimage/GLProgram.h"

namespace zt {

namespace {

const char* const kFalseColorFragmentShaderString = R"(
precision lowp float;

varying highp vec2 textureCoordinate;

uniform sampler2D inputImageTexture;
uniform vec3 firstColor;
uniform vec3 secondColor;

const mediump vec3 luminanceWeighting = vec3(0.2125, 0.7154, 0.0721);

void main()
{
    lowp vec4 textureColor = texture2D(inputImageTexture, textureCoordinate);
    float luminance = dot(textureColor.rgb, luminanceWeighting);
    gl_FragColor = vec4(mix(firstColor.rgb, secondColor.rgb, luminance), textureColor.a);
}
)";

}  // namespace

GLImageFalseColorFilter::GLImageFalseColorFilter()
    : GLImageFilter(kFalseColorFragmentShaderString)
{
    firstColorUniform = filterProgram->uniformIndex("firstColor");
    secondColorUniform = filterProgram->uniformIndex("secondColor");
    setFirstColor({0.0f, 0.0f, 0.5f, 1.0f});
    setSecondColor({1.0f, 0.0f, 0.0f, 1.0f});
}

void GLImageFalseColorFilter::setFirstColor(const GPUVector4& newValue)
{
    _firstColor = newValue;
    setFirstColorRed(newValue.one, newValue.two, newValue.three);
}

void GLImageFalseColorFilter::setSecondColor(const GPUVector4& newValue)
{
    _secondColor = newValue;
    setSecondColorRed(newValue.one, newValue.two, newValue.three);
}

void GLImageFalseColorFilter::setFirstColorRed(float redComponent, float greenComponent, float blueComponent)
{
    setVec3({redComponent, greenComponent, blueComponent}, firstColorUniform, filterProgram);
}

void GLImageFalseColorFilter::setSecondColorRed(float redComponent, float greenComponent, float blueComponent)
{
    setVec3({redComponent, greenComponent, blueComponent}, secondColorUniform, filterProgram);
}

}  // namespace zt
