// The green screen as the capture screen shows it.
#include <gtest/gtest.h>

#include <atomic>

#include "GreenScreenTestSupport.h"
#include "capture/CaptureScreenTestSupport.h"
#include "glimage/GLImageChromaKeyBlendFilter.h"
#include "glimage/GLImageContext.h"
#include "glimage/GLImageView.h"
#include "greenscreen/CaptureChromaKeyCamera.h"
#include "greenscreen/GreenScreenLayouts.h"
#include "platform/ui/Layer.h"
#include "platform/ui/scripting/LayoutCheck.h"
#include "platform/ui/testing/PictureComparison.h"
#include "uikit/BubblePopoverController.h"

namespace {

using zt::CaptureChromaKeyCamera;

class GreenScreenCaptureScreen : public zt::test::CaptureScreenScene {
protected:
    GreenScreenCaptureScreen()
    {
        zt::registerGreenScreenLayouts();
        // A still green-screen picture: the virtual camera's figure sways
        // and its frames come as the pipeline takes them, so a picture of the
        // screen would differ from run to run.
        auto still = plat::test::makeImage(1280, 720, [](int x, int y) {
            const bool body = x >= 560 && x < 720 && y >= 220 && y < 430;
            const bool head = x >= 600 && x < 680 && y >= 120 && y < 210;
            const bool legs = ((x >= 580 && x < 630) || (x >= 650 && x < 700)) && y >= 430 && y < 650;
            if (body)
                return plat::test::Rgba {200, 48, 48, 255};
            if (head)
                return plat::test::Rgba {232, 180, 140, 255};
            if (legs)
                return plat::test::Rgba {90, 70, 50, 255};
            return plat::test::Rgba {31, 150 + (x + y) % 24, 74, 255};
        });
        plat::test::setUpCameras({zt::test::pictureCamera("green-screen", *still)});
        settings().setCurrentCaptureSourceID(CaptureChromaKeyCamera::kCaptureSourceID);
    }
    std::shared_ptr<CaptureChromaKeyCamera> greenScreen() const
    {
        return std::dynamic_pointer_cast<CaptureChromaKeyCamera>(screen->captureSource());
    }
    // Camera frames until the live view shows a keyed one.
    bool runUntilShown()
    {
        auto source = greenScreen();
        if (!source || !source->viewCamera())
            return false;
        const bool shown = runCameraUntil(
            [&] { return source->isReadyToCapture() && source->viewCamera()->layer()->contents() != nullptr; });
        zt::runSynchronouslyOnContextQueue([] {});
        driver.wait(0);
        return shown;
    }
    // A few keyed frames more, so that the live view has drawn at its present size.
    bool settleLivePicture()
    {
        auto source = greenScreen();
        if (!source || !source->filter())
            return false;
        auto counter = std::make_shared<zt::test::FrameCounter>();
        source->filter()->addTarget(counter);
        const bool settled = runCameraUntil([&] { return counter->frames.load() >= 3; });
        zt::runSynchronouslyOnContextQueue([] {});
        source->filter()->removeTarget(counter);
        driver.wait(0);
        return settled;
    }
    void expectPicture(const std::string& name)
    {
        auto picture = driver.screenshot();
        ASSERT_TRUE(picture);
        auto comparison = plat::test::compareWithReferencePicture(
            *picture, plat::test::sourcePath("tests/data/greenscreen/" + name), ::testing::TempDir());
        EXPECT_TRUE(comparison.matches) << comparison.explanation;
    }
};

TEST_F(GreenScreenCaptureScreen, ShowsTheKeyedLivePictureAndItsSettingsButton)
{
    showScreen();
    ASSERT_TRUE(greenScreen());
    ASSERT_TRUE(runUntilShown());
    // Its settings button waits in the options panel, out of sight until the panel opens.
    EXPECT_FALSE(driver.findView("Green Screen Settings"));
    EXPECT_EQ(plat::scripting::layoutFaults(*window), std::vector<std::string> {});
    ASSERT_TRUE(takePicture());
    auto stored = plat::Image::imageWithContentsOfFile(
        plat::appendingPathComponent(*project->getProjectPath(), "frame-" + announcedFrames.back() + ".jpg"));
    ASSERT_TRUE(stored);
    // The figure in the middle, the default wall (not the green field) at the side.
    auto middle = plat::test::pixelAt(*stored, stored->bitmap()->width() / 2, stored->bitmap()->height() * 45 / 100);
    EXPECT_GT(middle[0], 160);
    EXPECT_LT(middle[1], 90);
    auto side = plat::test::pixelAt(*stored, stored->bitmap()->width() / 10, stored->bitmap()->height() / 2);
    EXPECT_LT(side[1], side[2] + 20);
    expectPicture("capture_screen.png");
}

TEST_F(GreenScreenCaptureScreen, TheSettingsButtonOpensTheConfigurationOverTheLivePicture)
{
    showScreen();
    ASSERT_TRUE(runUntilShown());
    // The source's own controls sit in the options panel.
    ASSERT_TRUE(driver.tap("Options"));
    driver.wait(1);
    EXPECT_EQ(plat::scripting::layoutFaults(*window), std::vector<std::string> {});
    ASSERT_TRUE(driver.tap("Green Screen Settings"));
    driver.wait(1);
    ASSERT_TRUE(settleLivePicture());
    auto source = greenScreen();
    ASSERT_TRUE(source);
    auto popover = source->popoverController();
    ASSERT_TRUE(popover);
    EXPECT_TRUE(popover->isPopoverVisible());
    expectPicture("capture_screen_configuration.png");
}

}  // namespace
