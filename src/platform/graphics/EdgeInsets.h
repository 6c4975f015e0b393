#pragma once
#include "platform/foundation/Geometry.h"

namespace plat {

// Insets from the four edges of a rectangle, in points, as the platform's.
struct EdgeInsets {
    double top = 0;
    double left = 0;
    double bottom = 0;
    double right = 0;
    friend bool operator==(const EdgeInsets&, const EdgeInsets&) = default;
};

inline Rect insetRect(Rect rect, EdgeInsets insets)
{
    return {{rect.origin.x + insets.left, rect.origin.y + insets.top},
        {rect.size.width - insets.left - insets.right, rect.size.height - insets.top - insets.bottom}};
}

}  // namespace plat
