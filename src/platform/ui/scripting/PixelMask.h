#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/foundation/Geometry.h"

namespace plat {
class Image;
}

namespace plat::scripting::detail {

// The pixels that differ between two pictures of the screen, past a
// tolerance in a channel (edges blend). Any thread (value type).
class PixelMask {
public:
    static constexpr int kChannelTolerance = 24;

    PixelMask() = default;
    // None set.
    PixelMask(int width, int height);
    PixelMask(const Image& a, const Image& b);

    // Adds another's pixels and their neighbours (what moves blurs its edges).
    void addGrown(const PixelMask& other);
    // Sets the pixels the rectangle (in pixels) touches.
    void addArea(Rect area);
    // The pixels the rectangle touches that are set here and not in the other.
    int64_t countWithin(Rect area, const PixelMask& apartFrom) const;
    // True when no pixel is set.
    bool isClear() const;
    // Set pixels here that the other leaves unset.
    int64_t countOutside(const PixelMask& other) const;

private:
    size_t index(int x, int y) const { return static_cast<size_t>(y) * static_cast<size_t>(_width) + x; }
    // Calls visit(x, y) for each pixel of the mask the rectangle touches.
    template <typename Visit> void forEachWithin(Rect area, Visit visit) const;

    int _width = 0;
    int _height = 0;
    std::vector<bool> _set;
};

}  // namespace plat::scripting::detail
