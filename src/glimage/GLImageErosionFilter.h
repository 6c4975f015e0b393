#pragma once
#include <cstdint>

#include "glimage/GLImageTwoPassTextureSamplingFilter.h"

namespace zt {

// Grey erosion: each pixel becomes the smallest red value in the square of
// the radius around it, as opaque grey; a vertical, then a horizontal pass.
// Context queue, as GLImageFilter.
class GLImageErosionFilter : public GLImageTwoPassTextureSamplingFilter {
public:
    GLImageErosionFilter();  // radius 1
    // Radius in pixels, 1 to 4; larger radii act as 4, 0 as 1.
    explicit GLImageErosionFilter(uint32_t radius);
};

}  // namespace zt
