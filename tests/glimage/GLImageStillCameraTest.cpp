#include <gtest/gtest.h>

#include "GLImageCameraTestSupport.h"
#include "glimage/GLImageSepiaFilter.h"
#include "glimage/GLImageStillCamera.h"
#include "platform/graphics/Image.h"
#include "support/ManualClockScope.h"
#include "support/RunLoopWaiting.h"
#include "support/TemporarySandbox.h"

namespace {

constexpr int kRate = 32;

class GLImageStillCameraTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        zt::test::setUpColourCamera({{255, 0, 0, 255}}, 640, 480, kRate);
        camera = zt::GLImageStillCamera::init();
        ASSERT_TRUE(camera);
        camera->addTarget(sepia);
        camera->startCameraCapture();
    }
    void TearDown() override
    {
        if (camera) {
            camera->stopCameraCapture();
            camera->removeAllTargets();
        }
    }
    // Lets the camera take pictures until done, the capture's work finished
    // (its still output free for the next one). A capture is made from the
    // next picture.
    void waitFor(const std::atomic<bool>& done)
    {
        ASSERT_TRUE(plat::test::advanceClockUntil(
            clock.clock(), 1.0 / kRate, [&] { return done.load(); }, 1));
    }
    static void expectSepiaRed(const plat::Image& image)
    {
        auto pixel = plat::test::pixelAt(image, 320, 240);
        EXPECT_NEAR(pixel[0], 91, 4);
        EXPECT_NEAR(pixel[1], 76, 4);
        EXPECT_NEAR(pixel[2], 61, 4);
    }

    plat::test::TemporarySandbox sandbox;
    plat::test::ManualClockScope clock;
    std::shared_ptr<zt::GLImageSepiaFilter> sepia = std::make_shared<zt::GLImageSepiaFilter>();
    std::shared_ptr<zt::GLImageStillCamera> camera;
};

}  // namespace

TEST_F(GLImageStillCameraTest, APhotoComesBackThroughTheFilterAsAnImage)
{
    EXPECT_DOUBLE_EQ(camera->jpegCompressionQuality(), 0.8);
    EXPECT_FALSE(camera->currentCaptureMetadata());
    std::atomic<bool> done = false;
    std::shared_ptr<plat::Image> photo;
    bool metadataInHandler = false;
    camera->capturePhotoAsImageProcessedUpToFilter(
        sepia, [&](const std::shared_ptr<plat::Image>& image, const std::optional<plat::Error>& error) {
            EXPECT_FALSE(error);
            photo = image;
            metadataInHandler = camera->currentCaptureMetadata().has_value();
            done = true;
        });
    waitFor(done);
    ASSERT_TRUE(photo);
    EXPECT_EQ(photo->bitmap()->width(), 640);
    EXPECT_EQ(photo->bitmap()->height(), 480);
    expectSepiaRed(*photo);
    EXPECT_FALSE(camera->currentCaptureMetadata());
    EXPECT_TRUE(metadataInHandler);
}

TEST_F(GLImageStillCameraTest, PhotosComeAsJPEGAndPNGData)
{
    for (bool jpeg : {true, false}) {
        std::atomic<bool> done = false;
        std::optional<plat::Data> data;
        auto handler = [&](const std::optional<plat::Data>& bytes, const std::optional<plat::Error>& error) {
            EXPECT_FALSE(error);
            data = bytes;
            done = true;
        };
        if (jpeg)
            camera->capturePhotoAsJPEGProcessedUpToFilter(sepia, handler);
        else
            camera->capturePhotoAsPNGProcessedUpToFilter(sepia, handler);
        waitFor(done);
        ASSERT_TRUE(data);
        if (jpeg)
            EXPECT_EQ((*data)[0], 0xFF);
        else
            EXPECT_EQ((*data)[1], 'P');
        auto decoded = plat::Image::imageWithData(*data);
        ASSERT_TRUE(decoded);
        expectSepiaRed(*decoded);
    }
}

TEST_F(GLImageStillCameraTest, ACaptureWhileTheStillOutputIsBusyGetsItsErrorAndTheCameraGoesOn)
{
    std::atomic<bool> done = false;
    std::optional<plat::Error> secondError;
    camera->capturePhotoAsImageProcessedUpToFilter(
        sepia, [&](const std::shared_ptr<plat::Image>&, const std::optional<plat::Error>&) {
            // The still output is still handing this photo over.
            camera->capturePhotoAsImageProcessedUpToFilter(
                sepia, [&](const std::shared_ptr<plat::Image>& image, const std::optional<plat::Error>& error) {
                    EXPECT_FALSE(image);
                    secondError = error;
                    done = true;
                });
        });
    waitFor(done);
    ASSERT_TRUE(secondError);
    EXPECT_EQ(secondError->code(), zt::kMediaErrorMaximumStillImageCaptureRequestsExceeded);
    // The frame semaphore was given back: the next live picture reaches the filter.
    auto counter = std::make_shared<zt::test::CountingTarget>();
    sepia->addTarget(counter);
    ASSERT_TRUE(plat::test::advanceClockUntil(
        clock.clock(), 1.0 / kRate, [&] { return counter->count() >= 1; }, 1));
    sepia->removeAllTargets();
}

TEST(GLImageStillCameraResize, APictureIsScaledToTheFinalSize)
{
    auto made = plat::PixelBuffer::create(40, 20, plat::kPixelFormatType_32BGRA);
    ASSERT_TRUE(made.ok());
    auto& buffer = *made.value();
    buffer.lockBaseAddress();
    for (int y = 0; y < 20; ++y) {
        for (int x = 0; x < 40; ++x) {
            uint8_t* p = buffer.baseAddress() + size_t(y) * buffer.bytesPerRow() + size_t(x) * 4;
            p[0] = x < 20 ? 255 : 0;  // blue left, red right
            p[1] = 0;
            p[2] = x < 20 ? 0 : 255;
            p[3] = 255;
        }
    }
    buffer.unlockBaseAddress();
    auto resized = zt::GLImageStillCamera::createResizedSampleBuffer(made.value(), {20, 10});
    ASSERT_TRUE(resized && resized->imageBuffer());
    EXPECT_EQ(resized->imageBuffer()->width(), 20);
    EXPECT_EQ(resized->imageBuffer()->height(), 10);
    EXPECT_EQ(resized->presentationTimeStamp(), plat::MediaTime::make(1, 30));
    auto left = plat::test::pixelAt(*resized->imageBuffer(), 2, 5);
    auto right = plat::test::pixelAt(*resized->imageBuffer(), 17, 5);
    EXPECT_EQ(left[0], 255);
    EXPECT_EQ(right[2], 255);
}
