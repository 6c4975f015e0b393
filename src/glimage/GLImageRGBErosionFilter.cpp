#include "glimage/GLImageRGBErosionFilter.h"

#include "glimage/GLImageMorphologyShaders.h"

namespace zt {

GLImageRGBErosionFilter::GLImageRGBErosionFilter()
    : GLImageRGBErosionFilter(1)
{
}

GLImageRGBErosionFilter::GLImageRGBErosionFilter(uint32_t radius)
    : GLImageTwoPassTextureSamplingFilter(detail::morphologyVertexShader(detail::morphologyStepsForRadius(radius)),
        detail::morphologyFragmentShader(detail::morphologyStepsForRadius(radius), detail::MorphologyOperation::Erosion,
            detail::MorphologyChannels::RGBA),
        detail::morphologyVertexShader(detail::morphologyStepsForRadius(radius)),
        detail::morphologyFragmentShader(detail::morphologyStepsForRadius(radius), detail::MorphologyOperation::Erosion,
            detail::MorphologyChannels::RGBA))
{
    readsOnlyWholeMultiplesOfTheOffsets = true;
}

}  // namespace zt
