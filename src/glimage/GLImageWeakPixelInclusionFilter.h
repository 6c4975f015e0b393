#pragma once
#include "glimage/GLImage3x3TextureSamplingFilter.h"

namespace zt {

// The last step of Canny's edges: a pixel stays an edge (white) only if it
// is at least 0.01 itself and its 3x3 neighbourhood sums to at least 1.5.
class GLImageWeakPixelInclusionFilter : public GLImage3x3TextureSamplingFilter {
public:
    GLImageWeakPixelInclusionFilter();
};

}  // namespace zt
