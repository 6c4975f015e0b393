#include "glimage/GLImageLevelsFilter.h"

#include "glimage/GLProgram.h"

namespace zt {

namespace {

const char* const kLevelsFragmentShaderString = R"(
varying highp vec2 textureCoordinate;

uniform sampler2D inputImageTexture;
uniform mediump vec3 levelMinimum;
uniform mediump vec3 levelMiddle;
uniform mediump vec3 levelMaximum;
uniform mediump vec3 minOutput;
uniform mediump vec3 maxOutput;

void main()
{
    mediump vec4 textureColor = texture2D(inputImageTexture, textureCoordinate);
    mediump vec3 inRange = min(max(textureColor.rgb - levelMinimum, vec3(0.0)) / (levelMaximum - levelMinimum),
        vec3(1.0));
    gl_FragColor = vec4(mix(minOutput, maxOutput, pow(inRange, 1.0 / levelMiddle)), textureColor.a);
}
)";

float& component(GPUVector3& vector, int channel)
{
    return channel == 0 ? vector.one : channel == 1 ? vector.two : vector.three;
}

std::array<float, 3> asArray(const GPUVector3& vector)
{
    return {vector.one, vector.two, vector.three};
}

constexpr int kRed = 0;
constexpr int kGreen = 1;
constexpr int kBlue = 2;

}  // namespace

GLImageLevelsFilter::GLImageLevelsFilter()
    : GLImageFilter(kLevelsFragmentShaderString)
{
    minUniform = filterProgram->uniformIndex("levelMinimum");
    midUniform = filterProgram->uniformIndex("levelMiddle");
    maxUniform = filterProgram->uniformIndex("levelMaximum");
    minOutputUniform = filterProgram->uniformIndex("minOutput");
    maxOutputUniform = filterProgram->uniformIndex("maxOutput");
    setRedMin(0.0, 1.0, 1.0, 0.0, 1.0);
    setGreenMin(0.0, 1.0, 1.0, 0.0, 1.0);
    setBlueMin(0.0, 1.0, 1.0, 0.0, 1.0);
}

void GLImageLevelsFilter::setChannel(int channel, double min, double gamma, double max, double minOut, double maxOut)
{
    component(minVector, channel) = float(min);
    component(midVector, channel) = float(gamma);
    component(maxVector, channel) = float(max);
    component(minOutputVector, channel) = float(minOut);
    component(maxOutputVector, channel) = float(maxOut);
    updateUniforms();
}

void GLImageLevelsFilter::updateUniforms()
{
    setVec3(asArray(minVector), minUniform, filterProgram);
    setVec3(asArray(midVector), midUniform, filterProgram);
    setVec3(asArray(maxVector), maxUniform, filterProgram);
    setVec3(asArray(minOutputVector), minOutputUniform, filterProgram);
    setVec3(asArray(maxOutputVector), maxOutputUniform, filterProgram);
}

void GLImageLevelsFilter::setMin(double min, double gamma, double max, double minOut, double maxOut)
{
    setRedMin(min, gamma, max, minOut, maxOut);
    setGreenMin(min, gamma, max, minOut, maxOut);
    setBlueMin(min, gamma, max, minOut, maxOut);
}

void GLImageLevelsFilter::setMin(double min, double gamma, double max)
{
    setMin(min, gamma, max, 0.0, 1.0);
}

void GLImageLevelsFilter::setRedMin(double min, double gamma, double max, double minOut, double maxOut)
{
    setChannel(kRed, min, gamma, max, minOut, maxOut);
}

void GLImageLevelsFilter::setRedMin(double min, double gamma, double max)
{
    setRedMin(min, gamma, max, 0.0, 1.0);
}

void GLImageLevelsFilter::setGreenMin(double min, double gamma, double max, double minOut, double maxOut)
{
    setChannel(kGreen, min, gamma, max, minOut, maxOut);
}

void GLImageLevelsFilter::setGreenMin(double min, double gamma, double max)
{
    setGreenMin(min, gamma, max, 0.0, 1.0);
}

void GLImageLevelsFilter::setBlueMin(double min, double gamma, double max, double minOut, double maxOut)
{
    setChannel(kBlue, min, gamma, max, minOut, maxOut);
}

void GLImageLevelsFilter::setBlueMin(double min, double gamma, double max)
{
    setBlueMin(min, gamma, max, 0.0, 1.0);
}

}  // namespace zt
