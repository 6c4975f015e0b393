#include <cmath>
#include <cstring>
#include <gtest/gtest.h>

#include "platform/foundation/DispatchQueue.h"
#include "platform/foundation/Files.h"
#include "platform/media/MediaConstants.h"
#include "platform/media/SampleBuffer.h"
#include "platform/media/capture/CaptureAudioDataOutput.h"
#include "platform/media/capture/CaptureDevice.h"
#include "platform/media/capture/CaptureInput.h"
#include "platform/media/capture/CaptureSession.h"
#include "platform/media/capture/CaptureVideoDataOutput.h"
#include "support/ManualClockScope.h"
#include "support/MediaTools.h"
#include "support/RunLoopWaiting.h"
#include "support/TemporarySandbox.h"
#include "support/VirtualCameras.h"
#include "support/VirtualMicrophone.h"

namespace {

using plat::MediaTime;

// Records every buffer of sound and wakes the main loop for each.
class RecordingSoundDelegate : public plat::CaptureAudioDataOutputSampleBufferDelegate {
public:
    void captureOutput(plat::CaptureOutput&, const std::shared_ptr<const plat::SampleBuffer>& sampleBuffer,
        plat::CaptureConnection&) override
    {
        {
            std::lock_guard lock(_lock);
            _sounds.push_back(sampleBuffer);
        }
        plat::DispatchQueue::mainQueue().async([] {});
    }
    std::vector<std::shared_ptr<const plat::SampleBuffer>> sounds() const
    {
        std::lock_guard lock(_lock);
        return _sounds;
    }
    size_t count() const { return sounds().size(); }

private:
    mutable std::mutex _lock;
    std::vector<std::shared_ptr<const plat::SampleBuffer>> _sounds;
};

std::vector<int16_t> samplesOf(const std::vector<std::shared_ptr<const plat::SampleBuffer>>& sounds)
{
    std::vector<int16_t> samples;
    for (const auto& sound : sounds) {
        const plat::Data& bytes = sound->dataBuffer();
        const size_t count = bytes.size() / 2;
        const size_t at = samples.size();
        samples.resize(at + count);
        std::memcpy(samples.data() + at, bytes.data(), count * 2);
    }
    return samples;
}

class CaptureMicrophoneTest : public ::testing::Test {
protected:
    std::shared_ptr<plat::CaptureDeviceInput> microphoneInput()
    {
        auto device = plat::CaptureDevice::defaultDeviceWithMediaType(plat::kMediaTypeAudio);
        EXPECT_TRUE(device);
        if (!device)
            return nullptr;
        EXPECT_TRUE(device->hasMediaType(plat::kMediaTypeAudio));
        EXPECT_FALSE(device->hasMediaType(plat::kMediaTypeVideo));
        auto input = plat::CaptureDeviceInput::deviceInputWithDevice(device);
        EXPECT_TRUE(input.ok());
        return input.ok() ? input.value() : nullptr;
    }
    void start(const std::vector<std::shared_ptr<plat::CaptureInput>>& inputs)
    {
        session->beginConfiguration();
        for (const auto& input : inputs)
            session->addInput(input);
        sound->setSampleBufferDelegate(soundDelegate, queue);
        session->addOutput(sound);
        session->commitConfiguration();
        session->startRunning();
    }

    plat::test::TemporarySandbox sandbox;
    plat::test::ManualClockScope clock;
    std::shared_ptr<plat::CaptureSession> session = plat::CaptureSession::create();
    std::shared_ptr<plat::CaptureAudioDataOutput> sound = std::make_shared<plat::CaptureAudioDataOutput>();
    std::shared_ptr<RecordingSoundDelegate> soundDelegate = std::make_shared<RecordingSoundDelegate>();
    std::shared_ptr<plat::DispatchQueue> queue = plat::DispatchQueue::create("test.microphone");
};

}  // namespace

TEST_F(CaptureMicrophoneTest, AToneMicrophoneIsHeardInStepWithTheClockAndTheCamera)
{
    plat::test::setUpCameras({plat::test::testPatternCamera(plat::CaptureDevicePosition::Back, 640, 480, 32)});
    plat::test::useSignalMicrophone("aevalsrc=0.5*sin(2*PI*440*t):s=44100");
    auto camera = plat::CaptureDeviceInput::deviceInputWithDevice(
        plat::CaptureDevice::defaultDeviceWithMediaType(plat::kMediaTypeVideo));
    ASSERT_TRUE(camera.ok());
    auto microphone = microphoneInput();
    ASSERT_TRUE(microphone);
    EXPECT_EQ(microphone->ports().front().mediaType(), plat::kMediaTypeAudio);
    auto pictures = std::make_shared<plat::CaptureVideoDataOutput>();
    auto pictureDelegate = std::make_shared<plat::test::RecordingSampleDelegate>();
    pictures->setSampleBufferDelegate(pictureDelegate, queue);
    session->addOutput(pictures);
    start({camera.value(), microphone});
    EXPECT_TRUE(sound->connectionWithMediaType(plat::kMediaTypeAudio));
    EXPECT_FALSE(sound->connectionWithMediaType(plat::kMediaTypeVideo));

    // 43 buffers of 1024 frames at 44.1 kHz are heard by the time the clock reaches their end.
    clock.advance(43 * 1024 / 44100.0);
    ASSERT_TRUE(plat::test::runMainLoopUntil([&] { return soundDelegate->count() == 43; }));
    queue->sync([] {});
    auto sounds = soundDelegate->sounds();
    ASSERT_EQ(sounds.size(), 43u);
    for (size_t i = 0; i < sounds.size(); ++i) {
        EXPECT_EQ(sounds[i]->presentationTimeStamp(), MediaTime::make(int64_t(i) * 1024, 44100));
        EXPECT_EQ(sounds[i]->numSamples(), 1024);
        EXPECT_EQ(sounds[i]->audioStreamBasicDescription().channelsPerFrame, 1u);
        EXPECT_EQ(sounds[i]->audioStreamBasicDescription().sampleRate, 44100);
    }
    auto samples = samplesOf(sounds);
    // The tone's peak at half scale, and the samples where the signal puts them.
    EXPECT_NEAR(*std::max_element(samples.begin(), samples.end()), 16383, 40);
    for (size_t i : {size_t(19), size_t(25), size_t(44000)})
        EXPECT_NEAR(samples[i], 16383 * std::sin(2 * M_PI * 440 * double(i) / 44100.0), 2) << i;
    // The pictures of that second, on the same time line.
    ASSERT_TRUE(plat::test::runMainLoopUntil([&] { return pictureDelegate->pictureCount() >= 1; }));
    EXPECT_EQ(pictureDelegate->pictureTimes().front(), 0);

    session->stopRunning();
    const size_t heard = soundDelegate->count();
    clock.advance(1.0);
    queue->sync([] {});
    EXPECT_EQ(soundDelegate->count(), heard);
}

TEST_F(CaptureMicrophoneTest, ASessionWithOnlyAMicrophoneHearsASoundFileInALoop)
{
    plat::test::setUpCameras({});
    auto run = plat::test::runFFmpeg(sandbox.root(),
        {"-f", "lavfi", "-i", "aevalsrc=0.25:s=44100:d=0.25", "-c:a", "pcm_s16le", sandbox.path("quarter.wav")});
    ASSERT_EQ(run.exitCode, 0);
    plat::test::useFileMicrophone(sandbox.path("quarter.wav"));
    auto microphone = microphoneInput();
    ASSERT_TRUE(microphone);
    start({microphone});
    clock.advance(43 * 1024 / 44100.0);
    ASSERT_TRUE(plat::test::runMainLoopUntil([&] { return soundDelegate->count() == 43; }));
    queue->sync([] {});
    auto samples = samplesOf(soundDelegate->sounds());
    ASSERT_EQ(samples.size(), 43u * 1024);
    // A quarter second of a level of 0.25 over and over: never a gap of silence.
    EXPECT_EQ(std::count_if(samples.begin(), samples.end(), [](int16_t s) { return std::abs(s - 8192) > 64; }), 0);
}

TEST_F(CaptureMicrophoneTest, AMicrophoneThatCannotBeHadIsNoneOrCannotBeOpened)
{
    plat::test::setUpMicrophone(plat::MicrophoneDescription {plat::MicrophoneKind::None, {}, {}, {}});
    EXPECT_TRUE(plat::CaptureDevice::devicesWithMediaType(plat::kMediaTypeAudio).empty());

    // The recorder's file describes the capture session's microphone too.
    ASSERT_TRUE(plat::writeFileAtomically(plat::MicrophoneFolder::microphoneFilePath(),
        std::string("<plist><dict><key>Kind</key><string>Theremin</string></dict></plist>"))
                    .ok());
    EXPECT_TRUE(plat::CaptureDevice::devicesWithMediaType(plat::kMediaTypeAudio).empty());

    plat::test::useFileMicrophone("nothing-here.wav");
    auto device = plat::CaptureDevice::defaultDeviceWithMediaType(plat::kMediaTypeAudio);
    ASSERT_TRUE(device);
    EXPECT_EQ(device->localizedName(), "iPhone Microphone");
    EXPECT_EQ(
        plat::CaptureDeviceInput::deviceInputWithDevice(device).error().code(), plat::kMediaErrorDeviceNotConnected);

    // The person said no to the microphone question.
    plat::test::useSignalMicrophone("sine");
    plat::test::denyMicrophone();
    EXPECT_EQ(plat::CaptureDeviceInput::deviceInputWithDevice(
                  plat::CaptureDevice::defaultDeviceWithMediaType(plat::kMediaTypeAudio))
                  .error()
                  .code(),
        plat::kMediaErrorApplicationIsNotAuthorizedToUseDevice);
    ASSERT_TRUE(plat::MicrophoneFolder::setRecordPermission(plat::AudioSessionRecordPermission::Granted).ok());

    auto first = microphoneInput();
    auto second = plat::CaptureDeviceInput::deviceInputWithDevice(
        plat::CaptureDevice::defaultDeviceWithMediaType(plat::kMediaTypeAudio));
    ASSERT_TRUE(first && second.ok());
    session->addInput(first);
    EXPECT_FALSE(session->canAddInput(second.value()));  // one microphone at a time
}
