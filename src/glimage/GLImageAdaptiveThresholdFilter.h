#pragma once
#include <memory>

#include "glimage/GLImageFilterGroup.h"

namespace zt {
class GLImageBoxBlurFilter;
class GLImageGrayscaleFilter;
class GLImageTwoInputFilter;

// Black and white by the neighbourhood: a pixel is white when its grey is
// at least its box-blurred surroundings' grey less 0.05, so flat regions
// come out white and only local darkening turns black. Setters from any
// thread; frames on the context queue.
class GLImageAdaptiveThresholdFilter : public GLImageFilterGroup {
public:
    GLImageAdaptiveThresholdFilter();  // the box blur's radius, 4

    double blurRadiusInPixels() const;
    void setBlurRadiusInPixels(double newValue);

    const std::shared_ptr<GLImageGrayscaleFilter>& luminanceFilter() const { return _luminanceFilter; }
    const std::shared_ptr<GLImageBoxBlurFilter>& boxBlurFilter() const { return _boxBlurFilter; }
    const std::shared_ptr<GLImageTwoInputFilter>& adaptiveThresholdFilter() const { return _adaptiveThresholdFilter; }

private:
    std::shared_ptr<GLImageGrayscaleFilter> _luminanceFilter;
    std::shared_ptr<GLImageBoxBlurFilter> _boxBlurFilter;
    std::shared_ptr<GLImageTwoInputFilter> _adaptiveThresholdFilter;
};

}  // namespace zt
