#pragma once
#include <atomic>
#include <memory>

#include "glimage/GLImageFilterGroup.h"

namespace zt {
class GLImageGaussianBlurFilter;
class GLImageLuminanceRangeFilter;
class GLImageSaturationFilter;

// A frosted-glass panel: less saturated, blurred on a picture reduced by the
// downsampling factor, its luminance range pulled in, and scaled back up.
// A new factor takes effect with the next frame size. Setters from any
// thread; frames on the context queue.
class GLImageiOSBlurFilter : public GLImageFilterGroup {
public:
    GLImageiOSBlurFilter();  // blur radius 12, saturation 0.8, downsampling 4

    void setInputSize(plat::Size newSize, int64_t textureIndex) override;

    double blurRadiusInPixels() const;
    void setBlurRadiusInPixels(double newValue);
    double saturation() const;
    void setSaturation(double newValue);
    // Factors of 1 or less leave every member at the frame's size.
    double downsampling() const { return _downsampling; }
    void setDownsampling(double newValue) { _downsampling = newValue; }

    const std::shared_ptr<GLImageSaturationFilter>& saturationFilter() const { return _saturationFilter; }
    const std::shared_ptr<GLImageGaussianBlurFilter>& blurFilter() const { return _blurFilter; }
    const std::shared_ptr<GLImageLuminanceRangeFilter>& luminanceRangeFilter() const { return _luminanceRangeFilter; }

private:
    std::shared_ptr<GLImageSaturationFilter> _saturationFilter;
    std::shared_ptr<GLImageGaussianBlurFilter> _blurFilter;
    std::shared_ptr<GLImageLuminanceRangeFilter> _luminanceRangeFilter;
    std::atomic<double> _downsampling = 4.0;
    plat::Size forcedFrameSize;  // context queue: the rotated size last forced
    double forcedFactor = 0;  // context queue: the factor it was forced with, 0 when none
};

}  // namespace zt
