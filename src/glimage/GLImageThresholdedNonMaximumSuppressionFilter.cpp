#include "glimage/GLImageThresholdedNonMaximumSuppressionFilter.h"

#include "glimage/GLProgram.h"

namespace zt {

namespace {

const char* const kThresholdDeclaration = R"(
uniform lowp float threshold;
)";

// Each of the top, top left, left and bottom left neighbours that is not
// below the centre takes one from the multiplier, so that any of them
// leaves nothing.
const char* const kSuppressionComputation = R"(
    lowp float multiplier = 1.0 - step(centerIntensity, topIntensity);
    multiplier = multiplier - step(centerIntensity, topLeftIntensity);
    multiplier = multiplier - step(centerIntensity, leftIntensity);
    multiplier = multiplier - step(centerIntensity, bottomLeftIntensity);

    lowp float maxValue = max(centerIntensity, bottomIntensity);
    maxValue = max(maxValue, bottomRightIntensity);
    maxValue = max(maxValue, rightIntensity);
    maxValue = max(maxValue, topRightIntensity);

    lowp float finalValue = centerIntensity * step(maxValue, centerIntensity) * multiplier;
    finalValue = step(threshold, finalValue);

    gl_FragColor = vec4(finalValue, finalValue, finalValue, 1.0);
)";

const char* const kPackedSuppressionBody = R"(
uniform highp float threshold;

highp float unpackedIntensity(highp vec2 coordinate)
{
    highp vec3 colour = texture2D(inputImageTexture, coordinate).rgb;
    return dot(colour, vec3(1.0 / 256.0, 1.0, 256.0));
}

void main()
{
    highp float centerIntensity = unpackedIntensity(textureCoordinate);
    highp float bottomLeftIntensity = unpackedIntensity(bottomLeftTextureCoordinate);
    highp float topRightIntensity = unpackedIntensity(topRightTextureCoordinate);
    highp float topLeftIntensity = unpackedIntensity(topLeftTextureCoordinate);
    highp float bottomRightIntensity = unpackedIntensity(bottomRightTextureCoordinate);
    highp float leftIntensity = unpackedIntensity(leftTextureCoordinate);
    highp float rightIntensity = unpackedIntensity(rightTextureCoordinate);
    highp float bottomIntensity = unpackedIntensity(bottomTextureCoordinate);
    highp float topIntensity = unpackedIntensity(topTextureCoordinate);

    highp float multiplier = 1.0 - step(centerIntensity, topIntensity);
    multiplier = multiplier - step(centerIntensity, topLeftIntensity);
    multiplier = multiplier - step(centerIntensity, leftIntensity);
    multiplier = multiplier - step(centerIntensity, bottomLeftIntensity);

    highp float maxValue = max(centerIntensity, bottomIntensity);
    maxValue = max(maxValue, bottomRightIntensity);
    maxValue = max(maxValue, rightIntensity);
    maxValue = max(maxValue, topRightIntensity);

    highp float finalValue = centerIntensity * step(maxValue, centerIntensity) * multiplier;
    finalValue = step(threshold, finalValue);

    gl_FragColor = vec4(finalValue, finalValue, finalValue, 1.0);
}
)";

std::string suppressionShader(GLImageColorspacePacking packing)
{
    if (packing == GLImageColorspacePacking::Packed)
        return nearbyTexelSamplingFragmentShader(kPackedSuppressionBody);
    return nearbyTexelIntensityFragmentShader(kThresholdDeclaration, kSuppressionComputation);
}

constexpr double kDefaultThreshold = 0.9;

}  // namespace

GLImageThresholdedNonMaximumSuppressionFilter::GLImageThresholdedNonMaximumSuppressionFilter()
    : GLImageThresholdedNonMaximumSuppressionFilter(GLImageColorspacePacking::Unpacked)
{
}

GLImageThresholdedNonMaximumSuppressionFilter::GLImageThresholdedNonMaximumSuppressionFilter(
    GLImageColorspacePacking packing)
    : GLImage3x3TextureSamplingFilter(suppressionShader(packing))
{
    thresholdUniform = filterProgram->uniformIndex("threshold");
    setThreshold(kDefaultThreshold);
}

void GLImageThresholdedNonMaximumSuppressionFilter::setThreshold(double newValue)
{
    _threshold = newValue;
    setFloat(float(newValue), thresholdUniform, filterProgram);
}

}  // namespace zt
