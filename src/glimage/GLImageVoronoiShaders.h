#pragma once
#include "platform/foundation/Geometry.h"

// What the Voronoi filters share: the colour code of a position and the
// check of a seed texture's size.
namespace zt::detail {

// GLSL: vec2 getCoordFromColor(vec4 color), the texture coordinate a colour
// encodes for the uniform "size" (r and g the position's low 256 pixels, b
// the 256-pixel blocks: its value times 256 is x block + 8 * y block).
extern const char* const kVoronoiColorDecodingFunction;

// Whether size is square with a side that is a power of two; when not, the
// problem is logged in the form the caller names.
enum class VoronoiSizeMessage { WithColon, WithoutColon };
bool isUsableVoronoiSize(plat::Size size, VoronoiSizeMessage form);

}  // namespace zt::detail
