#include "platform/media/Asset.h"

#include <gtest/gtest.h>

#include "MediaTestFiles.h"
#include "platform/foundation/Files.h"
#include "platform/media/MediaConstants.h"
#include "support/TemporarySandbox.h"

namespace {

class FileAssets : public ::testing::Test {
protected:
    plat::test::TemporaryFolder folder;
};

TEST_F(FileAssets, AWaveFileHasOneLinearPCMTrackOfItsLength)
{
    std::string path = plat::test::makeSineWave(folder.path(), "sine.wav", 1.5, 0.5);
    ASSERT_FALSE(path.empty());
    auto asset = plat::URLAsset::assetWithPath(path);
    EXPECT_FALSE(asset->error());
    EXPECT_EQ(asset->duration(), plat::MediaTime::make(3, 2));
    ASSERT_EQ(asset->tracks().size(), 1u);
    auto track = asset->tracks().front();
    EXPECT_EQ(track->mediaType(), plat::kMediaTypeAudio);
    ASSERT_EQ(track->formatDescriptions().size(), 1u);
    const auto& format = track->formatDescriptions().front();
    EXPECT_EQ(format.mediaSubType, plat::kAudioFormatLinearPCM);
    EXPECT_EQ(format.audio.sampleRate, 44100);
    EXPECT_EQ(format.audio.channelsPerFrame, 1u);
    EXPECT_EQ(format.audio.bitsPerChannel, 16u);
    EXPECT_EQ(format.audio.formatFlags & plat::kAudioFormatFlagIsSignedInteger, plat::kAudioFormatFlagIsSignedInteger);
    EXPECT_EQ(track->timeRange().duration.timescale, 44100);
    EXPECT_TRUE(asset->tracksWithMediaType(plat::kMediaTypeVideo).empty());
    EXPECT_EQ(asset->trackWithTrackID(track->trackID()), track);
}

TEST_F(FileAssets, AnAACFileNamesItsCodec)
{
    std::string path = plat::test::makeAACFile(folder.path(), "sine.m4a", 1.0);
    ASSERT_FALSE(path.empty());
    auto asset = plat::URLAsset::assetWithPath(path);
    auto tracks = asset->tracksWithMediaType(plat::kMediaTypeAudio);
    ASSERT_EQ(tracks.size(), 1u);
    EXPECT_EQ(tracks.front()->formatDescriptions().front().mediaSubType, plat::kAudioFormatMPEG4AAC);
    EXPECT_EQ(tracks.front()->formatDescriptions().front().audio.channelsPerFrame, 2u);
    EXPECT_NEAR(asset->duration().seconds(), 1.0, 0.05);
}

// Its first frames of silence are small: a length guessed from their bit rate is 4.2 s.
// Its 3.5 s of sound, with the encoder's delay and padding, fill 135 frames
// of 1152 samples at 44.1 kHz: 3.5265 s, the last frame's 26 ms included.
TEST_F(FileAssets, AnMP3ThatStatesNoLengthLastsAsLongAsItsSound)
{
    auto made = plat::test::makeMP3WithoutLengthHeader(folder.path(), "song-vbr.mp3", 3);
    ASSERT_EQ(made.exitCode, 0) << made.output;
    auto asset = plat::URLAsset::assetWithPath(folder.path("song-vbr.mp3"));
    EXPECT_NEAR(asset->duration().seconds(), 3.5265, 0.005);
}

TEST_F(FileAssets, AMovieTellsItsSizeAndFrameDuration)
{
    std::string path = folder.path("clip.mov");
    auto made = plat::test::runFFmpeg(folder.path(),
        {"-f", "lavfi", "-i", "testsrc=size=320x180:rate=5:duration=2", "-c:v", "libx264", "-pix_fmt", "yuv420p",
            path});
    ASSERT_EQ(made.exitCode, 0) << made.output;
    auto asset = plat::URLAsset::assetWithPath(path);
    auto video = asset->tracksWithMediaType(plat::kMediaTypeVideo);
    ASSERT_EQ(video.size(), 1u);
    EXPECT_EQ(video.front()->naturalSize(), (plat::Size {320, 180}));
    EXPECT_EQ(video.front()->formatDescriptions().front().mediaSubType, plat::kVideoCodecTypeH264);
    EXPECT_EQ(video.front()->minFrameDuration(), plat::MediaTime::make(1, 5));
    EXPECT_FLOAT_EQ(video.front()->nominalFrameRate(), 5.0f);
    EXPECT_EQ(asset->duration(), plat::MediaTime::make(2, 1));
}

TEST_F(FileAssets, UnreadableFilesGiveNoTracksAndAnError)
{
    std::string garbage = folder.path("noise.m4a");
    ASSERT_TRUE(plat::writeFileAtomically(garbage, std::string(4096, '\x5a')).ok());
    for (const std::string& path : {garbage, folder.path("missing.wav")}) {
        auto asset = plat::URLAsset::assetWithPath(path);
        EXPECT_TRUE(asset->tracks().empty()) << path;
        EXPECT_EQ(asset->duration(), plat::MediaTime::zero()) << path;
        ASSERT_TRUE(asset->error()) << path;
        EXPECT_EQ(asset->error()->domain(), plat::kMediaErrorDomain);
    }
    auto remote = plat::URLAsset::URLAssetWithURL(*plat::URL::URLWithString("http://127.0.0.1/sound.mp3"));
    EXPECT_TRUE(remote->tracks().empty());
    EXPECT_TRUE(remote->error());
}

}  // namespace
