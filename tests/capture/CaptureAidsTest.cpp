#include <gtest/gtest.h>

#include <cmath>

#include "CaptureScreenTestSupport.h"
#include "capture/SimulatorCamera.h"
#include "platform/media/AudioPlayer.h"
#include "platform/media/capture/CaptureDevice.h"
#include "platform/media/capture/CaptureInput.h"
#include "platform/media/capture/CaptureVideoPreviewLayer.h"
#include "platform/ui/ImageView.h"
#include "platform/ui/Layer.h"
#include "platform/ui/ViewRendering.h"
#include "platform/ui/testing/PictureComparison.h"

namespace {

using zt::CaptureViewController;
using Rgba = plat::test::Rgba;

constexpr Rgba kRed {210, 40, 40, 255};
constexpr Rgba kGreen {40, 190, 60, 255};
constexpr Rgba kBlue {50, 70, 220, 255};

class CaptureAids : public zt::test::CaptureScreenScene {
protected:
    void showWithCamera(std::optional<plat::CaptureDeviceDescription> camera = std::nullopt)
    {
        plat::test::setUpCameras({camera.value_or(zt::test::pictureCamera("sky", *zt::test::landscapePicture()))});
        showScreen();
    }
    // Moves the slider as a finger would end a drag there.
    void moveSlider(const char* name, double value)
    {
        auto slider = outlet<plat::Slider>(name);
        slider->setValue(value);
        slider->sendActionsForControlEvents(plat::ControlEventValueChanged);
    }
    // The local camera's device; fails the test when there is none.
    std::shared_ptr<plat::CaptureDevice> cameraDevice() const
    {
        auto camera = localCamera();
        const std::shared_ptr<plat::CaptureDeviceInput> input = camera ? camera->captureInput() : nullptr;
        if (!input) {
            ADD_FAILURE() << "no local camera is set up";
            return std::make_shared<plat::CaptureDevice>(plat::CaptureDeviceDescription {}, "none");
        }
        return input->device();
    }
    std::shared_ptr<plat::ImageView> onionFront() { return screen->viewOnionFront(); }
    std::shared_ptr<plat::ImageView> onionBack() { return screen->viewOnionBack(); }
    static Rgba middleOf(const std::shared_ptr<const plat::Image>& picture)
    {
        return plat::test::pixelAt(
            *picture, static_cast<int>(picture->size().width / 2), static_cast<int>(picture->size().height / 2));
    }
    std::string lastMessage()
    {
        driver.wait(0);
        return screen->messageDisplay() ? screen->messageDisplay()->caption() : std::string();
    }
};

TEST_F(CaptureAids, TheOnionSkinShowsTheTwoFramesBeforeThePlaceholderAndFollowsThePictures)
{
    addStoredPictures({kRed, kGreen, kBlue});
    showWithCamera();
    ASSERT_TRUE(onionFront()->image() && onionBack()->image());
    EXPECT_LT(plat::test::componentDistance(middleOf(onionFront()->image()), kBlue), 24);
    EXPECT_LT(plat::test::componentDistance(middleOf(onionBack()->image()), kGreen), 24);
    ASSERT_TRUE(takePicture());
    EXPECT_LT(plat::test::componentDistance(middleOf(onionBack()->image()), kBlue), 24);
    EXPECT_LT(plat::test::componentDistance(middleOf(onionFront()->image()), {60, 120, 230, 255}), 24);
}

TEST_F(CaptureAids, APlaceholderInFrontShowsTheLastTwoFrames)
{
    addStoredPictures({kRed, kGreen, kBlue});
    auto& list = project->getFrameList();
    auto placeholder = *list.getFrameAtIndex(list.getCaptureIndex());
    list.removeFrameAtIndex(list.getCaptureIndex());
    list.insertFrame(placeholder, 0);
    showWithCamera();
    ASSERT_TRUE(onionFront()->image() && onionBack()->image());
    EXPECT_LT(plat::test::componentDistance(middleOf(onionFront()->image()), kBlue), 24);
    EXPECT_LT(plat::test::componentDistance(middleOf(onionBack()->image()), kGreen), 24);
}

TEST_F(CaptureAids, AProjectWithoutPicturesHasNoOnionSkin)
{
    showWithCamera();
    EXPECT_FALSE(onionFront()->image());
    EXPECT_FALSE(onionBack()->image());
}

TEST_F(CaptureAids, TheOverlaySnapsToTenthsAndFadesTheLivePictureOverTheOnion)
{
    showWithCamera();
    auto container = outlet<plat::View>("viewCameraContainer");
    const auto& live = screen->captureSource()->captureSourceViewCamera();
    ASSERT_TRUE(live);
    moveSlider("sliderOverlayControl", 0.14);
    EXPECT_DOUBLE_EQ(outlet<plat::Slider>("sliderOverlayControl")->value(), 0.1);
    EXPECT_DOUBLE_EQ(container->alpha(), 0.1);
    EXPECT_DOUBLE_EQ(live->alpha(), 0.1);
    EXPECT_EQ(onionFront()->alpha(), 0.7);
    EXPECT_FLOAT_EQ(settings().overlaySetting(), 0.1f);
    moveSlider("sliderOverlayControl", 0.16);
    EXPECT_DOUBLE_EQ(outlet<plat::Slider>("sliderOverlayControl")->value(), 0.2);
    moveSlider("sliderOverlayControl", 0.04);
    EXPECT_EQ(outlet<plat::Slider>("sliderOverlayControl")->value(), 0.0);
    EXPECT_EQ(container->alpha(), 0.0);
    EXPECT_EQ(onionFront()->alpha(), 1.0);
    EXPECT_FALSE(container->isHidden());  // only a tablet hides the camera
    EXPECT_DOUBLE_EQ(CaptureViewController::snappedOverlayValue(0.25), 0.3);
    EXPECT_DOUBLE_EQ(CaptureViewController::snappedOverlayValue(0.35), 0.4);
}

TEST_F(CaptureAids, TheOverlayAndGridOfTheLastScreenComeBack)
{
    settings().setOverlaySetting(0.6f);
    settings().setIsGridEnabled(true);
    showWithCamera();
    EXPECT_DOUBLE_EQ(outlet<plat::Slider>("sliderOverlayControl")->value(), 0.6);
    EXPECT_FALSE(outlet<plat::View>("viewGrid")->isHidden());
    EXPECT_TRUE(outlet<plat::Button>("buttonGrid")->isSelected());
}

TEST_F(CaptureAids, TheGridAndTheSoundsAreSwitchedAndRemembered)
{
    showWithCamera();
    auto grid = outlet<plat::View>("viewGrid");
    EXPECT_TRUE(grid->isHidden());
    ASSERT_TRUE(driver.tap("Options"));
    driver.wait(0.5);
    ASSERT_TRUE(driver.tap("Grid"));
    EXPECT_FALSE(grid->isHidden());
    EXPECT_TRUE(settings().isGridEnabled());
    ASSERT_TRUE(driver.tap("Grid"));
    EXPECT_TRUE(grid->isHidden());
    EXPECT_FALSE(settings().isGridEnabled());

    ASSERT_TRUE(driver.tap("Sound"));
    EXPECT_FALSE(settings().isGUISoundEnabled());
    EXPECT_EQ(lastMessage(), "Sound disabled");
    // Muted, the shutter makes no sound.
    driver.wait(1.5);
    ASSERT_TRUE(takePicture());
    EXPECT_FALSE(screen->audioCamera()->isPlaying());
    ASSERT_TRUE(driver.tap("Muted"));
    EXPECT_TRUE(settings().isGUISoundEnabled());
    EXPECT_EQ(lastMessage(), "Sound enabled");
    endStill();
    ASSERT_TRUE(takePicture());
    EXPECT_TRUE(screen->audioCamera()->isPlaying());
}

TEST_F(CaptureAids, TheOptionsPanelSlidesInFromAboveAndBack)
{
    showWithCamera();
    auto panel = outlet<plat::View>("viewCaptureControls");
    const double height = panel->frame().height();
    EXPECT_EQ(panel->frame().origin.y, -height - 8);
    ASSERT_TRUE(driver.tap("Options"));
    EXPECT_EQ(panel->frame().origin.y, 0);
    EXPECT_EQ(panel->frame().height(), height);
    ASSERT_TRUE(driver.tap("Options"));
    EXPECT_EQ(panel->frame().origin.y, -height - 8);
}

TEST_F(CaptureAids, ModeTogglesLockAndFreeTheCameraAndRememberTheMode)
{
    showWithCamera();
    auto camera = localCamera();
    ASSERT_TRUE(camera);
    auto focus = outlet<plat::Button>("buttonFocus");
    EXPECT_FALSE(focus->isHidden());
    EXPECT_TRUE(focus->isSelected());
    ASSERT_TRUE(driver.tap("Options"));
    driver.wait(0.5);
    ASSERT_TRUE(driver.tap("AF"));
    EXPECT_EQ(lastMessage(), "Autofocus disabled");
    EXPECT_FALSE(focus->isSelected());
    EXPECT_EQ(settings().focusMode(), 0);
    EXPECT_EQ(cameraDevice()->focusMode(), plat::CaptureFocusMode::Locked);
    ASSERT_TRUE(driver.tap("AF"));
    EXPECT_EQ(lastMessage(), "Autofocus enabled");
    EXPECT_TRUE(focus->isSelected());

    ASSERT_TRUE(driver.tap("AE"));
    EXPECT_EQ(lastMessage(), "Automatic Exposure disabled");
    EXPECT_EQ(settings().exposureMode(), 0);
    ASSERT_TRUE(driver.tap("AWB"));
    EXPECT_EQ(lastMessage(), "Automatic White Balance disabled");
    EXPECT_EQ(settings().whiteBalanceMode(), 0);
    EXPECT_EQ(cameraDevice()->whiteBalanceMode(), plat::CaptureWhiteBalanceMode::Locked);
}

TEST_F(CaptureAids, StoredModesAreHandedToTheSourceAndAModeTheCameraLacksHidesItsButton)
{
    settings().setExposureMode(0);
    auto camera = zt::test::pictureCamera("sky", *zt::test::landscapePicture());
    camera.whiteBalanceModes = {2};
    showWithCamera(camera);
    EXPECT_EQ(cameraDevice()->exposureMode(), plat::CaptureExposureMode::Locked);
    EXPECT_FALSE(outlet<plat::Button>("buttonExposure")->isSelected());
    EXPECT_TRUE(outlet<plat::Button>("buttonWhiteBalance")->isHidden());
    EXPECT_FALSE(outlet<plat::Button>("buttonFocus")->isHidden());
}

// A source whose focus can only be locked: asking for continuous gives locked.
class LockOnlySource : public zt::SimulatorCamera {
public:
    void setFocusMode(int64_t) override { setFocusModeValue(zt::kCaptureModeLocked); }
};

TEST_F(CaptureAids, FocusOnASourceThatCanOnlyLockStaysOff)
{
    showWithCamera();
    screen->switchCaptureSource(std::make_shared<LockOnlySource>());
    ASSERT_TRUE(driver.tap("Options"));
    driver.wait(0.5);
    ASSERT_TRUE(driver.tap("AF"));
    EXPECT_EQ(lastMessage(), "Autofocus disabled");
    EXPECT_FALSE(outlet<plat::Button>("buttonFocus")->isSelected());
}

TEST_F(CaptureAids, APinchZoomsBetweenOneAndFiveAndIgnoresAFingerOutside)
{
    showWithCamera();
    auto camera = outlet<plat::View>("viewCamera");
    auto zoom = outlet<plat::Slider>("_sliderZoom");
    EXPECT_EQ(zoom->alpha(), 0.0);
    driver.pinch({260, 160}, 60, 420);  // would be 7
    EXPECT_EQ(screen->effectiveScale(), 5.0);
    EXPECT_EQ(camera->layer()->affineTransform().a, 5.0);
    EXPECT_EQ(zoom->value(), 5.0);
    EXPECT_EQ(zoom->alpha(), 1.0);
    EXPECT_FLOAT_EQ(settings().cameraEffectiveScale(), 5.0f);
    driver.pinch({260, 160}, 300, 40);  // would be 5 / 7.5
    EXPECT_EQ(screen->effectiveScale(), 1.0);
    // One finger leaves the camera view at once: nothing changes.
    driver.pinch({20, 40}, 40, 240);
    EXPECT_EQ(screen->effectiveScale(), 1.0);
    // The slider fades when it has not been used for three seconds.
    clock.advance(4);
    EXPECT_EQ(zoom->alpha(), 0.0);
}

TEST_F(CaptureAids, ASourceWithoutZoomIgnoresThePinch)
{
    showWithCamera();
    screen->switchCaptureSource(std::make_shared<zt::SimulatorCamera>());
    driver.pinch({260, 160}, 60, 240);
    EXPECT_EQ(screen->effectiveScale(), 1.0);
}

TEST_F(CaptureAids, TheStoredPictureIsCutToTheZoomAndTheZoomStartsAgainWithANewSource)
{
    showWithCamera();
    moveSlider("_sliderZoom", 2.0);
    EXPECT_EQ(screen->effectiveScale(), 2.0);
    ASSERT_TRUE(takePicture());
    auto stored = plat::Image::imageWithContentsOfFile(
        plat::appendingPathComponent(*project->getProjectPath(), "frame-" + announcedFrames[0] + ".jpg"));
    ASSERT_TRUE(stored);
    EXPECT_EQ(stored->size(), (plat::Size {1280, 720}));
    // The sun's middle (320, 180) is now the corner; unzoomed, (60, 60) would be sky.
    EXPECT_LT(plat::test::componentDistance(plat::test::pixelAt(*stored, 60, 60), {250, 210, 30, 255}), 30);
    EXPECT_LT(plat::test::componentDistance(plat::test::pixelAt(*stored, 1200, 700), {40, 170, 60, 255}), 30);

    screen->switchCaptureSource(localCamera());
    EXPECT_EQ(screen->effectiveScale(), 1.0);
    EXPECT_FLOAT_EQ(settings().cameraEffectiveScale(), 1.0f);
}

TEST_F(CaptureAids, TheZoomCutOfATurnedPictureIsStoredUpright)
{
    // Stored 200 x 100 with a quarter turn: it stands 100 x 200, its left
    // half (stored) red, the right blue; turned, red is at the top.
    auto stored = plat::test::makeImage(
        200, 100, [](int x, int) { return x < 100 ? kRed : kBlue; }, plat::ImageOrientation::Right);
    auto zoomed = CaptureViewController::zoomedPicture(stored, 2.0);
    ASSERT_TRUE(zoomed);
    EXPECT_EQ(zoomed->size(), (plat::Size {100, 200}));
    EXPECT_EQ(zoomed->imageOrientation(), plat::ImageOrientation::Up);
    EXPECT_LT(plat::test::componentDistance(plat::test::pixelAt(*zoomed, 50, 20), kRed), 24);
    EXPECT_LT(plat::test::componentDistance(plat::test::pixelAt(*zoomed, 50, 180), kBlue), 24);
    EXPECT_EQ(CaptureViewController::zoomedPicture(stored, 1.0), stored);
    EXPECT_EQ(CaptureViewController::zoomedPicture(nullptr, 2.0), nullptr);
}

TEST_F(CaptureAids, ATapFocusesThereAndOffersTheExposureBias)
{
    auto camera = zt::test::pictureCamera("sky", *zt::test::landscapePicture());
    camera.exposureBias = std::pair {-2.0f, 2.0f};
    showWithCamera(camera);
    auto device = cameraDevice();
    driver.tapAt({300, 100});
    auto box = outlet<plat::View>("viewFocusRect");
    EXPECT_FALSE(box->isHidden());
    EXPECT_EQ(box->frame(), plat::makeRect(267, 67, 66, 66));
    EXPECT_EQ(device->focusMode(), plat::CaptureFocusMode::AutoFocus);
    EXPECT_NE(device->focusPointOfInterest(), (plat::Point {0.5, 0.5}));
    auto bias = outlet<plat::Slider>("_sliderExposureBias");
    EXPECT_EQ(bias->minimumValue(), -2.0);
    EXPECT_EQ(bias->maximumValue(), 2.0);
    clock.advance(0.3);
    EXPECT_EQ(bias->alpha(), 1.0);
    EXPECT_EQ(bias->center(), (plat::Point {310, 150}));
    moveSlider("_sliderExposureBias", 1.25);
    EXPECT_EQ(device->exposureTargetBias(), 1.25f);
    // Unused for two seconds, the slider and the box fade.
    clock.advance(3.5);
    EXPECT_EQ(bias->alpha(), 0.0);
    EXPECT_EQ(box->alpha(), 0.0);
}

TEST_F(CaptureAids, NoFocusBoxWhereTheSourceWillNotFocus)
{
    auto camera = zt::test::pictureCamera("sky", *zt::test::landscapePicture());
    camera.focusPointOfInterest = false;
    showWithCamera(camera);
    driver.tapAt({300, 100});
    EXPECT_TRUE(outlet<plat::View>("viewFocusRect")->isHidden());
}

TEST_F(CaptureAids, WithoutABiasRangeTheFocusBoxFadesAndTheSliderStaysAway)
{
    auto camera = zt::test::pictureCamera("sky", *zt::test::landscapePicture());
    camera.exposureBias = std::nullopt;
    showWithCamera(camera);
    driver.tapAt({300, 100});
    auto box = outlet<plat::View>("viewFocusRect");
    EXPECT_FALSE(box->isHidden());
    clock.advance(0.3);
    EXPECT_EQ(box->alpha(), 0.0);  // fading over a second
    clock.advance(1.0);
    EXPECT_EQ(outlet<plat::Slider>("_sliderExposureBias")->alpha(), 0.0);
}

// The screen as a person sees it: the live picture at half strength over the
// last frame, the grid over both.
TEST_F(CaptureAids, TheOnionSkinOverTheLivePictureLooksAsItShould)
{
    addStoredPictures({kGreen});
    zt::ImageProducer producer(project);
    auto& list = project->getFrameList();
    zt::Frame ball(zt::FrameTypePicture);
    ASSERT_TRUE(producer.storeImage(*plat::test::makeImage(640, 360,
                                        [](int x, int y) {
                                            const int dx = x - 440, dy = y - 200;
                                            return dx * dx + dy * dy < 70 * 70 ? kRed : Rgba {235, 235, 235, 255};
                                        }),
        ball.frameID()));
    list.insertFrame(ball, list.getCaptureIndex());
    ASSERT_TRUE(project->saveAllDataToDisk().ok());
    settings().setOverlaySetting(0.5f);
    settings().setIsGridEnabled(true);
    showWithCamera();
    auto live = localCamera();
    ASSERT_TRUE(live && live->previewLayer());
    ASSERT_TRUE(runCameraUntil([&] { return live->previewLayer()->contents() != nullptr; }));
    driver.wait(0.5);
    auto picture = driver.screenshot();
    ASSERT_TRUE(picture);
    auto comparison = plat::test::compareWithReferencePicture(
        *picture, plat::test::sourcePath("tests/data/capture/capture_screen_onion.png"), ::testing::TempDir());
    EXPECT_TRUE(comparison.matches) << comparison.explanation;
}

TEST_F(CaptureAids, TheOpenOptionsWithTheTimerRunningLookAsTheyShould)
{
    settings().setIsGridEnabled(true);
    showWithCamera();
    screen->switchCaptureSource(std::make_shared<zt::SimulatorCamera>());
    ASSERT_TRUE(driver.tap("Options"));
    ASSERT_TRUE(driver.tap("AWB"));
    auto timer = outlet<plat::Switch>("switchTimer");
    timer->setOn(true);
    timer->sendActionsForControlEvents(plat::ControlEventValueChanged);
    clock.advance(4.01);  // the messages are gone, four seconds counted
    auto picture = driver.screenshot();
    ASSERT_TRUE(picture);
    auto comparison = plat::test::compareWithReferencePicture(
        *picture, plat::test::sourcePath("tests/data/capture/capture_screen_options.png"), ::testing::TempDir());
    EXPECT_TRUE(comparison.matches) << comparison.explanation;
}

}  // namespace
