#include "glimage/GLImageLuminosityBlendFilter.h"

#include "glimage/GLImageNonSeparableBlendShader.h"

namespace zt {

GLImageLuminosityBlendFilter::GLImageLuminosityBlendFilter()
    : GLImageTwoInputFilter(detail::nonSeparableBlendFragmentShader(
        detail::NonSeparableBlendFunctions::Luminosity, "setlum(base.rgb, lum(overlay.rgb))"))
{
}

}  // namespace zt
