#pragma once
#include <cstdint>

#include "glimage/GLImageTwoPassTextureSamplingFilter.h"

namespace zt {

// Colour dilation: each channel, alpha included, becomes its largest value in
// the square of the radius around the pixel; a vertical, then a horizontal pass.
// Context queue, as GLImageFilter.
class GLImageRGBDilationFilter : public GLImageTwoPassTextureSamplingFilter {
public:
    GLImageRGBDilationFilter();  // radius 1
    // Radius in pixels, 1 to 4; larger radii act as 4, 0 as 1.
    explicit GLImageRGBDilationFilter(uint32_t radius);
};

}  // namespace zt
