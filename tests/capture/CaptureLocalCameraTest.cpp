#include "capture/CaptureLocalCamera.h"

#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <string>
#include <vector>

#include "CaptureSourceTestSupport.h"
#include "capture/VideoPreview.h"
#include "platform/foundation/Files.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/Paths.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/Semaphore.h"
#include "platform/graphics/ImageRepresentation.h"
#include "platform/media/capture/CaptureConnection.h"
#include "platform/media/capture/CaptureDevice.h"
#include "platform/media/capture/CaptureInput.h"
#include "platform/media/capture/CaptureSession.h"
#include "platform/media/capture/CaptureVideoPreviewLayer.h"
#include "platform/ui/Application.h"
#include "support/Pixels.h"
#include "support/TapsToFocus.h"

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

// Keeps a serial queue busy, as a loaded machine would, until released.
class HeldQueue {
public:
    explicit HeldQueue(plat::DispatchQueue& queue)
    {
        queue.async([held = _held, release = _release]() mutable {
            held.signal();
            release.wait();
        });
        EXPECT_TRUE(_held.wait(30)) << "the queue never came to the hold";
    }
    ~HeldQueue() { _release.signal(); }
    HeldQueue(const HeldQueue&) = delete;
    HeldQueue& operator=(const HeldQueue&) = delete;

private:
    plat::Semaphore _held;
    plat::Semaphore _release;
};

// Records pictures; asked to, it keeps the next hand-over (on the camera's
// queue) waiting until released, as the capture screen's store does.
class HoldingDelegate : public zt::test::RecordingSourceDelegate {
public:
    void holdNextHandOver() { _holdNext = true; }
    void captureControllerDidTakeImage(zt::CaptureController& source, std::shared_ptr<const plat::Image> image) override
    {
        if (_holdNext.exchange(false)) {
            entered.signal();
            release.wait();
        }
        RecordingSourceDelegate::captureControllerDidTakeImage(source, std::move(image));
    }
    plat::Semaphore entered;
    plat::Semaphore release;

private:
    std::atomic<bool> _holdNext {false};
};

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
    // Frame by frame, each frame's hand-over finished before the next comes
    // (a frame that finds the camera's queue busy is dropped as late), until
    // the delegate has count answers; at most frames frames.
    void advanceUntilAnswers(size_t count, int frames = 8)
    {
        auto queue = camera->videoDataOutput()->sampleBufferCallbackQueue();
        for (int i = 0; i < frames && sourceDelegate->pictureCount() < count; ++i) {
            advanceFrames(1);
            queue->sync([] {});
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

// A press ends in one answer from the delegate: a picture, or nullptr once
// no frame can come. Each row presses under its own load.
TEST_F(LocalCamera, EveryShutterPressEndsInAPictureOrAnErrorUnderLoad)
{
    plat::test::setUpCameras({testPatternCamera(CaptureDevicePosition::Back, 640, 480, 32)});
    auto holding = std::make_shared<HoldingDelegate>();
    sourceDelegate = holding;
    activate(camera);
    auto& cameraQueue = *camera->videoDataOutput()->sampleBufferCallbackQueue();
    struct Row {
        const char* load;
        std::function<void()> pressUnderLoad;
        size_t answers;
    };
    const std::vector<Row> rows = {
        {"frames dropped as late behind a busy camera queue",
            [&] {
                HeldQueue busy(cameraQueue);
                camera->captureImage();
                advanceFrames(6);
            },
            1},
        {"presses and frames racing, the queue busy at each press",
            [&] {
                for (int round = 0; round < 4; ++round) {
                    const size_t before = holding->pictureCount();
                    {
                        HeldQueue busy(cameraQueue);
                        advanceFrames(1);
                        camera->captureImage();
                        advanceFrames(2);
                    }
                    advanceUntilAnswers(before + 1);
                }
            },
            4},
        {"a press while the last picture is still being handed over",
            [&] {
                const size_t before = holding->pictureCount();
                holding->holdNextHandOver();
                {
                    // Released however the block ends: a failure leaves no queue stuck.
                    struct Release {
                        plat::Semaphore semaphore;
                        ~Release() { semaphore.signal(); }
                    } release {holding->release};
                    camera->captureImage();
                    advanceFrames(1);
                    ASSERT_TRUE(holding->entered.wait(30));
                    camera->captureImage();
                    advanceFrames(6);
                }
                advanceUntilAnswers(before + 2);
            },
            2},
        {"the camera stopped with a press waiting",
            [&] {
                camera->captureImage();
                camera->stopCameraCapture();
            },
            1},
        {"the camera gone with a press waiting",
            [&] {
                activate(camera);
                camera->captureImage();
                auto session = camera->captureSession();
                session->stopRunning();
                plat::Dictionary report;
                report.set(plat::kCaptureSessionErrorKey, "the device went away");
                plat::NotificationCenter::defaultCenter().post(
                    plat::kCaptureSessionRuntimeErrorNotification, session.get(), report);
            },
            1},
    };
    std::vector<std::string> answered;
    for (const Row& row : rows) {
        SCOPED_TRACE(row.load);
        const size_t before = holding->pictureCount();
        row.pressUnderLoad();
        ASSERT_TRUE(plat::test::runMainLoopUntil([&] { return holding->pictureCount() >= before + row.answers; }));
        // No second answer to one press: nothing more comes once the queues are quiet.
        if (camera->captureSession() && camera->captureSession()->isRunning())
            advanceFrames(3);
        plat::RunLoop::main().settle();
        EXPECT_EQ(holding->pictureCount() - before, row.answers);
        for (size_t i = before; i < holding->pictureCount(); ++i)
            answered.push_back(holding->picture(i) ? "picture" : "error");
    }
    EXPECT_EQ(answered,
        (std::vector<std::string> {
            "picture", "picture", "picture", "picture", "picture", "picture", "picture", "error", "error"}));
}

// Cameras deliver upright pixels: a picture takes the orientation the
// preview shows them with, mirrored for the front camera.
TEST_F(LocalCamera, APictureStandsAsThePreviewShowsItInEitherLandscape)
{
    auto screen = std::make_shared<plat::ViewController>();
    window->setRootViewController(screen);
    using plat::ImageOrientation;
    struct Row {
        plat::InterfaceOrientation interface;
        int64_t position;
        ImageOrientation expected;
    };
    const Row rows[] = {
        {plat::InterfaceOrientation::LandscapeRight, 1, ImageOrientation::Up},
        {plat::InterfaceOrientation::LandscapeRight, 2, ImageOrientation::UpMirrored},
        {plat::InterfaceOrientation::LandscapeRight, 0, ImageOrientation::Right},
        {plat::InterfaceOrientation::LandscapeLeft, 1, ImageOrientation::Down},
        {plat::InterfaceOrientation::LandscapeLeft, 2, ImageOrientation::DownMirrored},
        {plat::InterfaceOrientation::LandscapeLeft, 0, ImageOrientation::Right},
    };
    auto& application = plat::Application::sharedApplication();
    for (const Row& row : rows) {
        (void)application.rotateToInterfaceOrientation(row.interface);  // false when it stands so already
        ASSERT_EQ(application.statusBarOrientation(), row.interface);
        settings().setAvCaptureDevicePosition(row.position);
        EXPECT_EQ(camera->getImageOrientation(), row.expected)
            << static_cast<int>(row.interface) << ", position " << row.position;
    }
    ASSERT_TRUE(application.rotateToInterfaceOrientation(plat::InterfaceOrientation::LandscapeRight));

    // The front camera's picture keeps its top at the top.
    plat::test::setUpCameras({halvesCamera(CaptureDevicePosition::Front)});
    activate(camera);
    camera->captureImage();
    advanceFrames(1);
    ASSERT_TRUE(plat::test::runMainLoopUntil([&] { return sourceDelegate->pictureCount() == 1; }));
    auto picture = sourceDelegate->picture(0);
    ASSERT_TRUE(picture);
    EXPECT_EQ(picture->imageOrientation(), plat::ImageOrientation::Up);
    const plat::Bitmap& pixels = *picture->bitmap();
    EXPECT_GT(plat::test::pixelAt(pixels, 640, 100)[0], 200);
    EXPECT_GT(plat::test::pixelAt(pixels, 640, 620)[2], 200);
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
    EXPECT_NEAR(device->focusPointOfInterest().x, 0.5, 1e-9);
    EXPECT_NEAR(device->focusPointOfInterest().y, 0.5, 1e-9);
    EXPECT_EQ(camera->focusMode(), 2);  // the source's own mode is not updated here

    auto noPoint = testPatternCamera(CaptureDevicePosition::Back, 640, 480, 32);
    noPoint.focusPointOfInterest = false;
    camera->stopCameraCapture();
    plat::test::setUpCameras({noPoint});
    activate(camera);
    EXPECT_FALSE(camera->focusAtPoint({10, 10}));
}

TEST_F(LocalCamera, ATapFocusesWhereThePreviewShowsThePicture)
{
    plat::test::setUpCameras({testPatternCamera(CaptureDevicePosition::Back, 640, 480, 32)});
    activate(camera);
    const auto& device = camera->captureInput()->device();
    for (const auto& row : plat::test::kTapsToFocus) {
        camera->previewView()->setOrientation(row.landscapeLeft ? plat::CaptureVideoOrientation::LandscapeLeft
                                                                : plat::CaptureVideoOrientation::LandscapeRight);
        ASSERT_TRUE(camera->focusAtPoint(row.tap));
        EXPECT_NEAR(device->focusPointOfInterest().x, row.pointOfInterest.x, plat::test::kPointOfInterestTolerance)
            << row.tap.x << ", " << row.tap.y << (row.landscapeLeft ? " turned" : "");
        EXPECT_NEAR(device->focusPointOfInterest().y, row.pointOfInterest.y, plat::test::kPointOfInterestTolerance)
            << row.tap.x << ", " << row.tap.y << (row.landscapeLeft ? " turned" : "");
    }
    // The front camera's preview is mirrored: a tap a quarter in from the
    // left is on the picture's right.
    camera->stopCameraCapture();
    plat::test::setUpCameras({testPatternCamera(CaptureDevicePosition::Front, 640, 480, 32)});
    activate(camera);
    clock.advance(kFrame);
    ASSERT_TRUE(plat::test::runMainLoopUntil([&] { return camera->previewLayer()->connection()->isVideoMirrored(); }));
    camera->previewView()->setOrientation(plat::CaptureVideoOrientation::LandscapeRight);
    ASSERT_TRUE(camera->focusAtPoint({142, 0}));
    EXPECT_NEAR(camera->captureInput()->device()->focusPointOfInterest().x, 0.75, 1e-4);
    EXPECT_NEAR(camera->captureInput()->device()->focusPointOfInterest().y, 0.1244, 1e-4);
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
