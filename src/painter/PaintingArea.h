#pragma once
#include <vector>

#include "platform/foundation/Geometry.h"

namespace zt {

// Where the painter paints: a 16:9 picture area over the whole width of the
// screen held landscape, whose canvas has one pixel a point. Any thread.
class PaintingArea {
public:
    static constexpr float kPictureAspect = 0.5625f;  // 16:9

    // The picture area on a screen of this size, either way round.
    static plat::Size sizeOnScreen(plat::Size screen);
    // The canvases paintings are made on: the picture area of each kind of
    // device's screen, in whole pixels as the canvas's pictures are.
    static std::vector<plat::Size> canvasSizesOfDevices();
};

}  // namespace zt
