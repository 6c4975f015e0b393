#pragma once
#include "glimage/GLImageFilter.h"

namespace zt {

// Snaps the picture to a coarse grid and to the nearest of black, white,
// cyan and magenta.
class GLImageCGAColorspaceFilter : public GLImageFilter {
public:
    GLImageCGAColorspaceFilter();
};

}  // namespace zt
