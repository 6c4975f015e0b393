#pragma once
#include <cstdint>

#include "glimage/GLImageFilter.h"

namespace zt {

// Rounds every component, alpha too, to one of colorLevels + 1 steps.
class GLImagePosterizeFilter : public GLImageFilter {
public:
    GLImagePosterizeFilter();

    uint64_t colorLevels() const { return _colorLevels; }
    void setColorLevels(uint64_t newValue);

private:
    int32_t colorLevelsUniform = 0;
    uint64_t _colorLevels = 10;
};

}  // namespace zt
