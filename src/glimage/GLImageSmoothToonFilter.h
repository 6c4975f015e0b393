#pragma once
#include <memory>

#include "glimage/GLImageFilterGroup.h"

namespace zt {
class GLImageGaussianBlurFilter;
class GLImageToonFilter;

// The cartoon filter over a Gaussian blur, which keeps noise from drawing
// edges. Its properties are its two filters'. Context queue for frames.
class GLImageSmoothToonFilter : public GLImageFilterGroup {
public:
    GLImageSmoothToonFilter();  // blur radius 2, threshold 0.2, 10 levels

    double texelWidth() const;
    void setTexelWidth(double newValue);
    double texelHeight() const;
    void setTexelHeight(double newValue);
    double blurRadiusInPixels() const;
    void setBlurRadiusInPixels(double newValue);
    double threshold() const;
    void setThreshold(double newValue);
    double quantizationLevels() const;
    void setQuantizationLevels(double newValue);

private:
    std::shared_ptr<GLImageGaussianBlurFilter> blurFilter;
    std::shared_ptr<GLImageToonFilter> toonFilter;
};

}  // namespace zt
