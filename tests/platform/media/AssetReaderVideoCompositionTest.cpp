#include <gtest/gtest.h>

#include "MediaTestFiles.h"
#include "platform/graphics/PixelBuffer.h"
#include "platform/media/Asset.h"
#include "platform/media/AssetReader.h"
#include "platform/media/AssetReaderVideoCompositionOutput.h"
#include "platform/media/AssetWriterInputPixelBufferAdaptor.h"
#include "platform/media/MediaConstants.h"
#include "platform/media/MutableComposition.h"
#include "platform/media/SampleBuffer.h"
#include "platform/media/VideoComposition.h"
#include "support/TemporarySandbox.h"

namespace {

using plat::MediaTime;

// A movie of one colour, width x height at 10 pictures a second for a second.
std::shared_ptr<plat::URLAsset> solidMovie(
    const std::string& folder, const std::string& name, const std::string& colour, int width, int height)
{
    std::string path = plat::appendingPathComponent(folder, name);
    auto run = plat::test::runFFmpeg(folder,
        {"-f", "lavfi", "-i",
            "color=c=" + colour + ":s=" + std::to_string(width) + "x" + std::to_string(height) + ":r=10:d=1", "-c:v",
            "libx264", "-pix_fmt", "yuv420p", path});
    EXPECT_EQ(run.exitCode, 0);
    return plat::URLAsset::assetWithPath(path);
}

std::array<int, 3> rgbAt(plat::PixelBuffer& buffer, int x, int y)
{
    buffer.lockBaseAddress();
    const uint8_t* p = buffer.baseAddress() + size_t(y) * buffer.bytesPerRow() + size_t(x) * 4;
    std::array<int, 3> rgb {p[2], p[1], p[0]};
    buffer.unlockBaseAddress();
    return rgb;
}

void expectColour(std::array<int, 3> got, std::array<int, 3> expected, const std::string& where)
{
    for (size_t i = 0; i < 3; ++i)
        EXPECT_NEAR(got[i], expected[i], 12) << where << " channel " << i;
}

}  // namespace

TEST(VideoCompositionOutput, PutsTheTracksTogetherAsTheInstructionsSay)
{
    plat::test::TemporaryFolder folder;
    auto red = solidMovie(folder.path(), "red.mov", "red", 64, 48);
    auto blue = solidMovie(folder.path(), "blue.mov", "blue", 32, 24);
    auto composition = plat::MutableComposition::composition();
    auto under = composition->addMutableTrackWithMediaType(plat::kMediaTypeVideo, plat::kTrackIDInvalid);
    auto over = composition->addMutableTrackWithMediaType(plat::kMediaTypeVideo, plat::kTrackIDInvalid);
    const auto second = plat::MediaTimeRange::make(MediaTime::zero(), MediaTime::make(1, 1));
    ASSERT_TRUE(
        under->insertTimeRange(second, *red->tracksWithMediaType(plat::kMediaTypeVideo).front(), MediaTime::zero())
            .ok());
    ASSERT_TRUE(
        over->insertTimeRange(second, *blue->tracksWithMediaType(plat::kMediaTypeVideo).front(), MediaTime::make(1, 2))
            .ok());

    auto video = plat::MutableVideoComposition::videoCompositionWithPropertiesOfAsset(*composition);
    EXPECT_EQ(video->renderSize(), (plat::Size {64, 48}));
    video->setFrameDuration(MediaTime::make(1, 10));
    auto instruction = plat::VideoCompositionInstruction::videoCompositionInstruction();
    instruction->setTimeRange(plat::MediaTimeRange::make(MediaTime::zero(), MediaTime::make(3, 2)));
    auto top = plat::VideoCompositionLayerInstruction::videoCompositionLayerInstructionWithAssetTrack(over->trackID());
    top->setOpacity(0.5f, MediaTime::make(8, 10));
    top->setOpacity(1.0f, MediaTime::make(1, 1));
    auto bottom
        = plat::VideoCompositionLayerInstruction::videoCompositionLayerInstructionWithAssetTrack(under->trackID());
    instruction->setLayerInstructions({top, bottom});
    video->setInstructions({instruction});

    auto reader = plat::AssetReader::assetReaderWithAsset(composition).value();
    auto output = plat::AssetReaderVideoCompositionOutput::assetReaderVideoCompositionOutputWithVideoTracks(
        composition->tracksWithMediaType(plat::kMediaTypeVideo),
        plat::Dictionary {{plat::kPixelBufferPixelFormatTypeKey, int64_t {plat::kPixelFormatType_32BGRA}}});
    EXPECT_FALSE(reader->canAddOutput(output));  // no video composition yet
    output->setVideoComposition(video);
    ASSERT_TRUE(reader->canAddOutput(output));
    reader->addOutput(output);
    ASSERT_TRUE(reader->startReading());
    std::vector<std::shared_ptr<const plat::SampleBuffer>> pictures;
    while (auto picture = output->copyNextSampleBuffer())
        pictures.push_back(picture);
    EXPECT_EQ(reader->status(), plat::AssetReaderStatus::Completed);
    ASSERT_EQ(pictures.size(), 15u);
    EXPECT_EQ(pictures[6]->presentationTimeStamp(), MediaTime::make(6, 10));

    auto at = [&](size_t index, int x, int y) { return rgbAt(*pictures[index]->imageBuffer(), x, y); };
    expectColour(at(2, 10, 10), {255, 0, 0}, "red alone");
    expectColour(at(6, 10, 10), {0, 0, 255}, "blue over red");
    expectColour(at(6, 50, 40), {255, 0, 0}, "red beside blue");
    expectColour(at(9, 10, 10), {128, 0, 128}, "blue at half over red");
    expectColour(at(12, 10, 10), {0, 0, 255}, "blue alone");
    expectColour(at(12, 50, 40), {0, 0, 0}, "nothing under");
}

TEST(VideoCompositionOutput, ComposedPicturesAreHandedOutAsPlanesWhenAskedFor)
{
    plat::test::TemporaryFolder folder;
    auto red = solidMovie(folder.path(), "red.mov", "red", 64, 48);
    auto composition = plat::MutableComposition::composition();
    auto track = composition->addMutableTrackWithMediaType(plat::kMediaTypeVideo, plat::kTrackIDInvalid);
    ASSERT_TRUE(track
                    ->insertTimeRange(plat::MediaTimeRange::make(MediaTime::zero(), MediaTime::make(1, 2)),
                        *red->tracksWithMediaType(plat::kMediaTypeVideo).front(), MediaTime::zero())
                    .ok());
    auto video = plat::MutableVideoComposition::videoCompositionWithPropertiesOfAsset(*composition);
    video->setFrameDuration(MediaTime::make(1, 10));
    auto reader = plat::AssetReader::assetReaderWithAsset(composition).value();
    auto output = plat::AssetReaderVideoCompositionOutput::assetReaderVideoCompositionOutputWithVideoTracks(
        composition->tracksWithMediaType(plat::kMediaTypeVideo),
        plat::Dictionary {
            {plat::kPixelBufferPixelFormatTypeKey, int64_t {plat::kPixelFormatType_420YpCbCr8BiPlanarFullRange}}});
    output->setVideoComposition(video);
    ASSERT_TRUE(reader->canAddOutput(output));
    reader->addOutput(output);
    ASSERT_TRUE(reader->startReading());
    auto picture = output->copyNextSampleBuffer();
    ASSERT_TRUE(picture);
    auto& planes = *picture->imageBuffer();
    EXPECT_EQ(planes.pixelFormatType(), plat::kPixelFormatType_420YpCbCr8BiPlanarFullRange);
    ASSERT_EQ(planes.planeCount(), 2u);
    EXPECT_EQ(planes.yCbCrMatrix(), plat::kCVImageBufferYCbCrMatrix_ITU_R_601_4);
    // Red in full-range BT.601: Y 76, Cb 85, Cr 255.
    planes.lockBaseAddress(plat::PixelBufferLock::ReadOnly);
    const uint8_t* luma = planes.baseAddressOfPlane(0) + planes.bytesPerRowOfPlane(0) * 20 + 30;
    const uint8_t* chroma = planes.baseAddressOfPlane(1) + planes.bytesPerRowOfPlane(1) * 10 + 15 * 2;
    EXPECT_NEAR(luma[0], 76, 6);
    EXPECT_NEAR(chroma[0], 85, 6);
    EXPECT_NEAR(chroma[1], 255, 6);
    planes.unlockBaseAddress(plat::PixelBufferLock::ReadOnly);
}
