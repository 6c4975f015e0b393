#pragma once
#include "glimage/GLImage3x3TextureSamplingFilter.h"

namespace zt {

// Each channel becomes the median of its 3x3 neighbourhood, opaque: lone
// specks go, edges stay.
class GLImageMedianFilter : public GLImage3x3TextureSamplingFilter {
public:
    GLImageMedianFilter();
};

}  // namespace zt
