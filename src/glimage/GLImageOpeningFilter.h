#pragma once
#include <cstdint>

#include "glimage/GLImageDilationFilter.h"
#include "glimage/GLImageErosionFilter.h"
#include "glimage/GLImageMorphologyGroup.h"

namespace zt {

// Grey opening: erosion, then dilation of the same radius.
class GLImageOpeningFilter
    : public GLImageMorphologySpacing<
          GLImageMorphologyGroup<GLImageErosionFilter, GLImageDilationFilter, MorphologyOrder::ErosionFirst>> {
public:
    GLImageOpeningFilter()
        : GLImageOpeningFilter(1)
    {
    }
    explicit GLImageOpeningFilter(uint32_t radius)
        : GLImageMorphologySpacing<
            GLImageMorphologyGroup<GLImageErosionFilter, GLImageDilationFilter, MorphologyOrder::ErosionFirst>>(radius)
    {
    }
};

}  // namespace zt
