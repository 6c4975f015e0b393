#include "painter/StrokeScaling.h"

#include <gtest/gtest.h>
#include <sstream>

#include "painter/Stroke.h"

namespace {

using zt::LinePoint;
using zt::Stroke;

// "size s, sample (x, y) w, offset (x, y)" of a stroke read back from its archive.
std::string describe(const Stroke& stroke)
{
    std::ostringstream text;
    text << "size " << stroke.brushSize();
    const LinePoint sample = stroke.moveDisplacement() ? *stroke.moveDisplacement() : stroke.points()[0][0];
    text << ", sample (" << sample.pos().x << ", " << sample.pos().y << ") " << sample.width();
    text << ", offset (" << stroke.offset().x << ", " << stroke.offset().y << ")";
    return text.str();
}

// The dab of each brush type grows with the canvas: a brush's and the
// eraser's through the sample's width, a pen's through its size, a fountain
// pen's through both; a move grows its displacement.
TEST(StrokeScaling, PositionsMovesAndDabsFollowTheCanvasWidth)
{
    struct Case {
        int32_t type;
        int64_t size;
        double paintedWidth;
        double canvasWidth;
        const char* scaled;
    };
    const Case cases[] = {
        {zt::kBrushTypeBrush, 2, 100, 200, "size 2, sample (20, 8) 6, offset (4, -2)"},
        {zt::kBrushTypeEraser, 5, 100, 200, "size 5, sample (20, 8) 6, offset (4, -2)"},
        {zt::kBrushTypePen, 15, 568, 1024, "size 27, sample (18.0282, 7.21127) 3, offset (3.60563, -1.80282)"},
        {zt::kBrushTypeFountainPen, 10, 200, 100, "size 5, sample (5, 2) 1.5, offset (1, -0.5)"},
        {zt::kBrushTypePen, 60, 100, 200, "size 99, sample (20, 8) 3, offset (4, -2)"},
        {zt::kBrushTypePen, 2, 400, 100, "size 1, sample (2.5, 1) 3, offset (0.5, -0.25)"},
        {zt::kBrushTypePen, 0, 100, 200, "size 0, sample (20, 8) 3, offset (4, -2)"},
        {zt::kBrushTypeMove, 0, 100, 200, "size 0, sample (20, 8) 3, offset (4, -2)"},
    };
    for (const Case& c : cases) {
        auto stroke = std::make_shared<Stroke>();
        stroke->setType(c.type);
        stroke->setBrushSize(c.size);
        stroke->setOffset({2, -1});
        if (c.type == zt::kBrushTypeMove)
            stroke->setMoveDisplacement(LinePoint({10, 4}, 3));
        else
            stroke->addWindow({LinePoint({10, 4}, 3), LinePoint({12, 4}, 3), LinePoint({14, 4}, 3)});
        auto archive = zt::StrokeArchive::archivedDataWithStrokes({stroke});
        ASSERT_TRUE(archive.ok());
        auto scaled = zt::StrokeScaling::fittedArchive(
            archive.value(), {c.canvasWidth, c.canvasWidth / 2}, plat::Size {c.paintedWidth, c.paintedWidth / 2});
        ASSERT_TRUE(scaled.ok());
        auto strokes = zt::StrokeArchive::strokesWithData(scaled.value().archive);
        ASSERT_TRUE(strokes.ok() && strokes.value().size() == 1);
        EXPECT_EQ(describe(*strokes.value()[0]), c.scaled) << "type " << c.type << " size " << c.size;
    }
}

}  // namespace
