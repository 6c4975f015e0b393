#pragma once
#include <optional>
#include <vector>

#include "painter/StrokeArchive.h"
#include "platform/foundation/Geometry.h"

namespace plat {
class Image;
}

namespace zt {

// Tells the canvas that strokes were painted on from the frame's pictures,
// where their archive does not keep it: the painted picture differs from the
// unpainted one where the strokes lie, and the merge stretched the canvas
// over the picture, so only at the canvas size they were painted at do the
// strokes' samples fall on those pixels. Any thread.
class StrokeCanvasFinder {
public:
    // Of the canvases, the one at which at least three quarters of the
    // drawing samples (the eraser's and moves aside) fall on painted pixels,
    // when it is the only one; none when no canvas, or more than one, does,
    // or the pictures are not of one size.
    static std::optional<plat::Size> canvasOfStrokes(const StrokeList& strokes, const plat::Image& unpainted,
        const plat::Image& painted, const std::vector<plat::Size>& canvases);
};

}  // namespace zt
