#include "glimage/GLImageGaussianBlurFilter.h"

#include <GLES2/gl2.h>
#include <cmath>

#include "glimage/GLImageBlurShaders.h"
#include "glimage/GLImageContext.h"
#include "glimage/GLProgram.h"

namespace zt {

namespace {

constexpr uint32_t kDefaultSampleRadius = 4;
constexpr double kDefaultSigma = 2.0;

}  // namespace

GLImageGaussianBlurFilter::GLImageGaussianBlurFilter()
    : GLImageGaussianBlurFilter(vertexShaderForOptimizedBlurOfRadius(kDefaultSampleRadius, kDefaultSigma),
        fragmentShaderForOptimizedBlurOfRadius(kDefaultSampleRadius, kDefaultSigma),
        vertexShaderForOptimizedBlurOfRadius(kDefaultSampleRadius, kDefaultSigma),
        fragmentShaderForOptimizedBlurOfRadius(kDefaultSampleRadius, kDefaultSigma))
{
}

GLImageGaussianBlurFilter::GLImageGaussianBlurFilter(const std::string& firstStageVertexShaderString,
    const std::string& firstStageFragmentShaderString, const std::string& secondStageVertexShaderString,
    const std::string& secondStageFragmentShaderString)
    : GLImageTwoPassTextureSamplingFilter(firstStageVertexShaderString, firstStageFragmentShaderString,
        secondStageVertexShaderString, secondStageFragmentShaderString)
    , _vertexShaderString(firstStageVertexShaderString)
    , _fragmentShaderString(firstStageFragmentShaderString)
{
    readsOnlyWholeMultiplesOfTheOffsets
        = detail::areStandardBlurShaders(firstStageVertexShaderString, firstStageFragmentShaderString)
        && detail::areStandardBlurShaders(secondStageVertexShaderString, secondStageFragmentShaderString);
    setTexelSpacingMultiplier(1.0);
}

std::string GLImageGaussianBlurFilter::vertexShaderForStandardBlurOfRadius(uint32_t blurRadius, double)
{
    if (blurRadius == 0)
        return kGLImageVertexShaderString;
    return detail::standardBlurVertexShader(blurRadius);
}

std::string GLImageGaussianBlurFilter::fragmentShaderForStandardBlurOfRadius(uint32_t blurRadius, double sigma)
{
    if (blurRadius == 0)
        return kGLImagePassthroughFragmentShaderString;
    return detail::standardBlurFragmentShader(detail::gaussianBlurWeights(blurRadius, sigma));
}

std::string GLImageGaussianBlurFilter::vertexShaderForOptimizedBlurOfRadius(uint32_t blurRadius, double sigma)
{
    if (blurRadius == 0)
        return kGLImageVertexShaderString;
    return detail::pairedBlurVertexShader(detail::pairedBlurTaps(detail::gaussianBlurWeights(blurRadius, sigma)));
}

std::string GLImageGaussianBlurFilter::fragmentShaderForOptimizedBlurOfRadius(uint32_t blurRadius, double sigma)
{
    if (blurRadius == 0)
        return kGLImagePassthroughFragmentShaderString;
    const auto weights = detail::gaussianBlurWeights(blurRadius, sigma);
    return detail::pairedBlurFragmentShader(weights[0], detail::pairedBlurTaps(weights), detail::BlurChannels::Colour);
}

std::string GLImageGaussianBlurFilter::optimizedVertexShader(uint32_t sampleRadius, double sigma) const
{
    return vertexShaderForOptimizedBlurOfRadius(sampleRadius, sigma);
}

std::string GLImageGaussianBlurFilter::optimizedFragmentShader(uint32_t sampleRadius, double sigma) const
{
    return fragmentShaderForOptimizedBlurOfRadius(sampleRadius, sigma);
}

void GLImageGaussianBlurFilter::renderToTextureWithVertices(
    const float* vertices, const float* textureCoordinates, uint32_t sourceTexture)
{
    GLImageTwoPassTextureSamplingFilter::renderToTextureWithVertices(vertices, textureCoordinates, sourceTexture);
    if (_blurPasses <= 1 || _preventRendering)
        return;
    // Later runs blur the filter's own colour output, which stands in the
    // output's axes already: no turn, and both passes run.
    const GLImageRotationMode rotation = inputRotation;
    const bool monochrome = _currentlyReceivingMonochromeInput;
    inputRotation = GLImageRotationMode::NoRotation;
    _currentlyReceivingMonochromeInput = false;
    setupFilterForSize(sizeOfFBO());
    for (uint64_t pass = 1; pass < _blurPasses; ++pass) {
        GLImageTwoPassTextureSamplingFilter::renderToTextureWithVertices(
            vertices, filterTextureCoordinatesForRotation(GLImageRotationMode::NoRotation), textureForOutput());
    }
    inputRotation = rotation;
    _currentlyReceivingMonochromeInput = monochrome;
    setupFilterForSize(sizeOfFBO());
}

void GLImageGaussianBlurFilter::switchToVertexShader(
    const std::string& newVertexShader, const std::string& newFragmentShader)
{
    runSynchronouslyOnContextQueue([&] {
        GLImageContext::useImageProcessingContext();
        filterProgram = linkedProgram(newVertexShader, newFragmentShader, kGLImageFilterAttributes);
        filterPositionAttribute = int32_t(filterProgram->attributeIndex("position"));
        filterTextureCoordinateAttribute = int32_t(filterProgram->attributeIndex("inputTextureCoordinate"));
        filterInputTextureUniform = filterProgram->uniformIndex("inputImageTexture");
        GLImageContext::setActiveShaderProgram(filterProgram);
        glEnableVertexAttribArray(GLuint(filterPositionAttribute));
        glEnableVertexAttribArray(GLuint(filterTextureCoordinateAttribute));
        useSecondStageProgram(newVertexShader, newFragmentShader);
        lookUpTexelOffsetUniforms();
        // Stored values belong to the old program's locations, which may name
        // other uniforms of the new one.
        uniformState->uniformStateRestorationBlocks.clear();
        secondProgramUniformState->uniformStateRestorationBlocks.clear();
        _vertexShaderString = newVertexShader;
        _fragmentShaderString = newFragmentShader;
        // Where the new shaders read decides where nearest reads may stand in.
        readsInputsOnlyAtTheirCoordinates = areThePassThroughSources(newVertexShader, newFragmentShader);
        secondStageReadsOnlyAtItsCoordinate = readsInputsOnlyAtTheirCoordinates;
        readsOnlyWholeMultiplesOfTheOffsets = detail::areStandardBlurShaders(newVertexShader, newFragmentShader);
        setupFilterForSize(sizeOfFBO());
        glFinish();
    });
}

void GLImageGaussianBlurFilter::setTexelSpacingMultiplier(double newValue)
{
    runSynchronouslyOnContextQueue([&] {
        _texelSpacingMultiplier = newValue;
        _verticalTexelSpacing = newValue;
        _horizontalTexelSpacing = newValue;
        setupFilterForSize(sizeOfFBO());
    });
}

void GLImageGaussianBlurFilter::setBlurRadiusInPixels(double newValue)
{
    double rounded = std::round(newValue);
    // A negative or undefined radius blurs nothing, as a radius of 0.
    if (!(rounded > 0))
        rounded = 0;
    if (rounded != _blurRadiusInPixels) {
        _blurRadiusInPixels = rounded;
        const uint32_t sampleRadius = detail::gaussianSampleRadiusForBlurRadius(rounded);
        switchToVertexShader(
            optimizedVertexShader(sampleRadius, rounded), optimizedFragmentShader(sampleRadius, rounded));
    }
    shouldResizeBlurRadiusWithImageSize = false;
}

std::pair<std::string, std::string> GLImageGaussianBlurFilter::shaderSourcesForTesting() const
{
    std::pair<std::string, std::string> sources;
    runSynchronouslyOnContextQueue([&] { sources = {_vertexShaderString, _fragmentShaderString}; });
    return sources;
}

}  // namespace zt
