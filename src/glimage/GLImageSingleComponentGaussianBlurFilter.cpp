#include "glimage/GLImageSingleComponentGaussianBlurFilter.h"

#include "glimage/GLImageBlurShaders.h"

namespace zt {

namespace {

constexpr uint32_t kDefaultSampleRadius = 4;
constexpr double kDefaultSigma = 2.0;

}  // namespace

GLImageSingleComponentGaussianBlurFilter::GLImageSingleComponentGaussianBlurFilter()
    : GLImageGaussianBlurFilter(vertexShaderForOptimizedBlurOfRadius(kDefaultSampleRadius, kDefaultSigma),
        fragmentShaderForOptimizedBlurOfRadius(kDefaultSampleRadius, kDefaultSigma),
        vertexShaderForOptimizedBlurOfRadius(kDefaultSampleRadius, kDefaultSigma),
        fragmentShaderForOptimizedBlurOfRadius(kDefaultSampleRadius, kDefaultSigma))
{
}

std::string GLImageSingleComponentGaussianBlurFilter::vertexShaderForOptimizedBlurOfRadius(
    uint32_t blurRadius, double sigma)
{
    return GLImageGaussianBlurFilter::vertexShaderForOptimizedBlurOfRadius(blurRadius, sigma);
}

std::string GLImageSingleComponentGaussianBlurFilter::fragmentShaderForOptimizedBlurOfRadius(
    uint32_t blurRadius, double sigma)
{
    if (blurRadius == 0)
        return kGLImagePassthroughFragmentShaderString;
    const auto weights = detail::gaussianBlurWeights(blurRadius, sigma);
    return detail::pairedBlurFragmentShader(weights[0], detail::pairedBlurTaps(weights), detail::BlurChannels::RedOnly);
}

std::string GLImageSingleComponentGaussianBlurFilter::optimizedVertexShader(uint32_t sampleRadius, double sigma) const
{
    return vertexShaderForOptimizedBlurOfRadius(sampleRadius, sigma);
}

std::string GLImageSingleComponentGaussianBlurFilter::optimizedFragmentShader(uint32_t sampleRadius, double sigma) const
{
    return fragmentShaderForOptimizedBlurOfRadius(sampleRadius, sigma);
}

}  // namespace zt
