#include "glimage/GLImageXYDerivativeFilter.h"

#include "glimage/GLImage3x3TextureSamplingFilter.h"

namespace zt {

namespace {

const char* const kDeclarations = R"(
uniform highp float edgeStrength;
)";

const char* const kComputation
    = R"(    float verticalDerivative = -topLeftIntensity - topIntensity - topRightIntensity + bottomLeftIntensity
        + bottomIntensity + bottomRightIntensity;
    float horizontalDerivative = -bottomLeftIntensity - leftIntensity - topLeftIntensity + bottomRightIntensity
        + rightIntensity + topRightIntensity;
    verticalDerivative = verticalDerivative * edgeStrength;
    horizontalDerivative = horizontalDerivative * edgeStrength;

    // The product goes from -1..1 into the 0..1 a colour channel holds.
    gl_FragColor = vec4(horizontalDerivative * horizontalDerivative, verticalDerivative * verticalDerivative,
        ((verticalDerivative * horizontalDerivative) + 1.0) / 2.0, 1.0);
)";

}  // namespace

GLImageXYDerivativeFilter::GLImageXYDerivativeFilter()
    : GLImageSobelEdgeDetectionFilter(nearbyTexelIntensityFragmentShader(kDeclarations, kComputation))
{
    secondStageReadsOnlyTheNinePoints = true;
    setEdgeStrength(1.0);
}

}  // namespace zt
