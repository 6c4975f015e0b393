#pragma once
#include "glimage/GLImageFilter.h"

namespace zt {

// Thins the gradient of the directional Sobel filter to lines: a pixel
// keeps its magnitude only where neither neighbour along its gradient is
// larger, weighted by where it lies between the two thresholds. Context
// queue for frames; the setters may be called from any thread.
class GLImageDirectionalNonMaximumSuppressionFilter : public GLImageFilter {
public:
    GLImageDirectionalNonMaximumSuppressionFilter();  // thresholds 0.1 and 0.5

    void setupFilterForSize(plat::Size filterFrameSize) override;

    double texelWidth() const { return _texelWidth; }
    void setTexelWidth(double newValue);
    double texelHeight() const { return _texelHeight; }
    void setTexelHeight(double newValue);
    double upperThreshold() const { return _upperThreshold; }
    void setUpperThreshold(double newValue);
    double lowerThreshold() const { return _lowerThreshold; }
    void setLowerThreshold(double newValue);

private:
    int32_t texelWidthUniform = -1;
    int32_t texelHeightUniform = -1;
    int32_t upperThresholdUniform = -1;
    int32_t lowerThresholdUniform = -1;
    bool hasOverriddenImageSizeFactor = false;
    double _texelWidth = 0;
    double _texelHeight = 0;
    double _upperThreshold = 0.5;
    double _lowerThreshold = 0.1;
};

}  // namespace zt
