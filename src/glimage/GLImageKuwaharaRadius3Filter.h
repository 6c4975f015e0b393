#pragma once
#include "glimage/GLImageFilter.h"

namespace zt {

// Kuwahara smoothing of radius 3 whose step is fixed at one pixel of a
// 768 x 1024 picture, whatever the input's size: each pixel takes the mean
// of the quietest of four overlapping 4 x 4 windows around it.
class GLImageKuwaharaRadius3Filter : public GLImageFilter {
public:
    GLImageKuwaharaRadius3Filter();
};

}  // namespace zt
