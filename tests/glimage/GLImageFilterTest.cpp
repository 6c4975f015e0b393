#include <gtest/gtest.h>

#include "GLImageTestSupport.h"
#include "glimage/GLImageBrightnessFilter.h"
#include "glimage/GLImageContext.h"
#include "glimage/GLImageFilter.h"
#include "glimage/GLImagePicture.h"

namespace {

using zt::GLImageRotationMode;
using zt::test::Colour;
using zt::test::RecordingTarget;
using zt::test::RemovingTarget;

TEST(GLImageFilter, PassThroughReadsBackTheInputPixels)
{
    auto input = zt::test::makeColourRamp(16, 8);
    auto filter = std::make_shared<zt::GLImageFilter>();
    auto result = filter->imageByFilteringImage(*input);
    ASSERT_TRUE(result);
    zt::test::expectPixelsMatch(
        *input, *result, [](const Colour& c, int, int) { return c; }, 0);
}

// Colours no stronger than their alpha, as premultiplied pixels are.
std::shared_ptr<plat::Image> seeThroughPicture()
{
    return zt::test::makePicture(8, 4, [](int x, int y) {
        const double alpha = (x + 1) / 8.0;
        return Colour {alpha * 0.9, alpha * (y + 1) / 4.0, alpha * 0.25, alpha};
    });
}

TEST(GLImageFilter, PassThroughKeepsSeeThroughPixelsAsTheyAre)
{
    auto input = seeThroughPicture();
    auto filter = std::make_shared<zt::GLImageFilter>();
    auto result = filter->imageByFilteringImage(*input);
    ASSERT_TRUE(result);
    zt::test::expectPixelsMatch(
        *input, *result, [](const Colour& c, int, int) { return c; }, 0);
}

TEST(GLImageFilter, BothReadBackPathsGiveTheSameSeeThroughPixels)
{
    auto input = seeThroughPicture();
    auto filter = std::make_shared<zt::GLImageFilter>();
    auto picture = std::make_shared<zt::GLImagePicture>(*input);
    picture->addTarget(filter);
    picture->processImage();
    auto fromFramebuffer = filter->imageFromCurrentlyProcessedOutputWithOrientation(plat::ImageOrientation::Up);
    filter->prepareForImageCapture();
    picture->processImage();
    auto fromPixelBuffer = filter->imageFromCurrentlyProcessedOutputWithOrientation(plat::ImageOrientation::Up);
    ASSERT_TRUE(fromFramebuffer);
    ASSERT_TRUE(fromPixelBuffer);
    zt::test::expectPixelsMatch(
        *fromPixelBuffer, *fromFramebuffer, [](const Colour& c, int, int) { return c; }, 0);
}

// A 3 x 2 picture with four distinct corners; what lands where in each mode.
TEST(GLImageFilter, TurnsTheInputByEachRotationMode)
{
    const plat::test::Rgba red {255, 0, 0, 255}, green {0, 255, 0, 255}, blue {0, 0, 255, 255},
        white {255, 255, 255, 255}, grey {128, 128, 128, 255};
    auto input = plat::test::makeImage(3, 2, [&](int x, int y) {
        if (x == 0 && y == 0)
            return red;  // top left
        if (x == 2 && y == 0)
            return green;  // top right
        if (x == 0 && y == 1)
            return blue;  // bottom left
        if (x == 2 && y == 1)
            return white;  // bottom right
        return grey;
    });
    struct Expected {
        GLImageRotationMode mode;
        int width, height;
        plat::test::Rgba topLeft, topRight, bottomLeft, bottomRight;
    };
    const Expected cases[] = {
        {GLImageRotationMode::NoRotation, 3, 2, red, green, blue, white},
        {GLImageRotationMode::RotateLeft, 2, 3, green, white, red, blue},
        {GLImageRotationMode::RotateRight, 2, 3, blue, red, white, green},
        {GLImageRotationMode::FlipVertical, 3, 2, blue, white, red, green},
        {GLImageRotationMode::FlipHorizontal, 3, 2, green, red, white, blue},
        {GLImageRotationMode::RotateRightFlipVertical, 2, 3, red, blue, green, white},
        {GLImageRotationMode::RotateRightFlipHorizontal, 2, 3, white, green, blue, red},
        {GLImageRotationMode::Rotate180, 3, 2, white, blue, green, red},
    };
    for (const auto& want : cases) {
        auto filter = std::make_shared<zt::GLImageFilter>();
        auto picture = std::make_shared<zt::GLImagePicture>(*input);
        filter->setOutputTextureOptions([] {
            auto options = zt::defaultTextureOptions();
            options.minFilter = options.magFilter = 0x2600;  // GL_NEAREST: exact corners
            return options;
        }());
        picture->addTarget(filter);
        zt::runSynchronouslyOnContextQueue([&] { filter->setInputRotation(want.mode, 0); });
        picture->processImage();
        auto result = filter->imageFromCurrentlyProcessedOutputWithOrientation(plat::ImageOrientation::Up);
        ASSERT_TRUE(result);
        const auto& bitmap = *result->bitmap();
        const int mode = static_cast<int>(want.mode);
        ASSERT_EQ(bitmap.width(), want.width) << "mode " << mode;
        ASSERT_EQ(bitmap.height(), want.height) << "mode " << mode;
        const int w = bitmap.width() - 1, h = bitmap.height() - 1;
        EXPECT_EQ(plat::test::pixelAt(bitmap, 0, 0), want.topLeft) << "mode " << mode;
        EXPECT_EQ(plat::test::pixelAt(bitmap, w, 0), want.topRight) << "mode " << mode;
        EXPECT_EQ(plat::test::pixelAt(bitmap, 0, h), want.bottomLeft) << "mode " << mode;
        EXPECT_EQ(plat::test::pixelAt(bitmap, w, h), want.bottomRight) << "mode " << mode;
    }
}

TEST(GLImageFilter, MapsPointsByRotation)
{
    auto rotated = zt::GLImageFilter::rotatedPoint({0.25, 0.5}, GLImageRotationMode::RotateRight);
    EXPECT_EQ(rotated, (plat::Point {0.5, 0.75}));
    EXPECT_EQ(zt::GLImageFilter::rotatedPoint({0.25, 0.5}, GLImageRotationMode::RotateLeft), (plat::Point {0.5, 0.25}));
    EXPECT_EQ(zt::GLImageFilter::rotatedPoint({0.25, 0.5}, GLImageRotationMode::Rotate180), (plat::Point {0.75, 0.5}));
}

TEST(GLImageFilter, WithoutTargetsRendersAndTellsNobody)
{
    auto filter = std::make_shared<zt::GLImageFilter>();
    std::vector<plat::MediaTime> completed;
    filter->setFrameProcessingCompletionBlock(
        [&](zt::GLImageOutput&, const plat::MediaTime& time) { completed.push_back(time); });
    auto picture = std::make_shared<zt::GLImagePicture>(*zt::test::makeColourRamp(4, 4));
    picture->addTarget(filter);
    picture->processImage();
    zt::test::drainContextQueue();
    ASSERT_EQ(completed.size(), 1u);
    EXPECT_TRUE(completed[0].isIndefinite());
    EXPECT_EQ(filter->outputTextureRetainCountForTesting(), 0u);
    EXPECT_NE(filter->framebufferForTesting(), 0u);
}

TEST(GLImageFilter, AFrameWithoutAnInputSizeIsDropped)
{
    auto filter = std::make_shared<zt::GLImageFilter>();
    auto target = std::make_shared<RecordingTarget>();
    filter->addTarget(target);
    zt::runSynchronouslyOnContextQueue([&] {
        filter->newFrameReadyAtTime(plat::MediaTime::make(1, 30), 0);
        filter->setInputSize({0.4, 0.4}, 0);
        filter->newFrameReadyAtTime(plat::MediaTime::make(2, 30), 0);
    });
    EXPECT_TRUE(target->frames.empty());
    EXPECT_EQ(filter->framebufferForTesting(), 0u);
    EXPECT_EQ(filter->outputTextureRetainCountForTesting(), 0u);
    // A frame of some size still renders.
    auto picture = std::make_shared<zt::GLImagePicture>(*zt::test::makeColourRamp(3, 5));
    picture->addTarget(filter);
    picture->processImage();
    zt::test::drainContextQueue();
    EXPECT_EQ(target->frames.size(), 1u);
    EXPECT_EQ(target->size, (plat::Size {3, 5}));
}

TEST(GLImageFilter, RebuildsItsFramebufferOnlyWhenTheSizeChanges)
{
    auto filter = std::make_shared<zt::GLImageFilter>();
    zt::runSynchronouslyOnContextQueue([&] {
        filter->setInputSize({8, 8}, 0);
        filter->setFilterFBO();
        const uint32_t first = filter->framebufferForTesting();
        filter->setInputSize({8, 8}, 0);
        EXPECT_EQ(filter->framebufferForTesting(), first);
        filter->setInputRotation(GLImageRotationMode::RotateLeft, 0);
        filter->setInputSize({640, 480}, 0);
        EXPECT_EQ(filter->inputTextureSizeForTesting(), (plat::Size {480, 640}));
        EXPECT_NE(filter->framebufferForTesting(), 0u);
    });
}

TEST(GLImageFilter, ForcedSizeRulesUntilCleared)
{
    auto filter = std::make_shared<zt::GLImageFilter>();
    filter->forceProcessingAtSize({32, 24});
    auto small = filter->imageByFilteringImage(*zt::test::makeColourRamp(64, 64));
    ASSERT_TRUE(small);
    EXPECT_EQ(small->bitmap()->width(), 32);
    EXPECT_EQ(small->bitmap()->height(), 24);
    filter->forceProcessingAtSize({});
    auto full = filter->imageByFilteringImage(*zt::test::makeColourRamp(16, 8));
    EXPECT_EQ(full->bitmap()->width(), 16);
    EXPECT_EQ(full->bitmap()->height(), 8);
}

TEST(GLImageFilter, ForcedAspectFitSizeFollowsTheInput)
{
    auto filter = std::make_shared<zt::GLImageFilter>();
    filter->forceProcessingAtSizeRespectingAspectRatio({500, 500});
    zt::runSynchronouslyOnContextQueue([&] {
        filter->setInputSize({1920, 1080}, 0);
        EXPECT_EQ(filter->inputTextureSizeForTesting(), (plat::Size {500, 281.25}));
    });
}

TEST(GLImageFilter, ForcedAspectFitFramesOfAnotherShapeFillTheirWholeOutput)
{
    auto filter = std::make_shared<zt::GLImageFilter>();
    filter->forceProcessingAtSizeRespectingAspectRatio({8, 8});
    auto wide = zt::test::makePicture(8, 4, [](int, int) { return Colour {1, 0, 0, 1}; });
    auto tall = zt::test::makePicture(4, 8, [](int, int) { return Colour {0, 0, 1, 1}; });
    auto first = filter->imageByFilteringImage(*wide);
    ASSERT_TRUE(first);
    zt::test::expectPixelsMatch(
        *wide, *first, [](const Colour& c, int, int) { return c; }, 0);
    auto second = filter->imageByFilteringImage(*tall);
    ASSERT_TRUE(second);
    zt::test::expectPixelsMatch(
        *tall, *second, [](const Colour& c, int, int) { return c; }, 0);
}

TEST(GLImageFilter, ForcedAspectFitOfAStripThinnerThanAPixelDropsTheFrame)
{
    auto filter = std::make_shared<zt::GLImageFilter>();
    filter->forceProcessingAtSizeRespectingAspectRatio({64, 64});
    ASSERT_TRUE(filter->imageByFilteringImage(*zt::test::makeColourRamp(8, 8)));
    // 1000 x 10 fitted into 64 x 64 is 64 x 0.64.
    auto strip = zt::test::makePicture(1000, 10, [](int, int) { return Colour {1, 0, 0, 1}; });
    EXPECT_FALSE(filter->imageByFilteringImage(*strip));
    auto after = filter->imageByFilteringImage(*zt::test::makeColourRamp(4, 2));
    ASSERT_TRUE(after);
    EXPECT_EQ(after->bitmap()->width(), 64);
    EXPECT_EQ(after->bitmap()->height(), 32);
}

TEST(GLImageFilter, ForcedAspectFitTakesTheTurnedShapeOfARotatedInput)
{
    auto filter = std::make_shared<zt::GLImageFilter>();
    filter->forceProcessingAtSizeRespectingAspectRatio({500, 500});
    zt::runSynchronouslyOnContextQueue([&] {
        filter->setInputRotation(GLImageRotationMode::RotateRight, 0);
        filter->setInputSize({1920, 1080}, 0);
        EXPECT_EQ(filter->inputTextureSizeForTesting(), (plat::Size {281.25, 500}));
    });
}

TEST(GLImageFilter, AUniformSetBeforeTheFirstFrameTakesEffect)
{
    auto filter = std::make_shared<zt::GLImageBrightnessFilter>();
    filter->setBrightness(-0.5);
    auto result = filter->imageByFilteringImage(*zt::test::makePicture(2, 2, [](int, int) {
        return Colour {1, 1, 1, 1};
    }));
    EXPECT_EQ(plat::test::pixelAt(*result, 0, 0), (plat::test::Rgba {128, 128, 128, 255}));
}

TEST(GLImageFilter, FiltersSharingAProgramKeepTheirOwnUniforms)
{
    auto darker = std::make_shared<zt::GLImageBrightnessFilter>();
    auto lighter = std::make_shared<zt::GLImageBrightnessFilter>();
    darker->setBrightness(-0.25);
    lighter->setBrightness(0.25);
    darker->addTarget(lighter);
    lighter->setBrightness(0.5);
    auto result = darker->imageByFilteringImage(*zt::test::makePicture(2, 2, [](int, int) {
        return Colour {0.5, 0.5, 0.5, 1};
    }));
    auto final = lighter->imageFromCurrentlyProcessedOutputWithOrientation(plat::ImageOrientation::Up);
    EXPECT_EQ(plat::test::pixelAt(*result, 0, 0), (plat::test::Rgba {64, 64, 64, 255}));
    // 64/255 + 0.5 is 191.5 levels: either neighbour is right.
    const auto lightened = plat::test::pixelAt(*final, 0, 0);
    for (int channel = 0; channel < 3; ++channel)
        EXPECT_NEAR(lightened[channel], 191.5, 0.5) << channel;
}

TEST(GLImageFilter, EndProcessingReachesTheTargetsOnce)
{
    auto filter = std::make_shared<zt::GLImageFilter>();
    auto target = std::make_shared<RecordingTarget>();
    filter->addTarget(target);
    zt::runSynchronouslyOnContextQueue([&] {
        filter->endProcessing();
        filter->endProcessing();
    });
    EXPECT_EQ(target->endProcessingCount, 1);
}

TEST(GLImageFilter, TellsEachTargetTheOutputSizeAndFrameInOrder)
{
    auto filter = std::make_shared<zt::GLImageFilter>();
    auto first = std::make_shared<RecordingTarget>();
    auto second = std::make_shared<RecordingTarget>();
    auto ignored = std::make_shared<RecordingTarget>();
    ignored->ignoresUpdates = true;
    filter->addTarget(first);
    filter->addTarget(second, 3);
    filter->addTarget(ignored);
    zt::runSynchronouslyOnContextQueue([&] {
        filter->setInputSize({6, 4}, 0);
        filter->newFrameReadyAtTime(plat::MediaTime::make(2, 30), 0);
    });
    ASSERT_EQ(first->frames.size(), 1u);
    ASSERT_EQ(second->frames.size(), 1u);
    EXPECT_EQ(second->frames[0].index, 3);
    EXPECT_EQ(second->frames[0].time, plat::MediaTime::make(2, 30));
    EXPECT_EQ(second->size, (plat::Size {6, 4}));
    EXPECT_TRUE(ignored->frames.empty());
    EXPECT_EQ(filter->outputTextureRetainCountForTesting(), 3u);
    EXPECT_NE(first->texture, 0u);
}

TEST(GLImageFilter, ATargetRemovedByAnEarlierTargetDuringAFrameNoLongerHearsOfIt)
{
    auto filter = std::make_shared<zt::GLImageFilter>();
    auto remover = std::make_shared<RemovingTarget>();
    auto removed = std::make_shared<RecordingTarget>();
    remover->source = filter;
    remover->victim = removed;
    filter->addTarget(remover);
    filter->addTarget(removed);
    auto picture = std::make_shared<zt::GLImagePicture>(*zt::test::makeColourRamp(4, 4));
    picture->addTarget(filter);
    picture->processImage();
    zt::test::drainContextQueue();
    EXPECT_EQ(remover->frames.size(), 1u);
    EXPECT_TRUE(removed->frames.empty());
    EXPECT_EQ(removed->size, (plat::Size {}));
    remover->source.reset();
}

TEST(GLImageFilter, EndProcessingReachesATargetAfterOneThatTookItselfOff)
{
    auto filter = std::make_shared<zt::GLImageFilter>();
    auto leaver = std::make_shared<RemovingTarget>();
    auto last = std::make_shared<RecordingTarget>();
    leaver->source = filter;
    leaver->victim = leaver;
    leaver->removeOnFrame = false;
    filter->addTarget(leaver);
    filter->addTarget(last);
    zt::runSynchronouslyOnContextQueue([&] { filter->endProcessing(); });
    EXPECT_EQ(last->endProcessingCount, 1);
    EXPECT_EQ(filter->targets().size(), 1u);
    leaver->source.reset();
    leaver->victim.reset();
}

TEST(GLImageFilter, ConservingMemoryReleasesTheInputAfterTheNextFrame)
{
    // A 1001-pixel picture asks for it; the filter then frees its framebuffer
    // when its one target lets go of the output.
    auto picture = std::make_shared<zt::GLImagePicture>(*zt::test::makeColourRamp(1001, 2));
    auto filter = std::make_shared<zt::GLImageFilter>();
    auto next = std::make_shared<zt::GLImageFilter>();
    picture->addTarget(filter);
    filter->addTarget(next);
    picture->processImage();
    zt::test::drainContextQueue();
    EXPECT_EQ(filter->framebufferForTesting(), 0u);
    EXPECT_NE(next->framebufferForTesting(), 0u);
}

TEST(GLImageFilter, CapturesFromAPixelBufferWhenPreparedForCapture)
{
    auto input = zt::test::makeColourRamp(12, 6);
    auto filter = std::make_shared<zt::GLImageFilter>();
    auto picture = std::make_shared<zt::GLImagePicture>(*input);
    picture->addTarget(filter);
    picture->processImage();
    zt::test::drainContextQueue();
    filter->prepareForImageCapture();
    picture->processImage();
    auto result = filter->imageFromCurrentlyProcessedOutputWithOrientation(plat::ImageOrientation::Up);
    ASSERT_TRUE(result);
    ASSERT_TRUE(filter->renderTarget() == nullptr);  // let go after the capture
    zt::test::expectPixelsMatch(
        *input, *result, [](const Colour& c, int, int) { return c; }, 0);
    // The next frame rebuilds the pixel buffer and renders again.
    picture->processImage();
    zt::test::drainContextQueue();
    EXPECT_TRUE(filter->renderTarget() != nullptr);
}

}  // namespace
