#include "glimage/GLImageSobelEdgeDetectionFilter.h"

#include "glimage/GLImage3x3TextureSamplingFilter.h"
#include "glimage/GLImageContext.h"
#include "glimage/GLImageGrayscaleFilter.h"
#include "glimage/GLProgram.h"

namespace zt {

namespace {

const char* const kSobelDeclarations = R"(
uniform mediump float edgeStrength;
)";

const char* const kSobelComputation
    = R"(    float h = -topLeftIntensity - 2.0 * topIntensity - topRightIntensity + bottomLeftIntensity + 2.0 * bottomIntensity
        + bottomRightIntensity;
    float v = -bottomLeftIntensity - 2.0 * leftIntensity - topLeftIntensity + bottomRightIntensity + 2.0 * rightIntensity
        + topRightIntensity;

    float mag = length(vec2(h, v)) * edgeStrength;
    gl_FragColor = vec4(vec3(mag), 1.0);
)";

constexpr double kDefaultEdgeStrength = 1.0;

}  // namespace

GLImageSobelEdgeDetectionFilter::GLImageSobelEdgeDetectionFilter()
    : GLImageSobelEdgeDetectionFilter(nearbyTexelIntensityFragmentShader(kSobelDeclarations, kSobelComputation))
{
    secondStageReadsOnlyTheNinePoints = true;
}

GLImageSobelEdgeDetectionFilter::GLImageSobelEdgeDetectionFilter(const std::string& fragmentShaderString)
    : GLImageTwoPassFilter(kGLImageVertexShaderString, kGLImageLuminanceFragmentShaderString,
        kGLImageNearbyTexelSamplingVertexShaderString, fragmentShaderString)
{
    // The luminance pass reads each pixel at its own coordinate.
    readsInputsOnlyAtTheirCoordinates = true;
    runSynchronouslyOnContextQueue([this] {
        texelWidthUniform = secondFilterProgram->uniformIndex("texelWidth");
        texelHeightUniform = secondFilterProgram->uniformIndex("texelHeight");
        edgeStrengthUniform = secondFilterProgram->uniformIndex("edgeStrength");
    });
    setEdgeStrength(kDefaultEdgeStrength);
}

void GLImageSobelEdgeDetectionFilter::setupFilterForSize(plat::Size filterFrameSize)
{
    if (hasOverriddenImageSizeFactor || filterFrameSize.width <= 0 || filterFrameSize.height <= 0)
        return;
    runSynchronouslyOnContextQueue([&] {
        _texelWidth = 1.0 / filterFrameSize.width;
        _texelHeight = 1.0 / filterFrameSize.height;
        // Called while the first pass sets up: its program must stay the
        // active one. Kept among the second program's uniforms and replayed
        // before its pass, since filters of one kind share the program.
        auto activeProgram = GLImageContext::sharedImageProcessingContext().currentShaderProgram();
        texelWidthStep = float(_texelWidth);
        texelHeightStep = float(_texelHeight);
        setFloat(texelWidthStep, texelWidthUniform, secondFilterProgram);
        setFloat(texelHeightStep, texelHeightUniform, secondFilterProgram);
        if (activeProgram)
            GLImageContext::setActiveShaderProgram(activeProgram);
    });
}

std::optional<std::array<float, 2>> GLImageSobelEdgeDetectionFilter::inputReadStepForProgramAtIndex(
    int programIndex) const
{
    if (programIndex == 1 && secondStageReadsOnlyTheNinePoints)
        return std::array<float, 2> {texelWidthStep, texelHeightStep};
    return GLImageTwoPassFilter::inputReadStepForProgramAtIndex(programIndex);
}

void GLImageSobelEdgeDetectionFilter::setTexelWidth(double newValue)
{
    // On the context queue, where a new frame size sets the steps too.
    runSynchronouslyOnContextQueue([&] {
        hasOverriddenImageSizeFactor = true;
        _texelWidth = newValue;
        texelWidthStep = float(newValue);
        setFloat(texelWidthStep, texelWidthUniform, secondFilterProgram);
    });
}

void GLImageSobelEdgeDetectionFilter::setTexelHeight(double newValue)
{
    // On the context queue, where a new frame size sets the steps too.
    runSynchronouslyOnContextQueue([&] {
        hasOverriddenImageSizeFactor = true;
        _texelHeight = newValue;
        texelHeightStep = float(newValue);
        setFloat(texelHeightStep, texelHeightUniform, secondFilterProgram);
    });
}

void GLImageSobelEdgeDetectionFilter::setEdgeStrength(double newValue)
{
    _edgeStrength = newValue;
    setFloat(float(newValue), edgeStrengthUniform, secondFilterProgram);
}

}  // namespace zt
