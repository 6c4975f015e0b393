#include "glimage/GLImageColorBlendFilter.h"

#include "glimage/GLImageNonSeparableBlendShader.h"

namespace zt {

GLImageColorBlendFilter::GLImageColorBlendFilter()
    : GLImageTwoInputFilter(detail::nonSeparableBlendFragmentShader(
        detail::NonSeparableBlendFunctions::Luminosity, "setlum(overlay.rgb, lum(base.rgb))"))
{
}

}  // namespace zt
