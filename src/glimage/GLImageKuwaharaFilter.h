#pragma once
#include <cstdint>

#include "glimage/GLImageFilter.h"

namespace zt {

// An oil-painting look: each pixel takes the mean colour of the least varied
// of the four quadrants around it. The work grows with 4 (radius + 1)^2
// texture reads a pixel.
class GLImageKuwaharaFilter : public GLImageFilter {
public:
    GLImageKuwaharaFilter();

    uint64_t radius() const { return _radius; }
    void setRadius(uint64_t newValue);

private:
    int32_t radiusUniform = 0;
    uint64_t _radius = 3;
};

}  // namespace zt
