#pragma once
#include "glimage/GLImage3x3TextureSamplingFilter.h"

namespace zt {

// A cartoon: colours posterised to a number of levels, and black where the
// Sobel magnitude of the red channel reaches the threshold.
class GLImageToonFilter : public GLImage3x3TextureSamplingFilter {
public:
    GLImageToonFilter();  // threshold 0.2, 10 levels

    double threshold() const { return _threshold; }
    void setThreshold(double newValue);
    double quantizationLevels() const { return _quantizationLevels; }
    void setQuantizationLevels(double newValue);

private:
    int32_t thresholdUniform = -1;
    int32_t quantizationLevelsUniform = -1;
    double _threshold = 0.2;
    double _quantizationLevels = 10.0;
};

}  // namespace zt
