#include "glimage/GLImageHistogramGenerator.h"

#include "glimage/GLProgram.h"

namespace zt {

namespace {

const char* const kHistogramGeneratorVertexShaderString = R"(
attribute vec4 position;
attribute vec4 inputTextureCoordinate;

varying vec2 textureCoordinate;
varying float height;

void main()
{
    gl_Position = position;
    textureCoordinate = vec2(inputTextureCoordinate.x, 0.5);
    height = 1.0 - inputTextureCoordinate.y;
}
)";

const char* const kHistogramGeneratorFragmentShaderString = R"(
varying highp vec2 textureCoordinate;
varying highp float height;

uniform sampler2D inputImageTexture;
uniform lowp vec4 backgroundColor;

void main()
{
    lowp vec3 colorChannels = texture2D(inputImageTexture, textureCoordinate).rgb;
    lowp vec4 heightTest = vec4(step(height, colorChannels), 1.0);
    gl_FragColor = mix(backgroundColor, heightTest, heightTest.r + heightTest.g + heightTest.b);
}
)";

}  // namespace

GLImageHistogramGenerator::GLImageHistogramGenerator()
    : GLImageFilter(kHistogramGeneratorVertexShaderString, kHistogramGeneratorFragmentShaderString)
{
    backgroundColorUniform = filterProgram->uniformIndex("backgroundColor");
    setBackgroundColorRed(0.0f, 0.0f, 0.0f, 0.0f);
}

void GLImageHistogramGenerator::setBackgroundColorRed(
    float redComponent, float greenComponent, float blueComponent, float alphaComponent)
{
    setVec4({redComponent, greenComponent, blueComponent, alphaComponent}, backgroundColorUniform, filterProgram);
}

}  // namespace zt
