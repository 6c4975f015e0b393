#pragma once
#include "glimage/GLImageTwoInputFilter.h"

namespace zt {

// Exclusion: like the difference, with less contrast; the base's alpha.
class GLImageExclusionBlendFilter : public GLImageTwoInputFilter {
public:
    GLImageExclusionBlendFilter();
};

}  // namespace zt
