#include <GLES2/gl2.h>
#include <GLES2/gl2ext.h>
#include <gtest/gtest.h>

#include "GLImageTestSupport.h"
#include "glimage/GLImageContext.h"
#include "glimage/GLImageFilter.h"
#include "glimage/GLImagePicture.h"
#include "platform/foundation/Files.h"
#include "platform/foundation/Semaphore.h"
#include "platform/foundation/URL.h"
#include "platform/graphics/ImageRepresentation.h"
#include "support/TemporarySandbox.h"

namespace {

using zt::test::Colour;
using zt::test::RecordingTarget;
using zt::test::RemovingTarget;

TEST(GLImagePicture, UndecodableDataGivesNoPicture)
{
    plat::Data garbage = {0x89, 'P', 'N', 'G', 0x0d, 0x0a, 0x1a, 0x0a, 1, 2, 3};
    EXPECT_FALSE(zt::GLImagePicture::initWithData(garbage));
    EXPECT_FALSE(zt::GLImagePicture::initWithData({}));
    EXPECT_FALSE(zt::GLImagePicture::initWithURL(plat::URL::fileURLWithPath("/nonexistent/picture.png")));
}

TEST(GLImagePicture, ATargetAddedLaterStillGetsThePicture)
{
    auto picture = std::make_shared<zt::GLImagePicture>(*zt::test::makeColourRamp(5, 3));
    auto early = std::make_shared<RecordingTarget>();
    picture->addTarget(early);
    zt::test::drainContextQueue();
    EXPECT_TRUE(early->frames.empty());
    picture->processImage();
    zt::test::drainContextQueue();
    ASSERT_EQ(early->frames.size(), 1u);
    EXPECT_TRUE(early->frames[0].time.isIndefinite());
    EXPECT_EQ(early->size, (plat::Size {5, 3}));

    auto late = std::make_shared<RecordingTarget>();
    picture->addTarget(late);
    ASSERT_EQ(late->frames.size(), 1u);
    EXPECT_EQ(late->size, (plat::Size {5, 3}));
    EXPECT_NE(late->texture, 0u);
}

TEST(GLImagePicture, DropsARequestWhileARunIsInFlight)
{
    auto picture = std::make_shared<zt::GLImagePicture>(*zt::test::makeColourRamp(4, 4));
    auto target = std::make_shared<RecordingTarget>();
    picture->addTarget(target);
    // Hold the context queue so that the first run cannot finish.
    plat::Semaphore release(0);
    zt::runAsynchronouslyOnContextQueue([release]() mutable { release.wait(); });
    int completions = 0;
    EXPECT_TRUE(picture->processImageWithCompletionHandler([&] { ++completions; }));
    EXPECT_FALSE(picture->processImageWithCompletionHandler([&] { completions += 10; }));
    release.signal();
    zt::test::drainContextQueue();
    EXPECT_EQ(completions, 1);
    EXPECT_EQ(target->frames.size(), 1u);
    EXPECT_TRUE(picture->processImageWithCompletionHandler(nullptr));
    // Nothing left in flight: a run still going when the process exits meets EGL torn down.
    zt::test::drainContextQueue();
}

TEST(GLImagePicture, AsksForMemoryConservationAboveAThousandPixels)
{
    for (auto [width, expected] : {std::pair {1000, 0}, {1001, 1}}) {
        auto picture = std::make_shared<zt::GLImagePicture>(*zt::test::makeColourRamp(width, 2));
        auto target = std::make_shared<RecordingTarget>();
        picture->addTarget(target);
        picture->processImage();
        zt::test::drainContextQueue();
        EXPECT_EQ(target->conserveMemoryCount, expected) << width;
    }
}

TEST(GLImagePicture, ATargetRemovedByAnEarlierTargetDuringARunNoLongerHearsOfIt)
{
    auto picture = std::make_shared<zt::GLImagePicture>(*zt::test::makeColourRamp(4, 4));
    auto remover = std::make_shared<RemovingTarget>();
    auto removed = std::make_shared<RecordingTarget>();
    remover->source = picture;
    remover->victim = removed;
    picture->addTarget(remover);
    picture->addTarget(removed);
    picture->processImage();
    zt::test::drainContextQueue();
    EXPECT_EQ(remover->frames.size(), 1u);
    EXPECT_TRUE(removed->frames.empty());
    remover->source.reset();
}

TEST(GLImagePicture, UploadsPackedBitmapsFromTheirOwnBytes)
{
    auto bgra = plat::test::makeImage(8, 4, [](int, int) { return plat::test::Rgba {1, 2, 3, 255}; });
    zt::GLImagePicture fromBGRA(*bgra);
    EXPECT_FALSE(fromBGRA.uploadWasRedrawnForTesting());
    EXPECT_EQ(fromBGRA.uploadPixelFormatForTesting(), uint32_t(GL_BGRA_EXT));
    auto rgba = plat::test::makeImage(
        8, 4,
        [](int, int) {
            return plat::test::Rgba {1, 2, 3, 255};
        },
        plat::ImageOrientation::Up, plat::PixelOrder::RGBA);
    zt::GLImagePicture fromRGBA(*rgba);
    EXPECT_FALSE(fromRGBA.uploadWasRedrawnForTesting());
    EXPECT_EQ(fromRGBA.uploadPixelFormatForTesting(), uint32_t(GL_RGBA));
}

TEST(GLImagePicture, RedrawsAtPowersOfTwoForSmoothScaling)
{
    auto image = zt::test::makeColourRamp(1000, 750);
    zt::GLImagePicture picture(*image, zt::SmoothlyScaleOutput::Yes);
    EXPECT_TRUE(picture.uploadWasRedrawnForTesting());
    EXPECT_EQ(picture.uploadSizeForTesting(), (plat::Size {1024, 1024}));
    EXPECT_EQ(picture.outputImageSize(), (plat::Size {1000, 750}));
}

TEST(GLImagePicture, AStripTooLongForATextureKeepsAtLeastOnePixelAcross)
{
    // Fitted into the largest texture, one row of nearly twice its length
    // would be about half a pixel tall.
    const int largest = zt::GLImageContext::maximumTextureSizeForThisDevice();
    const int length = std::min(2 * largest - 2, plat::kMaxBitmapEdge);
    ASSERT_LT(double(largest) / length, 0.75);
    auto strip = zt::test::makePicture(length, 1, [](int, int) { return Colour {0, 1, 0, 1}; });
    ASSERT_TRUE(strip);
    auto picture = std::make_shared<zt::GLImagePicture>(*strip);
    EXPECT_EQ(picture->outputImageSize(), (plat::Size {double(largest), 1}));
    EXPECT_EQ(picture->uploadSizeForTesting(), (plat::Size {double(largest), 1}));
    auto filter = std::make_shared<zt::GLImageFilter>();
    picture->addTarget(filter);
    picture->processImage();
    auto result = filter->imageFromCurrentlyProcessedOutputWithOrientation(plat::ImageOrientation::Up);
    ASSERT_TRUE(result);
    EXPECT_EQ(plat::test::pixelAt(*result, largest / 2, 0), (plat::test::Rgba {0, 255, 0, 255}));
}

TEST(GLImagePicture, RedrawsBitmapsWithPaddedRowsAndKeepsTheirPixels)
{
    auto padded = plat::Bitmap::allocate(6, 3, plat::PixelOrder::RGBA, 64);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 6; ++x) {
            uint8_t* p = padded->mutableRow(y) + x * 4;
            p[0] = uint8_t(x * 40);
            p[1] = uint8_t(y * 100);
            p[2] = 77;
            p[3] = 255;
        }
    auto image = plat::Image::imageWithBitmap(padded);
    auto filter = std::make_shared<zt::GLImageFilter>();
    auto picture = std::make_shared<zt::GLImagePicture>(*image);
    EXPECT_TRUE(picture->uploadWasRedrawnForTesting());
    auto result = filter->imageByFilteringImage(*image);
    ASSERT_TRUE(result);
    zt::test::expectPixelsMatch(
        *image, *result, [](const Colour& c, int, int) { return c; }, 1);
}

TEST(GLImagePicture, ReadsAPictureFile)
{
    plat::test::TemporaryFolder folder;
    auto png = zt::test::makeColourRamp(6, 6);
    const std::string path = folder.path() + "/ramp.png";
    auto data = plat::PNGRepresentation(*png);
    ASSERT_TRUE(data);
    ASSERT_TRUE(plat::writeFileAtomically(path, *data).ok());
    auto picture = zt::GLImagePicture::initWithURL(plat::URL::fileURLWithPath(path));
    ASSERT_TRUE(picture);
    EXPECT_EQ(picture->outputImageSize(), (plat::Size {6, 6}));
}

}  // namespace

namespace {

TEST(GLImagePicture, APictureReleasedWhileItsRunIsQueuedGoesAwayOnTheContextQueue)
{
    auto target = std::make_shared<zt::test::RecordingTarget>();
    plat::Semaphore release(0);
    {
        auto picture = std::make_shared<zt::GLImagePicture>(*zt::test::makeColourRamp(4, 4));
        picture->addTarget(target);
        zt::runAsynchronouslyOnContextQueue([release]() mutable { release.wait(); });
        picture->processImage();
    }
    // The run now holds the only reference; its end destroys the picture.
    release.signal();
    zt::test::drainContextQueue();
    EXPECT_EQ(target->frames.size(), 1u);
    EXPECT_EQ(target->texture, 0u);  // the dying picture let its target go
}

}  // namespace
