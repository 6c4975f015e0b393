#include <gtest/gtest.h>

#include "GLImageTestSupport.h"
#include "glimage/GLImageBrightnessFilter.h"
#include "glimage/GLImageColorInvertFilter.h"
#include "glimage/GLImageContext.h"
#include "glimage/GLImageContrastFilter.h"
#include "glimage/GLImageFilterGroup.h"
#include "glimage/GLImagePicture.h"

namespace {

using zt::test::Colour;
using zt::test::RecordingTarget;

// brightness -> invert, packaged as one filter.
std::shared_ptr<zt::GLImageFilterGroup> makeChain(std::shared_ptr<zt::GLImageBrightnessFilter> brightness)
{
    auto group = std::make_shared<zt::GLImageFilterGroup>();
    auto invert = std::make_shared<zt::GLImageColorInvertFilter>();
    brightness->addTarget(invert);
    group->addFilter(brightness);
    group->addFilter(invert);
    group->setInitialFilters({brightness});
    group->setTerminalFilter(invert);
    return group;
}

TEST(GLImageFilterGroup, RendersItsChainAsOneFilter)
{
    auto brightness = std::make_shared<zt::GLImageBrightnessFilter>();
    brightness->setBrightness(0.1);
    auto group = makeChain(brightness);
    auto input = zt::test::makeColourRamp();
    auto result = group->imageByFilteringImage(*input);
    ASSERT_TRUE(result);
    zt::test::expectPixelsMatch(*input, *result, [](const Colour& c, int, int) {
        return Colour {1 - std::min(c[0] + 0.1, 1.0), 1 - std::min(c[1] + 0.1, 1.0), 1 - std::min(c[2] + 0.1, 1.0), 1};
    });
}

TEST(GLImageFilterGroup, AttachesTargetsToItsTerminalFilter)
{
    auto group = makeChain(std::make_shared<zt::GLImageBrightnessFilter>());
    auto target = std::make_shared<RecordingTarget>();
    group->addTarget(target);
    EXPECT_TRUE(group->targets().empty());
    EXPECT_EQ(group->terminalFilter()->targets().size(), 1u);
    group->removeTarget(target);
    EXPECT_TRUE(group->terminalFilter()->targets().empty());
}

TEST(GLImageFilterGroup, WithoutATerminalFilterTargetOperationsDoNothing)
{
    auto group = std::make_shared<zt::GLImageFilterGroup>();
    auto target = std::make_shared<RecordingTarget>();
    group->addTarget(target);
    group->setTargetToIgnoreForUpdates(target);
    group->removeTarget(target);
    group->setFrameProcessingCompletionBlock([](zt::GLImageOutput&, const plat::MediaTime&) {});
    group->prepareForImageCapture();
    EXPECT_FALSE(group->frameProcessingCompletionBlock());
    EXPECT_FALSE(group->newCGImageFromCurrentlyProcessedOutputWithOrientation(plat::ImageOrientation::Up));
    EXPECT_TRUE(group->targets().empty());
}

TEST(GLImageFilterGroup, TellsItsSourceItIsDoneOnlyAfterEveryInitialFilter)
{
    auto group = std::make_shared<zt::GLImageFilterGroup>();
    auto a = std::make_shared<zt::GLImageBrightnessFilter>();
    auto b = std::make_shared<zt::GLImageContrastFilter>();
    group->addFilter(a);
    group->addFilter(b);
    group->setInitialFilters({a, b});
    group->setTerminalFilter(b);
    // The source: a filter whose clean-up removes its framebuffer.
    auto source = std::make_shared<zt::GLImageBrightnessFilter>();
    source->addTarget(group);
    zt::runSynchronouslyOnContextQueue([&] {
        source->setInputSize({4, 4}, 0);
        source->newFrameReadyAtTime(plat::MediaTime::make(1, 30), 0);
        ASSERT_NE(source->framebufferForTesting(), 0u);
        group->newFrameReadyAtTime(plat::MediaTime::make(1, 30), 0);  // retain count 2
        group->textureNoLongerNeededForTarget(a.get());
        EXPECT_NE(source->framebufferForTesting(), 0u);
        group->textureNoLongerNeededForTarget(b.get());
        EXPECT_EQ(source->framebufferForTesting(), 0u);
    });
}

TEST(GLImageFilterGroup, AnIgnoredInitialFilterGetsTheInputButNoFrames)
{
    auto group = std::make_shared<zt::GLImageFilterGroup>();
    auto fed = std::make_shared<RecordingTarget>();
    auto ignored = std::make_shared<RecordingTarget>();
    group->setInitialFilters({fed, ignored});
    group->setInputFilterToIgnoreForUpdates(ignored);
    zt::runSynchronouslyOnContextQueue([&] {
        group->setInputSize({8, 6}, 0);
        group->setInputTexture(42, 0);
        group->newFrameReadyAtTime(plat::MediaTime::make(1, 30), 0);
        group->endProcessing();
        group->endProcessing();
    });
    EXPECT_EQ(ignored->size, (plat::Size {8, 6}));
    EXPECT_EQ(ignored->texture, 42u);
    EXPECT_TRUE(ignored->frames.empty());
    EXPECT_EQ(fed->frames.size(), 1u);
    EXPECT_EQ(fed->endProcessingCount, 1);
    EXPECT_EQ(ignored->endProcessingCount, 1);
}

TEST(GLImageFilterGroup, WantsGreyOnlyWhenEveryInitialFilterDoes)
{
    auto group = std::make_shared<zt::GLImageFilterGroup>();
    EXPECT_TRUE(group->wantsMonochromeInput());
    auto grey = std::make_shared<RecordingTarget>();
    grey->wantsMonochrome = true;
    auto colour = std::make_shared<RecordingTarget>();
    group->setInitialFilters({grey, colour});
    EXPECT_FALSE(group->wantsMonochromeInput());
}

}  // namespace
