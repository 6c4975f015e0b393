// The green screen as the capture screen shows it.
#include <gtest/gtest.h>

#include "capture/CaptureScreenTestSupport.h"
#include "glimage/GLImageContext.h"
#include "glimage/GLImageView.h"
#include "greenscreen/CaptureChromaKeyCamera.h"
#include "greenscreen/GreenScreenLayouts.h"
#include "platform/ui/Layer.h"
#include "platform/ui/testing/PictureComparison.h"
#include "uikit/BubblePopoverController.h"

namespace {

using zt::CaptureChromaKeyCamera;

class GreenScreenCaptureScreen : public zt::test::CaptureScreenScene {
protected:
    GreenScreenCaptureScreen()
    {
        zt::registerGreenScreenLayouts();
        plat::test::setUpCameras(
            {plat::test::greenScreenCamera(plat::CaptureDevicePosition::Back, 1280, 720, zt::test::kCameraFrameRate)});
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
    EXPECT_TRUE(driver.findView("Green Screen Settings"));
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
    ASSERT_TRUE(driver.tap("Green Screen Settings"));
    driver.wait(1);
    auto source = greenScreen();
    ASSERT_TRUE(source);
    auto popover = source->popoverController();
    ASSERT_TRUE(popover);
    EXPECT_TRUE(popover->isPopoverVisible());
    expectPicture("capture_screen_configuration.png");
}

}  // namespace
