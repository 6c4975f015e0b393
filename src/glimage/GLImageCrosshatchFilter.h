#pragma once
#include "glimage/GLImageFilter.h"

namespace zt {

// Black diagonal hatching on white, one to four directions of lines the
// darker the pixel; pure white stays white. Setters from any thread.
class GLImageCrosshatchFilter : public GLImageFilter {
public:
    GLImageCrosshatchFilter();  // lines 0.03 apart, 0.003 wide

    // Never below one input pixel.
    double crossHatchSpacing() const { return _crossHatchSpacing; }
    void setCrossHatchSpacing(double newValue);
    double lineWidth() const { return _lineWidth; }
    void setLineWidth(double newValue);

private:
    int32_t crossHatchSpacingUniform = -1;
    int32_t lineWidthUniform = -1;
    double _crossHatchSpacing = 0;
    double _lineWidth = 0;
};

}  // namespace zt
