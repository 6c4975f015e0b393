#include "painter/PaintingView.h"

#include <gtest/gtest.h>

#include "PainterTestSupport.h"
#include "painter/PainterBrush.h"
#include "painter/Stroke.h"
#include "platform/graphics/Image.h"
#include "platform/ui/TouchSynthesizer.h"
#include "platform/ui/testing/PictureComparison.h"
#include "support/Pixels.h"
#include "support/RootScreenTest.h"

namespace {

using plat::test::pixelAt;
using zt::test::CairoStrokePainter;

constexpr double kWidth = 240;
constexpr double kHeight = 160;

class PaintingCanvas : public plat::test::RootScreenTest {
protected:
    PaintingCanvas()
    {
        canvas->setBrushes(brushes);
        root->view()->addSubview(canvas);
        driver.wait(0);
    }

    plat::Point windowPoint(plat::Point inCanvas) const { return canvas->convertPoint(inCanvas, nullptr); }
    void tapCanvas(plat::Point inCanvas) { driver.tapAt(windowPoint(inCanvas)); }
    // A finger drawn through the points, one touch event per point, a
    // screen refresh apart.
    void dragCanvas(const std::vector<plat::Point>& points)
    {
        plat::TouchSynthesizer touches(window);
        auto touch = touches.touchDown(windowPoint(points.front()));
        for (size_t i = 1; i < points.size(); ++i) {
            driver.wait(plat::test::UIDriver::kStepSeconds);
            touches.moveTouch(touch, windowPoint(points[i]));
        }
        driver.wait(plat::test::UIDriver::kStepSeconds);
        touches.liftTouch(touch);
        driver.wait(0);
    }
    // The canvas's picture must match cairo's drawing of the same samples.
    void expectPictureLike(const CairoStrokePainter& reference, const std::string& name)
    {
        auto painted = canvas->createImage();
        ASSERT_TRUE(painted);
        const std::string referencePath
            = (std::getenv("ZT_KEEP") ? std::string(std::getenv("ZT_KEEP")) + "/" : sandbox.path("")) + name
            + ".reference.png";
        ASSERT_TRUE(plat::test::writePicture(*reference.image(), referencePath));
        plat::test::PictureTolerance tolerance;
        tolerance.componentTolerance = 32;
        auto comparison = plat::test::compareWithReferencePicture(*painted, referencePath,
            std::getenv("ZT_KEEP") ? std::string(std::getenv("ZT_KEEP")) : sandbox.path("out"), tolerance);
        EXPECT_TRUE(comparison.matches) << comparison.explanation;
    }

    zt::PainterBrushes brushes = zt::test::makeBrushes();
    std::shared_ptr<zt::PaintingView> canvas
        = std::make_shared<zt::PaintingView>(plat::makeRect(20, 30, kWidth, kHeight));
};

double penSize(double)
{
    return 15;
}

}  // namespace

TEST_F(PaintingCanvas, ATapDrawsOneStrokeOfFourSamplesAtTheTap)
{
    ASSERT_TRUE(canvas->hasSurface());
    canvas->changeBrush(zt::kBrushTypePen);
    tapCanvas({100, 60});
    ASSERT_EQ(canvas->strokeBuffer().size(), 1u);
    const auto& stroke = *canvas->strokeBuffer()[0];
    EXPECT_EQ(stroke.type(), zt::kBrushTypePen);
    EXPECT_EQ(stroke.brushSize(), 15);
    ASSERT_EQ(stroke.points().size(), 1u);
    ASSERT_EQ(stroke.points()[0].size(), 4u);
    for (const auto& sample : stroke.points()[0]) {
        EXPECT_EQ(sample.pos(), (plat::Point {100, kHeight - 60}));
        EXPECT_FLOAT_EQ(sample.width(), 5.0f);
    }
    EXPECT_EQ(CairoStrokePainter::curveThrough(stroke.points()[0]).size(), 66u);

    CairoStrokePainter reference {int(kWidth), int(kHeight)};
    reference.paintStroke(
        stroke, brushes[zt::kBrushTypePen]->image().get(), CairoStrokePainter::Dab::Textured, penSize);
    expectPictureLike(reference, "tap");
    auto painted = canvas->createImage();
    EXPECT_EQ(pixelAt(*painted, 100, 60)[3], 255);
    EXPECT_EQ(pixelAt(*painted, 130, 60)[3], 0);
}
