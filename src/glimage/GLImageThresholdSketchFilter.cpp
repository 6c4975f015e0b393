#include "glimage/GLImageThresholdSketchFilter.h"

#include "glimage/GLImage3x3TextureSamplingFilter.h"

namespace zt {

namespace {

const char* const kDeclarations = R"(
uniform lowp float threshold;
uniform highp float edgeStrength;
)";

const char* const kComputation
    = R"(    float h = -topLeftIntensity - 2.0 * topIntensity - topRightIntensity + bottomLeftIntensity + 2.0 * bottomIntensity
        + bottomRightIntensity;
    float v = -bottomLeftIntensity - 2.0 * leftIntensity - topLeftIntensity + bottomRightIntensity + 2.0 * rightIntensity
        + topRightIntensity;

    float mag = 1.0 - step(threshold, length(vec2(h, v)) * edgeStrength);
    gl_FragColor = vec4(vec3(mag), 1.0);
)";

}  // namespace

GLImageThresholdSketchFilter::GLImageThresholdSketchFilter()
    : GLImageThresholdEdgeDetectionFilter(nearbyTexelIntensityFragmentShader(kDeclarations, kComputation))
{
    secondStageReadsOnlyTheNinePoints = true;
}

}  // namespace zt
