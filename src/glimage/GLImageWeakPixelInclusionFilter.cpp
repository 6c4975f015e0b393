#include "glimage/GLImageWeakPixelInclusionFilter.h"

namespace zt {

namespace {

const char* const kWeakPixelInclusionComputation = R"(
    lowp float pixelIntensitySum = bottomLeftIntensity + topRightIntensity + topLeftIntensity + bottomRightIntensity
        + leftIntensity + rightIntensity + bottomIntensity + topIntensity + centerIntensity;
    lowp float sumTest = step(1.5, pixelIntensitySum);
    lowp float pixelTest = step(0.01, centerIntensity);

    gl_FragColor = vec4(vec3(sumTest * pixelTest), 1.0);
)";

}  // namespace

GLImageWeakPixelInclusionFilter::GLImageWeakPixelInclusionFilter()
    : GLImage3x3TextureSamplingFilter(nearbyTexelIntensityFragmentShader("", kWeakPixelInclusionComputation))
{
    readsOnlyTheNinePoints = true;
}

}  // namespace zt
