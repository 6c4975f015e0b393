#pragma once
#include <cstdint>

#include "glimage/GLImageDilationFilter.h"
#include "glimage/GLImageErosionFilter.h"
#include "glimage/GLImageMorphologyGroup.h"

namespace zt {

// Grey closing: dilation, then erosion of the same radius.
class GLImageClosingFilter
    : public GLImageMorphologySpacing<
          GLImageMorphologyGroup<GLImageErosionFilter, GLImageDilationFilter, MorphologyOrder::DilationFirst>> {
public:
    GLImageClosingFilter()
        : GLImageClosingFilter(1)
    {
    }
    explicit GLImageClosingFilter(uint32_t radius)
        : GLImageMorphologySpacing<
            GLImageMorphologyGroup<GLImageErosionFilter, GLImageDilationFilter, MorphologyOrder::DilationFirst>>(radius)
    {
    }
};

}  // namespace zt
