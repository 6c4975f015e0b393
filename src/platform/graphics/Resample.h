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

}  // namespace plat::detail
