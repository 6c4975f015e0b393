#include "glimage/GLImageLocalBinaryPatternFilter.h"

namespace zt {

namespace {

const char* const kLocalBinaryPatternComputation = R"(
    float byteTally = 1.0 / 255.0 * step(centerIntensity, topRightIntensity);
    byteTally += 2.0 / 255.0 * step(centerIntensity, topIntensity);
    byteTally += 4.0 / 255.0 * step(centerIntensity, topLeftIntensity);
    byteTally += 8.0 / 255.0 * step(centerIntensity, leftIntensity);
    byteTally += 16.0 / 255.0 * step(centerIntensity, bottomLeftIntensity);
    byteTally += 32.0 / 255.0 * step(centerIntensity, bottomIntensity);
    byteTally += 64.0 / 255.0 * step(centerIntensity, bottomRightIntensity);
    byteTally += 128.0 / 255.0 * step(centerIntensity, rightIntensity);

    gl_FragColor = vec4(byteTally, byteTally, byteTally, 1.0);
)";

}  // namespace

GLImageLocalBinaryPatternFilter::GLImageLocalBinaryPatternFilter()
    : GLImage3x3TextureSamplingFilter(nearbyTexelIntensityFragmentShader("", kLocalBinaryPatternComputation))
{
    readsOnlyTheNinePoints = true;
}

}  // namespace zt
