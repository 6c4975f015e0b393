#include "glimage/GLImageDirectionalNonMaximumSuppressionFilter.h"

#include "glimage/GLImageContext.h"
#include "glimage/GLProgram.h"

namespace zt {

namespace {

const char* const kDirectionalNonMaximumSuppressionFragmentShaderString = R"(
precision mediump float;

varying highp vec2 textureCoordinate;

uniform sampler2D inputImageTexture;
uniform highp float texelWidth;
uniform highp float texelHeight;
uniform mediump float upperThreshold;
uniform mediump float lowerThreshold;

void main()
{
    vec3 currentGradientAndDirection = texture2D(inputImageTexture, textureCoordinate).rgb;
    vec2 gradientDirection = ((currentGradientAndDirection.gb * 2.0) - 1.0) * vec2(texelWidth, texelHeight);

    float firstSampledGradientMagnitude = texture2D(inputImageTexture, textureCoordinate + gradientDirection).r;
    float secondSampledGradientMagnitude = texture2D(inputImageTexture, textureCoordinate - gradientDirection).r;

    float multiplier = step(firstSampledGradientMagnitude, currentGradientAndDirection.r);
    multiplier = multiplier * step(secondSampledGradientMagnitude, currentGradientAndDirection.r);

    float thresholdCompliance = smoothstep(lowerThreshold, upperThreshold, currentGradientAndDirection.r);
    multiplier = multiplier * thresholdCompliance;

    gl_FragColor = vec4(multiplier, multiplier, multiplier, 1.0);
}
)";

constexpr double kDefaultUpperThreshold = 0.5;
constexpr double kDefaultLowerThreshold = 0.1;

}  // namespace

GLImageDirectionalNonMaximumSuppressionFilter::GLImageDirectionalNonMaximumSuppressionFilter()
    : GLImageFilter(kDirectionalNonMaximumSuppressionFragmentShaderString)
{
    texelWidthUniform = filterProgram->uniformIndex("texelWidth");
    texelHeightUniform = filterProgram->uniformIndex("texelHeight");
    upperThresholdUniform = filterProgram->uniformIndex("upperThreshold");
    lowerThresholdUniform = filterProgram->uniformIndex("lowerThreshold");
    setUpperThreshold(kDefaultUpperThreshold);
    setLowerThreshold(kDefaultLowerThreshold);
}

void GLImageDirectionalNonMaximumSuppressionFilter::setupFilterForSize(plat::Size filterFrameSize)
{
    if (hasOverriddenImageSizeFactor || filterFrameSize.width <= 0 || filterFrameSize.height <= 0)
        return;
    runSynchronouslyOnContextQueue([&] {
        _texelWidth = 1.0 / filterFrameSize.width;
        _texelHeight = 1.0 / filterFrameSize.height;
        setFloat(float(_texelWidth), texelWidthUniform, filterProgram);
        setFloat(float(_texelHeight), texelHeightUniform, filterProgram);
    });
}

void GLImageDirectionalNonMaximumSuppressionFilter::setTexelWidth(double newValue)
{
    // On the context queue, where a new frame size sets the steps too.
    runSynchronouslyOnContextQueue([&] {
        hasOverriddenImageSizeFactor = true;
        _texelWidth = newValue;
        setFloat(float(newValue), texelWidthUniform, filterProgram);
    });
}

void GLImageDirectionalNonMaximumSuppressionFilter::setTexelHeight(double newValue)
{
    // On the context queue, where a new frame size sets the steps too.
    runSynchronouslyOnContextQueue([&] {
        hasOverriddenImageSizeFactor = true;
        _texelHeight = newValue;
        setFloat(float(newValue), texelHeightUniform, filterProgram);
    });
}

void GLImageDirectionalNonMaximumSuppressionFilter::setUpperThreshold(double newValue)
{
    _upperThreshold = newValue;
    setFloat(float(newValue), upperThresholdUniform, filterProgram);
}

void GLImageDirectionalNonMaximumSuppressionFilter::setLowerThreshold(double newValue)
{
    _lowerThreshold = newValue;
    setFloat(float(newValue), lowerThresholdUniform, filterProgram);
}

}  // namespace zt
