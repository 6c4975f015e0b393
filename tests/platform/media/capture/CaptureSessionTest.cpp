#include "platform/media/capture/CaptureSession.h"

#include <algorithm>
#include <array>
#include <gtest/gtest.h>

#include "platform/foundation/DispatchQueue.h"
#include "platform/foundation/Files.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/Paths.h"
#include "platform/foundation/PropertyList.h"
#include "platform/foundation/Semaphore.h"
#include "platform/graphics/Image.h"
#include "platform/graphics/ImageRepresentation.h"
#include "platform/graphics/PixelBuffer.h"
#include "platform/media/MediaConstants.h"
#include "platform/media/SampleBuffer.h"
#include "platform/media/capture/CaptureDevice.h"
#include "platform/media/capture/CaptureInput.h"
#include "platform/media/capture/CaptureStillImageOutput.h"
#include "platform/media/capture/CaptureVideoDataOutput.h"
#include "platform/media/capture/CaptureVideoPreviewLayer.h"
#include "support/ManualClockScope.h"
#include "support/Pixels.h"
#include "support/RunLoopWaiting.h"
#include "support/TemporarySandbox.h"
#include "support/VirtualCameras.h"
#include "support/VirtualMicrophone.h"

namespace {

using plat::CaptureDevicePosition;
using plat::test::RecordingSampleDelegate;
using plat::test::testPatternCamera;

constexpr double kFrame = 1.0 / 32;  // a frame rate whose interval is exact in binary

class CaptureSessionTest : public ::testing::Test {
protected:
    // A running 1280 x 720 session on a 32 frames a second test pattern,
    // with a video data output that records.
    void startSession(
        plat::CaptureDeviceDescription camera = testPatternCamera(CaptureDevicePosition::Back, 1280, 720, 32),
        const std::string& preset = plat::kCaptureSessionPreset1280x720,
        std::shared_ptr<plat::CaptureVideoDataOutputSampleBufferDelegate> receiver = nullptr)
    {
        plat::test::setUpCameras({camera});
        auto device = plat::CaptureDevice::defaultDeviceWithMediaType(plat::kMediaTypeVideo);
        ASSERT_TRUE(device);
        auto input = plat::CaptureDeviceInput::deviceInputWithDevice(device);
        ASSERT_TRUE(input.ok()) << input.error().description();
        session->beginConfiguration();
        session->setSessionPreset(preset);
        session->addInput(input.value());
        if (receiver)
            output->setSampleBufferDelegate(receiver, queue);
        else
            output->setSampleBufferDelegate(delegate, queue);
        session->addOutput(output);
        session->commitConfiguration();
        session->startRunning();
    }

    // Moves the clock one frame at a time, waiting for each picture to be taken.
    void advanceFrames(int frames)
    {
        for (int i = 0; i < frames; ++i) {
            uint64_t before = session->capturedPictureCount();
            clock.advance(kFrame);
            ASSERT_TRUE(plat::test::runMainLoopUntil([&] { return session->capturedPictureCount() > before; }));
        }
    }
    // As advanceFrames, but each picture is through the delegate before the
    // next is taken: a picture arriving while the delegate still returns
    // from the last would be dropped as late, however loaded the machine.
    void advanceFramesOneByOne(int frames)
    {
        for (int i = 0; i < frames; ++i) {
            advanceFrames(1);
            waitForTheDelegate();
        }
    }
    void waitForTheDelegate()
    {
        queue->sync([] {});
    }

    plat::test::TemporarySandbox sandbox;
    plat::test::ManualClockScope clock;
    std::shared_ptr<plat::CaptureSession> session = plat::CaptureSession::create();
    std::shared_ptr<plat::CaptureVideoDataOutput> output = std::make_shared<plat::CaptureVideoDataOutput>();
    std::shared_ptr<RecordingSampleDelegate> delegate = std::make_shared<RecordingSampleDelegate>();
    std::shared_ptr<plat::DispatchQueue> queue = plat::DispatchQueue::create("test.camera");
    // The preview layer's hand-overs wake the main loop for every picture taken.
    std::shared_ptr<plat::CaptureVideoPreviewLayer> preview = plat::CaptureVideoPreviewLayer::layerWithSession(session);
};

TEST_F(CaptureSessionTest, TheDeviceFolderDecidesWhichCamerasExist)
{
    plat::test::setUpCameras({});
    EXPECT_TRUE(plat::CaptureDevice::devicesWithMediaType(plat::kMediaTypeVideo).empty());
    EXPECT_EQ(plat::CaptureDevice::defaultDeviceWithMediaType(plat::kMediaTypeVideo), nullptr);

    plat::test::setUpCameras({testPatternCamera(CaptureDevicePosition::Back)});
    auto one = plat::CaptureDevice::devicesWithMediaType(plat::kMediaTypeVideo);
    ASSERT_EQ(one.size(), 1u);
    EXPECT_EQ(one[0]->position(), CaptureDevicePosition::Back);
    EXPECT_EQ(one[0]->localizedName(), "Back Camera");

    plat::test::setUpCameras(
        {testPatternCamera(CaptureDevicePosition::Front), testPatternCamera(CaptureDevicePosition::Back)});
    auto two = plat::CaptureDevice::devicesWithMediaType(plat::kMediaTypeVideo);
    ASSERT_EQ(two.size(), 2u);
    EXPECT_EQ(two[0]->position(), CaptureDevicePosition::Front);
    EXPECT_EQ(plat::CaptureDevice::defaultDeviceWithMediaType(plat::kMediaTypeVideo), two[1]);
    // A device without a microphone has no audio device (the machine's own would be listed otherwise).
    plat::test::setUpMicrophone(plat::MicrophoneDescription {plat::MicrophoneKind::None, {}, {}, {}});
    EXPECT_TRUE(plat::CaptureDevice::devicesWithMediaType(plat::kMediaTypeAudio).empty());
    // Asking again while a camera is held gives the same camera object.
    EXPECT_EQ(plat::CaptureDevice::devices()[0], two[0]);
}

TEST_F(CaptureSessionTest, AnUnusableListEntryIsLeftOutAndADamagedListMeansNoCameras)
{
    plat::Array list {plat::Dictionary {{"Kind", plat::Value("Hologram")}},
        plat::Dictionary {{"Kind", plat::Value("TestPattern")}, {"Width", plat::Value(8000)}},
        plat::Dictionary {{"Kind", plat::Value("TestPattern")}, {"Position", plat::Value("Front")}}};
    ASSERT_TRUE(
        plat::createDirectory(plat::CaptureDeviceFolder::camerasFolder(), plat::IntermediateDirectories::Yes).ok());
    ASSERT_TRUE(plat::writePropertyListFile(list, plat::CaptureDeviceFolder::camerasFilePath()).ok());
    auto cameras = plat::CaptureDeviceFolder::cameras();
    ASSERT_EQ(cameras.size(), 1u);
    EXPECT_EQ(cameras[0].position, CaptureDevicePosition::Front);

    ASSERT_TRUE(plat::writeFileAtomically(plat::CaptureDeviceFolder::camerasFilePath(), "not a list").ok());
    EXPECT_TRUE(plat::CaptureDeviceFolder::cameras().empty());
}

TEST_F(CaptureSessionTest, ModesTheCameraLacksAreUnsupportedAndARefusedLockChangesNothing)
{
    auto camera = testPatternCamera(CaptureDevicePosition::Back);
    camera.focusModes = {0, 2};
    camera.exposureBias.reset();
    plat::test::setUpCameras({camera});
    auto device = plat::CaptureDevice::defaultDeviceWithMediaType(plat::kMediaTypeVideo);
    EXPECT_FALSE(device->isFocusModeSupported(plat::CaptureFocusMode::AutoFocus));
    EXPECT_EQ(device->focusMode(), plat::CaptureFocusMode::ContinuousAutoFocus);
    EXPECT_EQ(device->maxExposureTargetBias(), 0.0f);
    std::optional<plat::Error> error;
    ASSERT_TRUE(device->lockForConfiguration(&error));
    device->setFocusMode(plat::CaptureFocusMode::AutoFocus);  // ignored
    EXPECT_EQ(device->focusMode(), plat::CaptureFocusMode::ContinuousAutoFocus);
    device->setFocusMode(plat::CaptureFocusMode::Locked);
    device->setFocusPointOfInterest({1.5, 0.25});
    device->unlockForConfiguration();
    EXPECT_EQ(device->focusMode(), plat::CaptureFocusMode::Locked);
    EXPECT_EQ(device->focusPointOfInterest(), (plat::Point {1.0, 0.25}));

    camera.configurationLockFails = true;
    plat::test::setUpCameras({camera});
    device = plat::CaptureDevice::defaultDeviceWithMediaType(plat::kMediaTypeVideo);
    EXPECT_FALSE(device->lockForConfiguration(&error));
    ASSERT_TRUE(error);
    EXPECT_EQ(error->code(), plat::kMediaErrorDeviceLockedForConfigurationByAnotherProcess);
    EXPECT_FALSE(device->isLockedForConfiguration());
}

TEST_F(CaptureSessionTest, PresetsTheCameraCannotDeliverAreRefused)
{
    plat::test::setUpCameras({testPatternCamera(CaptureDevicePosition::Back, 1280, 720)});
    auto device = plat::CaptureDevice::defaultDeviceWithMediaType(plat::kMediaTypeVideo);
    EXPECT_FALSE(device->supportsAVCaptureSessionPreset(plat::kCaptureSessionPreset1920x1080));
    EXPECT_TRUE(device->supportsAVCaptureSessionPreset(plat::kCaptureSessionPreset640x480));
    EXPECT_EQ(device->sizeForSessionPreset(plat::kCaptureSessionPresetPhoto), (plat::Size {1280, 720}));
    auto input = plat::CaptureDeviceInput::deviceInputWithDevice(device);
    ASSERT_TRUE(input.ok());
    session->addInput(input.value());
    EXPECT_FALSE(session->canSetSessionPreset(plat::kCaptureSessionPreset1920x1080));
    session->setSessionPreset(plat::kCaptureSessionPreset1920x1080);
    EXPECT_EQ(session->sessionPreset(), plat::kCaptureSessionPresetHigh);
    session->setSessionPreset(plat::kCaptureSessionPreset640x480);
    EXPECT_EQ(input.value()->ports()[0].cleanAperture(), plat::makeRect(0, 0, 640, 480));
}

// Every camera takes the smallest preset; one smaller than it gives its own pictures there.
TEST_F(CaptureSessionTest, ACameraSmallerThanTheSmallestPresetOpensAtItsOwnSize)
{
    plat::test::setUpCameras({testPatternCamera(CaptureDevicePosition::Front, 640, 360)});
    auto device = plat::CaptureDevice::defaultDeviceWithMediaType(plat::kMediaTypeVideo);
    EXPECT_FALSE(device->supportsAVCaptureSessionPreset(plat::kCaptureSessionPreset1280x720));
    session->setSessionPreset(plat::kCaptureSessionPreset640x480);
    auto input = plat::CaptureDeviceInput::deviceInputWithDevice(device);
    ASSERT_TRUE(input.ok());
    ASSERT_TRUE(session->canAddInput(input.value()));
    session->addInput(input.value());
    EXPECT_EQ(input.value()->ports()[0].cleanAperture(), plat::makeRect(0, 0, 640, 360));
}

TEST_F(CaptureSessionTest, PicturesComeOnTheClockInOrderAsBGRA)
{
    startSession();
    clock.advance(kFrame * 0.5);
    EXPECT_EQ(session->capturedPictureCount(), 0u);
    advanceFramesOneByOne(3);
    ASSERT_TRUE(plat::test::runMainLoopUntil([&] { return delegate->pictureCount() == 3; }));
    EXPECT_EQ(delegate->pictureTimes(), (std::vector<int64_t> {0, 1, 2}));
    auto first = delegate->picture(0);
    ASSERT_TRUE(first);
    std::shared_ptr<plat::PixelBuffer> pixels = first->imageBuffer();
    ASSERT_TRUE(pixels);
    EXPECT_EQ(pixels->width(), 1280);
    EXPECT_EQ(pixels->height(), 720);
    EXPECT_EQ(pixels->pixelFormatType(), plat::kPixelFormatType_32BGRA);
    EXPECT_EQ(first->presentationTimeStamp().timescale, 32);
    EXPECT_EQ(plat::test::pixelAt(*pixels, 640, 360)[3], 255);
}

TEST_F(CaptureSessionTest, ASecondOnTheClockGivesEveryPictureOfThatSecond)
{
    startSession();
    clock.advance(1.0);
    ASSERT_TRUE(plat::test::runMainLoopUntil([&] { return session->capturedPictureCount() == 32; }));
    clock.advance(0);
    EXPECT_EQ(session->capturedPictureCount(), 32u);
}

TEST_F(CaptureSessionTest, PicturesComingWhileTheDelegateIsBusyAreDroppedInOrder)
{
    plat::Semaphore release;
    delegate->onPicture = [&, first = true](const plat::SampleBuffer&) mutable {
        if (std::exchange(first, false))
            release.wait();
    };
    startSession();
    advanceFrames(4);  // picture 0 is held by the delegate; 1, 2 and 3 come meanwhile
    release.signal();
    waitForTheDelegate();
    advanceFrames(1);
    ASSERT_TRUE(
        plat::test::runMainLoopUntil([&] { return delegate->dropCount() == 3 && delegate->pictureCount() == 2; }));
    EXPECT_EQ(delegate->droppedTimes(), (std::vector<int64_t> {1, 2, 3}));
    EXPECT_EQ(delegate->pictureTimes(), (std::vector<int64_t> {0, 4}));
}

TEST_F(CaptureSessionTest, StopReturnsWhileTheDelegateWaitsForTheMainThread)
{
    std::atomic<bool> mainRan = false;
    plat::Semaphore entered;
    delegate->onPicture = [&](const plat::SampleBuffer&) {
        entered.signal();
        plat::DispatchQueue::mainQueue().sync([&] { mainRan = true; });
    };
    startSession();
    advanceFrames(1);
    ASSERT_TRUE(entered.wait(30));  // without running the main queue, which the delegate waits for
    session->stopRunning();
    EXPECT_FALSE(session->isRunning());
    ASSERT_TRUE(plat::test::runMainLoopUntil([&] { return mainRan.load(); }));
    const uint64_t taken = session->capturedPictureCount();
    clock.advance(1.0);
    EXPECT_EQ(session->capturedPictureCount(), taken);
}

TEST_F(CaptureSessionTest, APictureTakenBeforeAStopIsNotDeliveredAfterIt)
{
    plat::Semaphore release;
    plat::Semaphore blocked;
    queue->async([&] {
        blocked.signal();
        release.wait();
    });
    blocked.wait();
    startSession();
    advanceFrames(1);  // handed to the busy queue
    session->stopRunning();
    release.signal();
    plat::Semaphore drained;
    queue->async([&] { drained.signal(); });
    ASSERT_TRUE(drained.wait(30));
    EXPECT_EQ(delegate->pictureCount(), 0u);
}

TEST_F(CaptureSessionTest, APhotoPresetStillIsAFullSizeJPEGWithItsOrientation)
{
    auto stills = std::make_shared<plat::CaptureStillImageOutput>();
    session->addOutput(stills);
    startSession(testPatternCamera(CaptureDevicePosition::Back, 3840, 2160, 32), plat::kCaptureSessionPresetPhoto);
    auto connection = stills->connectionWithMediaType(plat::kMediaTypeVideo);
    ASSERT_TRUE(connection);
    connection->setVideoOrientation(plat::CaptureVideoOrientation::LandscapeLeft);
    std::shared_ptr<const plat::SampleBuffer> still;
    std::atomic<bool> done = false;
    stills->captureStillImageAsynchronouslyFromConnection(
        connection, [&](const std::shared_ptr<const plat::SampleBuffer>& buffer, const std::optional<plat::Error>&) {
            still = buffer;
            done = true;
            plat::DispatchQueue::mainQueue().async([] {});
        });
    EXPECT_TRUE(stills->isCapturingStillImage());
    advanceFrames(1);
    ASSERT_TRUE(plat::test::runMainLoopUntil([&] { return done.load(); }));
    ASSERT_TRUE(still);
    auto jpeg = plat::CaptureStillImageOutput::jpegStillImageNSDataRepresentation(*still);
    ASSERT_TRUE(jpeg);
    auto image = plat::Image::imageWithData(*jpeg);
    ASSERT_TRUE(image);
    EXPECT_EQ(image->bitmap()->width(), 3840);
    EXPECT_EQ(image->bitmap()->height(), 2160);
    EXPECT_EQ(image->imageOrientation(), plat::ImageOrientation::Down);
    // The video output meanwhile gets the same picture at most 1920 x 1080.
    ASSERT_TRUE(plat::test::runMainLoopUntil([&] { return delegate->pictureCount() == 1; }));
    EXPECT_EQ(delegate->picture(0)->imageBuffer()->width(), 1920);
    EXPECT_FALSE(stills->isCapturingStillImage());
}

TEST_F(CaptureSessionTest, AStillAskedOfAStoppedSessionFailsWithoutAPicture)
{
    auto stills = std::make_shared<plat::CaptureStillImageOutput>();
    session->addOutput(stills);
    startSession();
    auto connection = stills->connectionWithMediaType(plat::kMediaTypeVideo);
    session->stopRunning();
    std::optional<plat::Error> failure;
    std::atomic<bool> done = false;
    stills->captureStillImageAsynchronouslyFromConnection(connection,
        [&](const std::shared_ptr<const plat::SampleBuffer>& buffer, const std::optional<plat::Error>& error) {
            EXPECT_FALSE(buffer);
            failure = error;
            done = true;
            plat::DispatchQueue::mainQueue().async([] {});
        });
    ASSERT_TRUE(plat::test::runMainLoopUntil([&] { return done.load(); }));
    ASSERT_TRUE(failure);
    EXPECT_EQ(failure->code(), plat::kMediaErrorSessionNotRunning);
}

TEST_F(CaptureSessionTest, APreviewShowsTheNewestPictureMirroredForTheFrontCamera)
{
    preview->setVideoGravity(plat::kLayerVideoGravityResizeAspectFill);
    preview->connection()->setVideoOrientation(plat::CaptureVideoOrientation::LandscapeRight);
    startSession(testPatternCamera(CaptureDevicePosition::Front, 640, 480, 32), plat::kCaptureSessionPreset640x480);
    advanceFrames(2);
    ASSERT_TRUE(plat::test::runMainLoopUntil([&] { return preview->contents() != nullptr; }));
    EXPECT_EQ(preview->contentsGravity(), plat::ContentsGravity::ResizeAspectFill);
    EXPECT_EQ(preview->contents()->size(), (plat::Size {640, 480}));
    EXPECT_EQ(preview->contents()->imageOrientation(), plat::ImageOrientation::UpMirrored);
    EXPECT_TRUE(preview->connection()->isVideoMirrored());
}

// A folder of JPEG pictures plays as one of PNG pictures does.
TEST_F(CaptureSessionTest, AFolderOfPicturesPlaysInALoop)
{
    const uint8_t colours[2][3] = {{255, 0, 0}, {0, 0, 255}};
    for (const char* extension : {"png", "jpg"}) {
        SCOPED_TRACE(extension);
        const std::string folder = plat::appendingPathComponent(plat::CaptureDeviceFolder::camerasFolder(), extension);
        ASSERT_TRUE(plat::createDirectory(folder, plat::IntermediateDirectories::Yes).ok());
        for (int i = 0; i < 2; ++i) {
            // Fine stripes, as a photo has detail: a large picture file.
            auto picture = plat::test::makeImage(320, 240, [&](int x, int) {
                const uint8_t shade = x % 2 ? 0 : 40;
                return plat::test::Rgba {uint8_t(colours[i][0] - (colours[i][0] ? shade : 0)),
                    uint8_t(colours[i][1] + shade), uint8_t(colours[i][2] - (colours[i][2] ? shade : 0)), 255};
            });
            auto encoded = std::string_view(extension) == "png" ? plat::PNGRepresentation(*picture)
                                                                : plat::JPEGRepresentation(*picture, 0.9);
            ASSERT_TRUE(encoded);
            ASSERT_TRUE(plat::writeFileAtomically(
                plat::appendingPathComponent(folder, plat::formatLine("{}.{}", i, extension)), *encoded)
                            .ok());
        }
        plat::CaptureDeviceDescription camera;
        camera.kind = plat::CaptureDeviceKind::Pictures;
        camera.folder = extension;
        camera.width = 640;
        camera.height = 480;
        camera.frameRate = 32;
        delegate = std::make_shared<RecordingSampleDelegate>();
        session = plat::CaptureSession::create();
        startSession(camera, plat::kCaptureSessionPreset640x480);
        if (HasFatalFailure())
            return;
        advanceFramesOneByOne(3);
        ASSERT_TRUE(plat::test::runMainLoopUntil([&] { return delegate->pictureCount() == 3; }));
        auto red
            = [&](size_t index) { return plat::test::pixelAt(*delegate->picture(index)->imageBuffer(), 320, 240)[2]; };
        EXPECT_GT(red(0), 200);
        EXPECT_LT(red(1), 50);
        EXPECT_GT(red(2), 200);
        EXPECT_EQ(delegate->picture(0)->imageBuffer()->width(), 640);
        session->stopRunning();
    }
}

// Keeps the first frame as a bitmap over the camera's own memory, and no
// sample buffer, so the camera's memory is free to come round again.
class FirstFrameKeeper : public plat::CaptureVideoDataOutputSampleBufferDelegate {
public:
    void captureOutput(plat::CaptureOutput&, const std::shared_ptr<const plat::SampleBuffer>& sampleBuffer,
        plat::CaptureConnection&) override
    {
        if (!first) {
            first = plat::bitmapSharingPixels(*sampleBuffer->imageBuffer());
            if (first)
                asTaken.assign(first->bytes(), first->bytes() + first->byteCount());
        }
        ++frames;
        plat::DispatchQueue::mainQueue().async([] {});
    }
    std::shared_ptr<const plat::Bitmap> first;  // written on the queue before frames counts the frame
    std::vector<uint8_t> asTaken;
    std::atomic<int> frames = 0;
};

// Frames that come as the buffer holds them keep their decoded memory; the
// others are converted into a pool's memory, which comes round again once
// let go. A picture sharing either must keep its pixels meanwhile.
TEST_F(CaptureSessionTest, APictureSharingACameraFrameKeepsItsPixelsWhileTheCameraGoesOn)
{
    const std::string folder = plat::appendingPathComponent(plat::CaptureDeviceFolder::camerasFolder(), "flat");
    ASSERT_TRUE(plat::createDirectory(folder, plat::IntermediateDirectories::Yes).ok());
    for (int i = 0; i < 2; ++i) {
        auto bitmap = plat::Bitmap::allocate(64, 48, plat::PixelOrder::RGBA);
        for (int y = 0; y < 48; ++y)
            for (int x = 0; x < 64; ++x)
                std::copy_n(std::array<uint8_t, 4> {uint8_t(100 * i + x), uint8_t(y), 50, 255}.data(), 4,
                    bitmap->mutableRow(y) + x * 4);
        ASSERT_TRUE(plat::writeFileAtomically(plat::appendingPathComponent(folder, plat::formatLine("{}.png", i)),
            *plat::PNGRepresentation(*plat::Image::imageWithBitmap(bitmap)))
                        .ok());
    }
    plat::CaptureDeviceDescription pictures;
    pictures.kind = plat::CaptureDeviceKind::Pictures;
    pictures.folder = "flat";
    pictures.width = 640;
    pictures.height = 480;
    pictures.frameRate = 32;
    for (const auto& camera : {testPatternCamera(CaptureDevicePosition::Back, 640, 480, 32), pictures}) {
        SCOPED_TRACE(camera.kind == plat::CaptureDeviceKind::Pictures ? "pictures" : "test pattern");
        auto keeper = std::make_shared<FirstFrameKeeper>();
        session = plat::CaptureSession::create();
        startSession(camera, plat::kCaptureSessionPreset640x480, keeper);
        advanceFramesOneByOne(12);
        EXPECT_EQ(keeper->frames.load(), 12);
        ASSERT_TRUE(keeper->first);
        EXPECT_EQ(keeper->first->width(), 640);
        EXPECT_TRUE(std::equal(keeper->asTaken.begin(), keeper->asTaken.end(), keeper->first->bytes()));
        session->stopRunning();
    }
}

TEST_F(CaptureSessionTest, ACameraThatCannotDeliverGivesNoInput)
{
    plat::CaptureDeviceDescription camera;
    camera.kind = plat::CaptureDeviceKind::Pictures;
    camera.folder = "missing";
    plat::test::setUpCameras({camera});
    auto input = plat::CaptureDeviceInput::deviceInputWithDevice(
        plat::CaptureDevice::defaultDeviceWithMediaType(plat::kMediaTypeVideo));
    ASSERT_FALSE(input.ok());
    EXPECT_EQ(input.error().code(), plat::kMediaErrorDeviceNotConnected);
    EXPECT_FALSE(plat::CaptureDeviceInput::deviceInputWithDevice(nullptr).ok());
}

TEST_F(CaptureSessionTest, OneCameraAtATime)
{
    plat::test::setUpCameras(
        {testPatternCamera(CaptureDevicePosition::Front), testPatternCamera(CaptureDevicePosition::Back)});
    auto devices = plat::CaptureDevice::devices();
    auto front = plat::CaptureDeviceInput::deviceInputWithDevice(devices[0]);
    auto back = plat::CaptureDeviceInput::deviceInputWithDevice(devices[1]);
    ASSERT_TRUE(front.ok() && back.ok());
    session->addInput(front.value());
    EXPECT_FALSE(session->canAddInput(back.value()));
    EXPECT_FALSE(session->canAddInput(front.value()));
    session->removeInput(front.value());
    EXPECT_TRUE(session->canAddInput(back.value()));
}

}  // namespace

namespace {

// A camera showing one flat colour, 64 x 48 at 32 pictures a second.
plat::CaptureDeviceDescription flatColourCamera(plat::test::Rgba colour)
{
    const std::string folder = plat::appendingPathComponent(plat::CaptureDeviceFolder::camerasFolder(), "flat");
    EXPECT_TRUE(plat::createDirectory(folder, plat::IntermediateDirectories::Yes).ok());
    auto image = plat::test::makeFlatImage(64, 48, colour);
    auto png = image ? plat::PNGRepresentation(*image) : std::nullopt;
    EXPECT_TRUE(png);
    if (png) {
        EXPECT_TRUE(plat::writeFileAtomically(plat::appendingPathComponent(folder, "0.png"), *png).ok());
    }
    plat::CaptureDeviceDescription camera;
    camera.kind = plat::CaptureDeviceKind::Pictures;
    camera.folder = "flat";
    camera.width = 64;
    camera.height = 48;
    camera.frameRate = 32;
    return camera;
}

struct YCbCr {
    int y, cb, cr;
};

YCbCr sampleAt(plat::PixelBuffer& buffer, int x, int y)
{
    buffer.lockBaseAddress(plat::PixelBufferLock::ReadOnly);
    const uint8_t* luma = buffer.baseAddressOfPlane(0) + buffer.bytesPerRowOfPlane(0) * size_t(y) + size_t(x);
    const uint8_t* chroma
        = buffer.baseAddressOfPlane(1) + buffer.bytesPerRowOfPlane(1) * size_t(y / 2) + size_t(x / 2) * 2;
    YCbCr sample {luma[0], chroma[0], chroma[1]};
    buffer.unlockBaseAddress(plat::PixelBufferLock::ReadOnly);
    return sample;
}

}  // namespace

TEST_F(CaptureSessionTest, AVideoDataOutputOffersPlanesAndBGRAAndRefusesOtherFormats)
{
    EXPECT_EQ(output->availableVideoCVPixelFormatTypes(),
        (std::vector<uint32_t> {plat::kPixelFormatType_420YpCbCr8BiPlanarVideoRange,
            plat::kPixelFormatType_420YpCbCr8BiPlanarFullRange, plat::kPixelFormatType_32BGRA}));
    EXPECT_FALSE(output->setVideoSettings(
        plat::Dictionary {{plat::kCVPixelBufferPixelFormatTypeKey, int64_t {0x32767579}}}));  // '2vuy'
    EXPECT_EQ(output->videoSettings().getInt64(plat::kCVPixelBufferPixelFormatTypeKey),
        int64_t {plat::kPixelFormatType_32BGRA});
    EXPECT_TRUE(output->setVideoSettings(plat::Dictionary {
        {plat::kCVPixelBufferPixelFormatTypeKey, int64_t {plat::kPixelFormatType_420YpCbCr8BiPlanarFullRange}}}));
    EXPECT_EQ(output->videoSettings().getInt64(plat::kCVPixelBufferPixelFormatTypeKey),
        int64_t {plat::kPixelFormatType_420YpCbCr8BiPlanarFullRange});
}

TEST_F(CaptureSessionTest, PlanesComeInTheRangeAskedForWithTheBT601Matrix)
{
    // Orange: R 255, G 128, B 0. BT.601 full range: Y 151, Cb 43, Cr 202;
    // video range: Y 146, Cb 53, Cr 193.
    struct Case {
        uint32_t format;
        YCbCr expected;
    };
    for (const Case& c : {Case {plat::kPixelFormatType_420YpCbCr8BiPlanarFullRange, {151, 43, 202}},
             Case {plat::kPixelFormatType_420YpCbCr8BiPlanarVideoRange, {146, 53, 193}}}) {
        SCOPED_TRACE(c.format);
        session = plat::CaptureSession::create();
        output = std::make_shared<plat::CaptureVideoDataOutput>();
        delegate = std::make_shared<RecordingSampleDelegate>();
        ASSERT_TRUE(
            output->setVideoSettings(plat::Dictionary {{plat::kCVPixelBufferPixelFormatTypeKey, int64_t {c.format}}}));
        startSession(flatColourCamera({255, 128, 0, 255}), plat::kCaptureSessionPresetHigh);
        advanceFramesOneByOne(1);
        ASSERT_TRUE(plat::test::runMainLoopUntil([&] { return delegate->pictureCount() == 1; }));
        auto picture = delegate->picture(0);
        ASSERT_TRUE(picture);
        std::shared_ptr<plat::PixelBuffer> pixels = picture->imageBuffer();
        ASSERT_TRUE(pixels);
        EXPECT_EQ(pixels->pixelFormatType(), c.format);
        EXPECT_EQ(pixels->planeCount(), 2u);
        EXPECT_EQ(pixels->yCbCrMatrix(), plat::kCVImageBufferYCbCrMatrix_ITU_R_601_4);
        for (auto [x, y] : {std::pair {0, 0}, {63, 47}, {31, 20}}) {
            const YCbCr got = sampleAt(*pixels, x, y);
            EXPECT_NEAR(got.y, c.expected.y, 2) << x << ", " << y;
            EXPECT_NEAR(got.cb, c.expected.cb, 2) << x << ", " << y;
            EXPECT_NEAR(got.cr, c.expected.cr, 2) << x << ", " << y;
        }
        session->stopRunning();
    }
}
