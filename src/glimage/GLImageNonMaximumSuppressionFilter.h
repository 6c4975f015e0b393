#pragma once
#include "glimage/GLImage3x3TextureSamplingFilter.h"

namespace zt {

// Keeps each pixel's colour where its red channel is a local maximum (see
// GLImageThresholdedNonMaximumSuppressionFilter) and blackens the rest.
class GLImageNonMaximumSuppressionFilter : public GLImage3x3TextureSamplingFilter {
public:
    GLImageNonMaximumSuppressionFilter();
};

}  // namespace zt
