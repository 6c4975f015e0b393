#include "platform/media/AssetReader.h"

#include <cstring>
#include <gtest/gtest.h>

#include "MediaTestFiles.h"
#include "platform/foundation/Files.h"
#include "platform/media/AssetReaderAudioMixOutput.h"
#include "platform/media/AudioMix.h"
#include "platform/media/MediaConstants.h"
#include "platform/media/MutableComposition.h"
#include "platform/media/SampleBuffer.h"
#include "support/TemporarySandbox.h"

namespace {

using plat::MediaTime;

struct ReadSound {
    std::vector<int16_t> samples;  // interleaved
    plat::AudioStreamBasicDescription format;
    bool contiguous = true;  // every buffer starts where the one before ended
    size_t buffers = 0;
};

ReadSound readAll(const std::shared_ptr<plat::AssetReader>& reader, plat::AssetReaderAudioMixOutput& output)
{
    ReadSound sound;
    MediaTime expected = MediaTime::zero();
    while (auto buffer = output.copyNextSampleBuffer()) {
        sound.format = buffer->audioStreamBasicDescription();
        sound.contiguous = sound.contiguous && buffer->presentationTimeStamp() == expected;
        expected = buffer->presentationTimeStamp() + buffer->duration();
        const plat::Data& bytes = buffer->dataBuffer();
        size_t old = sound.samples.size();
        sound.samples.resize(old + bytes.size() / 2);
        std::memcpy(sound.samples.data() + old, bytes.data(), bytes.size());
        ++sound.buffers;
    }
    (void)reader;
    return sound;
}

class AudioMixReading : public ::testing::Test {
protected:
    void SetUp() override
    {
        sine = plat::URLAsset::assetWithPath(plat::test::makeSineWave(folder.path(), "sine.wav", 1.0, 0.5));
        ASSERT_EQ(sine->tracks().size(), 1u);
    }
    // Places the whole sine at atSeconds on track, with volume from then on.
    void place(const std::shared_ptr<plat::CompositionTrack>& track, double atSeconds, float volume)
    {
        MediaTime at = MediaTime::makeWithSeconds(atSeconds, 44100);
        auto range = plat::MediaTimeRange::make(MediaTime::zero(), sine->duration());
        ASSERT_TRUE(track->insertTimeRange(range, *sine->tracks().front(), at).ok());
        auto parameters = plat::AudioMixInputParameters::audioMixInputParameters();
        parameters->setTrackID(track->trackID());
        parameters->setVolume(volume, at);
        mixParameters.push_back(parameters);
    }
    std::shared_ptr<plat::AssetReaderAudioMixOutput> startReading(std::optional<plat::Dictionary> settings)
    {
        auto made = plat::AssetReader::assetReaderWithAsset(composition);
        EXPECT_TRUE(made.ok());
        reader = made.value();
        auto output = plat::AssetReaderAudioMixOutput::assetReaderAudioMixOutputWithAudioTracks(
            composition->tracksWithMediaType(plat::kMediaTypeAudio), std::move(settings));
        auto mix = plat::AudioMix::audioMix();
        mix->setInputParameters(mixParameters);
        output->setAudioMix(mix);
        EXPECT_TRUE(reader->canAddOutput(output));
        reader->addOutput(output);
        EXPECT_TRUE(reader->startReading());
        return output;
    }

    plat::test::TemporaryFolder folder;
    std::shared_ptr<plat::URLAsset> sine;
    std::shared_ptr<plat::MutableComposition> composition = plat::MutableComposition::composition();
    std::vector<std::shared_ptr<plat::AudioMixInputParameters>> mixParameters;
    std::shared_ptr<plat::AssetReader> reader;
};

TEST_F(AudioMixReading, AClipSoundsAtItsPlaceAndVolumeAfterSilence)
{
    place(composition->addMutableTrackWithMediaType(plat::kMediaTypeAudio, plat::kTrackIDInvalid), 0.5, 0.5f);
    auto output = startReading(plat::Dictionary {{plat::kFormatIDKey, plat::kAudioFormatLinearPCM}});
    ReadSound sound = readAll(reader, *output);
    EXPECT_EQ(reader->status(), plat::AssetReaderStatus::Completed);
    // A mono source mixes to mono 16-bit at its own rate.
    EXPECT_EQ(sound.format.sampleRate, 44100);
    EXPECT_EQ(sound.format.channelsPerFrame, 1u);
    EXPECT_EQ(sound.format.bitsPerChannel, 16u);
    EXPECT_TRUE(sound.contiguous);
    EXPECT_EQ(sound.samples.size(), 66150u);  // 1.5 s
    EXPECT_LT(plat::test::peakLevel(sound.samples, 44100, 1, 0.0, 0.499), 0.001);
    EXPECT_NEAR(plat::test::peakLevel(sound.samples, 44100, 1, 0.51, 1.49), 0.25, 0.005);
}

TEST_F(AudioMixReading, TracksAreAddedWithTheirOwnVolumes)
{
    place(composition->addMutableTrackWithMediaType(plat::kMediaTypeAudio, plat::kTrackIDInvalid), 0.5, 0.5f);
    place(composition->addMutableTrackWithMediaType(plat::kMediaTypeAudio, plat::kTrackIDInvalid), 0.0, 1.0f);
    auto output = startReading(plat::Dictionary {{plat::kFormatIDKey, plat::kAudioFormatLinearPCM},
        {plat::kNumberOfChannelsKey, 2}, {plat::kSampleRateKey, 48000.0}});
    ReadSound sound = readAll(reader, *output);
    EXPECT_EQ(sound.format.sampleRate, 48000);
    EXPECT_EQ(sound.format.channelsPerFrame, 2u);
    EXPECT_EQ(sound.samples.size(), 72000u * 2);
    // 0.5 s is a whole number of periods: both sines are in phase where they meet.
    EXPECT_NEAR(plat::test::peakLevel(sound.samples, 48000, 2, 0.01, 0.49), 0.5, 0.01);
    EXPECT_NEAR(plat::test::peakLevel(sound.samples, 48000, 2, 0.51, 0.99), 0.75, 0.01);
    EXPECT_NEAR(plat::test::peakLevel(sound.samples, 48000, 2, 1.01, 1.49), 0.25, 0.01);
}

TEST_F(AudioMixReading, AMissingFileIsSilenceAndTheReaderStillCompletes)
{
    std::string moved = folder.path("gone.wav");
    auto lost = plat::URLAsset::assetWithPath(plat::test::makeSineWave(folder.path(), "lost.wav", 0.5, 0.5));
    auto track = composition->addMutableTrackWithMediaType(plat::kMediaTypeAudio, plat::kTrackIDInvalid);
    ASSERT_TRUE(
        track->insertTimeRange(lost->tracks().front()->timeRange(), *lost->tracks().front(), MediaTime::zero()).ok());
    ASSERT_TRUE(plat::removeItem(folder.path("lost.wav")).ok());
    auto output = startReading(std::nullopt);
    ReadSound sound = readAll(reader, *output);
    EXPECT_EQ(reader->status(), plat::AssetReaderStatus::Completed);
    EXPECT_EQ(sound.samples.size(), 22050u);
    EXPECT_EQ(plat::test::peakLevel(sound.samples, 44100, 1, 0, 0.5), 0.0);
}

TEST_F(AudioMixReading, CancellingStopsTheOutput)
{
    place(composition->addMutableTrackWithMediaType(plat::kMediaTypeAudio, plat::kTrackIDInvalid), 0.0, 1.0f);
    auto output = startReading(std::nullopt);
    ASSERT_TRUE(output->copyNextSampleBuffer());
    reader->cancelReading();
    EXPECT_EQ(reader->status(), plat::AssetReaderStatus::Cancelled);
    EXPECT_FALSE(output->copyNextSampleBuffer());
    EXPECT_FALSE(reader->startReading());
}

TEST_F(AudioMixReading, SettingsThatCannotBeProducedAreRefused)
{
    place(composition->addMutableTrackWithMediaType(plat::kMediaTypeAudio, plat::kTrackIDInvalid), 0.0, 1.0f);
    auto made = plat::AssetReader::assetReaderWithAsset(composition);
    ASSERT_TRUE(made.ok());
    auto tracks = composition->tracks();
    for (const plat::Dictionary& settings : {plat::Dictionary {{plat::kFormatIDKey, plat::kAudioFormatMPEG4AAC}},
             plat::Dictionary {{plat::kLinearPCMBitDepthKey, 12}},
             plat::Dictionary {{plat::kLinearPCMIsNonInterleaved, true}}}) {
        auto output = plat::AssetReaderAudioMixOutput::assetReaderAudioMixOutputWithAudioTracks(tracks, settings);
        EXPECT_FALSE(made.value()->canAddOutput(output)) << plat::Value(settings).debugDescription();
    }
    // Tracks of another asset are not the reader's.
    auto foreign
        = plat::AssetReaderAudioMixOutput::assetReaderAudioMixOutputWithAudioTracks(sine->tracks(), std::nullopt);
    EXPECT_FALSE(made.value()->canAddOutput(foreign));
}

TEST_F(AudioMixReading, AFileWhoseTimesJumpFarAheadReadsAsSilenceWithoutHoldingTheGap)
{
    // One packet at 0, then the rest ten million seconds later, as a damaged file may say.
    std::string path = folder.path("jump.mkv");
    auto made = plat::test::runFFmpeg(folder.path(),
        {"-f", "lavfi", "-i", "aevalsrc=0.5*sin(2*PI*440*t):s=44100:d=0.2", "-af",
            "asetpts=PTS+if(gte(N\\,1024)\\,10000000/TB\\,0)", "-c:a", "pcm_s16le", path});
    ASSERT_EQ(made.exitCode, 0) << made.output;
    auto jump = plat::URLAsset::assetWithPath(path);
    ASSERT_EQ(jump->tracks().size(), 1u);
    auto track = composition->addMutableTrackWithMediaType(plat::kMediaTypeAudio, plat::kTrackIDInvalid);
    // From 0.1 s: past the first packet, in the gap.
    auto range = plat::MediaTimeRange::make(MediaTime::make(4410, 44100), MediaTime::make(8820, 44100));
    ASSERT_TRUE(track->insertTimeRange(range, *jump->tracks().front(), MediaTime::zero()).ok());
    auto output = startReading(std::nullopt);
    ReadSound sound = readAll(reader, *output);
    EXPECT_EQ(reader->status(), plat::AssetReaderStatus::Completed);
    EXPECT_EQ(sound.samples.size(), 8820u);
    EXPECT_EQ(plat::test::peakLevel(sound.samples, 44100, 1, 0, 0.2), 0.0);
}

TEST(AssetReader, AnUnreadableFileCannotBeRead)
{
    plat::test::TemporaryFolder folder;
    ASSERT_TRUE(plat::writeFileAtomically(folder.path("bad.wav"), std::string("RIFF....WAVEjunk")).ok());
    auto made = plat::AssetReader::assetReaderWithAsset(plat::URLAsset::assetWithPath(folder.path("bad.wav")));
    ASSERT_FALSE(made.ok());
    EXPECT_EQ(made.error().domain(), plat::kMediaErrorDomain);
}

}  // namespace
