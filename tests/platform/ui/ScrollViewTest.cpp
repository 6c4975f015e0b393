#include "platform/ui/ScrollView.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

#include "platform/ui/Button.h"
#include "platform/ui/TouchSynthesizer.h"
#include "platform/ui/Window.h"
#include "platform/ui/testing/UIDriver.h"
#include "platform/ui/testing/UIScope.h"
#include "support/ManualClockScope.h"

namespace {

// Records the callbacks, scrolls as one entry per run of them.
class Recorder : public plat::ScrollViewDelegate {
public:
    void note(const std::string& event)
    {
        if (event == "scroll" && !events.empty() && events.back() == "scroll")
            return;
        events.push_back(event);
    }
    void scrollViewDidScroll(plat::ScrollView&) override { note("scroll"); }
    void scrollViewWillBeginDragging(plat::ScrollView&) override { note("begin drag"); }
    void scrollViewWillEndDragging(plat::ScrollView&, plat::Point velocity, plat::Point& target) override
    {
        lastVelocity = velocity;
        if (overrideTarget)
            target = *overrideTarget;
        note("will end drag");
    }
    void scrollViewDidEndDragging(plat::ScrollView&, bool decelerate) override
    {
        note(decelerate ? "end drag, decelerate" : "end drag");
    }
    void scrollViewWillBeginDecelerating(plat::ScrollView&) override { note("begin decelerating"); }
    void scrollViewDidEndDecelerating(plat::ScrollView&) override { note("end decelerating"); }
    void scrollViewDidEndScrollingAnimation(plat::ScrollView&) override { note("end animation"); }

    std::vector<std::string> events;
    plat::Point lastVelocity;
    std::optional<plat::Point> overrideTarget;
};

class Scrolling : public ::testing::Test {
protected:
    Scrolling()
    {
        window->addSubview(scroll);
        scroll->setContentSize({320, 2000});
        scroll->setDelegate(recorder);
        window->makeKeyAndVisible();
        plat::test::passTime(0);
    }

    plat::test::ManualClockScope clock;
    plat::test::UIScope ui;
    std::shared_ptr<plat::Window> window = std::make_shared<plat::Window>();
    std::shared_ptr<plat::ScrollView> scroll = std::make_shared<plat::ScrollView>(plat::makeRect(0, 0, 320, 200));
    std::shared_ptr<Recorder> recorder = std::make_shared<Recorder>();
    plat::test::UIDriver driver;
};

}  // namespace

TEST_F(Scrolling, ADragMovesTheContentThenItDecelerates)
{
    // 100 points up in 0.3 s: the content follows from the moment the pan
    // began (after 11.1 points), then glides on at 1/3 point per millisecond.
    driver.drag({100, 150}, {100, 50}, 0.3);
    EXPECT_NEAR(scroll->contentOffset().y, 88.9, 0.1);
    EXPECT_NEAR(recorder->lastVelocity.y, 0.333, 0.01);
    EXPECT_EQ(recorder->lastVelocity.x, 0);
    EXPECT_TRUE(scroll->isDecelerating());
    driver.wait(5);
    EXPECT_FALSE(scroll->isDecelerating());
    EXPECT_NEAR(scroll->contentOffset().y, 88.9 + 0.3333 * 499, 1);
    EXPECT_EQ(recorder->events,
        (std::vector<std::string> {"begin drag", "scroll", "will end drag", "end drag, decelerate",
            "begin decelerating", "scroll", "end decelerating"}));
}

TEST_F(Scrolling, PulledPastTheTopItFollowsAtHalfAndComesBack)
{
    plat::TouchSynthesizer touches(window);
    auto finger = touches.touchDown({100, 50});
    for (int i = 1; i <= 10; ++i) {
        driver.wait(1.0 / 60);
        touches.moveTouch(finger, {100, 50.0 + 10 * i});
    }
    EXPECT_NEAR(scroll->contentOffset().y, -45, 0.01) << "90 points of finger after the pan began, halved";
    driver.wait(0.5);  // the finger rests: no speed left
    touches.liftTouch(finger);
    EXPECT_EQ(recorder->events.back(), "begin decelerating");
    driver.wait(1);
    EXPECT_EQ(scroll->contentOffset().y, 0);
    EXPECT_EQ(recorder->events.back(), "end decelerating");
}

TEST_F(Scrolling, WithoutBouncingTheContentStopsAtItsEnds)
{
    scroll->setBounces(false);
    driver.drag({100, 50}, {100, 150}, 0.3);
    EXPECT_EQ(scroll->contentOffset().y, 0);
    scroll->setContentOffset({0, 1800});
    driver.drag({100, 150}, {100, 20}, 0.1);
    driver.wait(5);
    EXPECT_EQ(scroll->contentOffset().y, 1800);
}

TEST_F(Scrolling, PagingSettlesOnTheNextPage)
{
    scroll->setContentSize({960, 200});
    scroll->setPagingEnabled(true);
    driver.drag({250, 100}, {150, 100}, 0.2);
    driver.wait(1);
    EXPECT_EQ(scroll->contentOffset(), (plat::Point {320, 0}));
    driver.drag({150, 100}, {120, 100}, 1.0);  // slow and short: back to where it was
    driver.wait(1);
    EXPECT_EQ(scroll->contentOffset(), (plat::Point {320, 0}));
}

TEST_F(Scrolling, TheDelegateCanChooseWhereDecelerationEnds)
{
    recorder->overrideTarget = plat::Point {0, 400};
    driver.drag({100, 150}, {100, 100}, 0.2);
    driver.wait(5);
    EXPECT_EQ(scroll->contentOffset().y, 400);
}

TEST_F(Scrolling, AFasterDecelerationRateStopsSooner)
{
    scroll->setDecelerationRate(plat::ScrollViewDecelerationRateFast);
    driver.drag({100, 150}, {100, 50}, 0.3);
    driver.wait(5);
    EXPECT_NEAR(scroll->contentOffset().y, 88.9 + 0.3333 * 99, 1);
}

TEST_F(Scrolling, AnimatedOffsetReportsStepsThenTheEnd)
{
    scroll->setContentOffset({0, 300}, /*animated=*/true);
    EXPECT_EQ(scroll->contentOffset().y, 0);
    driver.wait(0.15);
    EXPECT_GT(scroll->contentOffset().y, 0);
    EXPECT_LT(scroll->contentOffset().y, 300);
    driver.wait(0.2);
    EXPECT_EQ(scroll->contentOffset().y, 300);
    EXPECT_EQ(recorder->events, (std::vector<std::string> {"scroll", "end animation"}));
}

TEST_F(Scrolling, ScrollingARectIntoViewMovesAsLittleAsNeeded)
{
    scroll->setContentInset({20, 0, 10, 0});
    scroll->scrollRectToVisible(plat::makeRect(0, 500, 320, 44), /*animated=*/false);
    EXPECT_EQ(scroll->contentOffset().y, 544 - 190);
    scroll->scrollRectToVisible(plat::makeRect(0, 400, 320, 44), /*animated=*/false);
    EXPECT_EQ(scroll->contentOffset().y, 354) << "already visible";
    scroll->scrollRectToVisible(plat::makeRect(0, 0, 10, 10), /*animated=*/false);
    EXPECT_EQ(scroll->contentOffset().y, -20);
    EXPECT_EQ(scroll->minimumContentOffset().y, -20);
    EXPECT_EQ(scroll->maximumContentOffset().y, 2000 + 10 - 200);
}

TEST_F(Scrolling, IndicatorsShowWhileMovingAndFadeAfter)
{
    EXPECT_EQ(scroll->verticalScrollIndicator(), nullptr);
    plat::TouchSynthesizer touches(window);
    auto finger = touches.touchDown({100, 150});
    for (int i = 1; i <= 5; ++i) {
        driver.wait(1.0 / 60);
        touches.moveTouch(finger, {100, 150.0 - 10 * i});
    }
    auto bar = scroll->verticalScrollIndicator();
    ASSERT_NE(bar, nullptr);
    EXPECT_EQ(bar->alpha(), 1);
    EXPECT_EQ(scroll->horizontalScrollIndicator()->alpha(), 0) << "nothing scrolls sideways";
    // 200 of 2000 points visible: a bar of 19.8 on a track of 198.
    EXPECT_NEAR(bar->frame().height(), 19.8, 0.01);
    EXPECT_EQ(scroll->subviews().back(), scroll->horizontalScrollIndicator());
    touches.moveTouch(finger, {100, 100});
    driver.wait(0.5);
    touches.liftTouch(finger);
    driver.wait(2);
    EXPECT_EQ(bar->alpha(), 0);
}

TEST_F(Scrolling, ASidewaysDragIsLeftToAnOuterScrollView)
{
    auto outer = std::make_shared<plat::ScrollView>(plat::makeRect(0, 0, 568, 320));
    window->addSubview(outer);
    outer->setContentSize({1136, 320});
    scroll->removeFromSuperview();
    outer->addSubview(scroll);
    driver.drag({200, 100}, {100, 105}, 0.3);
    EXPECT_EQ(scroll->contentOffset(), (plat::Point {0, 0}));
    EXPECT_GT(outer->contentOffset().x, 80);
    driver.drag({200, 150}, {205, 50}, 0.3);
    EXPECT_GT(scroll->contentOffset().y, 80) << "up and down belongs to the inner view";
}

TEST_F(Scrolling, ADragThatStartsOnAButtonScrollsInsteadOfPressingIt)
{
    class Presses : public plat::Object {
    public:
        void pressed() { ++count; }
        int count = 0;
    };
    auto presses = std::make_shared<Presses>();
    auto button = plat::Button::buttonWithType(plat::ButtonType::System);
    button->setTitle("Press", plat::ControlStateNormal);
    button->setFrame(plat::makeRect(50, 100, 100, 40));
    button->addTarget(presses.get(), &Presses::pressed, plat::ControlEventTouchUpInside);
    scroll->addSubview(button);
    driver.drag({100, 120}, {100, 40}, 0.3);
    EXPECT_EQ(presses->count, 0);
    EXPECT_GT(scroll->contentOffset().y, 60);
    driver.wait(5);
    scroll->setContentOffset({0, 0});
    EXPECT_TRUE(driver.tap("Press"));
    EXPECT_EQ(presses->count, 1);
}

TEST_F(Scrolling, FlashingShowsOnlyTheIndicatorsOfAxesThatScroll)
{
    scroll->setIndicatorStyle(plat::ScrollViewIndicatorStyle::White);
    scroll->flashScrollIndicators();
    auto vertical = scroll->verticalScrollIndicator();
    ASSERT_NE(vertical, nullptr);
    EXPECT_EQ(vertical->alpha(), 1);
    EXPECT_EQ(scroll->horizontalScrollIndicator()->alpha(), 0);
    EXPECT_EQ(vertical->backgroundColor(), plat::Color::colorWithWhite(1, 0.75));
    scroll->setShowsVerticalScrollIndicator(false);
    driver.wait(1);
    scroll->flashScrollIndicators();
    EXPECT_EQ(vertical->alpha(), 0);
}

TEST_F(Scrolling, ADisabledOrLockedScrollViewMovesOnlyAsAllowed)
{
    scroll->setScrollEnabled(false);
    driver.drag({100, 150}, {100, 50}, 0.3);
    EXPECT_EQ(scroll->contentOffset().y, 0);
    scroll->setScrollEnabled(true);
    scroll->setContentSize({1000, 2000});
    scroll->setDirectionalLockEnabled(true);
    driver.drag({200, 150}, {180, 60}, 0.3);
    EXPECT_EQ(scroll->contentOffset().x, 0) << "mostly vertical: locked to the vertical axis";
    EXPECT_GT(scroll->contentOffset().y, 60);
}
