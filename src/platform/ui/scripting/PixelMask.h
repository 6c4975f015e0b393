#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

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
    PixelMask(const Image& a, const Image& b);

    // Adds another's pixels and their neighbours (what moves blurs its edges).
    void addGrown(const PixelMask& other);
    // Set pixels here that the other leaves unset.
    int64_t countOutside(const PixelMask& other) const;

private:
    size_t index(int x, int y) const { return static_cast<size_t>(y) * static_cast<size_t>(_width) + x; }

    int _width = 0;
    int _height = 0;
    std::vector<bool> _set;
};

}  // namespace plat::scripting::detail
