#include "glimage/GLImageVoronoiShaders.h"

#include <cmath>

#include "platform/foundation/Log.h"

namespace zt::detail {

const char* const kVoronoiColorDecodingFunction = R"(
vec2 getCoordFromColor(vec4 color)
{
    float z = color.z * 256.0;
    float yoff = floor(z / 8.0);
    float xoff = mod(z, 8.0);
    float x = color.x * 256.0 + xoff * 256.0;
    float y = color.y * 256.0 + yoff * 256.0;
    return vec2(x, y) / size;
}
)";

bool isUsableVoronoiSize(plat::Size size, VoronoiSizeMessage form)
{
    const double widthLog = std::log2(size.width);
    const double heightLog = std::log2(size.height);
    if (widthLog != heightLog) {
        plat::log("Voronoi point texture must be square");
        return false;
    }
    // Also refuses sizes without a logarithm (0, negative, not a number).
    if (!std::isfinite(widthLog) || widthLog != std::floor(widthLog)) {
        if (form == VoronoiSizeMessage::WithColon)
            plat::log("Voronoi point texture must be a power of 2.  Texture size: {}, {}", size.width, size.height);
        else
            plat::log("Voronoi point texture must be a power of 2.  Texture size {}, {}", size.width, size.height);
        return false;
    }
    return true;
}

}  // namespace zt::detail
