#include "glimage/GLImageErosionFilter.h"

#include "glimage/GLImageMorphologyShaders.h"

namespace zt {

GLImageErosionFilter::GLImageErosionFilter()
    : GLImageErosionFilter(1)
{
}

GLImageErosionFilter::GLImageErosionFilter(uint32_t radius)
    : GLImageTwoPassTextureSamplingFilter(detail::morphologyVertexShader(detail::morphologyStepsForRadius(radius)),
        detail::morphologyFragmentShader(detail::morphologyStepsForRadius(radius), detail::MorphologyOperation::Erosion,
            detail::MorphologyChannels::Red),
        detail::morphologyVertexShader(detail::morphologyStepsForRadius(radius)),
        detail::morphologyFragmentShader(detail::morphologyStepsForRadius(radius), detail::MorphologyOperation::Erosion,
            detail::MorphologyChannels::Red))
{
    readsOnlyWholeMultiplesOfTheOffsets = true;
}

}  // namespace zt
