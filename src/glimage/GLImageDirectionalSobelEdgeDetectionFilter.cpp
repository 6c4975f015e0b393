#include "glimage/GLImageDirectionalSobelEdgeDetectionFilter.h"

namespace zt {

namespace {

// floor(|d| + 0.617316) is 1 from |d| = 0.382684 (sin 22.5 degrees) on, so
// each component of the unit direction rounds to the nearest of the eight
// neighbour directions.
const char* const kDirectionalSobelComputation = R"(
    mediump vec2 gradientDirection;
    gradientDirection.x = -bottomLeftIntensity - 2.0 * leftIntensity - topLeftIntensity + bottomRightIntensity
        + 2.0 * rightIntensity + topRightIntensity;
    gradientDirection.y = -topLeftIntensity - 2.0 * topIntensity - topRightIntensity + bottomLeftIntensity
        + 2.0 * bottomIntensity + bottomRightIntensity;

    mediump float gradientMagnitude = length(gradientDirection);
    mediump vec2 normalizedDirection = normalize(gradientDirection);
    normalizedDirection = sign(normalizedDirection) * floor(abs(normalizedDirection) + 0.617316);
    normalizedDirection = (normalizedDirection + 1.0) * 0.5;

    gl_FragColor = vec4(gradientMagnitude, normalizedDirection.x, normalizedDirection.y, 1.0);
)";

}  // namespace

GLImageDirectionalSobelEdgeDetectionFilter::GLImageDirectionalSobelEdgeDetectionFilter()
    : GLImage3x3TextureSamplingFilter(nearbyTexelIntensityFragmentShader("", kDirectionalSobelComputation))
{
    readsOnlyTheNinePoints = true;
}

}  // namespace zt
