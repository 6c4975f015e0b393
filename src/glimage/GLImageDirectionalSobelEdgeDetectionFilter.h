#pragma once
#include "glimage/GLImage3x3TextureSamplingFilter.h"

namespace zt {

// The Sobel gradient with its direction: red the magnitude, green and blue
// the direction snapped to one of the eight neighbours and taken from
// -1..1 to 0..1.
class GLImageDirectionalSobelEdgeDetectionFilter : public GLImage3x3TextureSamplingFilter {
public:
    GLImageDirectionalSobelEdgeDetectionFilter();
};

}  // namespace zt
