#include "glimage/GLImageThresholdEdgeDetectionFilter.h"

#include "glimage/GLImage3x3TextureSamplingFilter.h"
#include "glimage/GLImageContext.h"
#include "glimage/GLProgram.h"

namespace zt {

namespace {

const char* const kThresholdEdgeDeclarations = R"(
uniform lowp float threshold;
uniform highp float edgeStrength;
)";

// Only the four direct neighbours and the centre count.
const char* const kThresholdEdgeComputation = R"(
    float h = (centerIntensity - topIntensity) + (bottomIntensity - centerIntensity);
    float v = (centerIntensity - leftIntensity) + (rightIntensity - centerIntensity);

    float mag = step(threshold, length(vec2(h, v)) * edgeStrength);
    gl_FragColor = vec4(vec3(mag), 1.0);
)";

constexpr double kDefaultThreshold = 0.25;

}  // namespace

GLImageThresholdEdgeDetectionFilter::GLImageThresholdEdgeDetectionFilter()
    : GLImageThresholdEdgeDetectionFilter(
        nearbyTexelIntensityFragmentShader(kThresholdEdgeDeclarations, kThresholdEdgeComputation))
{
    secondStageReadsOnlyTheNinePoints = true;
}

GLImageThresholdEdgeDetectionFilter::GLImageThresholdEdgeDetectionFilter(const std::string& fragmentShaderString)
    : GLImageSobelEdgeDetectionFilter(fragmentShaderString)
{
    runSynchronouslyOnContextQueue([this] { thresholdUniform = secondFilterProgram->uniformIndex("threshold"); });
    setThreshold(kDefaultThreshold);
    setEdgeStrength(1.0);
}

void GLImageThresholdEdgeDetectionFilter::setThreshold(double newValue)
{
    _threshold = newValue;
    setFloat(float(newValue), thresholdUniform, secondFilterProgram);
}

}  // namespace zt
