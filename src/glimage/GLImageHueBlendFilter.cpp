#include "glimage/GLImageHueBlendFilter.h"

#include "glimage/GLImageNonSeparableBlendShader.h"

namespace zt {

GLImageHueBlendFilter::GLImageHueBlendFilter()
    : GLImageTwoInputFilter(
        detail::nonSeparableBlendFragmentShader(detail::NonSeparableBlendFunctions::LuminosityAndSaturation,
            "setlum(setsat(overlay.rgb, sat(base.rgb)), lum(base.rgb))"))
{
}

}  // namespace zt
