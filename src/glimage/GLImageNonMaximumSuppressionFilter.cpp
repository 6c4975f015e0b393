#include "glimage/GLImageNonMaximumSuppressionFilter.h"

namespace zt {

namespace {

const char* const kSuppressionComputation = R"(
    lowp vec4 centerColor = texture2D(inputImageTexture, textureCoordinate);

    lowp float multiplier = 1.0 - step(centerIntensity, topIntensity);
    multiplier = multiplier - step(centerIntensity, topLeftIntensity);
    multiplier = multiplier - step(centerIntensity, leftIntensity);
    multiplier = multiplier - step(centerIntensity, bottomLeftIntensity);

    lowp float maxValue = max(centerIntensity, bottomIntensity);
    maxValue = max(maxValue, bottomRightIntensity);
    maxValue = max(maxValue, rightIntensity);
    maxValue = max(maxValue, topRightIntensity);

    gl_FragColor = vec4((centerColor.rgb * step(maxValue, centerIntensity) * multiplier), 1.0);
)";

}  // namespace

GLImageNonMaximumSuppressionFilter::GLImageNonMaximumSuppressionFilter()
    : GLImage3x3TextureSamplingFilter(nearbyTexelIntensityFragmentShader("", kSuppressionComputation))
{
    readsOnlyTheNinePoints = true;
}

}  // namespace zt
