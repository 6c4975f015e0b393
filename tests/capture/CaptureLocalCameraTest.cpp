#include "capture/CaptureLocalCamera.h"

#include <gtest/gtest.h>

#include "CaptureSourceTestSupport.h"
#include "capture/VideoPreview.h"
#include "platform/foundation/Files.h"
#include "platform/foundation/Paths.h"
#include "platform/graphics/ImageRepresentation.h"
#include "platform/media/capture/CaptureConnection.h"
#include "platform/media/capture/CaptureDevice.h"
#include "platform/media/capture/CaptureInput.h"
#include "platform/media/capture/CaptureSession.h"
#include "platform/media/capture/CaptureVideoPreviewLayer.h"
#include "platform/ui/Application.h"
#include "support/Pixels.h"

namespace {

using plat::CaptureDevicePosition;
using plat::test::testPatternCamera;

constexpr double kFrame = 1.0 / 32;

// A camera over a folder with one picture: red in its top half, blue below.
plat::CaptureDeviceDescription halvesCamera(CaptureDevicePosition position)
{
    const std::string folder = plat::appendingPathComponent(plat::CaptureDeviceFolder::camerasFolder(), "halves");
    EXPECT_TRUE(plat::createDirectory(folder, plat::IntermediateDirectories::Yes).ok());
    auto picture = plat::test::makeImage(640, 480, [](int, int y) {
        return y < 240 ? plat::test::Rgba {230, 10, 10, 255} : plat::test::Rgba {10, 10, 230, 255};
    });
    EXPECT_TRUE(plat::writeFileAtomically(
        plat::appendingPathComponent(folder, "halves.png"), *plat::PNGRepresentation(*picture))
                    .ok());
    plat::CaptureDeviceDescription camera;
    camera.kind = plat::CaptureDeviceKind::Pictures;
    camera.folder = "halves";
    camera.position = position;
    camera.width = 1280;
    camera.height = 720;
    camera.frameRate = 32;
    return camera;
}

class LocalCamera : public zt::test::CaptureFixture {
protected:
    // Moves the clock one frame at a time until the session has taken them.
    void advanceFrames(int frames)
    {
        const auto& session = camera->captureSession();
        ASSERT_TRUE(session);
        for (int i = 0; i < frames; ++i) {
            uint64_t before = session->capturedPictureCount();
            clock.advance(kFrame);
            ASSERT_TRUE(plat::test::runMainLoopUntil([&] { return session->capturedPictureCount() > before; }));
        }
    }
    zt::DataManager& settings() { return zt::DataManager::sharedDataManager(); }

    std::shared_ptr<zt::CaptureLocalCamera> camera = std::make_shared<zt::CaptureLocalCamera>();
};

TEST_F(LocalCamera, WithoutACameraTheSourceReportsError63AndStaysNotReady)
{
    plat::test::setUpCameras({});
    activate(camera);
    ASSERT_TRUE(camera->error());
    EXPECT_EQ(camera->error()->domain(), "CaptureLocalCamera");
    EXPECT_EQ(camera->error()->code(), 63);
    EXPECT_EQ(camera->error()->localizedDescription(), "No capture device found.");
    EXPECT_FALSE(camera->isReadyToCapture());
    EXPECT_TRUE(sourceDelegate->initPositions.empty());
}

TEST_F(LocalCamera, ABackCameraAloneIsSetUpWithoutASwitch)
{
    plat::test::setUpCameras({testPatternCamera(CaptureDevicePosition::Back, 1920, 1080, 32)});
    activate(camera);
    EXPECT_FALSE(camera->error());
    EXPECT_TRUE(camera->isReadyToCapture());
    EXPECT_FALSE(camera->isMultipleCaptureDeviceAvaliable());
    EXPECT_EQ(sourceDelegate->initPositions, (std::vector<int64_t> {1}));
    EXPECT_EQ(camera->captureSourceViewCamera(), camera->previewView());
    EXPECT_EQ(camera->previewView()->superview().get(), camera->view().get());
    EXPECT_EQ(camera->captureSession()->sessionPreset(), plat::kCaptureSessionPreset1920x1080);
    EXPECT_TRUE(camera->captureSession()->isRunning());
    EXPECT_EQ(camera->previewLayer()->videoGravity(), plat::kLayerVideoGravityResizeAspectFill);
    camera->switchCaptureDevice();
    EXPECT_TRUE(sourceDelegate->switchPositions.empty());
}

TEST_F(LocalCamera, TheStoredPositionPicksTheCameraAndASwitchTurnsToTheOther)
{
    plat::test::setUpCameras({testPatternCamera(CaptureDevicePosition::Back, 1280, 720, 32),
        testPatternCamera(CaptureDevicePosition::Front, 1280, 720, 32)});
    settings().setAvCaptureDevicePosition(2);
    activate(camera);
    EXPECT_TRUE(camera->isMultipleCaptureDeviceAvaliable());
    EXPECT_EQ(sourceDelegate->initPositions, (std::vector<int64_t> {2}));
    EXPECT_EQ(camera->position(), 2);
    camera->switchCaptureDevice();
    EXPECT_EQ(sourceDelegate->switchPositions, (std::vector<int64_t> {1}));
    EXPECT_EQ(settings().avCaptureDevicePosition(), 1);
    EXPECT_EQ(camera->captureInput()->device()->position(), CaptureDevicePosition::Back);
    EXPECT_EQ(camera->captureSession()->inputs().size(), 1u);
    EXPECT_EQ(camera->captureSession()->sessionPreset(), plat::kCaptureSessionPreset1280x720);
    advanceFrames(1);  // the switched session makes pictures
}

TEST_F(LocalCamera, AStoredPositionNoCameraHasFallsBackToTheLastCamera)
{
    plat::test::setUpCameras({testPatternCamera(CaptureDevicePosition::Front, 640, 480, 32)});
    settings().setAvCaptureDevicePosition(1);
    activate(camera);
    EXPECT_EQ(sourceDelegate->initPositions, (std::vector<int64_t> {2}));
    EXPECT_EQ(settings().avCaptureDevicePosition(), 2);
    EXPECT_EQ(camera->captureSession()->sessionPreset(), plat::kCaptureSessionPreset640x480);
}

TEST_F(LocalCamera, AFailedSwitchPutsTheOldCameraBackAndSaysSo)
{
    plat::CaptureDeviceDescription broken;
    broken.kind = plat::CaptureDeviceKind::Pictures;
    broken.folder = "nothing-here";
    broken.position = CaptureDevicePosition::Front;
    plat::test::setUpCameras({testPatternCamera(CaptureDevicePosition::Back, 1280, 720, 32), broken});
    activate(camera);
    ASSERT_EQ(camera->position(), 1);
    camera->switchCaptureDevice();
    ASSERT_TRUE(camera->error());
    EXPECT_EQ(camera->error()->code(), plat::kMediaErrorDeviceNotConnected);
    EXPECT_EQ(sourceDelegate->switchPositions, (std::vector<int64_t> {1}));
    ASSERT_EQ(camera->captureSession()->inputs().size(), 1u);
    EXPECT_EQ(camera->captureInput()->device()->position(), CaptureDevicePosition::Back);
    EXPECT_EQ(settings().avCaptureDevicePosition(), 1);
    EXPECT_TRUE(camera->isReadyToCapture());
    camera->captureImage();
    advanceFrames(1);
    ASSERT_TRUE(plat::test::runMainLoopUntil([&] { return sourceDelegate->pictureCount() == 1; }));
    EXPECT_TRUE(sourceDelegate->picture(0));
}

TEST_F(LocalCamera, TwoShutterPressesBeforeTheNextFrameGiveOnePictureOffTheMainThread)
{
    plat::test::setUpCameras({testPatternCamera(CaptureDevicePosition::Back, 1280, 720, 32)});
    activate(camera);
    camera->captureImage();
    camera->captureImage();
    advanceFrames(3);
    ASSERT_TRUE(plat::test::runMainLoopUntil([&] { return sourceDelegate->pictureCount() == 1; }));
    clock.advance(0);
    EXPECT_EQ(sourceDelegate->pictureCount(), 1u);
    auto picture = sourceDelegate->picture(0);
    ASSERT_TRUE(picture);
    EXPECT_EQ(picture->size(), (plat::Size {1280, 720}));
    EXPECT_EQ(picture->imageOrientation(), plat::ImageOrientation::Up);
    EXPECT_FALSE(sourceDelegate->deliveredOnMainThread(0));
}

TEST_F(LocalCamera, TheFrontCamerasPictureIsDrawnUprightInLandscapeRight)
{
    plat::test::setUpCameras({halvesCamera(CaptureDevicePosition::Front)});
    activate(camera);
    EXPECT_EQ(camera->getImageOrientation(), plat::ImageOrientation::DownMirrored);
    camera->captureImage();
    advanceFrames(1);
    ASSERT_TRUE(plat::test::runMainLoopUntil([&] { return sourceDelegate->pictureCount() == 1; }));
    auto picture = sourceDelegate->picture(0);
    ASSERT_TRUE(picture);
    EXPECT_EQ(picture->imageOrientation(), plat::ImageOrientation::Up);
    // Turned half round about the horizontal axis: the blue half is now on top.
    const plat::Bitmap& pixels = *picture->bitmap();
    EXPECT_GT(plat::test::pixelAt(pixels, 640, 100)[2], 200);
    EXPECT_GT(plat::test::pixelAt(pixels, 640, 620)[0], 200);
}

TEST_F(LocalCamera, AShutterPressWhilePausedGivesTheFirstFrameAfterTheResume)
{
    plat::test::setUpCameras({testPatternCamera(CaptureDevicePosition::Back, 640, 480, 32)});
    activate(camera);
    camera->pauseCameraCapture();
    camera->captureImage();
    clock.advance(1.0);
    EXPECT_EQ(sourceDelegate->pictureCount(), 0u);
    camera->resumeCameraCapture();
    advanceFrames(1);
    ASSERT_TRUE(plat::test::runMainLoopUntil([&] { return sourceDelegate->pictureCount() == 1; }));
}

TEST_F(LocalCamera, ModesFollowTheCameraAndARefusedLockChangesNothing)
{
    auto description = testPatternCamera(CaptureDevicePosition::Back, 640, 480, 32);
    description.whiteBalanceModes = {2};  // no locked white balance
    description.exposureBias = std::pair {-2.0f, 2.0f};
    plat::test::setUpCameras({description});
    activate(camera);
    EXPECT_TRUE(camera->isFocusModeSuported());
    EXPECT_TRUE(camera->isExposureModeSuported());
    EXPECT_FALSE(camera->isWhiteBalanceModeSuported());
    EXPECT_EQ(camera->minExposureTargetBias(), -2.0f);
    EXPECT_EQ(camera->maxExposureTargetBias(), 2.0f);
    camera->setFocusMode(zt::kCaptureModeLocked);
    EXPECT_EQ(camera->focusMode(), 0);
    EXPECT_EQ(camera->captureInput()->device()->focusMode(), plat::CaptureFocusMode::Locked);
    camera->setWhiteBalanceMode(zt::kCaptureModeLocked);  // unsupported: stays continuous
    EXPECT_EQ(camera->whiteBalanceMode(), 2);
    camera->changeExposureTargetBiasTo(5.0f);
    EXPECT_EQ(camera->currentExposureTargetBias(), 2.0f);

    camera->stopCameraCapture();
    description.configurationLockFails = true;
    plat::test::setUpCameras({description});
    activate(camera);
    camera->setExposureMode(zt::kCaptureModeLocked);
    EXPECT_EQ(camera->exposureMode(), 2);
    EXPECT_FALSE(camera->focusAtPoint({10, 10}));
}

TEST_F(LocalCamera, TapToFocusSetsThePointOfInterestAndFocusesOnce)
{
    plat::test::setUpCameras({testPatternCamera(CaptureDevicePosition::Back, 1920, 1080, 32)});
    activate(camera);
    camera->changeExposureTargetBiasTo(1.5f);
    ASSERT_TRUE(camera->focusAtPoint({284, 160}));
    const auto& device = camera->captureInput()->device();
    EXPECT_EQ(device->focusMode(), plat::CaptureFocusMode::AutoFocus);
    EXPECT_EQ(device->exposureTargetBias(), 0.0f);
    // The preview is 568 x 320 over a 1920 x 1080 aperture: s = 1920 * 568 / 1080.
    const double s = 1920.0 * 568 / 1080;
    EXPECT_NEAR(device->focusPointOfInterest().x, (160 + (s - 320) / 2) / s, 1e-9);
    EXPECT_NEAR(device->focusPointOfInterest().y, 0.5, 1e-9);
    EXPECT_EQ(camera->focusMode(), 2);  // the source's own mode is not updated here

    auto noPoint = testPatternCamera(CaptureDevicePosition::Back, 640, 480, 32);
    noPoint.focusPointOfInterest = false;
    camera->stopCameraCapture();
    plat::test::setUpCameras({noPoint});
    activate(camera);
    EXPECT_FALSE(camera->focusAtPoint({10, 10}));
}

TEST_F(LocalCamera, AStoppedSourceCanBeSetUpAgain)
{
    plat::test::setUpCameras({testPatternCamera(CaptureDevicePosition::Back, 640, 480, 32)});
    activate(camera);
    auto firstPreview = camera->previewView();
    camera->stopCameraCapture();
    EXPECT_FALSE(camera->captureSession());
    EXPECT_EQ(firstPreview->superview(), nullptr);
    activate(camera);
    EXPECT_EQ(sourceDelegate->initPositions.size(), 2u);
    camera->captureImage();
    advanceFrames(1);
    ASSERT_TRUE(plat::test::runMainLoopUntil([&] { return sourceDelegate->pictureCount() == 1; }));
}

TEST_F(LocalCamera, ThePreviewTurnsWithTheInterfaceAndShowsTheLivePicture)
{
    plat::test::setUpCameras({testPatternCamera(CaptureDevicePosition::Back, 640, 480, 32)});
    auto screen = std::make_shared<plat::ViewController>();
    window->setRootViewController(screen);
    screen->view()->addSubview(cameraArea);
    activate(camera);
    camera->view()->layoutIfNeeded();
    camera->previewView()->layoutIfNeeded();
    const auto& connection = camera->previewLayer()->connection();
    EXPECT_EQ(connection->videoOrientation(), plat::CaptureVideoOrientation::LandscapeRight);
    ASSERT_TRUE(
        plat::Application::sharedApplication().rotateToInterfaceOrientation(plat::InterfaceOrientation::LandscapeLeft));
    EXPECT_EQ(connection->videoOrientation(), plat::CaptureVideoOrientation::LandscapeLeft);
    EXPECT_EQ(camera->getImageOrientation(), plat::ImageOrientation::Down);
    advanceFrames(1);
    ASSERT_TRUE(plat::test::runMainLoopUntil([&] { return camera->previewLayer()->contents() != nullptr; }));
    EXPECT_EQ(camera->previewLayer()->contents()->imageOrientation(), plat::ImageOrientation::Down);
}

}  // namespace
