// The painting reaches what leaves the app: the frame's picture that the
// strip shows and the movie that an export writes.
#include <gtest/gtest.h>
#include <optional>

#include "painter/PainterViewController.h"
#include "platform/foundation/Paths.h"
#include "platform/ui/Button.h"
#include "platform/ui/TouchSynthesizer.h"
#include "platform/ui/ViewController.h"
#include "platform/ui/Window.h"
#include "platform/ui/testing/UIDriver.h"
#include "platform/ui/testing/UIScope.h"
#include "render/RenderTestSupport.h"
#include "render/ZantropeMovieRenderer.h"
#include "support/ManualClockScope.h"
#include "support/MediaTools.h"
#include "uikit/HelpManager.h"

namespace {

using plat::test::componentDistance;
using plat::test::Rgba;

const Rgba kRed {220, 40, 40, 255};
const Rgba kGreen {40, 200, 60, 255};
const Rgba kPen {228, 73, 19, 255};
const Rgba kFountainPen {253, 182, 50, 255};

Rgba decodedAt(const std::vector<uint8_t>& frame, int width, int x, int y)
{
    const uint8_t* p
        = frame.data() + (static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x)) * 3;
    return {p[0], p[1], p[2], 255};
}

class PaintedMovie : public zt::test::RenderProject {
protected:
    // Paints two lines on the first frame through the painter screen, on
    // the manual clock; the export afterwards runs on the real one.
    void paintFirstFrame()
    {
        plat::test::ManualClockScope clock;
        plat::test::UIScope ui;
        auto window = std::make_shared<plat::Window>();
        auto root = std::make_shared<plat::ViewController>();
        window->setRootViewController(root);
        window->makeKeyAndVisible();
        plat::test::UIDriver driver;
        driver.wait(0);
        auto painter = std::make_shared<zt::PainterViewController>(zt::PainterViewController::kLayoutName, project);
        painter->setCurrentFrame(0);
        root->presentViewController(painter, false, nullptr);
        driver.wait(0.5);
        if (auto help = painter->helpManager()) {
            ASSERT_TRUE(help->outlets().btnNext);
            driver.tap(*help->outlets().btnNext);
            driver.wait(1);
        }
        auto line = [&](const char* tool, double y) {
            driver.wait(1);
            ASSERT_TRUE(driver.tap(tool));
            plat::TouchSynthesizer touches(window);
            auto touch = touches.touchDown(painter->drawingView()->convertPoint({150, y}, nullptr));
            for (double x = 153; x <= 420; x += 3) {
                driver.wait(plat::test::UIDriver::kStepSeconds);
                touches.moveTouch(touch, painter->drawingView()->convertPoint({x, y}, nullptr));
            }
            driver.wait(plat::test::UIDriver::kStepSeconds);
            touches.liftTouch(touch);
            driver.wait(0);
        };
        line("Pen", 160);
        line("Fountain Pen", 210);
        driver.wait(1);
        ASSERT_TRUE(driver.tap("Back"));
        driver.wait(1);
        root->dismissViewControllerAnimated(false, nullptr);
        driver.wait(1);
    }
};

}  // namespace

TEST_F(PaintedMovie, ThePaintingIsInTheStripsPicturesAndInTheExportedMovie)
{
    addFlatPicture("A", kRed);
    addFlatPicture("B", kGreen);
    paintFirstFrame();
    if (HasFatalFailure())
        return;

    // The strip's thumbnail of the frame (272 x 153) shows both lines.
    auto thumb = plat::Image::imageWithData(*project->fileDataForFileWithPreferredFilename("thumb-A.jpg"));
    ASSERT_TRUE(thumb);
    EXPECT_LE(componentDistance(plat::test::pixelAt(*thumb, 136, 76), kPen), 40);
    EXPECT_LE(componentDistance(plat::test::pixelAt(*thumb, 136, 100), kFountainPen), 48);
    EXPECT_LE(componentDistance(plat::test::pixelAt(*thumb, 10, 10), kRed), 12);

    auto renderer = std::make_shared<zt::ZantropeMovieRenderer>(project);
    ASSERT_TRUE(exportAndWait(*renderer, zt::test::movieType({320, 180})));
    ASSERT_EQ(renderer->status(), zt::MovieRendererStatusCompleted);
    const std::string path = renderer->exportURL()->path();
    auto frames = plat::test::decodeVideoWithFFmpeg(plat::deletingLastPathComponent(path), path, 320, 180);
    ASSERT_GE(frames.size(), 3u);
    // The painted frame (shown twice at the start), then the unpainted one.
    EXPECT_LE(componentDistance(decodedAt(frames[0], 320, 160, 90), kPen), 40);
    EXPECT_LE(componentDistance(decodedAt(frames[1], 320, 160, 118), kFountainPen), 48);
    EXPECT_LE(componentDistance(decodedAt(frames[0], 320, 10, 10), kRed), 12);
    EXPECT_LE(componentDistance(decodedAt(frames[2], 320, 160, 90), kGreen), 12);
}
