#include "painter/PaintingView.h"

#include <algorithm>
#include <cstdlib>
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
    // Cancel: the system takes the finger instead of it being lifted.
    enum class DragEnd { Lift, Cancel };
    void dragCanvas(const std::vector<plat::Point>& points, DragEnd end = DragEnd::Lift)
    {
        plat::TouchSynthesizer touches(window);
        auto touch = touches.touchDown(windowPoint(points.front()));
        for (size_t i = 1; i < points.size(); ++i) {
            driver.wait(plat::test::UIDriver::kStepSeconds);
            touches.moveTouch(touch, windowPoint(points[i]));
        }
        driver.wait(plat::test::UIDriver::kStepSeconds);
        if (end == DragEnd::Cancel)
            touches.cancelAllTouches();
        else
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

namespace {

double brushSize(double width)
{
    return 2 * width;
}
double fountainPenSize(double width)
{
    return 10 - width > 3 ? 10 - width : 3;
}
double eraserSize(double width)
{
    return 5 * width;
}

const std::vector<plat::Point> kWave {{30, 40}, {40, 44}, {52, 50}, {66, 58}, {80, 64}, {96, 68}, {112, 70}, {130, 68},
    {146, 62}, {160, 56}, {176, 52}, {190, 52}, {204, 56}};

}  // namespace

TEST_F(PaintingCanvas, StrokesOfEachBrushMatchTheSameDabsDrawnWithCairo)
{
    struct Case {
        int32_t type;
        double (*size)(double);
    };
    for (const Case& c : {Case {zt::kBrushTypeBrush, brushSize}, Case {zt::kBrushTypePen, penSize},
             Case {zt::kBrushTypeFountainPen, fountainPenSize}}) {
        SCOPED_TRACE(c.type);
        canvas->erase();
        canvas->changeBrush(c.type);
        dragCanvas(kWave);
        ASSERT_EQ(canvas->strokeBuffer().size(), 1u);
        const auto& stroke = *canvas->strokeBuffer()[0];
        EXPECT_EQ(stroke.type(), c.type);
        EXPECT_GT(stroke.points().size(), 5u);
        CairoStrokePainter reference {int(kWidth), int(kHeight)};
        reference.paintStroke(stroke, brushes[c.type]->image().get(), CairoStrokePainter::Dab::Textured, c.size);
        expectPictureLike(reference, "stroke-" + std::to_string(c.type));
    }
}

TEST_F(PaintingCanvas, TheEraserTakesAwayHalfOfWhatEachDabCovers)
{
    canvas->changeBrush(zt::kBrushTypePen);
    dragCanvas(kWave);
    canvas->changeBrush(zt::kBrushTypeEraser);
    dragCanvas({{110, 20}, {112, 40}, {114, 60}, {116, 80}, {118, 100}, {120, 120}, {122, 140}});
    ASSERT_EQ(canvas->strokeBuffer().size(), 2u);
    CairoStrokePainter reference {int(kWidth), int(kHeight)};
    reference.paintStroke(*canvas->strokeBuffer()[0], brushes[zt::kBrushTypePen]->image().get(),
        CairoStrokePainter::Dab::Textured, penSize);
    // The eraser keeps the texture of the brush chosen before it.
    reference.paintStroke(*canvas->strokeBuffer()[1], brushes[zt::kBrushTypePen]->image().get(),
        CairoStrokePainter::Dab::Erasing, eraserSize);
    expectPictureLike(reference, "eraser");
}

TEST_F(PaintingCanvas, WidthsFollowTheFingersSpeedWithinTheirLimits)
{
    canvas->changeBrush(zt::kBrushTypeBrush);
    // Slow: 1 point a step is 60 points per second, below one width.
    std::vector<plat::Point> slow;
    for (int i = 0; i < 40; ++i)
        slow.push_back({20.0 + 2 * i, 80});
    dragCanvas(slow);
    // Fast: 150 points a step is 9000 points per second, past the largest width.
    dragCanvas({{10, 20}, {25, 20}, {175, 20}, {230, 150}, {10, 150}, {200, 100}});
    ASSERT_EQ(canvas->strokeBuffer().size(), 2u);
    for (float width : canvas->strokeBuffer()[0]->velocities()) {
        EXPECT_GE(width, 1.0f);
        EXPECT_LE(width, 40.0f);
    }
    const auto& fast = canvas->strokeBuffer()[1]->velocities();
    ASSERT_GE(fast.size(), 3u);
    EXPECT_LE(*std::max_element(fast.begin(), fast.end()), 40.0f);
    EXPECT_GT(fast.back(), 10.0f);
}

TEST_F(PaintingCanvas, UndoRedoAndANewStrokeAfterUndo)
{
    canvas->changeBrush(zt::kBrushTypePen);
    tapCanvas({60, 60});
    driver.wait(1);
    tapCanvas({160, 90});
    auto both = canvas->createImage();
    canvas->undo();
    EXPECT_EQ(canvas->strokeBuffer().size(), 1u);
    EXPECT_TRUE(canvas->canRedo());
    EXPECT_EQ(pixelAt(*canvas->createImage(), 160, 90)[3], 0);
    EXPECT_EQ(pixelAt(*canvas->createImage(), 60, 60)[3], 255);
    canvas->redo();
    EXPECT_FALSE(canvas->canRedo());
    auto again = canvas->createImage();
    EXPECT_EQ(pixelAt(*again, 160, 90), pixelAt(*both, 160, 90));

    canvas->undo();
    driver.wait(1);
    tapCanvas({100, 30});
    EXPECT_FALSE(canvas->canRedo());
    canvas->redo();
    EXPECT_EQ(canvas->strokeBuffer().size(), 2u);
}

TEST_F(PaintingCanvas, EraseThenRedoBringsBackTheLastUndoneStroke)
{
    canvas->changeBrush(zt::kBrushTypePen);
    tapCanvas({60, 60});
    driver.wait(1);
    tapCanvas({160, 90});
    canvas->undo();
    canvas->erase();
    EXPECT_FALSE(canvas->canUndo());
    EXPECT_EQ(pixelAt(*canvas->createImage(), 60, 60)[3], 0);
    canvas->redo();
    ASSERT_EQ(canvas->strokeBuffer().size(), 1u);
    EXPECT_EQ(pixelAt(*canvas->createImage(), 160, 90)[3], 255);
    EXPECT_EQ(pixelAt(*canvas->createImage(), 60, 60)[3], 0);
}

TEST_F(PaintingCanvas, ALayoutAtTheSameSizeKeepsTheStrokesAndANewSizeDrawsThemAgain)
{
    canvas->changeBrush(zt::kBrushTypePen);
    dragCanvas(kWave);
    auto before = canvas->createImage();
    canvas->setNeedsLayout();
    canvas->layoutIfNeeded();
    EXPECT_EQ(canvas->strokeBuffer().size(), 1u);
    EXPECT_EQ(pixelAt(*canvas->createImage(), 112, 90), pixelAt(*before, 112, 90));

    canvas->setFrame(plat::makeRect(20, 30, kWidth + 40, kHeight + 20));
    driver.wait(0);
    ASSERT_EQ(canvas->strokeBuffer().size(), 1u);
    auto resized = canvas->createImage();
    ASSERT_EQ(resized->bitmap()->width(), int(kWidth) + 40);
    // Canvas positions count from the bottom: the picture moves down by the added height.
    CairoStrokePainter reference {int(kWidth) + 40, int(kHeight) + 20};
    reference.paintStroke(*canvas->strokeBuffer()[0], brushes[zt::kBrushTypePen]->image().get(),
        CairoStrokePainter::Dab::Textured, penSize);
    expectPictureLike(reference, "resized");
}

TEST_F(PaintingCanvas, TheArchiveLoadedIntoAnErasedCanvasDrawsTheSamePicture)
{
    canvas->changeBrush(zt::kBrushTypeBrush);
    dragCanvas(kWave);
    canvas->changeBrush(zt::kBrushTypePen);
    dragCanvas({{40, 120}, {60, 110}, {80, 100}, {100, 96}, {120, 98}});
    auto painted = canvas->createImage();
    auto archive = canvas->getBufferData();
    ASSERT_TRUE(archive);

    canvas->erase();
    EXPECT_EQ(pixelAt(*canvas->createImage(), 100, 96)[3], 0);
    ASSERT_TRUE(canvas->loadBufferData(*archive).ok());
    ASSERT_EQ(canvas->strokeBuffer().size(), 2u);
    auto reloaded = canvas->createImage();
    for (int y = 0; y < int(kHeight); y += 3)
        for (int x = 0; x < int(kWidth); x += 3)
            ASSERT_EQ(pixelAt(*reloaded, x, y), pixelAt(*painted, x, y)) << x << "," << y;
}

TEST_F(PaintingCanvas, DataThatIsNotAStrokeArchiveLeavesTheCanvasAsItWas)
{
    canvas->changeBrush(zt::kBrushTypePen);
    tapCanvas({60, 60});
    plat::Data junk {'b', 'p', 'l', 'i', 's', 't', '0', '0', 1, 2, 3};
    auto loaded = canvas->loadBufferData(junk);
    ASSERT_FALSE(loaded.ok());
    EXPECT_EQ(loaded.error().domain(), "Stroke");
    EXPECT_EQ(canvas->strokeBuffer().size(), 1u);
    EXPECT_EQ(pixelAt(*canvas->createImage(), 60, 60)[3], 255);
}

TEST_F(PaintingCanvas, TheMoveBrushShiftsTheContentByTheFingersTravel)
{
    canvas->changeBrush(zt::kBrushTypePen);
    tapCanvas({60, 60});
    canvas->changeBrush(zt::kBrushTypeMove);
    dragCanvas({{100, 100}, {110, 105}, {120, 110}, {130, 120}});
    ASSERT_EQ(canvas->strokeBuffer().size(), 2u);
    EXPECT_EQ(canvas->frame(), plat::makeRect(20, 30, kWidth, kHeight));  // back in place
    auto moved = canvas->createImage();
    EXPECT_EQ(pixelAt(*moved, 90, 80)[3], 255);
    EXPECT_EQ(pixelAt(*moved, 60, 60)[3], 0);

    canvas->undo();
    EXPECT_EQ(pixelAt(*canvas->createImage(), 60, 60)[3], 255);
    EXPECT_EQ(pixelAt(*canvas->createImage(), 90, 80)[3], 0);
    canvas->redo();
    EXPECT_EQ(pixelAt(*canvas->createImage(), 90, 80)[3], 255);
    // A tap with the move brush records nothing.
    tapCanvas({10, 10});
    EXPECT_EQ(canvas->strokeBuffer().size(), 2u);
}

TEST_F(PaintingCanvas, AReplayUsesTheRecordedSizesAndGivesTheChosenOnesBack)
{
    canvas->changeBrush(zt::kBrushTypePen);
    tapCanvas({60, 60});
    driver.wait(1);
    brushes[zt::kBrushTypePen]->setSize(30);
    tapCanvas({160, 60});
    canvas->changeBrush(zt::kBrushTypeBrush);
    brushes[zt::kBrushTypeBrush]->setSize(7);
    canvas->replayBuffer();
    EXPECT_EQ(brushes[zt::kBrushTypePen]->size(), 30);
    EXPECT_EQ(brushes[zt::kBrushTypeBrush]->size(), 7);
    EXPECT_EQ(canvas->brush(), brushes[zt::kBrushTypeBrush]);
    auto picture = canvas->createImage();
    // 15 and 30 pixel pens: the first is gone 10 pixels from its centre, the second is not.
    EXPECT_EQ(pixelAt(*picture, 70, 60)[3], 0);
    EXPECT_GT(pixelAt(*picture, 170, 60)[3], 100);
}

TEST_F(PaintingCanvas, AStrokeWithoutAUsableSizeIsReplayedAtTheBrushsDefaultSize)
{
    auto stroke = std::make_shared<zt::Stroke>();
    stroke->setType(zt::kBrushTypePen);
    stroke->setColor(0, 0, 1, 1);
    stroke->setBrushSize(0);
    stroke->addWindow(zt::PointWindow(4, zt::LinePoint({100, 80}, 5)));
    auto big = std::make_shared<zt::Stroke>(*stroke);
    big->setBrushSize(150);
    auto archive = zt::StrokeArchive::archivedDataWithStrokes({stroke, big});
    ASSERT_TRUE(archive.ok());
    brushes[zt::kBrushTypePen]->setDefaultSize(21);
    ASSERT_TRUE(canvas->loadBufferData(archive.value()).ok());
    auto picture = canvas->createImage();
    // Twenty-one pixels wide: 9 from the centre is inside, 12 is not.
    EXPECT_GT(pixelAt(*picture, 109, 80)[3], 0);
    EXPECT_EQ(pixelAt(*picture, 112, 80)[3], 0);
}

TEST_F(PaintingCanvas, AnUntouchedCanvasIsTransparent)
{
    auto picture = canvas->createImage();
    ASSERT_TRUE(picture);
    EXPECT_EQ(picture->bitmap()->width(), int(kWidth));
    for (int y = 0; y < int(kHeight); y += 7)
        for (int x = 0; x < int(kWidth); x += 7)
            ASSERT_EQ(pixelAt(*picture, x, y)[3], 0);
}

TEST_F(PaintingCanvas, WhatIsPaintedIsShownInTheViewsLayer)
{
    canvas->changeBrush(zt::kBrushTypePen);
    tapCanvas({60, 60});
    driver.wait(0);
    auto screen = driver.screenshot();
    ASSERT_TRUE(screen);
    // The screenshot is at two pixels per point; the canvas starts at (20, 30).
    const auto shown = pixelAt(*screen, (20 + 60) * 2, (30 + 60) * 2);
    EXPECT_NEAR(shown[0], 228, 3);
    EXPECT_NEAR(shown[1], 73, 3);
    EXPECT_NEAR(shown[2], 19, 3);
}

TEST_F(PaintingCanvas, AnEmptyCanvasHasNoSurfaceUntilItGetsASize)
{
    auto empty = std::make_shared<zt::PaintingView>(plat::makeRect(0, 0, 0, 0));
    empty->setBrushes(brushes);
    root->view()->addSubview(empty);
    driver.wait(0);
    EXPECT_FALSE(empty->hasSurface());
    empty->changeBrush(zt::kBrushTypePen);
    empty->addStrokeWithPosition({10, 10}, 5, 0, empty->brush());  // recorded, drawn later
    empty->setFrame(plat::makeRect(0, 0, 40, 30));
    driver.wait(0);
    ASSERT_TRUE(empty->hasSurface());
    EXPECT_EQ(pixelAt(*empty->createImage(), 10, 20)[3], 255);
}

TEST_F(PaintingCanvas, ACancelledDragIsKeptAsDrawnAndEmptiesTheRedoList)
{
    canvas->changeBrush(zt::kBrushTypePen);
    tapCanvas({200, 130});
    canvas->undo();
    dragCanvas({{20, 100}, {60, 80}, {100, 70}, {140, 75}}, DragEnd::Cancel);
    ASSERT_EQ(canvas->strokeBuffer().size(), 1u);
    EXPECT_EQ(canvas->strokeBuffer()[0]->points().size(), 2u);  // the pan begins at the first move
    EXPECT_FALSE(canvas->canRedo());
    EXPECT_EQ(pixelAt(*canvas->createImage(), 60, 80)[3], 255);
    canvas->replayBuffer();
    EXPECT_EQ(pixelAt(*canvas->createImage(), 60, 80)[3], 255);
}
