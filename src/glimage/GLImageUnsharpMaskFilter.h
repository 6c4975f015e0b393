#pragma once
#include <memory>

#include "glimage/GLImageFilterGroup.h"

namespace zt {
class GLImageGaussianBlurFilter;
class GLImageTwoInputFilter;

// Sharpens by pushing each pixel away from its blurred surroundings:
// sharp * intensity + blurred * (1 - intensity), with the sharp alpha.
// Setters from any thread; frames on the context queue.
class GLImageUnsharpMaskFilter : public GLImageFilterGroup {
public:
    GLImageUnsharpMaskFilter();  // blur radius 4, intensity 1 (the input unchanged)

    double blurRadiusInPixels() const;
    void setBlurRadiusInPixels(double newValue);
    double intensity() const { return _intensity; }
    void setIntensity(double newValue);

    const std::shared_ptr<GLImageGaussianBlurFilter>& blurFilter() const { return _blurFilter; }
    const std::shared_ptr<GLImageTwoInputFilter>& unsharpMaskFilter() const { return _unsharpMaskFilter; }

private:
    std::shared_ptr<GLImageGaussianBlurFilter> _blurFilter;
    std::shared_ptr<GLImageTwoInputFilter> _unsharpMaskFilter;
    double _intensity = 1.0;
};

}  // namespace zt
