#pragma once
#include "glimage/GLImageSobelEdgeDetectionFilter.h"

namespace zt {

// Edges as white on black: 1 where the gradient of the four direct
// neighbours, times the edge strength, reaches the threshold.
class GLImageThresholdEdgeDetectionFilter : public GLImageSobelEdgeDetectionFilter {
public:
    GLImageThresholdEdgeDetectionFilter();  // threshold 0.25
    explicit GLImageThresholdEdgeDetectionFilter(const std::string& fragmentShaderString);

    double threshold() const { return _threshold; }
    void setThreshold(double newValue);

private:
    int32_t thresholdUniform = -1;
    double _threshold = 0.25;
};

}  // namespace zt
