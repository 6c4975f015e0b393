#pragma once
#include <memory>

#include "glimage/GLImageFilterGroup.h"

namespace zt {
class GLImageDirectionalNonMaximumSuppressionFilter;
class GLImageDirectionalSobelEdgeDetectionFilter;
class GLImageGrayscaleFilter;
class GLImageSingleComponentGaussianBlurFilter;
class GLImageWeakPixelInclusionFilter;

// Canny's edges, one pixel wide: luminance, a Gaussian blur of it, the
// directional Sobel gradient, non-maximum suppression along the gradient
// between two thresholds, and the inclusion of weak pixels next to strong
// ones. The properties are the member filters'. Context queue for frames.
class GLImageCannyEdgeDetectionFilter : public GLImageFilterGroup {
public:
    GLImageCannyEdgeDetectionFilter();  // blur radius 2, thresholds 0.1 and 0.4

    double blurRadiusInPixels() const;
    void setBlurRadiusInPixels(double newValue);
    double blurTexelSpacingMultiplier() const;
    void setBlurTexelSpacingMultiplier(double newValue);
    double texelWidth() const;
    void setTexelWidth(double newValue);
    double texelHeight() const;
    void setTexelHeight(double newValue);
    double upperThreshold() const;
    void setUpperThreshold(double newValue);
    double lowerThreshold() const;
    void setLowerThreshold(double newValue);

private:
    std::shared_ptr<GLImageGrayscaleFilter> luminanceFilter;
    std::shared_ptr<GLImageSingleComponentGaussianBlurFilter> blurFilter;
    std::shared_ptr<GLImageDirectionalSobelEdgeDetectionFilter> edgeDetectionFilter;
    std::shared_ptr<GLImageDirectionalNonMaximumSuppressionFilter> nonMaximumSuppressionFilter;
    std::shared_ptr<GLImageWeakPixelInclusionFilter> weakPixelInclusionFilter;
};

}  // namespace zt
