#pragma once
#include "glimage/GLImageSobelEdgeDetectionFilter.h"

namespace zt {

// Edges by the Prewitt operator: the Sobel one with equal weights across
// the neighbourhood.
class GLImagePrewittEdgeDetectionFilter : public GLImageSobelEdgeDetectionFilter {
public:
    GLImagePrewittEdgeDetectionFilter();
};

}  // namespace zt
