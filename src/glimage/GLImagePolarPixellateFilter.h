#pragma once
#include "glimage/GLImageCenterAndAspectFilter.h"

namespace zt {

// Cells of a polar grid around a centre: rings pixelSize.width apart, sectors
// pixelSize.height radians wide, each the colour at its corner.
class GLImagePolarPixellateFilter : public GLImageCenterAndAspectFilter {
public:
    GLImagePolarPixellateFilter();  // centre (0.5, 0.5), cells (0.05, 0.05)

    plat::Size pixelSize() const { return _pixelSize; }
    void setPixelSize(plat::Size newValue);
    using GLImageCenterAndAspectFilter::center;
    using GLImageCenterAndAspectFilter::setCenter;

private:
    int32_t pixelSizeUniform = -1;
    plat::Size _pixelSize {0.05, 0.05};
};

}  // namespace zt
