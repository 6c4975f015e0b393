#pragma once
#include "glimage/GLImage3x3TextureSamplingFilter.h"

namespace zt {

// How a suppression filter reads its input: the red channel, or a count
// spread over the colour channels as blue * 256 + green + red / 256.
enum class GLImageColorspacePacking { Unpacked, Packed };

// Keeps the local maxima of its input that reach the threshold, as white
// on black. A pixel is a maximum when it is strictly above its top, top
// left, left and bottom left neighbours and not below the other four, so
// of a plateau of equal values only one pixel stays.
class GLImageThresholdedNonMaximumSuppressionFilter : public GLImage3x3TextureSamplingFilter {
public:
    GLImageThresholdedNonMaximumSuppressionFilter();  // unpacked
    explicit GLImageThresholdedNonMaximumSuppressionFilter(GLImageColorspacePacking packing);  // threshold 0.9

    double threshold() const { return _threshold; }
    void setThreshold(double newValue);

private:
    int32_t thresholdUniform = -1;
    double _threshold = 0.9;
};

}  // namespace zt
