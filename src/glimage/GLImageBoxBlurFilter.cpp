#include "glimage/GLImageBoxBlurFilter.h"

#include <algorithm>
#include <cmath>

#include "glimage/GLImageBlurShaders.h"

namespace zt {

namespace {

constexpr uint32_t kDefaultBoxRadius = 4;

// Pairs of equal taps read halfway between them.
std::vector<detail::BlurTapPair> boxPairs(uint32_t radius)
{
    std::vector<detail::BlurTapPair> pairs;
    const float weight = 2.0f / float(2 * radius + 1);
    for (uint32_t j = 0; j < (radius + 1) / 2; ++j)
        pairs.push_back({float(2 * j) + 1.5f, weight});
    return pairs;
}

}  // namespace

GLImageBoxBlurFilter::GLImageBoxBlurFilter()
    : GLImageGaussianBlurFilter(vertexShaderForOptimizedBlurOfRadius(kDefaultBoxRadius, 0.0),
        fragmentShaderForOptimizedBlurOfRadius(kDefaultBoxRadius, 0.0),
        vertexShaderForOptimizedBlurOfRadius(kDefaultBoxRadius, 0.0),
        fragmentShaderForOptimizedBlurOfRadius(kDefaultBoxRadius, 0.0))
{
    _blurRadiusInPixels = kDefaultBoxRadius;
}

std::string GLImageBoxBlurFilter::vertexShaderForOptimizedBlurOfRadius(uint32_t blurRadius, double)
{
    blurRadius = std::min(blurRadius, detail::kMaximumBlurSampleRadius);
    if (blurRadius == 0)
        return kGLImageVertexShaderString;
    return detail::pairedBlurVertexShader(boxPairs(blurRadius));
}

std::string GLImageBoxBlurFilter::fragmentShaderForOptimizedBlurOfRadius(uint32_t blurRadius, double)
{
    blurRadius = std::min(blurRadius, detail::kMaximumBlurSampleRadius);
    if (blurRadius == 0)
        return kGLImagePassthroughFragmentShaderString;
    return detail::pairedBlurFragmentShader(
        1.0f / float(2 * blurRadius + 1), boxPairs(blurRadius), detail::BlurChannels::Colour);
}

std::string GLImageBoxBlurFilter::optimizedVertexShader(uint32_t sampleRadius, double sigma) const
{
    return vertexShaderForOptimizedBlurOfRadius(sampleRadius, sigma);
}

std::string GLImageBoxBlurFilter::optimizedFragmentShader(uint32_t sampleRadius, double sigma) const
{
    return fragmentShaderForOptimizedBlurOfRadius(sampleRadius, sigma);
}

void GLImageBoxBlurFilter::setBlurRadiusInPixels(double newValue)
{
    // The nearest even whole number, within what the shaders can sample.
    double radius = 2.0 * std::round(newValue / 2.0);
    if (!(radius > 0))
        radius = 0;
    radius = std::min(radius, double(detail::kMaximumBlurSampleRadius));
    if (radius != _blurRadiusInPixels) {
        _blurRadiusInPixels = radius;
        const auto sampleRadius = uint32_t(radius);
        switchToVertexShader(optimizedVertexShader(sampleRadius, 0.0), optimizedFragmentShader(sampleRadius, 0.0));
    }
    shouldResizeBlurRadiusWithImageSize = false;
}

}  // namespace zt
