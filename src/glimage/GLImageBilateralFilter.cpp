#include "glimage/GLImageBilateralFilter.h"

#include "glimage/GLImageNineSampleBlurShader.h"
#include "glimage/GLProgram.h"

namespace zt {

namespace {

const char* const kBilateralFragmentShaderString = R"(
precision highp float;

uniform sampler2D inputImageTexture;
uniform mediump float distanceNormalizationFactor;

const lowp int GAUSSIAN_SAMPLES = 9;

varying highp vec2 textureCoordinate;
varying highp vec2 blurCoordinates[GAUSSIAN_SAMPLES];

void main()
{
    lowp vec4 centralColor = texture2D(inputImageTexture, blurCoordinates[4]);
    lowp float gaussianWeightTotal = 0.18;
    lowp vec4 sum = centralColor * 0.18;

    lowp vec4 sampleColor;
    lowp float distanceFromCentralColor;
    lowp float gaussianWeight;

    sampleColor = texture2D(inputImageTexture, blurCoordinates[0]);
    distanceFromCentralColor = min(distance(centralColor, sampleColor) * distanceNormalizationFactor, 1.0);
    gaussianWeight = 0.05 * (1.0 - distanceFromCentralColor);
    gaussianWeightTotal += gaussianWeight;
    sum += sampleColor * gaussianWeight;

    sampleColor = texture2D(inputImageTexture, blurCoordinates[1]);
    distanceFromCentralColor = min(distance(centralColor, sampleColor) * distanceNormalizationFactor, 1.0);
    gaussianWeight = 0.09 * (1.0 - distanceFromCentralColor);
    gaussianWeightTotal += gaussianWeight;
    sum += sampleColor * gaussianWeight;

    sampleColor = texture2D(inputImageTexture, blurCoordinates[2]);
    distanceFromCentralColor = min(distance(centralColor, sampleColor) * distanceNormalizationFactor, 1.0);
    gaussianWeight = 0.12 * (1.0 - distanceFromCentralColor);
    gaussianWeightTotal += gaussianWeight;
    sum += sampleColor * gaussianWeight;

    sampleColor = texture2D(inputImageTexture, blurCoordinates[3]);
    distanceFromCentralColor = min(distance(centralColor, sampleColor) * distanceNormalizationFactor, 1.0);
    gaussianWeight = 0.15 * (1.0 - distanceFromCentralColor);
    gaussianWeightTotal += gaussianWeight;
    sum += sampleColor * gaussianWeight;

    sampleColor = texture2D(inputImageTexture, blurCoordinates[5]);
    distanceFromCentralColor = min(distance(centralColor, sampleColor) * distanceNormalizationFactor, 1.0);
    gaussianWeight = 0.15 * (1.0 - distanceFromCentralColor);
    gaussianWeightTotal += gaussianWeight;
    sum += sampleColor * gaussianWeight;

    sampleColor = texture2D(inputImageTexture, blurCoordinates[6]);
    distanceFromCentralColor = min(distance(centralColor, sampleColor) * distanceNormalizationFactor, 1.0);
    gaussianWeight = 0.12 * (1.0 - distanceFromCentralColor);
    gaussianWeightTotal += gaussianWeight;
    sum += sampleColor * gaussianWeight;

    sampleColor = texture2D(inputImageTexture, blurCoordinates[7]);
    distanceFromCentralColor = min(distance(centralColor, sampleColor) * distanceNormalizationFactor, 1.0);
    gaussianWeight = 0.09 * (1.0 - distanceFromCentralColor);
    gaussianWeightTotal += gaussianWeight;
    sum += sampleColor * gaussianWeight;

    sampleColor = texture2D(inputImageTexture, blurCoordinates[8]);
    distanceFromCentralColor = min(distance(centralColor, sampleColor) * distanceNormalizationFactor, 1.0);
    gaussianWeight = 0.05 * (1.0 - distanceFromCentralColor);
    gaussianWeightTotal += gaussianWeight;
    sum += sampleColor * gaussianWeight;

    gl_FragColor = sum / gaussianWeightTotal;
}
)";

constexpr double kBilateralTexelSpacing = 4.0;
constexpr double kDefaultDistanceNormalizationFactor = 8.0;

}  // namespace

GLImageBilateralFilter::GLImageBilateralFilter()
    : GLImageGaussianBlurFilter(kGLImageNineSampleBlurVertexShaderString, kBilateralFragmentShaderString,
        kGLImageNineSampleBlurVertexShaderString, kBilateralFragmentShaderString)
{
    firstDistanceNormalizationFactorUniform = filterProgram->uniformIndex("distanceNormalizationFactor");
    secondDistanceNormalizationFactorUniform = secondFilterProgram->uniformIndex("distanceNormalizationFactor");
    setTexelSpacingMultiplier(kBilateralTexelSpacing);
    setDistanceNormalizationFactor(kDefaultDistanceNormalizationFactor);
}

void GLImageBilateralFilter::setDistanceNormalizationFactor(double newValue)
{
    _distanceNormalizationFactor = newValue;
    setFloat(float(newValue), firstDistanceNormalizationFactorUniform, filterProgram);
    setFloat(float(newValue), secondDistanceNormalizationFactorUniform, secondFilterProgram);
}

}  // namespace zt
