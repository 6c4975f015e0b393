// The stand-in editor's strip, timeline and playback, until the frame editor lands.
#include "app/screens/FrameEditorStandIn.h"

#include "app/screens/AppScreensTestSupport.h"
#include "editor/PlayerViewController.h"
#include "editor/TimelineViewController.h"
#include "platform/ui/Button.h"
#include "platform/ui/ScrollView.h"

namespace {

class StandInEditor : public zt::test::AppScreens {
protected:
    void SetUp() override
    {
        launch();
        settle();
        driver.tapAt({284, 119});  // the new-project slot
        driver.wait(1);
        editor = std::dynamic_pointer_cast<zt::FrameEditorStandIn>(root()->viewFrameEditor());
        ASSERT_NE(editor, nullptr);
        for (int i = 0; i < 6; ++i)
            ASSERT_TRUE(driver.tap("Add Frame"));
        driver.wait(1);
    }
    zt::PlayerViewController& strip() const { return *editor->strip(); }
    zt::TimelineViewController& timeline() const { return *editor->timeline(); }

    std::shared_ptr<zt::FrameEditorStandIn> editor;
};

TEST_F(StandInEditor, TheTimelineFollowsTheStripAndTheStripTheTimeline)
{
    EXPECT_EQ(strip().getCurrentFrame(), 5) << "the frame added last";
    EXPECT_TRUE(timeline().view()->isHidden());
    strip().scrollToFrame(2);
    EXPECT_EQ(timeline().getCurrentFrame(), 2);

    auto stripView = strip().view();
    driver.doubleTapAt(stripView->convertPoint({300, 30}, nullptr));
    driver.wait(0.5);
    ASSERT_TRUE(editor->isTimelineShown());
    EXPECT_TRUE(stripView->isHidden());
    EXPECT_FALSE(timeline().view()->isHidden());
    EXPECT_EQ(timeline().getCurrentFrame(), 2);

    // Seven entries on 12 tiles of 44 points: 44 points of scrolling a frame.
    auto& scroller = *timeline().outlets().viewClipScroller;
    const plat::Point middle = scroller.convertPoint({scroller.bounds().midX(), 20}, nullptr);
    driver.drag(middle, {middle.x - 88, middle.y}, 1.0);
    driver.wait(2);
    const int64_t reached = timeline().getCurrentFrame();
    EXPECT_GT(reached, 2);
    EXPECT_EQ(strip().getCurrentFrame(), reached);

    driver.doubleTapAt(timeline().view()->convertPoint({100, 20}, nullptr));
    driver.wait(0.5);
    EXPECT_FALSE(editor->isTimelineShown());
    EXPECT_EQ(strip().getCurrentFrame(), reached);
}

TEST_F(StandInEditor, PlayRunsTheStripAlongAndStopEndsIt)
{
    strip().scrollToFrame(0);
    ASSERT_TRUE(driver.tap("Play"));
    EXPECT_TRUE(editor->player()->isPlaying());
    EXPECT_NE(driver.findView("Stop"), nullptr);
    driver.wait(0.45);
    EXPECT_EQ(strip().getCurrentFrame(), 2) << "five frames a second";
    ASSERT_TRUE(driver.tap("Stop"));
    EXPECT_FALSE(editor->player()->isPlaying());
    EXPECT_NE(driver.findView("Play"), nullptr);
}

}  // namespace
