#include <atomic>
#include <gtest/gtest.h>

#include "platform/foundation/DispatchQueue.h"
#include "platform/foundation/Files.h"
#include "platform/foundation/PropertyList.h"
#include "platform/foundation/Semaphore.h"
#include "platform/graphics/PixelBuffer.h"
#include "platform/media/AssetWriter.h"
#include "platform/media/AssetWriterInput.h"
#include "platform/media/AssetWriterInputPixelBufferAdaptor.h"
#include "platform/media/EncoderFolder.h"
#include "platform/media/MediaConstants.h"
#include "support/ManualClockScope.h"
#include "support/TemporarySandbox.h"

namespace {

using plat::MediaTime;

constexpr double kGenerousTimeoutSeconds = 60;
constexpr int kWidth = 64;
constexpr int kHeight = 48;

std::shared_ptr<plat::PixelBuffer> blackPicture()
{
    auto made = plat::PixelBuffer::create(kWidth, kHeight, plat::kPixelFormatType_32ARGB);
    EXPECT_TRUE(made.ok());
    return made.value();
}

class SlowEncoder : public ::testing::Test {
protected:
    // A writer of one video input, writing.
    void startWriting()
    {
        std::optional<plat::Error> error;
        writer = plat::AssetWriter::assetWriterWithURL(
            plat::URL::fileURLWithPath(sandbox.path("movie.mov")), plat::kFileTypeQuickTimeMovie, &error);
        ASSERT_TRUE(writer) << (error ? error->description() : "");
        video = plat::AssetWriterInput::assetWriterInputWithMediaType(plat::kMediaTypeVideo,
            plat::Dictionary {{plat::kVideoCodecKey, plat::kVideoCodecH264}, {plat::kVideoWidthKey, kWidth},
                {plat::kVideoHeightKey, kHeight}});
        adaptor = plat::AssetWriterInputPixelBufferAdaptor::assetWriterInputPixelBufferAdaptorWithAssetWriterInput(
            video, std::nullopt);
        writer->addInput(video);
        ASSERT_TRUE(writer->startWriting());
        writer->startSessionAtSourceTime(MediaTime::zero());
    }

    plat::test::TemporarySandbox sandbox;
    plat::test::ManualClockScope clock;
    std::shared_ptr<plat::AssetWriter> writer;
    std::shared_ptr<plat::AssetWriterInput> video;
    std::shared_ptr<plat::AssetWriterInputPixelBufferAdaptor> adaptor;
};

}  // namespace

TEST_F(SlowEncoder, WithoutItsFileTheEncoderTakesPicturesAtOnce)
{
    EXPECT_EQ(plat::EncoderFolder::framesPerSecond(), std::nullopt);
    startWriting();
    ASSERT_TRUE(adaptor->appendPixelBuffer(blackPicture(), MediaTime::zero()));
    EXPECT_TRUE(video->isReadyForMoreMediaData());
    writer->cancelWriting();
}

TEST_F(SlowEncoder, AVideoInputTakesTheNextPictureOnlyOnceTheEncoderHadItsTime)
{
    // Four pictures a second: a quarter second each.
    ASSERT_TRUE(plat::EncoderFolder::writeFramesPerSecond(4).ok());
    startWriting();
    ASSERT_TRUE(video->isReadyForMoreMediaData());
    ASSERT_TRUE(adaptor->appendPixelBuffer(blackPicture(), MediaTime::zero()));
    EXPECT_FALSE(video->isReadyForMoreMediaData());
    clock.advance(0.24);
    EXPECT_FALSE(video->isReadyForMoreMediaData());
    clock.advance(0.02);
    EXPECT_TRUE(video->isReadyForMoreMediaData());
    writer->cancelWriting();
}

TEST_F(SlowEncoder, TheRequestBlockHearsWhenTheEncoderIsReadyAgain)
{
    ASSERT_TRUE(plat::EncoderFolder::writeFramesPerSecond(4).ok());
    startWriting();
    std::atomic<int> appended {0};
    plat::Semaphore picture(0);
    auto queue = plat::DispatchQueue::create("test.slow.video");
    video->requestMediaDataWhenReadyOnQueue(queue, [&] {
        while (video->isReadyForMoreMediaData() && appended < 3) {
            EXPECT_TRUE(adaptor->appendPixelBuffer(blackPicture(), MediaTime::make(appended, 4)));
            ++appended;
            picture.signal();
        }
    });
    ASSERT_TRUE(picture.wait(kGenerousTimeoutSeconds));
    queue->sync([] {});
    EXPECT_EQ(appended, 1);
    clock.advance(0.25);
    ASSERT_TRUE(picture.wait(kGenerousTimeoutSeconds));
    queue->sync([] {});
    EXPECT_EQ(appended, 2);
    writer->cancelWriting();
}

TEST(EncoderFolderFile, AFileWithoutASpeedAboveZeroLeavesTheEncoderAsFastAsTheMachine)
{
    plat::test::TemporarySandbox sandbox;
    EXPECT_FALSE(plat::EncoderFolder::writeFramesPerSecond(0).ok());
    ASSERT_TRUE(plat::createDirectory(plat::EncoderFolder::encoderFolder(), plat::IntermediateDirectories::Yes).ok());
    for (const plat::Value& speed : {plat::Value(0), plat::Value(-2.5), plat::Value("fast"), plat::Value(true)}) {
        ASSERT_TRUE(plat::writePropertyListFile(
            plat::Dictionary {{"FramesPerSecond", speed}}, plat::EncoderFolder::encoderFilePath())
                        .ok());
        EXPECT_EQ(plat::EncoderFolder::framesPerSecond(), std::nullopt);
    }
    ASSERT_TRUE(
        plat::writePropertyListFile(plat::Dictionary {{"FramesPerSecond", 2.5}}, plat::EncoderFolder::encoderFilePath())
            .ok());
    EXPECT_EQ(plat::EncoderFolder::framesPerSecond(), 2.5);
}
