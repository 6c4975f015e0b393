#pragma once
#include "glimage/GLImagePixellateFilter.h"

namespace zt {

// A black-on-white dot screen: each cell's dot grows with the darkness of
// the colour at its centre.
class GLImageHalftoneFilter : public GLImagePixellateFilter {
public:
    GLImageHalftoneFilter();  // cells 0.01 of the width
};

}  // namespace zt
