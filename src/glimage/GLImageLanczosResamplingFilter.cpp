#include "glimage/GLImageLanczosResamplingFilter.h"

#include <GLES2/gl2.h>

#include "glimage/GLImageContext.h"

namespace zt {

namespace {

const char* const kLanczosVertexShaderString = R"(
attribute vec4 position;
attribute vec2 inputTextureCoordinate;

uniform float texelWidthOffset;
uniform float texelHeightOffset;

varying vec2 centerTextureCoordinate;
varying vec2 oneStepLeftTextureCoordinate;
varying vec2 twoStepsLeftTextureCoordinate;
varying vec2 threeStepsLeftTextureCoordinate;
varying vec2 fourStepsLeftTextureCoordinate;
varying vec2 oneStepRightTextureCoordinate;
varying vec2 twoStepsRightTextureCoordinate;
varying vec2 threeStepsRightTextureCoordinate;
varying vec2 fourStepsRightTextureCoordinate;

void main()
{
    gl_Position = position;

    vec2 firstOffset = vec2(texelWidthOffset, texelHeightOffset);
    vec2 secondOffset = vec2(2.0 * texelWidthOffset, 2.0 * texelHeightOffset);
    vec2 thirdOffset = vec2(3.0 * texelWidthOffset, 3.0 * texelHeightOffset);
    vec2 fourthOffset = vec2(4.0 * texelWidthOffset, 4.0 * texelHeightOffset);

    centerTextureCoordinate = inputTextureCoordinate;
    oneStepLeftTextureCoordinate = inputTextureCoordinate - firstOffset;
    twoStepsLeftTextureCoordinate = inputTextureCoordinate - secondOffset;
    threeStepsLeftTextureCoordinate = inputTextureCoordinate - thirdOffset;
    fourStepsLeftTextureCoordinate = inputTextureCoordinate - fourthOffset;
    oneStepRightTextureCoordinate = inputTextureCoordinate + firstOffset;
    twoStepsRightTextureCoordinate = inputTextureCoordinate + secondOffset;
    threeStepsRightTextureCoordinate = inputTextureCoordinate + thirdOffset;
    fourStepsRightTextureCoordinate = inputTextureCoordinate + fourthOffset;
}
)";

const char* const kLanczosFragmentShaderString = R"(
precision highp float;

uniform sampler2D inputImageTexture;

varying vec2 centerTextureCoordinate;
varying vec2 oneStepLeftTextureCoordinate;
varying vec2 twoStepsLeftTextureCoordinate;
varying vec2 threeStepsLeftTextureCoordinate;
varying vec2 fourStepsLeftTextureCoordinate;
varying vec2 oneStepRightTextureCoordinate;
varying vec2 twoStepsRightTextureCoordinate;
varying vec2 threeStepsRightTextureCoordinate;
varying vec2 fourStepsRightTextureCoordinate;

void main()
{
    lowp vec4 fragmentColor = texture2D(inputImageTexture, centerTextureCoordinate) * 0.38026;

    fragmentColor += texture2D(inputImageTexture, oneStepLeftTextureCoordinate) * 0.27667;
    fragmentColor += texture2D(inputImageTexture, oneStepRightTextureCoordinate) * 0.27667;

    fragmentColor += texture2D(inputImageTexture, twoStepsLeftTextureCoordinate) * 0.08074;
    fragmentColor += texture2D(inputImageTexture, twoStepsRightTextureCoordinate) * 0.08074;

    fragmentColor += texture2D(inputImageTexture, threeStepsLeftTextureCoordinate) * -0.02612;
    fragmentColor += texture2D(inputImageTexture, threeStepsRightTextureCoordinate) * -0.02612;

    fragmentColor += texture2D(inputImageTexture, fourStepsLeftTextureCoordinate) * -0.02143;
    fragmentColor += texture2D(inputImageTexture, fourStepsRightTextureCoordinate) * -0.02143;

    gl_FragColor = fragmentColor;
}
)";

bool hasWholePixel(plat::Size size)
{
    return size.width >= 1 && size.height >= 1;
}

}  // namespace

GLImageLanczosResamplingFilter::GLImageLanczosResamplingFilter()
    : GLImageTwoPassTextureSamplingFilter(kLanczosVertexShaderString, kLanczosFragmentShaderString,
        kLanczosVertexShaderString, kLanczosFragmentShaderString)
{
}

void GLImageLanczosResamplingFilter::setInputSize(plat::Size newSize, int64_t textureIndex)
{
    runSynchronouslyOnContextQueue([&] {
        const plat::Size rotated = rotatedSize(newSize, textureIndex);
        // A source that goes away sends no size: there is nothing to resample.
        if (!hasWholePixel(rotated)) {
            GLImageTwoPassTextureSamplingFilter::setInputSize(newSize, textureIndex);
            return;
        }
        const bool changed = rotated != _originalImageSize;
        _originalImageSize = rotated;
        GLImageTwoPassTextureSamplingFilter::setInputSize(newSize, textureIndex);
        // A forced output size keeps the framebuffers, but the first pass's
        // takes its width from the input.
        if (changed && filterFramebuffer && firstPassSize() != _firstPassSize)
            recreateFilterFBO();
    });
}

plat::Size GLImageLanczosResamplingFilter::firstPassSize()
{
    return {_originalImageSize.width, sizeOfFBO().height};
}

void GLImageLanczosResamplingFilter::setupFilterForSize(plat::Size)
{
    runSynchronouslyOnContextQueue([this] {
        // The taps are one input pixel apart, whatever the output's size.
        const plat::Size input = _originalImageSize;
        if (!hasWholePixel(input))
            return;
        if (rotationSwapsWidthAndHeight(inputRotation)) {
            verticalPassTexelWidthOffset = float(1.0 / input.height);
            verticalPassTexelHeightOffset = 0;
        } else {
            verticalPassTexelWidthOffset = 0;
            verticalPassTexelHeightOffset = float(1.0 / input.height);
        }
        horizontalPassTexelWidthOffset = float(1.0 / input.width);
        horizontalPassTexelHeightOffset = 0;
    });
}

void GLImageLanczosResamplingFilter::setFilterFBO()
{
    const plat::Size size = firstPassSize();
    if (!filterFramebuffer) {
        _firstPassSize = size;
        createFilterFBOofSize(size);
        setupFilterForSize(size);
    }
    glBindFramebuffer(GL_FRAMEBUFFER, filterFramebuffer.name());
    glViewport(0, 0, GLsizei(_firstPassSize.width), GLsizei(_firstPassSize.height));
}

void GLImageLanczosResamplingFilter::setSecondFilterFBO()
{
    if (!secondFilterFramebuffer) {
        _firstPassSize = firstPassSize();
        createFilterFBOofSize(_firstPassSize);
        setupFilterForSize(_firstPassSize);
    }
    const plat::Size size = sizeOfFBO();
    glBindFramebuffer(GL_FRAMEBUFFER, secondFilterFramebuffer.name());
    glViewport(0, 0, GLsizei(size.width), GLsizei(size.height));
}

plat::Size GLImageLanczosResamplingFilter::firstPassSizeForTesting() const
{
    plat::Size size;
    runSynchronouslyOnContextQueue([&] { size = _firstPassSize; });
    return size;
}

}  // namespace zt
