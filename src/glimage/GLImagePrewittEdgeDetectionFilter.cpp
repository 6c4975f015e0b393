#include "glimage/GLImagePrewittEdgeDetectionFilter.h"

#include "glimage/GLImage3x3TextureSamplingFilter.h"

namespace zt {

namespace {

const char* const kDeclarations = R"(
uniform highp float edgeStrength;
)";

const char* const kComputation
    = R"(    float h = -topLeftIntensity - topIntensity - topRightIntensity + bottomLeftIntensity + bottomIntensity
        + bottomRightIntensity;
    float v = -bottomLeftIntensity - leftIntensity - topLeftIntensity + bottomRightIntensity + rightIntensity
        + topRightIntensity;

    float mag = length(vec2(h, v)) * edgeStrength;
    gl_FragColor = vec4(vec3(mag), 1.0);
)";

}  // namespace

GLImagePrewittEdgeDetectionFilter::GLImagePrewittEdgeDetectionFilter()
    : GLImageSobelEdgeDetectionFilter(nearbyTexelIntensityFragmentShader(kDeclarations, kComputation))
{
    secondStageReadsOnlyTheNinePoints = true;
    setEdgeStrength(1.0);
}

}  // namespace zt
