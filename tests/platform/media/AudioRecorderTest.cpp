#include "platform/media/AudioRecorder.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include "platform/foundation/Files.h"
#include "platform/foundation/RunLoop.h"
#include "platform/media/AudioPlayer.h"
#include "platform/media/AudioSession.h"
#include "platform/media/MediaConstants.h"
#include "support/ManualClockScope.h"
#include "support/MediaTools.h"
#include "support/TemporarySandbox.h"
#include "support/VirtualMicrophone.h"

namespace {

constexpr int kRate = 44100;

struct RecorderEvents : plat::AudioRecorderDelegate {
    void audioRecorderDidFinishRecording(plat::AudioRecorder&, bool successfully) override
    {
        finishes.push_back(successfully);
    }
    void audioRecorderEncodeErrorDidOccur(plat::AudioRecorder&, const plat::Error& error) override
    {
        errors.push_back(error);
    }
    std::vector<bool> finishes;
    std::vector<plat::Error> errors;
};

plat::Dictionary recordingSettings()
{
    return plat::Dictionary {{plat::kSampleRateKey, 44100.0},
        {plat::kFormatIDKey, static_cast<int64_t>(plat::kAudioFormatAppleLossless)}, {plat::kNumberOfChannelsKey, 1},
        {plat::kEncoderAudioQualityKey, plat::kAudioQualityMax}};
}

class Recording : public ::testing::Test {
protected:
    void SetUp() override
    {
        session.resetForTesting();
        ASSERT_TRUE(session.setCategory(plat::kAudioSessionCategoryRecord));
        ASSERT_TRUE(session.setActive(true));
    }
    void TearDown() override { session.resetForTesting(); }

    std::shared_ptr<plat::AudioRecorder> makeRecorder(const std::string& name = "voice.caf")
    {
        path = sandbox.path(name);
        auto made = plat::AudioRecorder::initWithURL(plat::URL::fileURLWithPath(path), recordingSettings());
        EXPECT_TRUE(made.ok()) << (made.ok() ? "" : made.error().description());
        if (!made.ok())
            return nullptr;
        made.value()->setDelegate(events);
        return made.value();
    }
    std::vector<int16_t> decoded() { return plat::test::decodeAudioWithFFmpeg(sandbox.root(), path, kRate, 1); }

    plat::test::ManualClockScope clock;
    plat::test::TemporarySandbox sandbox;
    plat::AudioSession& session = plat::AudioSession::sharedInstance();
    std::shared_ptr<RecorderEvents> events = std::make_shared<RecorderEvents>();
    std::string path;
};

}  // namespace

TEST_F(Recording, RecordsTheMicrophoneAsAppleLosslessMonoAt44kInCAF)
{
    std::string source = plat::test::makeNoiseFile(sandbox.root(), "speech.wav", 5.0);
    ASSERT_FALSE(source.empty());
    plat::test::useFileMicrophone(source);
    auto recorder = makeRecorder();
    ASSERT_TRUE(recorder);
    ASSERT_TRUE(recorder->prepareToRecord());
    EXPECT_TRUE(plat::fileExists(path)) << "the file is made when the recorder is prepared";
    ASSERT_TRUE(recorder->record());
    clock.advance(3.0);
    EXPECT_NEAR(recorder->currentTime(), 3.0, 1e-9);
    recorder->stop();
    EXPECT_FALSE(recorder->isRecording());
    plat::RunLoop::main().drain();
    EXPECT_EQ(events->finishes, std::vector<bool> {true});

    auto probe = plat::test::probeMedia(path);
    ASSERT_EQ(probe.exitCode, 0) << probe.output;
    auto audio = probe.stream("audio");
    EXPECT_EQ(probe.format["format_name"], "caf");
    EXPECT_EQ(audio["codec_name"], "alac");
    EXPECT_EQ(audio["sample_rate"], "44100");
    EXPECT_EQ(audio["channels"], "1");
    // The container counts whole packets of 4096 samples; the samples are exact.
    EXPECT_NEAR(std::stod(audio["duration"]), 3.0, 4096.0 / kRate);
    auto recorded = decoded();
    EXPECT_EQ(recorded.size(), static_cast<size_t>(3 * kRate));

    auto original = plat::test::decodeAudioWithFFmpeg(sandbox.root(), source, kRate, 1);
    ASSERT_GE(original.size(), recorded.size());
    EXPECT_GT(plat::test::correlation(recorded.data(), original.data(), recorded.size()), 0.999);
}

TEST_F(Recording, AVirtualMicrophoneDeliversOnlyAsTheClockMoves)
{
    plat::test::useSignalMicrophone("sine=frequency=440");
    auto recorder = makeRecorder();
    ASSERT_TRUE(recorder->record());
    EXPECT_EQ(recorder->currentTime(), 0);
    clock.advance(0.25);
    EXPECT_NEAR(recorder->currentTime(), 0.25, 1e-9);
    clock.advance(0.5);
    recorder->stop();
    clock.advance(1.0);
    EXPECT_EQ(decoded().size(), static_cast<size_t>(0.75 * kRate));
}

TEST_F(Recording, AFileMicrophoneStartsAgainAtItsEnd)
{
    std::string source = plat::test::makeNoiseFile(sandbox.root(), "short.wav", 0.5);
    plat::test::useFileMicrophone(source);
    auto recorder = makeRecorder();
    ASSERT_TRUE(recorder->record());
    clock.advance(1.2);
    recorder->stop();
    auto recorded = decoded();
    ASSERT_EQ(recorded.size(), static_cast<size_t>(1.2 * kRate));
    auto original = plat::test::decodeAudioWithFFmpeg(sandbox.root(), source, kRate, 1);
    ASSERT_EQ(original.size(), static_cast<size_t>(kRate / 2));
    EXPECT_GT(plat::test::correlation(recorded.data() + kRate / 2, original.data(), original.size()), 0.999);
    EXPECT_GT(plat::test::correlation(recorded.data() + kRate, original.data(), kRate / 5), 0.999);
}

TEST_F(Recording, MetersGiveTheAverageAndPeakPowerInDecibelsFullScale)
{
    plat::test::useSignalMicrophone(plat::test::sineAtAveragePower(-20));
    auto recorder = makeRecorder();
    recorder->setMeteringEnabled(true);
    recorder->updateMeters();
    EXPECT_EQ(recorder->averagePowerForChannel(0), plat::AudioRecorder::kSilencePower) << "not recording yet";
    ASSERT_TRUE(recorder->record());
    clock.advance(0.1);
    recorder->updateMeters();
    EXPECT_NEAR(recorder->averagePowerForChannel(0), -20, 0.1);
    EXPECT_NEAR(recorder->peakPowerForChannel(0), -17, 0.1);  // a sine's peak is 3 dB above its average
    EXPECT_EQ(recorder->averagePowerForChannel(1), plat::AudioRecorder::kSilencePower) << "a mono recording";
    recorder->stop();
    recorder->updateMeters();
    EXPECT_EQ(recorder->peakPowerForChannel(0), plat::AudioRecorder::kSilencePower);
}

TEST_F(Recording, MetersFollowTheSignalFromReadingToReading)
{
    // Silent for the first half second, then at -6 dB.
    plat::test::useSignalMicrophone("aevalsrc=if(lt(t\\,0.5)\\,0\\,0.7071*sin(2*PI*440*t)):s=44100");
    auto recorder = makeRecorder();
    recorder->setMeteringEnabled(true);
    ASSERT_TRUE(recorder->record());
    clock.advance(0.4);
    recorder->updateMeters();
    EXPECT_EQ(recorder->averagePowerForChannel(0), plat::AudioRecorder::kSilencePower);
    clock.advance(0.2);
    recorder->updateMeters();
    EXPECT_NEAR(recorder->averagePowerForChannel(0), -6 - 3.0, 0.2) << "half of the reading is silent";
    clock.advance(0.2);
    recorder->updateMeters();
    EXPECT_NEAR(recorder->averagePowerForChannel(0), -6, 0.1);
    recorder->updateMeters();
    EXPECT_NEAR(recorder->averagePowerForChannel(0), -6, 0.1) << "no new sound: the reading stands";
}

TEST_F(Recording, IsRefusedWithoutThePersonsPermission)
{
    plat::test::useSignalMicrophone("sine");
    plat::test::denyMicrophone();
    EXPECT_EQ(session.recordPermission(), plat::AudioSessionRecordPermission::Denied);
    auto recorder = makeRecorder();
    EXPECT_FALSE(recorder->record());
    EXPECT_FALSE(recorder->isRecording());
    ASSERT_TRUE(recorder->lastError());
    EXPECT_EQ(recorder->lastError()->domain(), plat::kOSStatusErrorDomain);
}

TEST_F(Recording, IsRefusedWhenTheSessionDoesNotRecord)
{
    plat::test::useSignalMicrophone("sine");
    ASSERT_TRUE(session.setCategory(plat::kAudioSessionCategorySoloAmbient));
    auto recorder = makeRecorder();
    EXPECT_FALSE(recorder->record());
    ASSERT_TRUE(session.setCategory(plat::kAudioSessionCategoryPlayAndRecord));
    EXPECT_TRUE(recorder->record());
}

TEST_F(Recording, FailsOnADeviceWithoutMicrophone)
{
    plat::test::setUpMicrophone({plat::MicrophoneKind::None, {}, {}, {}});
    auto recorder = makeRecorder();
    EXPECT_FALSE(recorder->record());
    ASSERT_TRUE(recorder->lastError());
    EXPECT_EQ(recorder->lastError()->code(), plat::kMediaErrorDeviceNotConnected);
}

TEST_F(Recording, FailsOnASoundDeviceThatIsNotThere)
{
    plat::test::setUpMicrophone({plat::MicrophoneKind::ALSA, "zantrope-no-such-device", {}, {}});
    auto recorder = makeRecorder();
    EXPECT_FALSE(recorder->record());
    ASSERT_TRUE(recorder->lastError());
    EXPECT_EQ(recorder->lastError()->code(), plat::kMediaErrorDeviceNotConnected);
}

TEST_F(Recording, AnUnreadableMicrophoneDescriptionIsNoMicrophone)
{
    ASSERT_TRUE(
        plat::createDirectory(plat::MicrophoneFolder::microphoneFolder(), plat::IntermediateDirectories::Yes).ok());
    ASSERT_TRUE(plat::writeFileAtomically(plat::MicrophoneFolder::microphoneFilePath(), std::string("<plist>")).ok());
    EXPECT_EQ(plat::MicrophoneFolder::microphone().kind, plat::MicrophoneKind::None);
    plat::test::setUpMicrophone({plat::MicrophoneKind::Signal, {}, {}, {}});
    EXPECT_EQ(plat::MicrophoneFolder::microphone().kind, plat::MicrophoneKind::None) << "a signal needs its source";
    ASSERT_TRUE(plat::MicrophoneFolder::removeMicrophone().ok());
    EXPECT_EQ(plat::MicrophoneFolder::microphone().kind, plat::MicrophoneKind::Machine);
}

TEST_F(Recording, AFullDiskEndsTheRecordingWithAnError)
{
    plat::test::useSignalMicrophone("anoisesrc=amplitude=0.5");
    std::string full = sandbox.path("full.caf");
    ASSERT_EQ(::symlink("/dev/full", full.c_str()), 0);
    auto recorder = makeRecorder("full.caf");
    ASSERT_TRUE(recorder->record());
    // Writes go out a buffer at a time: the first that fails stops the recorder.
    clock.advance(10.0);
    EXPECT_FALSE(recorder->isRecording());
    plat::RunLoop::main().drain();
    ASSERT_EQ(events->errors.size(), 1u);
    EXPECT_EQ(events->errors[0].code(), plat::kMediaErrorDiskFull);
    EXPECT_EQ(events->finishes, std::vector<bool> {false});
    ASSERT_TRUE(recorder->lastError());
    EXPECT_EQ(recorder->lastError()->code(), plat::kMediaErrorDiskFull);
}

TEST_F(Recording, DeletingARecordingStopsItAndRemovesTheFile)
{
    plat::test::useSignalMicrophone("sine");
    auto recorder = makeRecorder();
    ASSERT_TRUE(recorder->record());
    clock.advance(0.5);
    EXPECT_TRUE(recorder->deleteRecording());
    EXPECT_FALSE(recorder->isRecording());
    EXPECT_FALSE(plat::fileExists(path));
    clock.advance(0.5);
    plat::RunLoop::main().drain();
    EXPECT_TRUE(events->finishes.empty()) << "a deleted recording does not finish";
}

TEST_F(Recording, ARecordingAfterAStopMakesTheFileAnew)
{
    plat::test::useSignalMicrophone("sine");
    auto recorder = makeRecorder();
    ASSERT_TRUE(recorder->record());
    clock.advance(1.0);
    recorder->stop();
    ASSERT_TRUE(recorder->record());
    clock.advance(0.5);
    recorder->stop();
    EXPECT_EQ(decoded().size(), static_cast<size_t>(kRate / 2));
}

TEST_F(Recording, OnlyAppleLosslessIntoCAFIsRecorded)
{
    auto settings = recordingSettings();
    auto url = plat::URL::fileURLWithPath(sandbox.path("voice.m4a"));
    EXPECT_FALSE(plat::AudioRecorder::initWithURL(url, settings).ok());
    settings.set(plat::kFormatIDKey, static_cast<int64_t>(plat::kAudioFormatMPEG4AAC));
    EXPECT_FALSE(
        plat::AudioRecorder::initWithURL(plat::URL::fileURLWithPath(sandbox.path("voice.caf")), settings).ok());
    settings = recordingSettings();
    settings.set(plat::kNumberOfChannelsKey, 3);
    EXPECT_FALSE(
        plat::AudioRecorder::initWithURL(plat::URL::fileURLWithPath(sandbox.path("voice.caf")), settings).ok());
}

TEST_F(Recording, AFolderThatIsNotThereCannotBePrepared)
{
    plat::test::useSignalMicrophone("sine");
    auto recorder = makeRecorder("missing/voice.caf");
    EXPECT_FALSE(recorder->prepareToRecord());
    EXPECT_FALSE(recorder->record());
    EXPECT_TRUE(recorder->lastError());
}

TEST_F(Recording, TheDevicesPrivacyAnswerDecidesTheMicrophoneQuestion)
{
    session.setRecordPermission(plat::AudioSessionRecordPermission::Granted);
    plat::test::denyMicrophone();
    std::optional<bool> answer;
    session.requestRecordPermission([&](bool granted) { answer = granted; });
    plat::RunLoop::main().drain();
    EXPECT_EQ(answer, false);
    ASSERT_TRUE(plat::MicrophoneFolder::setRecordPermission(plat::AudioSessionRecordPermission::Undetermined).ok());
    EXPECT_EQ(session.recordPermission(), plat::AudioSessionRecordPermission::Granted);
}
