#include "glimage/GLImageTwoInputCrossTextureSamplingFilter.h"

#include "glimage/GLImageContext.h"
#include "glimage/GLProgram.h"

namespace zt {

const char* const kGLImageTwoInputNearbyTexelSamplingVertexShaderString = R"(
attribute vec4 position;
attribute vec4 inputTextureCoordinate;
attribute vec4 inputTextureCoordinate2;

uniform float texelWidth;
uniform float texelHeight;

varying vec2 textureCoordinate;
varying vec2 leftTextureCoordinate;
varying vec2 rightTextureCoordinate;
varying vec2 topTextureCoordinate;
varying vec2 bottomTextureCoordinate;

varying vec2 textureCoordinate2;
varying vec2 leftTextureCoordinate2;
varying vec2 rightTextureCoordinate2;
varying vec2 topTextureCoordinate2;
varying vec2 bottomTextureCoordinate2;

void main()
{
    gl_Position = position;

    vec2 widthStep = vec2(texelWidth, 0.0);
    vec2 heightStep = vec2(0.0, texelHeight);

    textureCoordinate = inputTextureCoordinate.xy;
    leftTextureCoordinate = inputTextureCoordinate.xy - widthStep;
    rightTextureCoordinate = inputTextureCoordinate.xy + widthStep;
    topTextureCoordinate = inputTextureCoordinate.xy - heightStep;
    bottomTextureCoordinate = inputTextureCoordinate.xy + heightStep;

    textureCoordinate2 = inputTextureCoordinate2.xy;
    leftTextureCoordinate2 = inputTextureCoordinate2.xy - widthStep;
    rightTextureCoordinate2 = inputTextureCoordinate2.xy + widthStep;
    topTextureCoordinate2 = inputTextureCoordinate2.xy - heightStep;
    bottomTextureCoordinate2 = inputTextureCoordinate2.xy + heightStep;
}
)";

GLImageTwoInputCrossTextureSamplingFilter::GLImageTwoInputCrossTextureSamplingFilter(
    const std::string& fragmentShaderString)
    : GLImageTwoInputFilter(kGLImageTwoInputNearbyTexelSamplingVertexShaderString, fragmentShaderString)
{
    texelWidthUniform = filterProgram->uniformIndex("texelWidth");
    texelHeightUniform = filterProgram->uniformIndex("texelHeight");
}

void GLImageTwoInputCrossTextureSamplingFilter::setupFilterForSize(plat::Size filterFrameSize)
{
    if (hasOverriddenImageSizeFactor || filterFrameSize.width <= 0 || filterFrameSize.height <= 0)
        return;
    runSynchronouslyOnContextQueue([&] {
        _texelWidth = 1.0 / filterFrameSize.width;
        _texelHeight = 1.0 / filterFrameSize.height;
        // The shader steps through the input textures, whose axes a turned
        // first input swaps.
        const bool swapped = rotationSwapsWidthAndHeight(inputRotation);
        setFloat(float(swapped ? _texelHeight : _texelWidth), texelWidthUniform, filterProgram);
        setFloat(float(swapped ? _texelWidth : _texelHeight), texelHeightUniform, filterProgram);
    });
}

void GLImageTwoInputCrossTextureSamplingFilter::setTexelWidth(double newValue)
{
    runSynchronouslyOnContextQueue([&] {
        hasOverriddenImageSizeFactor = true;
        _texelWidth = newValue;
        setFloat(float(newValue), texelWidthUniform, filterProgram);
    });
}

void GLImageTwoInputCrossTextureSamplingFilter::setTexelHeight(double newValue)
{
    runSynchronouslyOnContextQueue([&] {
        hasOverriddenImageSizeFactor = true;
        _texelHeight = newValue;
        setFloat(float(newValue), texelHeightUniform, filterProgram);
    });
}

}  // namespace zt
