#pragma once
#include <memory>
#include <optional>

#include "platform/graphics/Bitmap.h"

namespace plat::detail {

// Pixels of a bitmap drawn scaled along the axes, for compositing by cairo at
// (x, y) in device pixels.
struct ResampledTile {
    int x = 0;
    int y = 0;
    std::shared_ptr<Bitmap> pixels;  // premultiplied, BGRA
};

// Draws source with its pixel u at device position offset + u * scale
// (scales > 0) into the device pixels [0, clipWidth) x [0, clipHeight).
// Each pixel of the tile is the source filtered over the pixel's footprint
// (the area average where the picture shrinks, linear interpolation where it
// grows), times the share of the pixel the picture covers. Separable, in
// fixed point, over contiguous rows. None when nothing is covered.
std::optional<ResampledTile> resampleAxisAligned(
    const Bitmap& source, double scaleX, double scaleY, double offsetX, double offsetY, int clipWidth, int clipHeight);

// Device pixels [x, x + width) x [y, y + height).
struct PixelClip {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
};
// The same, drawing only the pixels within clip: each of them comes out as
// the whole picture's would, so a picture drawn in parts matches it drawn whole.
std::optional<ResampledTile> resampleAxisAlignedWithin(
    const Bitmap& source, double scaleX, double scaleY, double offsetX, double offsetY, PixelClip clip);

}  // namespace plat::detail
