#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "glimage/GLImageFilterGroup.h"

namespace zt {
class GLImageFilter;
class GLImageGaussianBlurFilter;
class GLImageThresholdedNonMaximumSuppressionFilter;
class GLImageXYDerivativeFilter;

// Harris corners: the products of the image derivatives, blurred, turned
// into a cornerness value, thresholded local maxima of it, and the lit
// pixels of those read back as positions (fractions of the frame, row 0
// first, at most kMaximumCorners a frame). The Noble and Shi-Tomasi
// detectors differ only in their cornerness shader. The block runs on the
// context queue after every frame, also when nothing was found.
class GLImageHarrisCornerDetectionFilter : public GLImageFilterGroup {
public:
    static constexpr uint64_t kMaximumCorners = 511;
    // x, y pairs; the pointer is good until the next frame.
    using CornersDetectedBlock
        = std::function<void(const float* cornerArray, uint64_t cornersDetected, const plat::MediaTime& frameTime)>;

    GLImageHarrisCornerDetectionFilter();
    explicit GLImageHarrisCornerDetectionFilter(const std::string& cornerDetectionFragmentShader);

    bool wantsMonochromeInput() override { return true; }

    double blurRadiusInPixels() const;
    void setBlurRadiusInPixels(double newValue);
    double sensitivity() const { return _sensitivity; }
    void setSensitivity(double newValue);
    double threshold() const;
    void setThreshold(double newValue);
    CornersDetectedBlock cornersDetectedBlock() const;
    // Any thread; takes effect before the next frame's scan.
    void setCornersDetectedBlock(CornersDetectedBlock block);
    // Kept for callers; nothing fills it.
    const std::vector<std::shared_ptr<GLImageOutput>>& intermediateImages() const { return _intermediateImages; }

    // Context queue: reads the last stage back and hands its corners on.
    void extractCornerLocationsFromImageAtFrameTime(const plat::MediaTime& frameTime);

    struct CornerExtraction;

protected:
    std::shared_ptr<GLImageXYDerivativeFilter> derivativeFilter;
    std::shared_ptr<GLImageGaussianBlurFilter> blurFilter;
    std::shared_ptr<GLImageFilter> harrisCornerDetectionFilter;
    std::shared_ptr<GLImageThresholdedNonMaximumSuppressionFilter> nonMaximumSuppressionFilter;

private:
    // Shared with the suppression filter's completion block, which must not
    // keep the detector alive.
    std::shared_ptr<CornerExtraction> _extraction;
    double _sensitivity = 5.0;
    std::vector<std::shared_ptr<GLImageOutput>> _intermediateImages;
};

}  // namespace zt
