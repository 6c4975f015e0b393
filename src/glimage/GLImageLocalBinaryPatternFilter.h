#pragma once
#include "glimage/GLImage3x3TextureSamplingFilter.h"

namespace zt {

// The local binary pattern of the red channel as grey: one bit for each
// neighbour at least as bright as the pixel (top right 1, top 2, top left 4,
// left 8, bottom left 16, bottom 32, bottom right 64, right 128), over 255.
class GLImageLocalBinaryPatternFilter : public GLImage3x3TextureSamplingFilter {
public:
    GLImageLocalBinaryPatternFilter();
};

}  // namespace zt
