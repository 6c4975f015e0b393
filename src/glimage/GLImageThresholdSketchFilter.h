#pragma once
#include "glimage/GLImageThresholdEdgeDetectionFilter.h"

namespace zt {

// Black Sobel edges on white where the magnitude reaches the threshold.
class GLImageThresholdSketchFilter : public GLImageThresholdEdgeDetectionFilter {
public:
    GLImageThresholdSketchFilter();
};

}  // namespace zt
