#pragma once
#include <string>

#include "glimage/GLImageCenterAndAspectFilter.h"

namespace zt {

// Square cells, each the colour at its centre. The cell width is a fraction
// of the frame's width, never below one input pixel. Setters from any
// thread; frames on the context queue.
class GLImagePixellateFilter : public GLImageCenterAndAspectFilter {
public:
    GLImagePixellateFilter();  // cells 0.05 of the width

    double fractionalWidthOfAPixel() const { return _fractionalWidthOfAPixel; }
    void setFractionalWidthOfAPixel(double newValue);
    using GLImageCenterAndAspectFilter::adjustAspectRatio;
    using GLImageCenterAndAspectFilter::aspectRatio;
    using GLImageCenterAndAspectFilter::setAspectRatio;

protected:
    // For the dot screens, which share the cells, the width and the ratio.
    explicit GLImagePixellateFilter(const std::string& fragmentShaderString);

private:
    int32_t fractionalWidthOfAPixelUniform = -1;
    double _fractionalWidthOfAPixel = 0;
};

namespace detail {
// The smallest cell the shaders can draw: one input pixel, or 1/2048 of the
// frame while its width is not known.
double atLeastOnePixel(double fraction, double inputWidth);
}  // namespace detail

}  // namespace zt
