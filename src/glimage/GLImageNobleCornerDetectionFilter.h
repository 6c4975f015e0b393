#pragma once
#include "glimage/GLImageHarrisCornerDetectionFilter.h"

namespace zt {

// Corners by Noble's measure, det(M) / trace(M), which needs no constant.
class GLImageNobleCornerDetectionFilter : public GLImageHarrisCornerDetectionFilter {
public:
    GLImageNobleCornerDetectionFilter();
};

}  // namespace zt
