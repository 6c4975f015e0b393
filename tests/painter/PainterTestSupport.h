#pragma once
#include <memory>
#include <vector>

#include "painter/PaintingCanvasView.h"
#include "painter/Stroke.h"
#include "platform/foundation/Geometry.h"

namespace plat {
class Image;
}

namespace zt::test {

// The painter screen's five brushes with their pictures, sizes and colours.
PainterBrushes makeBrushes();

// Draws dabs as GL does, with cairo, from the samples the canvas recorded:
// each window's samples are smoothed into a curve again here (quadratic
// segments between the midpoints of neighbouring samples) and every curve
// sample becomes a dab of the brush picture, tinted, over what is there.
class CairoStrokePainter {
public:
    CairoStrokePainter(int width, int height);
    ~CairoStrokePainter();
    CairoStrokePainter(const CairoStrokePainter&) = delete;
    CairoStrokePainter& operator=(const CairoStrokePainter&) = delete;

    enum class Dab { Textured, Erasing, MaskSquare };
    // Paints a whole recorded stroke; sizeOfWidth gives a dab's side from
    // its sample's width.
    void paintStroke(const Stroke& stroke, const plat::Image* texture, Dab kind, double (*sizeOfWidth)(double width),
        plat::Point offset = {});
    // The whole surface covered by the picture (masking's background).
    void paintPicture(const plat::Image& picture);
    std::shared_ptr<plat::Image> image() const;

    // The curve samples of one window (tests of the smoothing count them).
    static std::vector<LinePoint> curveThrough(const PointWindow& window);

private:
    struct Impl;
    std::unique_ptr<Impl> _impl;
};

}  // namespace zt::test
