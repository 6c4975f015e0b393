#include "glimage/GLImage3x3TextureSamplingFilter.h"

#include "glimage/GLImageContext.h"
#include "glimage/GLProgram.h"

namespace zt {

const char* const kGLImageNearbyTexelSamplingVertexShaderString = R"(
attribute vec4 position;
attribute vec4 inputTextureCoordinate;

uniform float texelWidth;
uniform float texelHeight;

varying vec2 textureCoordinate;
varying vec2 leftTextureCoordinate;
varying vec2 rightTextureCoordinate;

varying vec2 topTextureCoordinate;
varying vec2 topLeftTextureCoordinate;
varying vec2 topRightTextureCoordinate;

varying vec2 bottomTextureCoordinate;
varying vec2 bottomLeftTextureCoordinate;
varying vec2 bottomRightTextureCoordinate;

void main()
{
    gl_Position = position;

    vec2 widthStep = vec2(texelWidth, 0.0);
    vec2 heightStep = vec2(0.0, texelHeight);
    vec2 widthHeightStep = vec2(texelWidth, texelHeight);
    vec2 widthNegativeHeightStep = vec2(texelWidth, -texelHeight);

    textureCoordinate = inputTextureCoordinate.xy;
    leftTextureCoordinate = inputTextureCoordinate.xy - widthStep;
    rightTextureCoordinate = inputTextureCoordinate.xy + widthStep;

    topTextureCoordinate = inputTextureCoordinate.xy - heightStep;
    topLeftTextureCoordinate = inputTextureCoordinate.xy - widthHeightStep;
    topRightTextureCoordinate = inputTextureCoordinate.xy + widthNegativeHeightStep;

    bottomTextureCoordinate = inputTextureCoordinate.xy + heightStep;
    bottomLeftTextureCoordinate = inputTextureCoordinate.xy - widthNegativeHeightStep;
    bottomRightTextureCoordinate = inputTextureCoordinate.xy + widthHeightStep;
}
)";

std::string nearbyTexelSamplingFragmentShader(std::string_view body)
{
    return std::string(R"(
precision highp float;

uniform sampler2D inputImageTexture;

varying vec2 textureCoordinate;
varying vec2 leftTextureCoordinate;
varying vec2 rightTextureCoordinate;

varying vec2 topTextureCoordinate;
varying vec2 topLeftTextureCoordinate;
varying vec2 topRightTextureCoordinate;

varying vec2 bottomTextureCoordinate;
varying vec2 bottomLeftTextureCoordinate;
varying vec2 bottomRightTextureCoordinate;
)") + std::string(body);
}

std::string nearbyTexelIntensityFragmentShader(std::string_view declarations, std::string_view computation)
{
    return nearbyTexelSamplingFragmentShader(std::string(declarations) + R"(
void main()
{
    float centerIntensity = texture2D(inputImageTexture, textureCoordinate).r;
    float bottomLeftIntensity = texture2D(inputImageTexture, bottomLeftTextureCoordinate).r;
    float topRightIntensity = texture2D(inputImageTexture, topRightTextureCoordinate).r;
    float topLeftIntensity = texture2D(inputImageTexture, topLeftTextureCoordinate).r;
    float bottomRightIntensity = texture2D(inputImageTexture, bottomRightTextureCoordinate).r;
    float leftIntensity = texture2D(inputImageTexture, leftTextureCoordinate).r;
    float rightIntensity = texture2D(inputImageTexture, rightTextureCoordinate).r;
    float bottomIntensity = texture2D(inputImageTexture, bottomTextureCoordinate).r;
    float topIntensity = texture2D(inputImageTexture, topTextureCoordinate).r;
)" + std::string(computation)
        + "}\n");
}

GLImage3x3TextureSamplingFilter::GLImage3x3TextureSamplingFilter(
    const std::string& vertexShaderString, const std::string& fragmentShaderString)
    : GLImageFilter(vertexShaderString, fragmentShaderString)
{
    texelWidthUniform = filterProgram->uniformIndex("texelWidth");
    texelHeightUniform = filterProgram->uniformIndex("texelHeight");
}

GLImage3x3TextureSamplingFilter::GLImage3x3TextureSamplingFilter(const std::string& fragmentShaderString)
    : GLImage3x3TextureSamplingFilter(kGLImageNearbyTexelSamplingVertexShaderString, fragmentShaderString)
{
}

void GLImage3x3TextureSamplingFilter::setupFilterForSize(plat::Size filterFrameSize)
{
    if (hasOverriddenImageSizeFactor || filterFrameSize.width <= 0 || filterFrameSize.height <= 0)
        return;
    runSynchronouslyOnContextQueue([&] {
        _texelWidth = 1.0 / filterFrameSize.width;
        _texelHeight = 1.0 / filterFrameSize.height;
        // The shader steps through the input texture, whose axes a turned
        // input swaps. Kept among this filter's uniforms: filters of one
        // kind share the program.
        const bool swapped = rotationSwapsWidthAndHeight(inputRotation);
        texelWidthStep = float(swapped ? _texelHeight : _texelWidth);
        texelHeightStep = float(swapped ? _texelWidth : _texelHeight);
        setFloat(texelWidthStep, texelWidthUniform, filterProgram);
        setFloat(texelHeightStep, texelHeightUniform, filterProgram);
    });
}

std::optional<std::array<float, 2>> GLImage3x3TextureSamplingFilter::inputReadStepForProgramAtIndex(
    int programIndex) const
{
    if (programIndex == 0 && readsOnlyTheNinePoints)
        return std::array<float, 2> {texelWidthStep, texelHeightStep};
    return GLImageFilter::inputReadStepForProgramAtIndex(programIndex);
}

void GLImage3x3TextureSamplingFilter::setTexelWidth(double newValue)
{
    // On the context queue, where a new frame size sets the steps too.
    runSynchronouslyOnContextQueue([&] {
        hasOverriddenImageSizeFactor = true;
        _texelWidth = newValue;
        texelWidthStep = float(newValue);
        setFloat(texelWidthStep, texelWidthUniform, filterProgram);
    });
}

void GLImage3x3TextureSamplingFilter::setTexelHeight(double newValue)
{
    // On the context queue, where a new frame size sets the steps too.
    runSynchronouslyOnContextQueue([&] {
        hasOverriddenImageSizeFactor = true;
        _texelHeight = newValue;
        texelHeightStep = float(newValue);
        setFloat(texelHeightStep, texelHeightUniform, filterProgram);
    });
}

}  // namespace zt
