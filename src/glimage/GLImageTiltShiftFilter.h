#pragma once
#include <memory>

#include "glimage/GLImageFilterGroup.h"

namespace zt {
class GLImageGaussianBlurFilter;
class GLImageTwoInputFilter;

// A miniature look: a sharp horizontal band from topFocusLevel to
// bottomFocusLevel (frame fractions from the top), blurred above and below
// with a fall-off of focusFallOffRate. Setters from any thread; frames on
// the context queue.
class GLImageTiltShiftFilter : public GLImageFilterGroup {
public:
    GLImageTiltShiftFilter();  // blur radius 7, band 0.4 to 0.6, fall-off 0.2

    double blurRadiusInPixels() const;
    void setBlurRadiusInPixels(double newValue);
    double topFocusLevel() const { return _topFocusLevel; }
    void setTopFocusLevel(double newValue);
    double bottomFocusLevel() const { return _bottomFocusLevel; }
    void setBottomFocusLevel(double newValue);
    double focusFallOffRate() const { return _focusFallOffRate; }
    void setFocusFallOffRate(double newValue);

    const std::shared_ptr<GLImageGaussianBlurFilter>& blurFilter() const { return _blurFilter; }
    const std::shared_ptr<GLImageTwoInputFilter>& tiltShiftFilter() const { return _tiltShiftFilter; }

private:
    std::shared_ptr<GLImageGaussianBlurFilter> _blurFilter;
    std::shared_ptr<GLImageTwoInputFilter> _tiltShiftFilter;
    double _topFocusLevel = 0;
    double _bottomFocusLevel = 0;
    double _focusFallOffRate = 0;
};

}  // namespace zt
