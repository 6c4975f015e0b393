#include "glimage/GLImageiOSBlurFilter.h"

#include <algorithm>
#include <cmath>

#include "glimage/GLImageContext.h"
#include "glimage/GLImageGaussianBlurFilter.h"
#include "glimage/GLImageLuminanceRangeFilter.h"
#include "glimage/GLImageSaturationFilter.h"

namespace zt {

GLImageiOSBlurFilter::GLImageiOSBlurFilter()
    : _saturationFilter(std::make_shared<GLImageSaturationFilter>())
    , _blurFilter(std::make_shared<GLImageGaussianBlurFilter>())
    , _luminanceRangeFilter(std::make_shared<GLImageLuminanceRangeFilter>())
{
    addFilter(_saturationFilter);
    addFilter(_blurFilter);
    addFilter(_luminanceRangeFilter);
    _saturationFilter->addTarget(_blurFilter);
    _blurFilter->addTarget(_luminanceRangeFilter);
    setInitialFilters({_saturationFilter});
    setTerminalFilter(_luminanceRangeFilter);

    setBlurRadiusInPixels(12.0);
    setSaturation(0.8);
    setDownsampling(4.0);
}

void GLImageiOSBlurFilter::setInputSize(plat::Size newSize, int64_t textureIndex)
{
    runSynchronouslyOnContextQueue([&] {
        const double factor = _downsampling;
        const plat::Size rotated = _saturationFilter->rotatedSize(newSize, textureIndex);
        // Forcing a size rebuilds the members' framebuffers: only when it changes.
        const bool reduce = factor > 1.0 && rotated.width > 0 && rotated.height > 0;
        if (reduce && (rotated != forcedFrameSize || factor != forcedFactor)) {
            forcedFrameSize = rotated;
            forcedFactor = factor;
            // At least one pixel a side, or nothing would be drawn at all.
            const plat::Size reduced = {
                std::max(1.0, std::floor(rotated.width / factor)), std::max(1.0, std::floor(rotated.height / factor))};
            _saturationFilter->forceProcessingAtSize(reduced);
            _luminanceRangeFilter->forceProcessingAtSize(rotated);
        } else if (!reduce && factor <= 1.0 && forcedFactor > 1.0) {
            // A factor of 1 or less now: the members follow the frame again.
            forcedFrameSize = {};
            forcedFactor = 0;
            _saturationFilter->forceProcessingAtSize({});
            _luminanceRangeFilter->forceProcessingAtSize({});
        }
        GLImageFilterGroup::setInputSize(newSize, textureIndex);
    });
}

double GLImageiOSBlurFilter::blurRadiusInPixels() const
{
    return _blurFilter->blurRadiusInPixels();
}

void GLImageiOSBlurFilter::setBlurRadiusInPixels(double newValue)
{
    _blurFilter->setBlurRadiusInPixels(newValue);
}

double GLImageiOSBlurFilter::saturation() const
{
    return _saturationFilter->saturation();
}

void GLImageiOSBlurFilter::setSaturation(double newValue)
{
    _saturationFilter->setSaturation(newValue);
}

}  // namespace zt
