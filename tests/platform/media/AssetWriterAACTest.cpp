#include <cmath>
#include <cstring>
#include <gtest/gtest.h>

#include "platform/foundation/DispatchQueue.h"
#include "platform/foundation/Semaphore.h"
#include "platform/media/AssetWriter.h"
#include "platform/media/AssetWriterInput.h"
#include "platform/media/MediaConstants.h"
#include "platform/media/SampleBuffer.h"
#include "support/MediaTools.h"
#include "support/TemporarySandbox.h"

namespace {

using plat::MediaTime;

constexpr double kGenerousTimeoutSeconds = 60;

// A 440 Hz sine at half scale from firstSample on, stereo 16-bit at rate.
std::shared_ptr<const plat::SampleBuffer> sine(int rate, int64_t firstSample, int64_t count)
{
    plat::AudioStreamBasicDescription format {double(rate), plat::kAudioFormatLinearPCM,
        plat::kAudioFormatFlagIsSignedInteger | plat::kAudioFormatFlagIsPacked, 4, 1, 4, 2, 16};
    std::vector<int16_t> samples(size_t(count) * 2);
    for (int64_t i = 0; i < count; ++i) {
        auto value = int16_t(std::lrint(16383.0 * std::sin(2 * M_PI * 440 * double(firstSample + i) / rate)));
        samples[size_t(i) * 2] = value;
        samples[size_t(i) * 2 + 1] = value;
    }
    plat::Data bytes(samples.size() * 2);
    std::memcpy(bytes.data(), samples.data(), bytes.size());
    return plat::SampleBuffer::createLinearPCM(format, MediaTime::make(firstSample, rate), count, std::move(bytes));
}

plat::Data monoLayout()
{
    plat::Data layout(32, 0);
    const uint32_t tag = plat::kAudioChannelLayoutTag_Mono;
    std::memcpy(layout.data(), &tag, 4);
    return layout;
}

plat::Dictionary aacSettings(int64_t channels, plat::Data layout)
{
    return plat::Dictionary {{plat::kFormatIDKey, int64_t {plat::kAudioFormatMPEG4AAC}},
        {plat::kNumberOfChannelsKey, channels}, {plat::kSampleRateKey, 44100.0},
        {plat::kChannelLayoutKey, std::move(layout)}, {plat::kEncoderBitRateKey, int64_t {64000}}};
}

}  // namespace

TEST(AACWriting, SoundIsEncodedAsAACWhereItsTimesPutIt)
{
    plat::test::TemporaryFolder folder;
    std::optional<plat::Error> error;
    auto writer = plat::AssetWriter::assetWriterWithURL(
        plat::URL::fileURLWithPath(folder.path("sound.m4a")), plat::kFileTypeAppleM4A, &error);
    ASSERT_TRUE(writer);
    auto audio
        = plat::AssetWriterInput::assetWriterInputWithMediaType(plat::kMediaTypeAudio, aacSettings(1, monoLayout()));
    ASSERT_TRUE(audio);
    ASSERT_TRUE(writer->canAddInput(audio));
    writer->addInput(audio);
    ASSERT_TRUE(writer->startWriting());
    writer->startSessionAtSourceTime(MediaTime::zero());
    // Stereo at 48 kHz: 0.5 s of sound, half a second of nothing, 0.5 s more.
    auto queue = plat::DispatchQueue::create("test.aac");
    std::vector<std::shared_ptr<const plat::SampleBuffer>> sound;
    for (int64_t first = 0; first < 24000; first += 4800)
        sound.push_back(sine(48000, first, 4800));
    for (int64_t first = 48000; first < 72000; first += 4800)
        sound.push_back(sine(48000, first, 4800));
    size_t next = 0;
    plat::Semaphore done;
    audio->requestMediaDataWhenReadyOnQueue(queue, [&] {
        while (audio->isReadyForMoreMediaData()) {
            if (next == sound.size()) {
                audio->markAsFinished();
                done.signal();
                return;
            }
            ASSERT_TRUE(audio->appendSampleBuffer(sound[next++]));
        }
    });
    ASSERT_TRUE(done.wait(kGenerousTimeoutSeconds));
    plat::Semaphore finished;
    writer->finishWritingWithCompletionHandler([&] { finished.signal(); });
    ASSERT_TRUE(finished.wait(kGenerousTimeoutSeconds));
    ASSERT_EQ(writer->status(), plat::AssetWriterStatus::Completed) << writer->error()->description();

    auto probe = plat::test::probeMedia(folder.path("sound.m4a"));
    ASSERT_EQ(probe.exitCode, 0) << probe.output;
    auto stream = probe.stream("audio");
    EXPECT_EQ(stream["codec_name"], "aac");
    EXPECT_EQ(stream["profile"], "LC");
    EXPECT_EQ(stream["channels"], "1");
    EXPECT_EQ(stream["sample_rate"], "44100");
    EXPECT_NEAR(std::stod(stream["duration"]), 1.5, 0.03);
    EXPECT_NEAR(std::stod(stream["bit_rate"]), 64000, 16000);
    auto decoded = plat::test::decodeAudioWithFFmpeg(folder.path(), folder.path("sound.m4a"), 44100, 1);
    EXPECT_NEAR(plat::test::peakLevel(decoded, 44100, 1, 0.05, 0.45), 0.5, 0.03);
    EXPECT_LT(plat::test::peakLevel(decoded, 44100, 1, 0.6, 0.9), 0.02);
    EXPECT_NEAR(plat::test::peakLevel(decoded, 44100, 1, 1.05, 1.45), 0.5, 0.03);
}

TEST(AACWriting, SettingsTheEncoderCannotMeetMakeNoInputAndWaveFilesTakeNoAAC)
{
    EXPECT_FALSE(
        plat::AssetWriterInput::assetWriterInputWithMediaType(plat::kMediaTypeAudio, aacSettings(2, monoLayout())));
    auto slow = aacSettings(1, monoLayout());
    slow.set(plat::kSampleRateKey, 7000.0);
    EXPECT_FALSE(plat::AssetWriterInput::assetWriterInputWithMediaType(plat::kMediaTypeAudio, slow));
    auto lossless = aacSettings(1, monoLayout());
    lossless.set(plat::kFormatIDKey, int64_t {plat::kAudioFormatAppleLossless});
    EXPECT_FALSE(plat::AssetWriterInput::assetWriterInputWithMediaType(plat::kMediaTypeAudio, lossless));

    plat::test::TemporaryFolder folder;
    std::optional<plat::Error> error;
    auto wave = plat::AssetWriter::assetWriterWithURL(
        plat::URL::fileURLWithPath(folder.path("sound.wav")), plat::kFileTypeWAVE, &error);
    ASSERT_TRUE(wave);
    EXPECT_FALSE(wave->canAddInput(
        plat::AssetWriterInput::assetWriterInputWithMediaType(plat::kMediaTypeAudio, aacSettings(1, monoLayout()))));
    EXPECT_TRUE(
        wave->canAddInput(plat::AssetWriterInput::assetWriterInputWithMediaType(plat::kMediaTypeAudio, std::nullopt)));
}
