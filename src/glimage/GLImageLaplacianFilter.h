#pragma once
#include "glimage/GLImage3x3ConvolutionFilter.h"

namespace zt {

// The Laplacian of each colour channel around mid-grey: a flat picture
// becomes 0.5 grey, edges brighter or darker.
class GLImageLaplacianFilter : public GLImage3x3ConvolutionFilter {
public:
    GLImageLaplacianFilter();
};

}  // namespace zt
