#pragma once
#include <string>
#include <string_view>

namespace zt::detail {

// The GLSL functions the non-separable blend modes need: luminosity alone
// (colour, luminosity) or with saturation (hue, saturation).
enum class NonSeparableBlendFunctions { Luminosity, LuminosityAndSaturation };

// A two-input fragment shader that mixes blendedColour (a GLSL vec3
// expression over "base" and "overlay") into the base by the overlay's
// alpha, keeping the base's alpha.
std::string nonSeparableBlendFragmentShader(NonSeparableBlendFunctions functions, std::string_view blendedColour);

}  // namespace zt::detail
