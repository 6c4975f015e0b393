#pragma once
#include <cstdint>

#include "glimage/GLImageMorphologyGroup.h"
#include "glimage/GLImageRGBDilationFilter.h"
#include "glimage/GLImageRGBErosionFilter.h"

namespace zt {

// Colour closing: dilation, then erosion of the same radius, channel by channel.
class GLImageRGBClosingFilter
    : public GLImageMorphologyGroup<GLImageRGBErosionFilter, GLImageRGBDilationFilter, MorphologyOrder::DilationFirst> {
public:
    GLImageRGBClosingFilter()
        : GLImageRGBClosingFilter(1)
    {
    }
    explicit GLImageRGBClosingFilter(uint32_t radius)
        : GLImageMorphologyGroup<GLImageRGBErosionFilter, GLImageRGBDilationFilter, MorphologyOrder::DilationFirst>(
            radius)
    {
    }
};

}  // namespace zt
