#include "platform/media/AssetReaderTrackOutput.h"

#include <cstring>
#include <fstream>
#include <gtest/gtest.h>

#include "MediaTestFiles.h"
#include "platform/foundation/Files.h"
#include "platform/media/AssetReader.h"
#include "platform/media/MediaConstants.h"
#include "platform/media/MutableComposition.h"
#include "platform/media/SampleBuffer.h"
#include "support/TemporarySandbox.h"

namespace {

using plat::MediaTime;

struct Read {
    std::shared_ptr<plat::AssetReader> reader;
    std::vector<std::shared_ptr<const plat::SampleBuffer>> buffers;
    plat::Data bytes;  // every buffer's bytes in order
    int64_t frames = 0;
};

Read readTrack(const std::string& path, std::optional<plat::Dictionary> settings,
    std::optional<plat::MediaTimeRange> range = std::nullopt)
{
    Read read;
    auto asset = plat::URLAsset::assetWithPath(path);
    auto made = plat::AssetReader::assetReaderWithAsset(asset);
    EXPECT_TRUE(made.ok());
    if (!made.ok())
        return read;
    read.reader = made.value();
    auto tracks = asset->tracksWithMediaType(plat::kMediaTypeAudio);
    EXPECT_FALSE(tracks.empty());
    if (tracks.empty())
        return read;
    auto output = plat::AssetReaderTrackOutput::assetReaderTrackOutputWithTrack(tracks.front(), std::move(settings));
    EXPECT_TRUE(read.reader->canAddOutput(output));
    read.reader->addOutput(output);
    if (range)
        read.reader->setTimeRange(*range);
    EXPECT_TRUE(read.reader->startReading());
    while (auto buffer = output->copyNextSampleBuffer()) {
        read.bytes.insert(read.bytes.end(), buffer->dataBuffer().begin(), buffer->dataBuffer().end());
        read.frames += buffer->numSamples();
        read.buffers.push_back(std::move(buffer));
    }
    return read;
}

const plat::Dictionary kSixteenBit {{plat::kFormatIDKey, static_cast<int64_t>(plat::kAudioFormatLinearPCM)},
    {plat::kLinearPCMBitDepthKey, int64_t {16}}};

std::vector<int16_t> samplesOf(const plat::Data& bytes)
{
    std::vector<int16_t> samples(bytes.size() / 2);
    std::memcpy(samples.data(), bytes.data(), samples.size() * 2);
    return samples;
}

class TrackOutput : public ::testing::Test {
protected:
    plat::test::TemporaryFolder folder;
};

}  // namespace

TEST_F(TrackOutput, DecodesAtTheTracksOwnRateAndChannelsWhenTheSettingsSayNothing)
{
    std::string path = plat::test::makeAACFile(folder.path(), "stereo.m4a", 2.0);
    ASSERT_FALSE(path.empty());
    Read read = readTrack(path, kSixteenBit);
    ASSERT_FALSE(read.buffers.empty());
    const auto& format = read.buffers.front()->audioStreamBasicDescription();
    EXPECT_EQ(format.sampleRate, 44100);
    EXPECT_EQ(format.channelsPerFrame, 2u);
    EXPECT_EQ(format.bitsPerChannel, 16u);
    EXPECT_EQ(read.reader->status(), plat::AssetReaderStatus::Completed);
    // Two seconds, give or take the encoder's padding.
    EXPECT_NEAR(static_cast<double>(read.frames) / 44100, 2.0, 0.05);
    // The same sound as ffmpeg decodes: its level matches in the middle.
    auto reference = plat::test::decodeAudioWithFFmpeg(folder.path(), path, 44100, 2);
    auto ours = samplesOf(read.bytes);
    EXPECT_NEAR(
        plat::test::peakLevel(ours, 44100, 2, 0.5, 1.5), plat::test::peakLevel(reference, 44100, 2, 0.5, 1.5), 0.01);
}

TEST_F(TrackOutput, DecodedSamplesAreTheFilesOwnForPCM)
{
    std::string path = plat::test::makeSineWave(folder.path(), "sine.wav", 1.0, 0.5);
    Read read = readTrack(path, kSixteenBit);
    auto reference = plat::test::decodeAudioWithFFmpeg(folder.path(), path, 44100, 1);
    auto ours = samplesOf(read.bytes);
    ASSERT_EQ(ours.size(), reference.size());
    int worst = 0;
    for (size_t i = 0; i < ours.size(); ++i)
        worst = std::max(worst, std::abs(ours[i] - reference[i]));
    EXPECT_LE(worst, 1);  // through floats and back
}

TEST_F(TrackOutput, SettingsChooseRateChannelsAndFloats)
{
    std::string path = plat::test::makeSineWave(folder.path(), "sine.wav", 1.0, 0.5);
    Read read = readTrack(path,
        plat::Dictionary {{plat::kFormatIDKey, static_cast<int64_t>(plat::kAudioFormatLinearPCM)},
            {plat::kSampleRateKey, int64_t {22050}}, {plat::kNumberOfChannelsKey, int64_t {2}},
            {plat::kLinearPCMBitDepthKey, int64_t {32}}, {plat::kLinearPCMIsFloatKey, true}});
    ASSERT_FALSE(read.buffers.empty());
    const auto& format = read.buffers.front()->audioStreamBasicDescription();
    EXPECT_EQ(format.sampleRate, 22050);
    EXPECT_EQ(format.channelsPerFrame, 2u);
    EXPECT_TRUE(format.formatFlags & plat::kAudioFormatFlagIsFloat);
    EXPECT_NEAR(static_cast<double>(read.frames), 22050, 64);
}

TEST_F(TrackOutput, ATimeRangeReadsOnlyItsStretch)
{
    std::string path = plat::test::makeSineWave(folder.path(), "sine.wav", 2.0, 0.5);
    Read read = readTrack(path, kSixteenBit, plat::MediaTimeRange::make(MediaTime::make(1, 2), MediaTime::make(1, 4)));
    ASSERT_FALSE(read.buffers.empty());
    EXPECT_EQ(read.buffers.front()->presentationTimeStamp(), MediaTime::make(22050, 44100));
    EXPECT_EQ(read.frames, 11025);
}

TEST_F(TrackOutput, WithoutSettingsHandsOutTheStoredMP3Frames)
{
    std::string path = plat::appendingPathComponent(folder.path(), "tone.mp3");
    ASSERT_EQ(plat::test::runFFmpeg(
                  folder.path(), {"-f", "lavfi", "-i", "sine=f=440:d=3", "-c:a", "libmp3lame", "-b:a", "128k", path})
                  .exitCode,
        0);
    Read read = readTrack(path, std::nullopt);
    ASSERT_FALSE(read.buffers.empty());
    EXPECT_FALSE(read.buffers.front()->isLinearPCM());
    EXPECT_EQ(read.buffers.front()->audioStreamBasicDescription().formatID, plat::kAudioFormatMPEGLayer3);
    EXPECT_EQ(read.reader->status(), plat::AssetReaderStatus::Completed);
    // The frames alone are an MP3 stream again: ffmpeg reads three seconds of the tone from them.
    std::string copy = plat::appendingPathComponent(folder.path(), "copy.mp3");
    ASSERT_TRUE(plat::writeFileAtomically(copy, read.bytes).ok());
    auto probe = plat::test::probeMedia(copy);
    EXPECT_EQ(probe.stream("audio")["codec_name"], "mp3");
    auto decoded = plat::test::decodeAudioWithFFmpeg(folder.path(), copy, 44100, 1);
    EXPECT_NEAR(static_cast<double>(decoded.size()) / 44100, 3.0, 0.1);
}

TEST_F(TrackOutput, WithoutSettingsAWaveFileGivesItsOwnSampleBytes)
{
    std::string path = plat::test::makeSineWave(folder.path(), "sine.wav", 0.5, 0.5);
    Read read = readTrack(path, std::nullopt);
    ASSERT_FALSE(read.buffers.empty());
    EXPECT_TRUE(read.buffers.front()->isLinearPCM());
    auto file = plat::readFile(path);
    ASSERT_TRUE(file.ok());
    // The data chunk is the file's tail.
    ASSERT_EQ(read.bytes.size(), 22050u * 2);
    EXPECT_TRUE(std::equal(read.bytes.begin(), read.bytes.end(), file.value().end() - 22050 * 2));
}

TEST_F(TrackOutput, ReadingEndsWhereATruncatedFileEndsNotWhereItsHeaderSays)
{
    std::string path = plat::appendingPathComponent(folder.path(), "cut.mp3");
    ASSERT_EQ(plat::test::runFFmpeg(
                  folder.path(), {"-f", "lavfi", "-i", "sine=f=440:d=10", "-c:a", "libmp3lame", "-b:a", "128k", path})
                  .exitCode,
        0);
    auto whole = plat::readFile(path);
    ASSERT_TRUE(whole.ok());
    plat::Data half(whole.value().begin(), whole.value().begin() + static_cast<long>(whole.value().size() / 2));
    ASSERT_TRUE(plat::writeFileAtomically(path, half).ok());
    ASSERT_GT(plat::URLAsset::assetWithPath(path)->duration().seconds(), 9.0);  // the header still says ten
    Read read = readTrack(path, kSixteenBit);
    EXPECT_EQ(read.reader->status(), plat::AssetReaderStatus::Completed);
    EXPECT_NEAR(static_cast<double>(read.frames) / 44100, 5.0, 0.3);
    // Near the stated end there is nothing to read.
    Read tail = readTrack(path, kSixteenBit, plat::MediaTimeRange::make(MediaTime::make(9, 1), MediaTime::make(1, 1)));
    EXPECT_TRUE(tail.buffers.empty());
}

TEST_F(TrackOutput, OnlyAFilesAudioTracksCanBeRead)
{
    std::string path = plat::test::makeSineWave(folder.path(), "sine.wav", 1.0, 0.5);
    auto sine = plat::URLAsset::assetWithPath(path);
    auto composition = plat::MutableComposition::composition();
    auto track = composition->addMutableTrackWithMediaType(plat::kMediaTypeAudio, plat::kTrackIDInvalid);
    ASSERT_TRUE(track
                    ->insertTimeRange(plat::MediaTimeRange::make(MediaTime::zero(), sine->duration()),
                        *sine->tracks().front(), MediaTime::zero())
                    .ok());
    ASSERT_TRUE(track
                    ->insertTimeRange(plat::MediaTimeRange::make(MediaTime::zero(), sine->duration()),
                        *sine->tracks().front(), MediaTime::make(3, 1))
                    .ok());
    auto reader = plat::AssetReader::assetReaderWithAsset(composition);
    ASSERT_TRUE(reader.ok());
    // Two stretches with a gap: that is the audio mix output's work.
    EXPECT_FALSE(reader.value()->canAddOutput(
        plat::AssetReaderTrackOutput::assetReaderTrackOutputWithTrack(composition->tracks().front(), kSixteenBit)));
    auto fileReader = plat::AssetReader::assetReaderWithAsset(sine);
    EXPECT_FALSE(fileReader.value()->canAddOutput(
        plat::AssetReaderTrackOutput::assetReaderTrackOutputWithTrack(sine->tracks().front(),
            plat::Dictionary {{plat::kFormatIDKey, static_cast<int64_t>(plat::kAudioFormatMPEG4AAC)}})));
}

TEST_F(TrackOutput, AFileClaimingARateOfAFewHertzReadsAsNothingInsteadOfStretchingIntoGigabytes)
{
    // A wave header saying 2 samples a second before 4,000 samples: resampled
    // to 44.1 kHz that would be 88 million samples.
    constexpr uint32_t kRate = 2;
    constexpr uint32_t kSamples = 4000;
    std::string wave = "RIFF";
    auto put32 = [&](uint32_t v) { wave.append(reinterpret_cast<const char*>(&v), 4); };
    auto put16 = [&](uint16_t v) { wave.append(reinterpret_cast<const char*>(&v), 2); };
    put32(36 + kSamples * 2);
    wave += "WAVEfmt ";
    put32(16);
    put16(1);  // PCM
    put16(1);  // mono
    put32(kRate);
    put32(kRate * 2);
    put16(2);
    put16(16);
    wave += "data";
    put32(kSamples * 2);
    for (uint32_t i = 0; i < kSamples; ++i)
        put16(static_cast<uint16_t>(i * 37));
    std::string path = plat::appendingPathComponent(folder.path(), "slow.wav");
    ASSERT_TRUE(plat::writeFileAtomically(path, wave).ok());
    Read read = readTrack(path,
        plat::Dictionary {{plat::kFormatIDKey, static_cast<int64_t>(plat::kAudioFormatLinearPCM)},
            {plat::kLinearPCMBitDepthKey, int64_t {16}}, {plat::kSampleRateKey, 44100.0}});
    EXPECT_EQ(read.frames, 0);
}
