#include <gtest/gtest.h>

#include "GLImageTestSupport.h"
#include "glimage/GLImageRawDataOutput.h"
#include "glimage/GLImageUIElement.h"
#include "platform/graphics/Color.h"
#include "platform/ui/Layer.h"
#include "platform/ui/View.h"
#include "support/ManualClockScope.h"
#include "support/TemporarySandbox.h"

namespace {

using zt::GLImageByteColorVector;
using zt::test::RecordingTarget;

class GLImageUIElementTest : public ::testing::Test {
protected:
    // A red view of 40 x 20 points with a blue square of 10 points at its top right.
    std::shared_ptr<plat::View> makeView()
    {
        auto view = std::make_shared<plat::View>(plat::makeRect(0, 0, 40, 20));
        view->setBackgroundColor(plat::Color::colorWithRed(1, 0, 0, 1));
        auto square = std::make_shared<plat::View>(plat::makeRect(30, 0, 10, 10));
        square->setBackgroundColor(plat::Color::colorWithRed(0, 0, 1, 1));
        view->addSubview(square);
        return view;
    }

    plat::test::TemporarySandbox sandbox;
    plat::test::ManualClockScope clock;
};

}  // namespace

TEST_F(GLImageUIElementTest, AViewDrawnThroughTheElementShowsUpInTheOutput)
{
    auto view = makeView();
    view->setContentScaleFactor(2);
    auto element = std::make_shared<zt::GLImageUIElement>(view);
    EXPECT_EQ(element->layerSizeInPixels(), (plat::Size {80, 40}));
    auto output = std::make_shared<zt::GLImageRawDataOutput>(
        plat::Size {80, 40}, zt::GLImageRawDataOutput::ResultsInBGRAFormat::No);
    element->addTarget(output);
    element->update();
    EXPECT_EQ(output->colorAtLocation({10, 30}), (GLImageByteColorVector {255, 0, 0, 255}));
    EXPECT_EQ(output->colorAtLocation({70, 10}), (GLImageByteColorVector {0, 0, 255, 255}));
    EXPECT_EQ(output->colorAtLocation({70, 30}), (GLImageByteColorVector {255, 0, 0, 255}));

    // A change to the view shows at the next update.
    view->setBackgroundColor(plat::Color::colorWithRed(0, 1, 0, 1));
    element->update();
    EXPECT_EQ(output->colorAtLocation({10, 30}), (GLImageByteColorVector {0, 255, 0, 255}));
    element->removeAllTargets();
}

TEST_F(GLImageUIElementTest, FrameTimesFollowTheClockBetweenUpdates)
{
    auto layer = makeView()->layer();
    layer->setContentsScale(2);
    auto element = std::make_shared<zt::GLImageUIElement>(layer);
    auto target = std::make_shared<RecordingTarget>();
    element->addTarget(target);
    EXPECT_EQ(element->frameTimeForTesting(), plat::MediaTime::make(0, 600));
    clock.advance(1.0);
    element->update();
    clock.advance(0.5);
    element->update();
    ASSERT_EQ(target->frames.size(), 2u);
    EXPECT_EQ(target->frames[0].time, plat::MediaTime::make(600, 600));
    EXPECT_EQ(target->frames[1].time, plat::MediaTime::make(900, 600));
    EXPECT_EQ(target->size, (plat::Size {80, 40}));
    EXPECT_NE(target->texture, 0u);
    element->removeAllTargets();
}

TEST_F(GLImageUIElementTest, ALayerWithoutPixelsSendsNothing)
{
    auto layer = std::make_shared<plat::Layer>();
    auto element = std::make_shared<zt::GLImageUIElement>(layer);
    auto target = std::make_shared<RecordingTarget>();
    element->addTarget(target);
    element->update();
    EXPECT_TRUE(target->frames.empty());
    element->removeAllTargets();
}
