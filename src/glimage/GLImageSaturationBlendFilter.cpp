#include "glimage/GLImageSaturationBlendFilter.h"

#include "glimage/GLImageNonSeparableBlendShader.h"

namespace zt {

GLImageSaturationBlendFilter::GLImageSaturationBlendFilter()
    : GLImageTwoInputFilter(
        detail::nonSeparableBlendFragmentShader(detail::NonSeparableBlendFunctions::LuminosityAndSaturation,
            "setlum(setsat(base.rgb, sat(overlay.rgb)), lum(base.rgb))"))
{
}

}  // namespace zt
