#include <gtest/gtest.h>

#include "GLCallRecorder.h"
#include "GLImageTestSupport.h"
#include "glimage/GLImageContext.h"
#include "glimage/GLImageMovie.h"
#include "glimage/GLImagePicture.h"
#include "glimage/GLImageRawDataInput.h"
#include "glimage/GLImageRawDataOutput.h"
#include "glimage/GLImageSepiaFilter.h"
#include "glimage/GLImageTextureOutput.h"
#include "glimage/GLImageUIElement.h"
#include "glimage/GLImageView.h"
#include "platform/gl/GLContext.h"
#include "platform/graphics/Color.h"
#include "platform/media/Asset.h"
#include "platform/ui/View.h"
#include "support/ManualClockScope.h"
#include "support/MediaTools.h"
#include "support/RunLoopWaiting.h"
#include "support/TemporarySandbox.h"

namespace {

// Everything a caller does with the sources and sinks, from the main
// thread: raw bytes in and out, a view drawn in, a texture handed out and
// a display view shown, a movie read.
void useTheSourcesAndSinksFromThisThread(const std::string& moviePath)
{
    std::vector<uint8_t> bytes(16 * 8 * 4, 0x80);
    auto raw = std::make_shared<zt::GLImageRawDataInput>(bytes.data(), plat::Size {16, 8});
    raw->updateDataFromBytes(bytes.data(), {8, 8});
    auto sepia = std::make_shared<zt::GLImageSepiaFilter>();
    auto rawOutput = std::make_shared<zt::GLImageRawDataOutput>(
        plat::Size {8, 8}, zt::GLImageRawDataOutput::ResultsInBGRAFormat::No);
    auto textureOutput = std::make_shared<zt::GLImageTextureOutput>();
    auto display = std::make_shared<zt::GLImageView>(plat::makeRect(0, 0, 20, 10));
    display->setFillMode(zt::fillModeAspectFill);
    raw->addTarget(sepia);
    sepia->addTarget(rawOutput);
    sepia->addTarget(textureOutput);
    sepia->addTarget(display);
    raw->processData();
    zt::test::drainContextQueue();
    ASSERT_NE(rawOutput->rawBytesForImage(), nullptr);
    (void)rawOutput->colorAtLocation({1, 1});
    display->setFrame(plat::makeRect(0, 0, 30, 20));
    rawOutput->setImageSize({4, 4});

    auto view = std::make_shared<plat::View>(plat::makeRect(0, 0, 12, 6));
    view->setBackgroundColor(plat::Color::colorWithRed(0, 0, 1, 1));
    auto element = std::make_shared<zt::GLImageUIElement>(view);
    element->addTarget(rawOutput);
    element->update();
    ASSERT_NE(rawOutput->rawBytesForImage(), nullptr);

    // An asset is read on the caller's thread.
    auto movie = zt::GLImageMovie::initWithAsset(plat::URLAsset::assetWithPath(moviePath));
    movie->addTarget(sepia);
    movie->startProcessing();
    EXPECT_TRUE(movie->videoEncodingIsFinished());
    EXPECT_FALSE(movie->error());
    movie->removeAllTargets();
    raw->removeAllTargets();
    sepia->removeAllTargets();
    element->removeAllTargets();
}

}  // namespace

TEST(GLImageSourcesAndSinksQueue, EveryGLCallOfTheSourcesAndSinksRunsOnTheContextQueue)
{
    plat::test::TemporarySandbox sandbox;
    plat::test::ManualClockScope clock;
    auto made = plat::test::runFFmpeg(sandbox.root(),
        {"-f", "lavfi", "-i", "testsrc=size=32x16:rate=10:duration=0.5", "-c:v", "libx264", "-pix_fmt", "yuv420p",
            sandbox.path("movie.mov")});
    ASSERT_EQ(made.exitCode, 0);
    zt::test::drainContextQueue();
    std::vector<std::string> offQueue;
    uint64_t onQueue = 0;
    {
        zt::test::GLCallRecorder recorder;
        useTheSourcesAndSinksFromThisThread(sandbox.path("movie.mov"));
        zt::test::drainContextQueue();
        offQueue = recorder.callsOffTheContextQueue();
        onQueue = recorder.callsOnTheContextQueue();
    }
    EXPECT_GT(onQueue, 50u);
    EXPECT_TRUE(offQueue.empty()) << offQueue.size() << " calls off the queue, the first " << offQueue.front();
    EXPECT_EQ(plat::GLContext::currentContext(), nullptr);
}
