#pragma once
#include "glimage/GLImageSobelEdgeDetectionFilter.h"

namespace zt {

// The products of the image derivatives that corner detection needs:
// red Ix squared, green Iy squared, blue Ix Iy taken from -1..1 to 0..1.
class GLImageXYDerivativeFilter : public GLImageSobelEdgeDetectionFilter {
public:
    GLImageXYDerivativeFilter();
};

}  // namespace zt
