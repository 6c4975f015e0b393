#pragma once
#include "glimage/GLImageSobelEdgeDetectionFilter.h"

namespace zt {

// Dark Sobel edges on white, as a pencil sketch.
class GLImageSketchFilter : public GLImageSobelEdgeDetectionFilter {
public:
    GLImageSketchFilter();
};

}  // namespace zt
