#include "glimage/GLImageDilationFilter.h"

#include "glimage/GLImageMorphologyShaders.h"

namespace zt {

GLImageDilationFilter::GLImageDilationFilter()
    : GLImageDilationFilter(1)
{
}

GLImageDilationFilter::GLImageDilationFilter(uint32_t radius)
    : GLImageTwoPassTextureSamplingFilter(detail::morphologyVertexShader(detail::morphologyStepsForRadius(radius)),
        detail::morphologyFragmentShader(detail::morphologyStepsForRadius(radius),
            detail::MorphologyOperation::Dilation, detail::MorphologyChannels::Red),
        detail::morphologyVertexShader(detail::morphologyStepsForRadius(radius)),
        detail::morphologyFragmentShader(detail::morphologyStepsForRadius(radius),
            detail::MorphologyOperation::Dilation, detail::MorphologyChannels::Red))
{
    readsOnlyWholeMultiplesOfTheOffsets = true;
}

}  // namespace zt
