#include <gtest/gtest.h>

#include "MediaTestFiles.h"
#include "platform/foundation/Files.h"
#include "platform/graphics/PixelBuffer.h"
#include "platform/media/Asset.h"
#include "platform/media/AssetReader.h"
#include "platform/media/AssetReaderTrackOutput.h"
#include "platform/media/AssetWriterInputPixelBufferAdaptor.h"
#include "platform/media/MediaConstants.h"
#include "platform/media/SampleBuffer.h"
#include "support/TemporarySandbox.h"

namespace {

using plat::MediaTime;

const plat::Dictionary kBGRA {{plat::kPixelBufferPixelFormatTypeKey, int64_t {plat::kPixelFormatType_32BGRA}}};

// A moving test picture, 160 x 120 at 10 pictures a second, H.264 in a QuickTime movie.
std::string makeTestMovie(const std::string& folder, double seconds)
{
    std::string path = plat::appendingPathComponent(folder, "pattern.mov");
    auto run = plat::test::runFFmpeg(folder,
        {"-f", "lavfi", "-i", "testsrc2=size=160x120:rate=10:duration=" + std::to_string(seconds), "-c:v", "libx264",
            "-pix_fmt", "yuv420p", path});
    return run.exitCode == 0 ? path : std::string();
}

struct VideoRead {
    std::shared_ptr<plat::AssetReader> reader;
    std::vector<std::shared_ptr<const plat::SampleBuffer>> pictures;
};

VideoRead readVideo(const std::string& path, std::optional<plat::MediaTimeRange> range = std::nullopt)
{
    VideoRead read;
    auto asset = plat::URLAsset::assetWithPath(path);
    auto tracks = asset->tracksWithMediaType(plat::kMediaTypeVideo);
    EXPECT_EQ(tracks.size(), 1u);
    auto made = plat::AssetReader::assetReaderWithAsset(asset);
    if (tracks.empty() || !made.ok())
        return read;
    read.reader = made.value();
    auto output = plat::AssetReaderTrackOutput::assetReaderTrackOutputWithTrack(tracks.front(), kBGRA);
    EXPECT_TRUE(read.reader->canAddOutput(output));
    read.reader->addOutput(output);
    if (range)
        read.reader->setTimeRange(*range);
    EXPECT_TRUE(read.reader->startReading());
    while (auto picture = output->copyNextSampleBuffer())
        read.pictures.push_back(std::move(picture));
    return read;
}

class VideoTrackOutput : public ::testing::Test {
protected:
    plat::test::TemporaryFolder folder;
};

}  // namespace

TEST_F(VideoTrackOutput, DecodesEveryPictureWithItsTimeAsFFmpegDoes)
{
    std::string path = makeTestMovie(folder.path(), 2.0);
    ASSERT_FALSE(path.empty());
    auto read = readVideo(path);
    EXPECT_EQ(read.reader->status(), plat::AssetReaderStatus::Completed);
    auto reference = plat::test::decodeVideoWithFFmpeg(folder.path(), path, 160, 120);
    ASSERT_EQ(reference.size(), 20u);
    ASSERT_EQ(read.pictures.size(), 20u);
    for (size_t i = 0; i < read.pictures.size(); ++i) {
        const auto& picture = read.pictures[i];
        EXPECT_NEAR(picture->presentationTimeStamp().seconds(), double(i) / 10, 1e-6) << "picture " << i;
        auto buffer = picture->imageBuffer();
        ASSERT_TRUE(buffer);
        ASSERT_EQ(buffer->width(), 160);
        ASSERT_EQ(buffer->height(), 120);
        EXPECT_EQ(buffer->pixelFormatType(), plat::kPixelFormatType_32BGRA);
        buffer->lockBaseAddress();
        int largest = 0;
        for (int y = 0; y < 120; ++y) {
            const uint8_t* row = buffer->baseAddress() + size_t(y) * buffer->bytesPerRow();
            for (int x = 0; x < 160; ++x) {
                const uint8_t* rgb = reference[i].data() + (size_t(y) * 160 + size_t(x)) * 3;
                largest = std::max({largest, std::abs(row[x * 4 + 2] - rgb[0]), std::abs(row[x * 4 + 1] - rgb[1]),
                    std::abs(row[x * 4] - rgb[2])});
            }
        }
        buffer->unlockBaseAddress();
        EXPECT_LE(largest, 8) << "picture " << i;
    }
}

TEST_F(VideoTrackOutput, ATimeRangeReadsOnlyItsPictures)
{
    std::string path = makeTestMovie(folder.path(), 2.0);
    ASSERT_FALSE(path.empty());
    auto read = readVideo(path, plat::MediaTimeRange::make(MediaTime::make(1, 1), MediaTime::make(1, 2)));
    ASSERT_EQ(read.pictures.size(), 5u);
    EXPECT_NEAR(read.pictures.front()->presentationTimeStamp().seconds(), 1.0, 1e-6);
    EXPECT_NEAR(read.pictures.back()->presentationTimeStamp().seconds(), 1.4, 1e-6);
}

TEST_F(VideoTrackOutput, VideoIsReadOnlyAsPixelBuffersOfAFormatThatCanBeMade)
{
    std::string path = makeTestMovie(folder.path(), 0.5);
    ASSERT_FALSE(path.empty());
    auto asset = plat::URLAsset::assetWithPath(path);
    auto track = asset->tracksWithMediaType(plat::kMediaTypeVideo).front();
    auto reader = plat::AssetReader::assetReaderWithAsset(asset).value();
    EXPECT_FALSE(
        reader->canAddOutput(plat::AssetReaderTrackOutput::assetReaderTrackOutputWithTrack(track, std::nullopt)));
    EXPECT_FALSE(reader->canAddOutput(plat::AssetReaderTrackOutput::assetReaderTrackOutputWithTrack(
        track, plat::Dictionary {{plat::kPixelBufferPixelFormatTypeKey, int64_t {0x79757673}}})));  // 'yuvs'
    EXPECT_TRUE(reader->canAddOutput(plat::AssetReaderTrackOutput::assetReaderTrackOutputWithTrack(track, kBGRA)));
}

TEST_F(VideoTrackOutput, ADamagedMovieFailsTheReaderOrEndsEarlyButNeverCrashes)
{
    std::string path = makeTestMovie(folder.path(), 2.0);
    ASSERT_FALSE(path.empty());
    auto bytes = plat::readFile(path).value();
    // Garble the middle of the file, where the pictures are.
    for (size_t i = bytes.size() / 3; i < bytes.size() * 2 / 3; i += 7)
        bytes[i] = uint8_t(bytes[i] ^ 0x5a);
    ASSERT_TRUE(plat::writeFileAtomically(path, bytes).ok());
    auto read = readVideo(path);
    EXPECT_LE(read.pictures.size(), 20u);
    EXPECT_NE(read.reader->status(), plat::AssetReaderStatus::Reading);
}

TEST_F(VideoTrackOutput, PlanesAreReadInTheRangeTheSettingsAskFor)
{
    // A flat grey of 8-bit video-range Y 126 (BT.601): 128 of 255 in RGB.
    std::string path = plat::appendingPathComponent(folder.path(), "grey.mov");
    auto run = plat::test::runFFmpeg(folder.path(),
        {"-f", "lavfi", "-i", "color=c=0x808080:size=34x18:rate=10:duration=0.3", "-c:v", "libx264", "-pix_fmt",
            "yuv420p", "-colorspace", "smpte170m", "-color_range", "tv", path});
    ASSERT_EQ(run.exitCode, 0);
    struct Case {
        uint32_t format;
        int luma;
    };
    for (const Case& c : {Case {plat::kPixelFormatType_420YpCbCr8BiPlanarFullRange, 128},
             Case {plat::kPixelFormatType_420YpCbCr8BiPlanarVideoRange, 126}}) {
        SCOPED_TRACE(c.format);
        auto asset = plat::URLAsset::assetWithPath(path);
        auto reader = plat::AssetReader::assetReaderWithAsset(asset).value();
        auto output = plat::AssetReaderTrackOutput::assetReaderTrackOutputWithTrack(
            asset->tracksWithMediaType(plat::kMediaTypeVideo).front(),
            plat::Dictionary {{plat::kPixelBufferPixelFormatTypeKey, int64_t {c.format}}});
        ASSERT_TRUE(reader->canAddOutput(output));
        reader->addOutput(output);
        ASSERT_TRUE(reader->startReading());
        int pictures = 0;
        while (auto picture = output->copyNextSampleBuffer()) {
            ++pictures;
            auto& pixels = *picture->imageBuffer();
            EXPECT_EQ(pixels.pixelFormatType(), c.format);
            ASSERT_EQ(pixels.planeCount(), 2u);
            EXPECT_EQ(pixels.widthOfPlane(1), 17);
            EXPECT_EQ(pixels.heightOfPlane(1), 9);
            EXPECT_EQ(pixels.yCbCrMatrix(), plat::kCVImageBufferYCbCrMatrix_ITU_R_601_4);
            pixels.lockBaseAddress(plat::PixelBufferLock::ReadOnly);
            const uint8_t* lastLuma = pixels.baseAddressOfPlane(0) + pixels.bytesPerRowOfPlane(0) * 17 + 33;
            const uint8_t* lastChroma = pixels.baseAddressOfPlane(1) + pixels.bytesPerRowOfPlane(1) * 8 + 16 * 2;
            EXPECT_NEAR(lastLuma[0], c.luma, 1);
            EXPECT_NEAR(lastChroma[0], 128, 1);
            EXPECT_NEAR(lastChroma[1], 128, 1);
            pixels.unlockBaseAddress(plat::PixelBufferLock::ReadOnly);
        }
        EXPECT_EQ(pictures, 3);
    }
}
