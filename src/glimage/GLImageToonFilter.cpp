#include "glimage/GLImageToonFilter.h"

#include "glimage/GLProgram.h"

namespace zt {

namespace {

const char* const kToonDeclarations = R"(
uniform highp float threshold;
uniform highp float quantizationLevels;
)";

const char* const kToonComputation = R"(
    vec4 textureColor = texture2D(inputImageTexture, textureCoordinate);
    float h = -topLeftIntensity - 2.0 * topIntensity - topRightIntensity + bottomLeftIntensity + 2.0 * bottomIntensity
        + bottomRightIntensity;
    float v = -bottomLeftIntensity - 2.0 * leftIntensity - topLeftIntensity + bottomRightIntensity + 2.0 * rightIntensity
        + topRightIntensity;
    float mag = length(vec2(h, v));

    vec3 posterizedImageColor = floor((textureColor.rgb * quantizationLevels) + 0.5) / quantizationLevels;
    float thresholdTest = 1.0 - step(threshold, mag);

    gl_FragColor = vec4(posterizedImageColor * thresholdTest, textureColor.a);
)";

constexpr double kDefaultThreshold = 0.2;
constexpr double kDefaultQuantizationLevels = 10.0;

}  // namespace

GLImageToonFilter::GLImageToonFilter()
    : GLImage3x3TextureSamplingFilter(nearbyTexelIntensityFragmentShader(kToonDeclarations, kToonComputation))
{
    readsOnlyTheNinePoints = true;
    hasOverriddenImageSizeFactor = false;
    thresholdUniform = filterProgram->uniformIndex("threshold");
    quantizationLevelsUniform = filterProgram->uniformIndex("quantizationLevels");
    setThreshold(kDefaultThreshold);
    setQuantizationLevels(kDefaultQuantizationLevels);
}

void GLImageToonFilter::setThreshold(double newValue)
{
    _threshold = newValue;
    setFloat(float(newValue), thresholdUniform, filterProgram);
}

void GLImageToonFilter::setQuantizationLevels(double newValue)
{
    _quantizationLevels = newValue;
    setFloat(float(newValue), quantizationLevelsUniform, filterProgram);
}

}  // namespace zt
