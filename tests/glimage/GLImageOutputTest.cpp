#include <gtest/gtest.h>

#include "GLImageTestSupport.h"
#include "glimage/GLImageContext.h"
#include "glimage/GLImageFilter.h"
#include "glimage/GLImagePicture.h"

namespace {

using zt::test::RecordingTarget;

// A source that counts its clean-ups.
class CountingSource : public zt::GLImageOutput {
public:
    void cleanupOutputImage() override { ++cleanups; }
    void setRetainCount(uint64_t count) { outputTextureRetainCount = count; }
    int cleanups = 0;
};

TEST(GLImageOutput, AddingATargetTwiceKeepsOneEntryWithTheFirstIndex)
{
    auto source = std::make_shared<CountingSource>();
    auto target = std::make_shared<RecordingTarget>();
    source->addTarget(target, 1);
    source->addTarget(target, 0);
    ASSERT_EQ(source->targets().size(), 1u);
    source->removeTarget(target);
    EXPECT_EQ(target->endProcessingCount, 1);
}

TEST(GLImageOutput, RemovingATargetResetsItsInputAndEndsIt)
{
    auto source = std::make_shared<CountingSource>();
    auto target = std::make_shared<RecordingTarget>();
    auto stranger = std::make_shared<RecordingTarget>();
    source->addTarget(target);
    EXPECT_FALSE(target->delegate.expired());
    zt::runSynchronouslyOnContextQueue([&] {
        target->size = {10, 10};
        target->rotation = zt::GLImageRotationMode::Rotate180;
        target->texture = 5;
    });
    source->removeTarget(stranger);
    EXPECT_EQ(stranger->endProcessingCount, 0);
    source->removeTarget(target);
    EXPECT_TRUE(source->targets().empty());
    EXPECT_EQ(target->texture, 0u);
    EXPECT_EQ(target->size, (plat::Size {}));
    EXPECT_TRUE(target->delegate.expired());
    EXPECT_EQ(target->rotation, zt::GLImageRotationMode::NoRotation);
    EXPECT_EQ(target->endProcessingCount, 1);
}

TEST(GLImageOutput, RemovingAllTargetsForgetsThatOneWantedColour)
{
    auto source = std::make_shared<CountingSource>();
    auto grey = std::make_shared<RecordingTarget>();
    grey->wantsMonochrome = true;
    auto colour = std::make_shared<RecordingTarget>();
    source->addTarget(grey);
    EXPECT_TRUE(source->allTargetsWantMonochromeDataForTesting());
    source->addTarget(colour);
    EXPECT_FALSE(source->allTargetsWantMonochromeDataForTesting());
    source->removeAllTargets();
    EXPECT_TRUE(source->allTargetsWantMonochromeDataForTesting());
    EXPECT_EQ(colour->endProcessingCount, 0);
    EXPECT_TRUE(colour->delegate.expired());
}

TEST(GLImageOutput, TheLastReleaseOfAFrameCleansTheOutputUp)
{
    auto source = std::make_shared<CountingSource>();
    source->setRetainCount(3);
    source->textureNoLongerNeededForTarget(nullptr);
    source->textureNoLongerNeededForTarget(nullptr);
    EXPECT_EQ(source->cleanups, 0);
    source->textureNoLongerNeededForTarget(nullptr);
    EXPECT_EQ(source->cleanups, 1);
    // Beyond the count nothing wraps round or cleans up again.
    source->textureNoLongerNeededForTarget(nullptr);
    EXPECT_EQ(source->outputTextureRetainCountForTesting(), 0u);
    EXPECT_EQ(source->cleanups, 1);
}

TEST(GLImageOutput, MapsDeviceOrientationsToImageOrientations)
{
    using zt::DeviceOrientation;
    EXPECT_EQ(zt::imageOrientationForDeviceOrientation(DeviceOrientation::Portrait), plat::ImageOrientation::Up);
    EXPECT_EQ(
        zt::imageOrientationForDeviceOrientation(DeviceOrientation::PortraitUpsideDown), plat::ImageOrientation::Down);
    EXPECT_EQ(zt::imageOrientationForDeviceOrientation(DeviceOrientation::LandscapeLeft), plat::ImageOrientation::Left);
    EXPECT_EQ(
        zt::imageOrientationForDeviceOrientation(DeviceOrientation::LandscapeRight), plat::ImageOrientation::Right);
    EXPECT_EQ(zt::imageOrientationForDeviceOrientation(DeviceOrientation::FaceUp), plat::ImageOrientation::Up);
    EXPECT_EQ(zt::imageOrientationForDeviceOrientation(DeviceOrientation::Unknown), plat::ImageOrientation::Up);
}

TEST(GLImageOutput, APlainSourceHasNoImageToReadBack)
{
    auto source = std::make_shared<CountingSource>();
    EXPECT_FALSE(source->imageFromCurrentlyProcessedOutput(zt::DeviceOrientation::FaceUp));
}

TEST(GLImageOutput, ACapturedImageCarriesTheDeviceOrientation)
{
    auto filter = std::make_shared<zt::GLImageFilter>();
    auto picture = std::make_shared<zt::GLImagePicture>(*zt::test::makeColourRamp(4, 4));
    picture->addTarget(filter);
    picture->processImage();
    auto image = filter->imageFromCurrentlyProcessedOutput(zt::DeviceOrientation::LandscapeRight);
    ASSERT_TRUE(image);
    EXPECT_EQ(image->imageOrientation(), plat::ImageOrientation::Right);
    EXPECT_EQ(image->scale(), 1.0);
}

}  // namespace
