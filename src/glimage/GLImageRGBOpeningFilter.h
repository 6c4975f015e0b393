#pragma once
#include <cstdint>

#include "glimage/GLImageMorphologyGroup.h"
#include "glimage/GLImageRGBDilationFilter.h"
#include "glimage/GLImageRGBErosionFilter.h"

namespace zt {

// Colour opening: erosion, then dilation of the same radius, channel by channel.
class GLImageRGBOpeningFilter
    : public GLImageMorphologyGroup<GLImageRGBErosionFilter, GLImageRGBDilationFilter, MorphologyOrder::ErosionFirst> {
public:
    GLImageRGBOpeningFilter()
        : GLImageRGBOpeningFilter(1)
    {
    }
    explicit GLImageRGBOpeningFilter(uint32_t radius)
        : GLImageMorphologyGroup<GLImageRGBErosionFilter, GLImageRGBDilationFilter, MorphologyOrder::ErosionFirst>(
            radius)
    {
    }
};

}  // namespace zt
