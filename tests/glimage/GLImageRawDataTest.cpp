#include <GLES2/gl2.h>
#include <GLES2/gl2ext.h>
#include <gtest/gtest.h>
#include <thread>

#include "GLImageTestSupport.h"
#include "glimage/GLImageContext.h"
#include "glimage/GLImageFilter.h"
#include "glimage/GLImagePicture.h"
#include "glimage/GLImageRawDataInput.h"
#include "glimage/GLImageRawDataOutput.h"
#include "glimage/GLImageTextureInput.h"
#include "glimage/GLImageTextureOutput.h"
#include "platform/foundation/Semaphore.h"
#include "platform/gl/GLContext.h"

namespace {

using zt::GLImageByteColorVector;
using zt::GLImageRawDataInput;
using zt::GLImageRawDataOutput;
using zt::test::RecordingTarget;

// Width x height BGRA pixels, each distinct: blue = x * 40, green = y * 40,
// red = 200, alpha opaque.
std::vector<uint8_t> numberedBGRA(int width, int height)
{
    std::vector<uint8_t> bytes;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x)
            bytes.insert(bytes.end(), {uint8_t(x * 40), uint8_t(y * 40), 200, 255});
    }
    return bytes;
}

// The bytes of the output, packed (rows without the buffer's padding).
std::vector<uint8_t> packedBytes(GLImageRawDataOutput& output, int width, int height)
{
    const uint8_t* bytes = output.rawBytesForImage();
    const size_t bytesPerRow = output.bytesPerRowInOutput();
    EXPECT_GE(bytesPerRow, size_t(width) * 4);
    std::vector<uint8_t> packed;
    for (int y = 0; bytes && y < height; ++y)
        packed.insert(
            packed.end(), bytes + size_t(y) * bytesPerRow, bytes + size_t(y) * bytesPerRow + size_t(width) * 4);
    return packed;
}

}  // namespace

TEST(GLImageRawData, BGRABytesComeBackAsTheyWentIn)
{
    auto bytes = numberedBGRA(5, 3);
    auto input = std::make_shared<GLImageRawDataInput>(bytes.data(), plat::Size {5, 3});
    EXPECT_EQ(input->pixelFormat(), zt::GLImagePixelFormatBGRA);
    EXPECT_EQ(input->pixelType(), zt::GLImagePixelTypeUByte);
    auto output
        = std::make_shared<GLImageRawDataOutput>(plat::Size {5, 3}, GLImageRawDataOutput::ResultsInBGRAFormat::Yes);
    input->addTarget(output);
    input->processData();
    zt::test::drainContextQueue();
    EXPECT_EQ(packedBytes(*output, 5, 3), bytes);
    input->removeAllTargets();
}

TEST(GLImageRawData, RGBAOutputSwapsRedAndBlueAndTheColourIsReadFromTheTop)
{
    auto bytes = numberedBGRA(5, 3);
    auto input = std::make_shared<GLImageRawDataInput>(bytes.data(), plat::Size {5, 3});
    auto output
        = std::make_shared<GLImageRawDataOutput>(plat::Size {5, 3}, GLImageRawDataOutput::ResultsInBGRAFormat::No);
    input->addTarget(output);
    input->processData();
    zt::test::drainContextQueue();
    auto rgba = packedBytes(*output, 5, 3);
    ASSERT_EQ(rgba.size(), bytes.size());
    for (size_t i = 0; i < bytes.size(); i += 4) {
        EXPECT_EQ(rgba[i], bytes[i + 2]);
        EXPECT_EQ(rgba[i + 2], bytes[i]);
    }
    // (0, 0) is the first row's first pixel; points outside are taken at the edge.
    EXPECT_EQ(output->colorAtLocation({0, 0}), (GLImageByteColorVector {200, 0, 0, 255}));
    EXPECT_EQ(output->colorAtLocation({4, 2}), (GLImageByteColorVector {200, 80, 160, 255}));
    EXPECT_EQ(output->colorAtLocation({-10, 1}), (GLImageByteColorVector {200, 40, 0, 255}));
    EXPECT_EQ(output->colorAtLocation({99, 99}), (GLImageByteColorVector {200, 80, 160, 255}));
    input->removeAllTargets();
}

TEST(GLImageRawData, ThreeBytePixelRowsOfAnyLengthUploadWhole)
{
    // Rows of 3 x 3 = 9 bytes: not a multiple of four.
    std::vector<uint8_t> rgb;
    for (int y = 0; y < 2; ++y) {
        for (int x = 0; x < 3; ++x)
            rgb.insert(rgb.end(), {uint8_t(10 + x), uint8_t(20 + y), 30});
    }
    auto input = std::make_shared<GLImageRawDataInput>(rgb.data(), plat::Size {3, 2}, zt::GLImagePixelFormatRGB);
    auto output
        = std::make_shared<GLImageRawDataOutput>(plat::Size {3, 2}, GLImageRawDataOutput::ResultsInBGRAFormat::No);
    input->addTarget(output);
    input->processData();
    zt::test::drainContextQueue();
    EXPECT_EQ(output->colorAtLocation({2, 1}), (GLImageByteColorVector {12, 21, 30, 255}));
    EXPECT_EQ(output->colorAtLocation({0, 1}), (GLImageByteColorVector {10, 21, 30, 255}));
    input->removeAllTargets();
}

TEST(GLImageRawData, NewBytesReachTheTargetsAtTheNextSendAsAStillFrame)
{
    auto first = numberedBGRA(2, 2);
    auto input = std::make_shared<GLImageRawDataInput>(first.data(), plat::Size {2, 2});
    auto target = std::make_shared<RecordingTarget>();
    input->addTarget(target);
    input->processData();
    zt::test::drainContextQueue();
    ASSERT_EQ(target->frames.size(), 1u);
    EXPECT_FALSE(target->frames[0].time.isValid());
    EXPECT_EQ(target->size, (plat::Size {2, 2}));

    auto second = numberedBGRA(4, 1);
    input->updateDataFromBytes(second.data(), {4, 1});
    EXPECT_EQ(input->outputImageSize(), (plat::Size {4, 1}));
    input->processData();
    zt::test::drainContextQueue();
    EXPECT_EQ(target->size, (plat::Size {4, 1}));
    input->removeAllTargets();
}

TEST(GLImageRawData, ASendWhileThePreviousIsOnItsWayIsDropped)
{
    auto bytes = numberedBGRA(2, 2);
    auto input = std::make_shared<GLImageRawDataInput>(bytes.data(), plat::Size {2, 2});
    auto target = std::make_shared<RecordingTarget>();
    input->addTarget(target);
    plat::Semaphore release(0);
    zt::runAsynchronouslyOnContextQueue([release]() mutable { release.wait(); });
    input->processData();
    input->processData();
    release.signal();
    zt::test::drainContextQueue();
    EXPECT_EQ(target->frames.size(), 1u);
    input->removeAllTargets();
}

TEST(GLImageRawData, UploadsRunOnTheContextQueueNotTheCallersThread)
{
    auto bytes = numberedBGRA(3, 3);
    std::shared_ptr<plat::GLContext> currentAfterUpload;
    std::thread caller([&] {
        auto input = std::make_shared<GLImageRawDataInput>(bytes.data(), plat::Size {3, 3});
        input->uploadBytes(bytes.data());
        currentAfterUpload = plat::GLContext::currentContext();
    });
    caller.join();
    EXPECT_EQ(currentAfterUpload, nullptr);
}

TEST(GLImageRawData, ASecondReadWithinAFrameReturnsTheSameBytesWithoutDrawing)
{
    auto bytes = numberedBGRA(4, 4);
    auto input = std::make_shared<GLImageRawDataInput>(bytes.data(), plat::Size {4, 4});
    auto output
        = std::make_shared<GLImageRawDataOutput>(plat::Size {4, 4}, GLImageRawDataOutput::ResultsInBGRAFormat::Yes);
    int framesAnnounced = 0;
    const uint8_t* readInBlock = nullptr;
    output->setNewFrameAvailableBlock([&] {
        ++framesAnnounced;
        readInBlock = output->rawBytesForImage();
    });
    input->addTarget(output);
    input->processData();
    zt::test::drainContextQueue();
    EXPECT_EQ(framesAnnounced, 1);
    ASSERT_NE(readInBlock, nullptr);
    const uint64_t rendered = output->renderCountForTesting();
    EXPECT_EQ(output->rawBytesForImage(), readInBlock);
    EXPECT_EQ(output->renderCountForTesting(), rendered);

    input->processData();
    zt::test::drainContextQueue();
    EXPECT_EQ(output->renderCountForTesting(), rendered + 1);
    input->removeAllTargets();
}

TEST(GLImageRawData, ANewImageSizeDrawsAtThatSize)
{
    auto bytes = numberedBGRA(4, 4);
    auto input = std::make_shared<GLImageRawDataInput>(bytes.data(), plat::Size {4, 4});
    auto output
        = std::make_shared<GLImageRawDataOutput>(plat::Size {4, 4}, GLImageRawDataOutput::ResultsInBGRAFormat::Yes);
    input->addTarget(output);
    EXPECT_EQ(output->maximumOutputSize(), (plat::Size {4, 4}));
    output->setImageSize({2, 1});
    input->processData();
    zt::test::drainContextQueue();
    // The whole 4 x 4 frame squeezed into 2 x 1: each pixel samples the middle of its quarter.
    ASSERT_NE(output->rawBytesForImage(), nullptr);
    EXPECT_GE(output->bytesPerRowInOutput(), 8u);
    EXPECT_EQ(output->maximumOutputSize(), (plat::Size {2, 1}));
    input->removeAllTargets();
}

namespace {

// A 2 x 2 texture of four colours, made in the pipeline's context.
uint32_t makeTexture()
{
    uint32_t name = 0;
    zt::runSynchronouslyOnContextQueue([&] {
        zt::GLImageContext::useImageProcessingContext();
        const uint8_t rgba[16] = {255, 0, 0, 255, 0, 255, 0, 255, 0, 0, 255, 255, 255, 255, 255, 255};
        glGenTextures(1, &name);
        glBindTexture(GL_TEXTURE_2D, name);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, 2, 2, 0, GL_RGBA, GL_UNSIGNED_BYTE, rgba);
        glBindTexture(GL_TEXTURE_2D, 0);
    });
    return name;
}

bool isTexture(uint32_t name)
{
    bool exists = false;
    zt::runSynchronouslyOnContextQueue([&] {
        zt::GLImageContext::useImageProcessingContext();
        exists = glIsTexture(name) == GL_TRUE;
    });
    return exists;
}

class RecordingTextureDelegate : public zt::GLImageTextureOutputDelegate {
public:
    void newFrameReadyFromTextureOutput(zt::GLImageTextureOutput& output) override
    {
        textures.push_back(output.texture());
    }
    std::vector<uint32_t> textures;
};

}  // namespace

TEST(GLImageTextureInput, SendsTheCallersTextureWithTheTimeAndDeletesItWhenGone)
{
    const uint32_t texture = makeTexture();
    ASSERT_NE(texture, 0u);
    {
        auto input = std::make_shared<zt::GLImageTextureInput>(texture, plat::Size {2, 2});
        auto target = std::make_shared<RecordingTarget>();
        auto output
            = std::make_shared<GLImageRawDataOutput>(plat::Size {2, 2}, GLImageRawDataOutput::ResultsInBGRAFormat::No);
        input->addTarget(target);
        input->addTarget(output);
        EXPECT_EQ(target->texture, texture);
        input->processTextureWithFrameTime(plat::MediaTime::make(7, 30));
        zt::test::drainContextQueue();
        ASSERT_EQ(target->frames.size(), 1u);
        EXPECT_EQ(target->frames[0].time, plat::MediaTime::make(7, 30));
        EXPECT_EQ(target->size, (plat::Size {2, 2}));
        EXPECT_EQ(output->colorAtLocation({0, 0}), (GLImageByteColorVector {255, 0, 0, 255}));
        EXPECT_EQ(output->colorAtLocation({1, 1}), (GLImageByteColorVector {255, 255, 255, 255}));
        EXPECT_TRUE(isTexture(texture));
        input->removeAllTargets();
    }
    EXPECT_FALSE(isTexture(texture));
}

TEST(GLImageTextureOutput, HandsTheSourcesTextureToItsDelegateAndWithoutOneIgnoresFrames)
{
    auto picture = std::make_shared<zt::GLImagePicture>(*zt::test::makeColourRamp(4, 4));
    auto filter = std::make_shared<zt::GLImageFilter>();
    auto output = std::make_shared<zt::GLImageTextureOutput>();
    picture->addTarget(filter);
    filter->addTarget(output);
    picture->processImage();
    zt::test::drainContextQueue();  // no delegate: nothing to hear it

    auto delegate = std::make_shared<RecordingTextureDelegate>();
    output->setDelegate(delegate);
    picture->processImage();
    zt::test::drainContextQueue();
    ASSERT_EQ(delegate->textures.size(), 1u);
    EXPECT_NE(delegate->textures[0], 0u);
    EXPECT_EQ(delegate->textures[0], filter->textureForOutput());

    delegate.reset();
    picture->processImage();
    zt::test::drainContextQueue();
    picture->removeAllTargets();
    filter->removeAllTargets();
}
