#include "glimage/GLImageMotionBlurFilter.h"

#include <cmath>
#include <numbers>

#include "glimage/GLImageContext.h"
#include "glimage/GLProgram.h"

namespace zt {

namespace {

const char* const kMotionBlurVertexShaderString = R"(
attribute vec4 position;
attribute vec4 inputTextureCoordinate;

uniform highp vec2 directionalTexelStep;

varying vec2 textureCoordinate;
varying vec2 oneStepBackTextureCoordinate;
varying vec2 twoStepsBackTextureCoordinate;
varying vec2 threeStepsBackTextureCoordinate;
varying vec2 fourStepsBackTextureCoordinate;
varying vec2 oneStepForwardTextureCoordinate;
varying vec2 twoStepsForwardTextureCoordinate;
varying vec2 threeStepsForwardTextureCoordinate;
varying vec2 fourStepsForwardTextureCoordinate;

void main()
{
    gl_Position = position;

    textureCoordinate = inputTextureCoordinate.xy;
    oneStepBackTextureCoordinate = inputTextureCoordinate.xy - directionalTexelStep;
    twoStepsBackTextureCoordinate = inputTextureCoordinate.xy - 2.0 * directionalTexelStep;
    threeStepsBackTextureCoordinate = inputTextureCoordinate.xy - 3.0 * directionalTexelStep;
    fourStepsBackTextureCoordinate = inputTextureCoordinate.xy - 4.0 * directionalTexelStep;
    oneStepForwardTextureCoordinate = inputTextureCoordinate.xy + directionalTexelStep;
    twoStepsForwardTextureCoordinate = inputTextureCoordinate.xy + 2.0 * directionalTexelStep;
    threeStepsForwardTextureCoordinate = inputTextureCoordinate.xy + 3.0 * directionalTexelStep;
    fourStepsForwardTextureCoordinate = inputTextureCoordinate.xy + 4.0 * directionalTexelStep;
}
)";

const char* const kMotionBlurFragmentShaderString = R"(
precision highp float;

uniform sampler2D inputImageTexture;

varying vec2 textureCoordinate;
varying vec2 oneStepBackTextureCoordinate;
varying vec2 twoStepsBackTextureCoordinate;
varying vec2 threeStepsBackTextureCoordinate;
varying vec2 fourStepsBackTextureCoordinate;
varying vec2 oneStepForwardTextureCoordinate;
varying vec2 twoStepsForwardTextureCoordinate;
varying vec2 threeStepsForwardTextureCoordinate;
varying vec2 fourStepsForwardTextureCoordinate;

void main()
{
    lowp vec4 fragmentColor = texture2D(inputImageTexture, textureCoordinate) * 0.18;
    fragmentColor += texture2D(inputImageTexture, oneStepBackTextureCoordinate) * 0.15;
    fragmentColor += texture2D(inputImageTexture, twoStepsBackTextureCoordinate) * 0.12;
    fragmentColor += texture2D(inputImageTexture, threeStepsBackTextureCoordinate) * 0.09;
    fragmentColor += texture2D(inputImageTexture, fourStepsBackTextureCoordinate) * 0.05;
    fragmentColor += texture2D(inputImageTexture, oneStepForwardTextureCoordinate) * 0.15;
    fragmentColor += texture2D(inputImageTexture, twoStepsForwardTextureCoordinate) * 0.12;
    fragmentColor += texture2D(inputImageTexture, threeStepsForwardTextureCoordinate) * 0.09;
    fragmentColor += texture2D(inputImageTexture, fourStepsForwardTextureCoordinate) * 0.05;

    gl_FragColor = fragmentColor;
}
)";

}  // namespace

GLImageMotionBlurFilter::GLImageMotionBlurFilter()
    : GLImageFilter(kMotionBlurVertexShaderString, kMotionBlurFragmentShaderString)
{
    directionalTexelStepUniform = filterProgram->uniformIndex("directionalTexelStep");
    setBlurAngle(0.0);
    setBlurSize(2.5);
}

void GLImageMotionBlurFilter::recalculateTexelOffsets()
{
    const double width = inputTextureSize.width;
    const double height = inputTextureSize.height;
    if (width <= 0 || height <= 0)
        return;
    const double angle = _blurAngle * std::numbers::pi / 180.0;
    const double size = _blurSize;
    if (rotationSwapsWidthAndHeight(inputRotation))
        directionalTexelStep = {(width / height) * size * std::sin(angle) / height, size * std::cos(angle) / height};
    else
        directionalTexelStep = {(height / width) * size * std::cos(angle) / width, size * std::sin(angle) / width};
    setPoint(directionalTexelStep, directionalTexelStepUniform, filterProgram);
}

void GLImageMotionBlurFilter::setInputSize(plat::Size newSize, int64_t textureIndex)
{
    const plat::Size oldInputSize = inputTextureSize;
    GLImageFilter::setInputSize(newSize, textureIndex);
    if (oldInputSize != inputTextureSize && (newSize.width != 0 || newSize.height != 0))
        recalculateTexelOffsets();
}

void GLImageMotionBlurFilter::setInputRotation(GLImageRotationMode newInputRotation, int64_t textureIndex)
{
    GLImageFilter::setInputRotation(newInputRotation, textureIndex);
    recalculateTexelOffsets();
}

void GLImageMotionBlurFilter::setBlurSize(double newValue)
{
    runSynchronouslyOnContextQueue([&] {
        _blurSize = newValue;
        recalculateTexelOffsets();
    });
}

void GLImageMotionBlurFilter::setBlurAngle(double newValue)
{
    runSynchronouslyOnContextQueue([&] {
        _blurAngle = newValue;
        recalculateTexelOffsets();
    });
}

plat::Point GLImageMotionBlurFilter::directionalTexelStepForTesting() const
{
    plat::Point step;
    runSynchronouslyOnContextQueue([&] { step = directionalTexelStep; });
    return step;
}

}  // namespace zt
