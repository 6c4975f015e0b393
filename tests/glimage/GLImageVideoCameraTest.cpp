#include <gtest/gtest.h>

#include <array>

#include "GLImageCameraTestSupport.h"
#include "glimage/GLImageMovieWriter.h"
#include "glimage/GLImageRawDataOutput.h"
#include "glimage/GLImageSepiaFilter.h"
#include "glimage/GLImageVideoCamera.h"
#include "glimage/GLImageView.h"
#include "platform/foundation/Semaphore.h"
#include "platform/media/MediaConstants.h"
#include "platform/media/capture/CaptureDevice.h"
#include "platform/media/capture/CaptureSession.h"
#include "platform/ui/Layer.h"
#include "support/ManualClockScope.h"
#include "support/MediaTools.h"
#include "support/RunLoopWaiting.h"
#include "support/TemporarySandbox.h"
#include "support/VirtualMicrophone.h"

namespace {

using plat::CaptureDevicePosition;
using zt::GLImageInterfaceOrientation;
using zt::GLImageRotationMode;
using zt::test::CountingTarget;

constexpr int kRate = 32;  // frame intervals exact in binary

class GLImageVideoCameraTest : public ::testing::Test {
protected:
    // Moves the clock one picture on and waits until target has it and the camera is free again.
    void advanceOneFrame(const CountingTarget& target)
    {
        const size_t before = target.count();
        clock.advance(1.0 / kRate);
        ASSERT_TRUE(plat::test::runMainLoopUntil([&] { return target.count() > before; }));
        zt::test::drainContextQueue();
    }

    plat::test::TemporarySandbox sandbox;
    plat::test::ManualClockScope clock;
};

class CountingCameraDelegate : public zt::GLImageVideoCameraDelegate {
public:
    void willOutputSampleBuffer(const std::shared_ptr<const plat::SampleBuffer>&) override { ++pictures; }
    std::atomic<int> pictures = 0;
};

}  // namespace

TEST_F(GLImageVideoCameraTest, ACameraIsMadeOnlyWhereOneFacesThatWay)
{
    plat::test::setUpCameras({});
    EXPECT_FALSE(zt::GLImageVideoCamera::init());
    plat::test::setUpCameras({plat::test::testPatternCamera(CaptureDevicePosition::Back, 640, 480, kRate)});
    EXPECT_FALSE(zt::GLImageVideoCamera::initWithSessionPreset(
        plat::kCaptureSessionPreset640x480, CaptureDevicePosition::Front));
    auto camera = zt::GLImageVideoCamera::init();
    ASSERT_TRUE(camera);
    EXPECT_EQ(camera->captureSessionPreset(), plat::kCaptureSessionPreset640x480);
    EXPECT_EQ(camera->cameraPosition(), CaptureDevicePosition::Back);
    EXPECT_TRUE(zt::GLImageVideoCamera::isBackFacingCameraPresent());
    EXPECT_FALSE(zt::GLImageVideoCamera::isFrontFacingCameraPresent());
    // Full-range planes are offered, and taken first.
    EXPECT_TRUE(camera->capturesAsYUV());
    EXPECT_TRUE(camera->videoCaptureConnection());
}

TEST_F(GLImageVideoCameraTest, PicturesGoThroughAFilterIntoADisplayViewOneAtTheClocksRate)
{
    zt::test::setUpColourCamera({{255, 0, 0, 255}}, 320, 240, kRate);
    auto camera = zt::GLImageVideoCamera::init();
    ASSERT_TRUE(camera);
    auto sepia = std::make_shared<zt::GLImageSepiaFilter>();
    auto view = std::make_shared<zt::GLImageView>(plat::makeRect(0, 0, 160, 120));
    auto counter = std::make_shared<CountingTarget>();
    auto delegate = std::make_shared<CountingCameraDelegate>();
    camera->setDelegate(delegate);
    camera->addTarget(sepia);
    sepia->addTarget(view);
    sepia->addTarget(counter);
    camera->startCameraCapture();
    for (int i = 0; i < 8; ++i)
        advanceOneFrame(*counter);
    // Every picture of the quarter second, in order, with the camera's times.
    auto times = counter->times();
    ASSERT_EQ(times.size(), 8u);
    for (size_t i = 0; i < times.size(); ++i)
        EXPECT_EQ(times[i], plat::MediaTime::make(int64_t(i), kRate));
    EXPECT_EQ(delegate->pictures.load(), 8);
    // The view shows red through sepia: (0.3588, 0.2990, 0.2392).
    ASSERT_TRUE(plat::test::runMainLoopUntil([&] { return view->layer()->contents() != nullptr; }));
    auto shown = plat::test::pixelAt(*view->layer()->contents(), 20, 20);
    EXPECT_NEAR(shown[0], 91, 4);
    EXPECT_NEAR(shown[1], 76, 4);
    EXPECT_NEAR(shown[2], 61, 4);
    camera->stopCameraCapture();
    camera->removeAllTargets();
    sepia->removeAllTargets();
}

TEST_F(GLImageVideoCameraTest, APausedCameraTellsItsDelegateButNoTarget)
{
    zt::test::setUpColourCamera({{0, 0, 255, 255}}, 160, 120, kRate);
    auto camera = zt::GLImageVideoCamera::init();
    auto target = std::make_shared<CountingTarget>();
    auto delegate = std::make_shared<CountingCameraDelegate>();
    camera->setDelegate(delegate);
    camera->addTarget(target);
    camera->startCameraCapture();
    advanceOneFrame(*target);
    camera->pauseCameraCapture();
    for (int i = 0; i < 3; ++i) {
        const int before = delegate->pictures.load();
        clock.advance(1.0 / kRate);
        ASSERT_TRUE(plat::test::runMainLoopUntil([&] { return delegate->pictures.load() > before; }));
        zt::test::drainContextQueue();
    }
    EXPECT_EQ(target->count(), 1u);
    camera->resumeCameraCapture();
    advanceOneFrame(*target);
    EXPECT_EQ(target->count(), 2u);
    camera->stopCameraCapture();
    camera->removeAllTargets();
}

TEST_F(GLImageVideoCameraTest, AFrameRateSetsTheCamerasPaceAndZeroGivesItsOwnBack)
{
    zt::test::setUpColourCamera({{0, 255, 0, 255}}, 160, 120, kRate);
    auto camera = zt::GLImageVideoCamera::init();
    auto target = std::make_shared<CountingTarget>();
    camera->addTarget(target);
    camera->startCameraCapture();
    camera->setFrameRate(8);
    EXPECT_EQ(camera->frameRate(), 8);
    const auto& device = camera->inputCamera();
    EXPECT_EQ(device->activeVideoMinFrameDuration(), plat::MediaTime::make(1, 8));
    EXPECT_EQ(device->activeVideoMaxFrameDuration(), plat::MediaTime::make(1, 8));
    // The running camera takes the new pace: eight pictures a second, not 32.
    for (int i = 0; i < 4; ++i) {
        clock.advance(1.0 / 8);
        ASSERT_TRUE(plat::test::runMainLoopUntil([&] { return target->count() == size_t(i + 1); }));
        zt::test::drainContextQueue();
    }
    // The session counts a picture once its outputs hold it, which may be just after the target has it.
    EXPECT_TRUE(plat::test::runMainLoopUntil([&] { return camera->captureSession()->capturedPictureCount() == 4u; }));
    EXPECT_EQ(target->times().back(), plat::MediaTime::make(3, 8));

    camera->setFrameRate(0);
    EXPECT_FALSE(device->activeVideoMinFrameDuration().isValid());
    EXPECT_FALSE(device->activeVideoMaxFrameDuration().isValid());
    advanceOneFrame(*target);
    EXPECT_EQ(target->times().back(), plat::MediaTime::make(0, kRate));
    // Faster than the camera can go: refused.
    camera->setFrameRate(2 * kRate);
    EXPECT_FALSE(device->activeVideoMinFrameDuration().isValid());
    camera->stopCameraCapture();
    camera->removeAllTargets();

    // A camera that refuses the configuration lock keeps its pace.
    auto refusing = plat::test::testPatternCamera(CaptureDevicePosition::Back, 640, 480, kRate);
    refusing.configurationLockFails = true;
    plat::test::setUpCameras({refusing});
    auto locked = zt::GLImageVideoCamera::init();
    locked->setFrameRate(8);
    EXPECT_FALSE(locked->inputCamera()->activeVideoMinFrameDuration().isValid());
}

TEST_F(GLImageVideoCameraTest, TheInterfaceOrientationTurnsThePicturesForEachCamera)
{
    plat::test::setUpCameras({plat::test::testPatternCamera(CaptureDevicePosition::Back, 640, 480, kRate)});
    auto backOnly = zt::GLImageVideoCamera::init();
    auto target = std::make_shared<CountingTarget>();
    backOnly->addTarget(target);
    backOnly->setOutputImageOrientation(GLImageInterfaceOrientation::Portrait);
    EXPECT_EQ(backOnly->outputRotationForTesting(), GLImageRotationMode::RotateRight);
    EXPECT_EQ(target->rotation, GLImageRotationMode::RotateRight);
    backOnly->setOutputImageOrientation(GLImageInterfaceOrientation::Unknown);
    EXPECT_EQ(backOnly->outputRotationForTesting(), GLImageRotationMode::RotateRight);
    backOnly->setHorizontallyMirrorRearFacingCamera(true);
    backOnly->setOutputImageOrientation(GLImageInterfaceOrientation::PortraitUpsideDown);
    EXPECT_EQ(backOnly->outputRotationForTesting(), GLImageRotationMode::Rotate180);
    // Without a front camera there is nothing to turn to.
    backOnly->rotateCamera();
    EXPECT_EQ(backOnly->cameraPosition(), CaptureDevicePosition::Back);
    backOnly->removeAllTargets();

    plat::test::setUpCameras({plat::test::testPatternCamera(CaptureDevicePosition::Front, 640, 480, kRate),
        plat::test::testPatternCamera(CaptureDevicePosition::Back, 640, 480, kRate)});
    auto camera = zt::GLImageVideoCamera::init();
    camera->addTarget(target);
    camera->setOutputImageOrientation(GLImageInterfaceOrientation::LandscapeRight);
    camera->setHorizontallyMirrorFrontFacingCamera(true);
    EXPECT_EQ(camera->outputRotationForTesting(), GLImageRotationMode::NoRotation);
    camera->rotateCamera();
    EXPECT_EQ(camera->cameraPosition(), CaptureDevicePosition::Front);
    EXPECT_EQ(camera->inputCamera()->position(), CaptureDevicePosition::Front);
    EXPECT_EQ(camera->outputRotationForTesting(), GLImageRotationMode::FlipHorizontal);
    EXPECT_EQ(target->rotation, GLImageRotationMode::FlipHorizontal);
    camera->setOutputImageOrientation(GLImageInterfaceOrientation::PortraitUpsideDown);
    EXPECT_EQ(camera->outputRotationForTesting(), GLImageRotationMode::RotateRightFlipHorizontal);
    camera->removeAllTargets();
}

// Rotation modes 0 none, 1 left, 2 right, 3 flip vertical, 4 flip horizontal,
// 5 right and flip vertical, 6 right and flip horizontal, 7 half a turn.
TEST_F(GLImageVideoCameraTest, EachCameraMirrorFlagAndOrientationTurnsThePicturesItsOwnWay)
{
    plat::test::setUpCameras({plat::test::testPatternCamera(CaptureDevicePosition::Front, 640, 480, kRate),
        plat::test::testPatternCamera(CaptureDevicePosition::Back, 640, 480, kRate)});
    struct Row {
        CaptureDevicePosition position;
        bool mirrored;
        std::array<int, 4> rotations;  // portrait, upside down, landscape right, landscape left
    };
    const Row rows[] = {
        {CaptureDevicePosition::Back, false, {2, 1, 0, 7}},
        {CaptureDevicePosition::Back, true, {5, 7, 3, 4}},
        {CaptureDevicePosition::Front, false, {2, 1, 0, 7}},
        {CaptureDevicePosition::Front, true, {5, 6, 4, 3}},
    };
    auto camera = zt::GLImageVideoCamera::init();
    ASSERT_TRUE(camera);
    auto target = std::make_shared<CountingTarget>();
    camera->addTarget(target);
    for (const Row& row : rows) {
        if (camera->cameraPosition() != row.position)
            camera->rotateCamera();
        ASSERT_EQ(camera->cameraPosition(), row.position);
        // The other camera's flag is set the other way: only the one in use may count.
        const bool back = row.position == CaptureDevicePosition::Back;
        camera->setHorizontallyMirrorRearFacingCamera(back == row.mirrored);
        camera->setHorizontallyMirrorFrontFacingCamera(back != row.mirrored);
        for (int orientation = 1; orientation <= 4; ++orientation) {
            camera->setOutputImageOrientation(static_cast<GLImageInterfaceOrientation>(orientation));
            EXPECT_EQ(static_cast<int>(target->rotation), row.rotations[orientation - 1])
                << (back ? "back" : "front") << (row.mirrored ? " mirrored" : "") << ", orientation " << orientation;
        }
    }
    camera->removeAllTargets();
}

TEST_F(GLImageVideoCameraTest, AMovieWriterAsTheAudioTargetGetsTheMicrophoneAndThePictures)
{
    zt::test::setUpColourCamera({{200, 40, 40, 255}}, 160, 120, kRate);
    plat::test::useSignalMicrophone("sine=frequency=440");
    auto camera = zt::GLImageVideoCamera::init();
    // Offline, so that appends wait for the encoder: the clock here runs far faster than it.
    auto writer = zt::GLImageMovieWriter::initWithMovieURL(plat::URL::fileURLWithPath(sandbox.path("camera.mov")),
        {160, 120}, plat::kFileTypeQuickTimeMovie,
        plat::Dictionary {{plat::kVideoCodecKey, plat::kVideoCodecH264}, {plat::kVideoWidthKey, 160},
            {plat::kVideoHeightKey, 120}, {zt::kEncodingLiveVideoKey, false}});
    auto target = std::make_shared<CountingTarget>();
    camera->addTarget(writer);
    camera->addTarget(target);
    EXPECT_FALSE(writer->hasAudioTrack());
    camera->setAudioEncodingTarget(writer);
    EXPECT_TRUE(writer->hasAudioTrack());
    EXPECT_EQ(camera->audioEncodingTarget(), writer);
    writer->startRecording();
    camera->startCameraCapture();
    for (int i = 0; i < 16; ++i)
        advanceOneFrame(*target);
    camera->stopCameraCapture();
    plat::Semaphore finished;
    writer->finishRecordingWithCompletionHandler([&] { finished.signal(); });
    ASSERT_TRUE(finished.wait(60));
    auto probe = plat::test::probeMedia(sandbox.path("camera.mov"), plat::test::FrameCount::ByDecoding);
    ASSERT_EQ(probe.exitCode, 0) << probe.output;
    EXPECT_EQ(probe.stream("video")["nb_read_frames"], "16");
    EXPECT_EQ(probe.stream("audio")["codec_name"], "aac");
    // The microphone goes again with the writer.
    camera->setAudioEncodingTarget(nullptr);
    EXPECT_FALSE(camera->removeAudioInputsAndOutputs());
    camera->removeAllTargets();
}
