#pragma once
#include "glimage/GLImageFilter.h"

namespace zt {

// Scales each colour channel's distance from mid-grey; alpha is kept.
class GLImageContrastFilter : public GLImageFilter {
public:
    GLImageContrastFilter();

    double contrast() const { return _contrast; }
    void setContrast(double newContrast);

private:
    int32_t contrastUniform = 0;
    double _contrast = 1.0;
};

}  // namespace zt
