#pragma once
#include "glimage/GLImageFilter.h"

namespace zt {

// Turns each colour channel into its complement; alpha is kept.
class GLImageColorInvertFilter : public GLImageFilter {
public:
    GLImageColorInvertFilter();
};

}  // namespace zt
