#pragma once
#include "glimage/GLImageColorMatrixFilter.h"

namespace zt {

// A colour matrix that tones the picture in warm browns.
class GLImageSepiaFilter : public GLImageColorMatrixFilter {
public:
    GLImageSepiaFilter();
};

}  // namespace zt
