#include "painter/MaskingView.h"

#include <cmath>
#include <gtest/gtest.h>

#include "PainterTestSupport.h"
#include "document/ProjectModel.h"
#include "painter/PainterLayerManager.h"
#include "painter/Stroke.h"
#include "painter/StrokeArchive.h"
#include "platform/graphics/Image.h"
#include "platform/ui/TouchSynthesizer.h"
#include "platform/ui/testing/PictureComparison.h"
#include "support/Pixels.h"
#include "support/RootScreenTest.h"

namespace {

using plat::test::pixelAt;
using plat::test::Rgba;
using zt::test::CairoStrokePainter;

constexpr int kWidth = 200;
constexpr int kHeight = 120;

// A picture of four coloured quarters, so that flips and stretches show.
std::shared_ptr<plat::Image> quarters(int width, int height)
{
    return plat::Image::imageWithBitmap(
        plat::test::makeBitmap(width, height, plat::PixelOrder::RGBA, [width, height](int x, int y) -> Rgba {
            if (y < height / 2)
                return x < width / 2 ? Rgba {255, 0, 0, 255} : Rgba {0, 255, 0, 255};
            return x < width / 2 ? Rgba {0, 0, 255, 255} : Rgba {255, 255, 0, 255};
        }));
}

double maskSize(double width)
{
    return 5 * width;
}

class MaskingCanvas : public plat::test::RootScreenTest {
protected:
    MaskingCanvas()
    {
        canvas = zt::MaskingView::create(plat::makeRect(10, 20, kWidth, kHeight));
        canvas->setBackgroundImage(picture);
        root->view()->addSubview(canvas);
        driver.wait(0);
    }

    plat::Point windowPoint(plat::Point inCanvas) const { return canvas->convertPoint(inCanvas, nullptr); }
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
    void expectPictureLike(const CairoStrokePainter& reference, const std::string& name)
    {
        const std::string path = sandbox.path(name + ".reference.png");
        ASSERT_TRUE(plat::test::writePicture(*reference.image(), path));
        plat::test::PictureTolerance tolerance;
        tolerance.componentTolerance = 32;
        auto comparison
            = plat::test::compareWithReferencePicture(*canvas->createImage(), path, sandbox.path("out"), tolerance);
        EXPECT_TRUE(comparison.matches) << comparison.explanation;
    }

    std::shared_ptr<plat::Image> picture = quarters(100, 60);
    std::shared_ptr<zt::MaskingView> canvas;
};

}  // namespace

TEST_F(MaskingCanvas, AnUntouchedCanvasShowsTheWholePictureUpright)
{
    ASSERT_TRUE(canvas);
    auto shown = canvas->createImage();
    ASSERT_TRUE(shown);
    EXPECT_EQ(pixelAt(*shown, 20, 20), (Rgba {255, 0, 0, 255}));
    EXPECT_EQ(pixelAt(*shown, 180, 20), (Rgba {0, 255, 0, 255}));
    EXPECT_EQ(pixelAt(*shown, 20, 100), (Rgba {0, 0, 255, 255}));
    EXPECT_EQ(pixelAt(*shown, 180, 100), (Rgba {255, 255, 0, 255}));
}

TEST_F(MaskingCanvas, ATapMakesASquareOf25PixelsTransparent)
{
    driver.tapAt(windowPoint({50, 30}));
    ASSERT_EQ(canvas->strokeBuffer().size(), 1u);
    const auto& stroke = *canvas->strokeBuffer()[0];
    EXPECT_EQ(stroke.type(), 300);
    EXPECT_EQ(stroke.brushSize(), 0);
    EXPECT_EQ(stroke.alpha(), 0.0f);
    auto shown = canvas->createImage();
    // 66 dabs of half: nothing is left in the square, all is left outside it.
    EXPECT_EQ(pixelAt(*shown, 50, 30)[3], 0);
    EXPECT_EQ(pixelAt(*shown, 38, 18)[3], 0);
    EXPECT_EQ(pixelAt(*shown, 61, 41)[3], 0);
    EXPECT_EQ(pixelAt(*shown, 36, 30)[3], 255);
    EXPECT_EQ(pixelAt(*shown, 64, 30)[3], 255);
}

TEST_F(MaskingCanvas, AStrokeMatchesTheSameSquaresDrawnWithCairo)
{
    dragCanvas({{20, 90}, {40, 80}, {60, 72}, {80, 66}, {100, 64}, {120, 66}, {140, 72}, {160, 80}});
    ASSERT_EQ(canvas->strokeBuffer().size(), 1u);
    CairoStrokePainter reference {kWidth, kHeight};
    reference.paintPicture(*picture);
    reference.paintStroke(*canvas->strokeBuffer()[0], nullptr, CairoStrokePainter::Dab::MaskSquare, maskSize);
    expectPictureLike(reference, "mask");
}

TEST_F(MaskingCanvas, UndoingEveryStrokeShowsThePictureWholeAgainAndRedoMasksAgain)
{
    driver.tapAt(windowPoint({50, 30}));
    driver.wait(1);
    driver.tapAt(windowPoint({150, 90}));
    canvas->undo();
    canvas->undo();
    EXPECT_FALSE(canvas->canUndo());
    auto whole = canvas->createImage();
    EXPECT_EQ(pixelAt(*whole, 50, 30), (Rgba {255, 0, 0, 255}));
    EXPECT_EQ(pixelAt(*whole, 150, 90), (Rgba {255, 255, 0, 255}));
    canvas->redo();
    EXPECT_EQ(pixelAt(*canvas->createImage(), 50, 30)[3], 0);
    // A new stroke keeps what can be redone: it comes back on top.
    driver.wait(1);
    driver.tapAt(windowPoint({100, 60}));
    EXPECT_TRUE(canvas->canRedo());
    canvas->redo();
    EXPECT_EQ(canvas->strokeBuffer().size(), 3u);
    EXPECT_EQ(pixelAt(*canvas->createImage(), 150, 90)[3], 0);
}

TEST_F(MaskingCanvas, ANewSizeDrawsThePictureAndTheStrokesAgain)
{
    driver.tapAt(windowPoint({50, 30}));
    canvas->setFrame(plat::makeRect(10, 20, kWidth + 40, kHeight));
    driver.wait(0);
    ASSERT_EQ(canvas->strokeBuffer().size(), 1u);
    auto shown = canvas->createImage();
    ASSERT_EQ(shown->bitmap()->width(), kWidth + 40);
    EXPECT_EQ(pixelAt(*shown, 50, 30)[3], 0);
    EXPECT_EQ(pixelAt(*shown, 230, 110), (Rgba {255, 255, 0, 255}));
}

TEST_F(MaskingCanvas, WithoutAPictureTheSurfaceIsOpaqueWhite)
{
    auto bare = zt::MaskingView::create(plat::makeRect(0, 0, 40, 30));
    root->view()->addSubview(bare);
    driver.wait(0);
    EXPECT_EQ(pixelAt(*bare->createImage(), 20, 15), (Rgba {255, 255, 255, 255}));
}

TEST_F(MaskingCanvas, TheArchiveRoundTripsIntoAnErasedCanvas)
{
    dragCanvas({{20, 90}, {40, 80}, {60, 72}, {80, 66}, {100, 64}});
    auto before = canvas->createImage();
    auto archive = canvas->getBufferData();
    ASSERT_TRUE(archive);
    canvas->erase();
    EXPECT_EQ(pixelAt(*canvas->createImage(), 150, 20)[3], 0);  // the picture is gone until a replay
    ASSERT_TRUE(canvas->loadBufferData(*archive).ok());
    auto after = canvas->createImage();
    for (int y = 0; y < kHeight; y += 3)
        for (int x = 0; x < kWidth; x += 3)
            ASSERT_EQ(pixelAt(*after, x, y), pixelAt(*before, x, y)) << x << "," << y;
}

TEST_F(MaskingCanvas, TheMergeShowsThePreviousFrameWhereTheCurrentOneWasRubbedAway)
{
    auto previous = plat::test::makeImage(kWidth, kHeight, [](int, int) { return Rgba {20, 200, 40, 255}; });
    zt::PainterLayerManager manager(std::make_shared<zt::ProjectModel>(std::nullopt));
    manager.setPaintingCanvas(canvas);
    manager.setViewCanvas(root->view());
    manager.setImageBackground(previous);
    driver.tapAt(windowPoint({50, 30}));
    auto merged = manager.mergeDownAllLayer();
    ASSERT_TRUE(merged);
    EXPECT_EQ(pixelAt(*merged, 50, 30), (Rgba {20, 200, 40, 255}));
    EXPECT_EQ(pixelAt(*merged, 150, 90), (Rgba {255, 255, 0, 255}));
    // Strokes loaded from an archive (canvas positions count from the bottom).
    canvas->erase();
    auto stroke = std::make_shared<zt::Stroke>();
    stroke->addWindow(zt::PointWindow(3, zt::LinePoint({150, 30}, 1)));
    ASSERT_TRUE(canvas->loadBufferData(zt::StrokeArchive::archivedDataWithStrokes({stroke}).value()).ok());
    // 33 dabs of half at one spot leave nothing of the current frame there.
    merged = manager.mergeDownAllLayer();
    EXPECT_EQ(pixelAt(*merged, 150, kHeight - 30), (Rgba {20, 200, 40, 255}));
    EXPECT_EQ(pixelAt(*merged, 20, 20), (Rgba {255, 0, 0, 255}));
}

TEST_F(MaskingCanvas, ACancelledDragIsKeptAsDrawnAndKeepsTheRedoList)
{
    driver.tapAt(windowPoint({180, 100}));
    canvas->undo();
    dragCanvas({{20, 90}, {60, 72}, {100, 64}, {140, 72}}, DragEnd::Cancel);
    ASSERT_EQ(canvas->strokeBuffer().size(), 1u);
    EXPECT_EQ(canvas->strokeBuffer()[0]->points().size(), 2u);  // the pan begins at the first move
    EXPECT_TRUE(canvas->canRedo());
    EXPECT_EQ(pixelAt(*canvas->createImage(), 60, 72)[3], 0);
    canvas->replayBuffer();
    EXPECT_EQ(pixelAt(*canvas->createImage(), 60, 72)[3], 0);
}
