#include <gtest/gtest.h>

#include "GLImageTestSupport.h"
#include "glimage/GLImageContext.h"
#include "glimage/GLImageDissolveBlendFilter.h"
#include "glimage/GLImagePicture.h"

namespace {

using zt::test::RecordingTarget;

class TwoInputFrames : public ::testing::Test {
protected:
    void SetUp() override
    {
        filter->addTarget(target);
        zt::runSynchronouslyOnContextQueue([&] {
            filter->setInputSize({4, 4}, 0);
            filter->setInputSize({4, 4}, 1);
        });
    }
    void send(plat::MediaTime time, int64_t index)
    {
        zt::runSynchronouslyOnContextQueue([&] { filter->newFrameReadyAtTime(time, index); });
    }

    std::shared_ptr<zt::GLImageDissolveBlendFilter> filter = std::make_shared<zt::GLImageDissolveBlendFilter>();
    std::shared_ptr<RecordingTarget> target = std::make_shared<RecordingTarget>();
};

TEST_F(TwoInputFrames, EveryMovingFrameRendersOppositeAStill)
{
    send(plat::MediaTime::indefinite(), 1);
    EXPECT_TRUE(target->frames.empty());
    send(plat::MediaTime::make(1, 30), 0);
    send(plat::MediaTime::make(2, 30), 0);
    send(plat::MediaTime::make(3, 30), 0);
    ASSERT_EQ(target->frames.size(), 3u);
    EXPECT_EQ(target->frames[2].time, plat::MediaTime::make(3, 30));
}

TEST_F(TwoInputFrames, TwoMovingInputsRenderOncePerPair)
{
    send(plat::MediaTime::make(1, 30), 0);
    send(plat::MediaTime::make(2, 30), 0);  // overwrites input 0's time
    EXPECT_TRUE(target->frames.empty());
    send(plat::MediaTime::make(7, 30), 1);
    ASSERT_EQ(target->frames.size(), 1u);
    EXPECT_EQ(target->frames[0].time, plat::MediaTime::make(2, 30));
    send(plat::MediaTime::make(8, 30), 1);
    EXPECT_EQ(target->frames.size(), 1u);
}

TEST_F(TwoInputFrames, AStillOnInputZeroPassesOnTheOtherInputsTime)
{
    send(plat::MediaTime::indefinite(), 0);
    send(plat::MediaTime::make(5, 30), 1);
    ASSERT_EQ(target->frames.size(), 1u);
    EXPECT_EQ(target->frames[0].time, plat::MediaTime::make(5, 30));
}

TEST_F(TwoInputFrames, WithTheSecondCheckDisabledInputZeroRendersAlone)
{
    filter->disableSecondFrameCheck();
    send(plat::MediaTime::make(1, 30), 0);
    send(plat::MediaTime::make(2, 30), 0);
    EXPECT_EQ(target->frames.size(), 2u);
}

// A target that feeds each frame straight back into the filter.
class LoopBack : public RecordingTarget {
public:
    std::shared_ptr<zt::GLImageDissolveBlendFilter> into;
    void newFrameReadyAtTime(const plat::MediaTime& time, int64_t index) override
    {
        RecordingTarget::newFrameReadyAtTime(time, index);
        if (frames.size() == 1)
            into->newFrameReadyAtTime(time, 0);
    }
};

TEST(GLImageTwoInputFilter, IgnoresAFrameThatLoopsBackDuringItsRender)
{
    auto filter = std::make_shared<zt::GLImageDissolveBlendFilter>();
    auto loop = std::make_shared<LoopBack>();
    loop->into = filter;
    filter->addTarget(loop);
    zt::runSynchronouslyOnContextQueue([&] {
        filter->setInputSize({2, 2}, 0);
        filter->newFrameReadyAtTime(plat::MediaTime::make(1, 30), 1);
        filter->newFrameReadyAtTime(plat::MediaTime::make(1, 30), 0);
        // The looped frame arrived while both inputs were in hand: no second render.
    });
    EXPECT_EQ(loop->frames.size(), 1u);
    zt::runSynchronouslyOnContextQueue([&] { loop->into.reset(); });
}

TEST(GLImageTwoInputFilter, TheFirstSourceAddedBecomesInputZeroAndItsSlotIsFreedOnRemoval)
{
    auto filter = std::make_shared<zt::GLImageDissolveBlendFilter>();
    auto first = std::make_shared<zt::GLImagePicture>(*zt::test::makeColourRamp(2, 2));
    auto second = std::make_shared<zt::GLImagePicture>(*zt::test::makeColourRamp(2, 2));
    auto third = std::make_shared<zt::GLImagePicture>(*zt::test::makeColourRamp(2, 2));
    EXPECT_EQ(filter->nextAvailableTextureIndex(), 0);
    first->addTarget(filter);
    EXPECT_EQ(filter->nextAvailableTextureIndex(), 1);
    second->addTarget(filter);
    first->removeTarget(filter);
    EXPECT_EQ(filter->nextAvailableTextureIndex(), 0);
    third->addTarget(filter);
    EXPECT_EQ(filter->nextAvailableTextureIndex(), 1);
}

TEST(GLImageTwoInputFilter, AMovingFrameWhileTheStillInputIsBeingSwappedIsDropped)
{
    // The background picture on input 0 is taken off to be replaced while the
    // moving input keeps sending; a target added meanwhile has no framebuffer yet.
    auto filter = std::make_shared<zt::GLImageDissolveBlendFilter>();
    auto background = std::make_shared<zt::GLImagePicture>(*zt::test::makeColourRamp(4, 4));
    background->addTarget(filter);
    background->processImage();
    zt::test::drainContextQueue();
    background->removeTarget(filter);
    auto next = std::make_shared<zt::GLImageFilter>();
    auto seen = std::make_shared<RecordingTarget>();
    filter->addTarget(next);
    next->addTarget(seen);
    zt::runSynchronouslyOnContextQueue([&] {
        filter->setInputSize({4, 4}, 1);
        filter->newFrameReadyAtTime(plat::MediaTime::make(1, 30), 1);
    });
    EXPECT_TRUE(seen->frames.empty());
    EXPECT_EQ(next->framebufferForTesting(), 0u);
}

TEST(GLImageTwoInputFilter, ReleasesBothInputsWhenConservingMemory)
{
    auto filter = std::make_shared<zt::GLImageDissolveBlendFilter>();
    auto first = std::make_shared<zt::GLImageDissolveBlendFilter>();
    auto firstSource = std::make_shared<zt::GLImagePicture>(*zt::test::makeColourRamp(4, 4));
    firstSource->addTarget(first);
    // A filter upstream on input 0 and a picture on input 1: the filter's output is cleaned up.
    auto still = std::make_shared<zt::GLImagePicture>(*zt::test::makeColourRamp(4, 4));
    first->disableSecondFrameCheck();
    first->addTarget(filter);
    still->addTarget(filter);
    still->processImage();
    zt::test::drainContextQueue();
    zt::runSynchronouslyOnContextQueue([&] { filter->conserveMemoryForNextFrame(); });
    firstSource->processImage();
    zt::test::drainContextQueue();
    EXPECT_EQ(first->framebufferForTesting(), 0u);
}

}  // namespace
