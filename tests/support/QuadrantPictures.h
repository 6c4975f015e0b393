#pragma once
// Pictures whose way up can be checked (header only, like Pixels.h): four
// coloured quadrants, stored turned or mirrored as cameras store photos.
#include <memory>

#include "platform/graphics/AffineTransform.h"
#include "platform/graphics/Image.h"
#include "support/Pixels.h"

namespace plat::test {

inline constexpr Rgba kQuadrantTopLeft {220, 30, 30, 255};
inline constexpr Rgba kQuadrantTopRight {30, 190, 30, 255};
inline constexpr Rgba kQuadrantBottomLeft {30, 30, 220, 255};
inline constexpr Rgba kQuadrantBottomRight {235, 235, 235, 255};

inline Rgba quadrantColour(double x, double y, double width, double height)
{
    bool top = y < height / 2, left = x < width / 2;
    return top ? (left ? kQuadrantTopLeft : kQuadrantTopRight) : (left ? kQuadrantBottomLeft : kQuadrantBottomRight);
}

// A picture that shows uprightWidth x uprightHeight pixels of quadrants
// once its orientation is applied; its stored pixels are turned (and
// mirrored) the other way, as a camera stores them.
inline std::shared_ptr<Image> makeQuadrantPicture(int uprightWidth, int uprightHeight, ImageOrientation orientation)
{
    bool transposed = isTransposed(orientation);
    int storedWidth = transposed ? uprightHeight : uprightWidth;
    int storedHeight = transposed ? uprightWidth : uprightHeight;
    AffineTransform toUpright
        = uprightTransform(orientation, {static_cast<double>(storedWidth), static_cast<double>(storedHeight)});
    return makeImage(
        storedWidth, storedHeight,
        [&](int x, int y) {
            Point upright = toUpright.apply({x + 0.5, y + 0.5});
            return quadrantColour(upright.x, upright.y, uprightWidth, uprightHeight);
        },
        orientation);
}

// The largest distance of the picture's stored pixels, a quarter in from
// each corner, to the quadrant colours (JPEG blurs the edges between them).
inline int distanceFromQuadrants(const Image& upright)
{
    const Bitmap& pixels = *upright.bitmap();
    int w = pixels.width(), h = pixels.height();
    int distance = 0;
    for (auto [fx, fy] : {std::pair {0.25, 0.25}, {0.75, 0.25}, {0.25, 0.75}, {0.75, 0.75}}) {
        int x = static_cast<int>(w * fx), y = static_cast<int>(h * fy);
        distance = std::max(distance, componentDistance(pixelAt(pixels, x, y), quadrantColour(x, y, w, h)));
    }
    return distance;
}

}  // namespace plat::test
