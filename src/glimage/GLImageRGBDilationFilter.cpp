#include "glimage/GLImageRGBDilationFilter.h"

#include "glimage/GLImageMorphologyShaders.h"

namespace zt {

GLImageRGBDilationFilter::GLImageRGBDilationFilter()
    : GLImageRGBDilationFilter(1)
{
}

GLImageRGBDilationFilter::GLImageRGBDilationFilter(uint32_t radius)
    : GLImageTwoPassTextureSamplingFilter(detail::morphologyVertexShader(detail::morphologyStepsForRadius(radius)),
        detail::morphologyFragmentShader(detail::morphologyStepsForRadius(radius),
            detail::MorphologyOperation::Dilation, detail::MorphologyChannels::RGBA),
        detail::morphologyVertexShader(detail::morphologyStepsForRadius(radius)),
        detail::morphologyFragmentShader(detail::morphologyStepsForRadius(radius),
            detail::MorphologyOperation::Dilation, detail::MorphologyChannels::RGBA))
{
    readsOnlyWholeMultiplesOfTheOffsets = true;
}

}  // namespace zt
