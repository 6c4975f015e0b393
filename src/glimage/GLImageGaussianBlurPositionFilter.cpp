#include "glimage/GLImageGaussianBlurPositionFilter.h"

#include "glimage/GLImageContext.h"
#include "glimage/GLImageNineSampleBlurShader.h"
#include "glimage/GLProgram.h"

namespace zt {

namespace {

const char* const kPositionalBlurFragmentShaderString = R"(
precision highp float;

uniform sampler2D inputImageTexture;
uniform highp float aspectRatio;
uniform highp vec2 blurCenter;
uniform highp float blurRadius;

const lowp int GAUSSIAN_SAMPLES = 9;

varying highp vec2 textureCoordinate;
varying highp vec2 blurCoordinates[GAUSSIAN_SAMPLES];

void main()
{
    highp vec2 textureCoordinateToUse = vec2(textureCoordinate.x, (textureCoordinate.y * aspectRatio + 0.5 - 0.5 * aspectRatio));
    highp float dist = distance(blurCenter, textureCoordinateToUse);

    if (dist < blurRadius) {
        lowp vec4 sum = vec4(0.0);
        sum += texture2D(inputImageTexture, blurCoordinates[0]) * 0.05;
        sum += texture2D(inputImageTexture, blurCoordinates[1]) * 0.09;
        sum += texture2D(inputImageTexture, blurCoordinates[2]) * 0.12;
        sum += texture2D(inputImageTexture, blurCoordinates[3]) * 0.15;
        sum += texture2D(inputImageTexture, blurCoordinates[4]) * 0.18;
        sum += texture2D(inputImageTexture, blurCoordinates[5]) * 0.15;
        sum += texture2D(inputImageTexture, blurCoordinates[6]) * 0.12;
        sum += texture2D(inputImageTexture, blurCoordinates[7]) * 0.09;
        sum += texture2D(inputImageTexture, blurCoordinates[8]) * 0.05;
        gl_FragColor = sum;
    } else {
        gl_FragColor = texture2D(inputImageTexture, textureCoordinate);
    }
}
)";

std::string orDefault(const std::string& source, const char* defaultSource)
{
    return source.empty() ? std::string(defaultSource) : source;
}

}  // namespace

GLImageGaussianBlurPositionFilter::GLImageGaussianBlurPositionFilter()
    : GLImageGaussianBlurPositionFilter({}, {}, {}, {})
{
}

GLImageGaussianBlurPositionFilter::GLImageGaussianBlurPositionFilter(const std::string& firstStageVertexShaderString,
    const std::string& firstStageFragmentShaderString, const std::string& secondStageVertexShaderString,
    const std::string& secondStageFragmentShaderString)
    : GLImageTwoPassTextureSamplingFilter(
        orDefault(firstStageVertexShaderString, kGLImageNineSampleBlurVertexShaderString),
        orDefault(firstStageFragmentShaderString, kPositionalBlurFragmentShaderString),
        orDefault(secondStageVertexShaderString, kGLImageNineSampleBlurVertexShaderString),
        orDefault(secondStageFragmentShaderString, kPositionalBlurFragmentShaderString))
{
    runSynchronouslyOnContextQueue([this] {
        blurCenterUniform = secondFilterProgram->uniformIndex("blurCenter");
        blurRadiusUniform = secondFilterProgram->uniformIndex("blurRadius");
        aspectRatioUniform = secondFilterProgram->uniformIndex("aspectRatio");
    });
    setBlurSize(1.0);
    setBlurRadius(1.0);
    setBlurCenter({0.5, 0.5});
}

void GLImageGaussianBlurPositionFilter::adjustAspectRatio()
{
    // The input size is stored turned already: the output frame's own
    // height over width keeps the circle round in it.
    const plat::Size size = inputTextureSize;
    if (size.width <= 0 || size.height <= 0)
        return;
    setAspectRatio(size.height / size.width);
}

void GLImageGaussianBlurPositionFilter::forceProcessingAtSize(plat::Size frameSize)
{
    GLImageTwoPassTextureSamplingFilter::forceProcessingAtSize(frameSize);
    adjustAspectRatio();
}

void GLImageGaussianBlurPositionFilter::setInputSize(plat::Size newSize, int64_t textureIndex)
{
    const plat::Size oldInputSize = inputTextureSize;
    GLImageTwoPassTextureSamplingFilter::setInputSize(newSize, textureIndex);
    if (oldInputSize != inputTextureSize && (newSize.width != 0 || newSize.height != 0))
        adjustAspectRatio();
}

void GLImageGaussianBlurPositionFilter::setInputRotation(GLImageRotationMode newInputRotation, int64_t textureIndex)
{
    GLImageTwoPassTextureSamplingFilter::setInputRotation(newInputRotation, textureIndex);
    setBlurCenter(_blurCenter);
    adjustAspectRatio();
}

void GLImageGaussianBlurPositionFilter::setBlurSize(double newValue)
{
    runSynchronouslyOnContextQueue([&] {
        _blurSize = newValue;
        _verticalTexelSpacing = newValue;
        _horizontalTexelSpacing = newValue;
        setupFilterForSize(sizeOfFBO());
    });
}

void GLImageGaussianBlurPositionFilter::setBlurCenter(plat::Point newValue)
{
    _blurCenter = newValue;
    setPoint(rotatedPoint(newValue, inputRotation), blurCenterUniform, secondFilterProgram);
}

void GLImageGaussianBlurPositionFilter::setBlurRadius(double newValue)
{
    _blurRadius = newValue;
    setFloat(float(newValue), blurRadiusUniform, secondFilterProgram);
}

void GLImageGaussianBlurPositionFilter::setAspectRatio(double newValue)
{
    _aspectRatio = newValue;
    setFloat(float(newValue), aspectRatioUniform, secondFilterProgram);
}

}  // namespace zt
