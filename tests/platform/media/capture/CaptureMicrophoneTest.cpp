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
#include "platform/media/capture/CaptureMicrophoneFolder.h"
#include "platform/media/capture/CaptureSession.h"
#include "platform/media/capture/CaptureVideoDataOutput.h"
#include "support/ManualClockScope.h"
#include "support/MediaTools.h"
#include "support/RunLoopWaiting.h"
#include "support/TemporarySandbox.h"
#include "support/VirtualCameras.h"

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
    plat::CaptureMicrophoneDescription tone;
    tone.sampleRate = 32768;  // 32 buffers of 1024 a second, exact in binary
    ASSERT_TRUE(plat::CaptureMicrophoneFolder::writeMicrophone(tone).ok());
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

    clock.advance(1.0);
    ASSERT_TRUE(plat::test::runMainLoopUntil([&] { return soundDelegate->count() == 32; }));
    queue->sync([] {});
    auto sounds = soundDelegate->sounds();
    ASSERT_EQ(sounds.size(), 32u);
    for (size_t i = 0; i < sounds.size(); ++i) {
        EXPECT_EQ(sounds[i]->presentationTimeStamp(), MediaTime::make(int64_t(i) * 1024, 32768));
        EXPECT_EQ(sounds[i]->numSamples(), 1024);
        EXPECT_EQ(sounds[i]->audioStreamBasicDescription().channelsPerFrame, 1u);
    }
    auto samples = samplesOf(sounds);
    // The tone's peak at half scale, and a quarter of the way through its
    // first cycle (sample 32768 / 440 / 4) near it.
    EXPECT_NEAR(*std::max_element(samples.begin(), samples.end()), 16383, 40);
    EXPECT_NEAR(samples[19], 16383 * std::sin(2 * M_PI * 440 * 19 / 32768.0), 2);
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
        {"-f", "lavfi", "-i", "aevalsrc=0.25:s=8000:d=0.25", "-c:a", "pcm_s16le", sandbox.path("quarter.wav")});
    ASSERT_EQ(run.exitCode, 0);
    plat::CaptureMicrophoneDescription file;
    file.kind = plat::CaptureMicrophoneKind::SoundFile;
    file.file = sandbox.path("quarter.wav");
    file.sampleRate = 8192;
    file.channels = 2;
    ASSERT_TRUE(plat::CaptureMicrophoneFolder::writeMicrophone(file).ok());
    auto microphone = microphoneInput();
    ASSERT_TRUE(microphone);
    start({microphone});
    clock.advance(1.0);
    ASSERT_TRUE(plat::test::runMainLoopUntil([&] { return soundDelegate->count() == 8; }));
    queue->sync([] {});
    auto samples = samplesOf(soundDelegate->sounds());
    ASSERT_EQ(samples.size(), 8192u * 2);
    // A quarter second of a level of 0.25 over and over: never a gap of silence.
    EXPECT_EQ(std::count_if(samples.begin(), samples.end(), [](int16_t s) { return std::abs(s - 8192) > 64; }), 0);
}

TEST_F(CaptureMicrophoneTest, AMicrophoneThatCannotBeHadIsNoneOrCannotBeOpened)
{
    ASSERT_TRUE(plat::CaptureMicrophoneFolder::writeNoMicrophone().ok());
    EXPECT_TRUE(plat::CaptureDevice::devicesWithMediaType(plat::kMediaTypeAudio).empty());
    EXPECT_FALSE(plat::CaptureMicrophoneFolder::microphone());

    ASSERT_TRUE(plat::writeFileAtomically(plat::CaptureMicrophoneFolder::microphoneFilePath(),
        std::string("<plist><dict><key>Kind</key><string>Theremin</string></dict></plist>"))
                    .ok());
    EXPECT_FALSE(plat::CaptureMicrophoneFolder::microphone());

    plat::CaptureMicrophoneDescription missing;
    missing.kind = plat::CaptureMicrophoneKind::SoundFile;
    missing.file = "nothing-here.wav";
    ASSERT_TRUE(plat::CaptureMicrophoneFolder::writeMicrophone(missing).ok());
    EXPECT_EQ(plat::CaptureMicrophoneFolder::microphone(), missing);
    auto device = plat::CaptureDevice::defaultDeviceWithMediaType(plat::kMediaTypeAudio);
    ASSERT_TRUE(device);
    EXPECT_FALSE(plat::CaptureDeviceInput::deviceInputWithDevice(device).ok());

    plat::CaptureMicrophoneDescription tone;
    ASSERT_TRUE(plat::CaptureMicrophoneFolder::writeMicrophone(tone).ok());
    auto first = microphoneInput();
    auto second = plat::CaptureDeviceInput::deviceInputWithDevice(
        plat::CaptureDevice::defaultDeviceWithMediaType(plat::kMediaTypeAudio));
    ASSERT_TRUE(first && second.ok());
    session->addInput(first);
    EXPECT_FALSE(session->canAddInput(second.value()));  // one microphone at a time
}
