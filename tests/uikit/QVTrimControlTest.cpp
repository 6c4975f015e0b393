#include "uikit/QVTrimControl.h"

#include <cmath>
#include <gtest/gtest.h>

#include "platform/ui/Control.h"
#include "platform/ui/ImageView.h"
#include "platform/ui/Label.h"
#include "platform/ui/TouchSynthesizer.h"
#include "platform/ui/ViewRendering.h"
#include "platform/ui/Window.h"
#include "platform/ui/testing/PictureComparison.h"
#include "platform/ui/testing/UIScope.h"
#include "support/ManualClockScope.h"
#include "support/TemporarySandbox.h"

namespace {

constexpr double kStepSeconds = 1.0 / 60;
// The control's origin in the window; it is 300 wide, so a handle's left
// edge travels 275 points and 2.75 points are one percent.
constexpr double kX = 50;
constexpr double kY = 80;
constexpr double kPercent = 2.75;

struct Reports : zt::QVTrimControlDelegate {
    void trimControl(zt::QVTrimControl&, double left, double right) override { values.emplace_back(left, right); }
    std::vector<std::pair<double, double>> values;
};

class TrimControl : public ::testing::Test {
protected:
    void SetUp() override
    {
        window = std::make_shared<plat::Window>(plat::makeRect(0, 0, 400, 200));
        window->setBackgroundColor(plat::Color::colorWithWhite(0.1, 1));
        window->makeKeyAndVisible();
    }

    // A 30-second clip selected from 6 s to 18 s (20 and 60 percent) unless told otherwise.
    void show(float length = 30, float maxAvailable = 30, float left = 6, float right = 18)
    {
        if (control)
            control->removeFromSuperview();
        control = zt::QVTrimControl::initWithFrame(plat::makeRect(kX, kY, 300, 75), length, maxAvailable, left, right);
        control->setDelegate(reports);
        window->addSubview(control);
        clock.advance(0);
    }

    plat::Point leftHandle() const { return {kX + control->leftThumb()->center().x, kY + 37}; }
    plat::Point rightHandle() const { return {kX + control->rightThumb()->center().x, kY + 37}; }
    plat::Point band() const { return {kX + control->centerView()->center().x, kY + 25}; }

    // Moves a finger by step on each of count refreshes; it stays down.
    void press(plat::Point from, double step, int count)
    {
        touches = std::make_unique<plat::TouchSynthesizer>(window);
        finger = touches->touchDown(from);
        at = from;
        for (int i = 0; i < count; ++i)
            moveBy(step);
    }
    void moveBy(double step)
    {
        clock.advance(kStepSeconds);
        at.x += step;
        touches->moveTouch(finger, at);
    }
    void lift()
    {
        touches->liftTouch(finger);
        clock.advance(0);
    }
    void drag(plat::Point from, double step, int count)
    {
        press(from, step, count);
        lift();
    }

    plat::test::ManualClockScope clock;
    plat::test::UIScope ui;
    std::shared_ptr<plat::Window> window;
    std::shared_ptr<zt::QVTrimControl> control;
    std::shared_ptr<Reports> reports = std::make_shared<Reports>();
    std::unique_ptr<plat::TouchSynthesizer> touches;
    std::shared_ptr<plat::Touch> finger;
    plat::Point at;
};

}  // namespace

TEST_F(TrimControl, PlacesTheHandlesAndTheBandAtTheSelection)
{
    show();
    // Positions are percent in single precision.
    EXPECT_NEAR(control->leftValue(), 6, 1e-5);
    EXPECT_NEAR(control->rightValue(), 18, 1e-5);
    EXPECT_EQ(control->leftThumb()->center(), (plat::Point {67, 37}));
    EXPECT_EQ(control->rightThumb()->center(), (plat::Point {177, 37}));
    EXPECT_EQ(control->centerView()->frame(), plat::makeRect(79.5, 0, 85, 50));
    EXPECT_EQ(control->leftPopover()->alpha(), 0);
    EXPECT_EQ(control->middlePopover()->alpha(), 0);
}

TEST_F(TrimControl, TheStartHandleFollowsTheFingerWithItsTimeAboveIt)
{
    show();
    press(leftHandle(), kPercent, 20);
    ASSERT_FALSE(reports->values.empty());
    EXPECT_NEAR(reports->values.back().first, 12, 1e-3);
    EXPECT_NEAR(reports->values.back().second, 18, 1e-3);
    EXPECT_EQ(control->leftPopover()->alpha(), 1);
    EXPECT_EQ(control->leftPopover()->timeLabel()->text(), "12:00");
    lift();
    EXPECT_EQ(control->leftThumb()->center(), (plat::Point {122, 37}));
    EXPECT_EQ(control->leftPopover()->alpha(), 0) << "the bubble fades when the finger lifts";
}

TEST_F(TrimControl, TheHandlesStayNinePercentApart)
{
    show();
    drag(leftHandle(), 10, 30);
    EXPECT_NEAR(control->leftValue(), 0.51 * 30, 1e-3);
    show();
    drag(rightHandle(), -10, 30);
    EXPECT_NEAR(control->rightValue(), 0.29 * 30, 1e-3);
}

TEST_F(TrimControl, TheHandlesStopAtTheEndsOfTheClip)
{
    show();
    drag(leftHandle(), -10, 20);
    EXPECT_EQ(control->leftValue(), 0);
    drag(rightHandle(), 10, 20);
    EXPECT_EQ(control->rightValue(), 30);
    EXPECT_EQ(control->rightPopover()->timeLabel()->text(), "30:00");
}

TEST_F(TrimControl, ASelectionLongerThanAllowedOnlyNarrows)
{
    show(30, 5, 0, 18);
    drag(rightHandle(), kPercent, 10);
    EXPECT_TRUE(reports->values.empty()) << "widening is refused";
    EXPECT_NEAR(control->rightValue(), 18, 1e-5);
    drag(rightHandle(), -kPercent, 10);
    ASSERT_FALSE(reports->values.empty());
    EXPECT_LT(control->rightValue(), 18);
}

TEST_F(TrimControl, TheBandMovesBothHandlesAndShowsBothTimes)
{
    show();
    press(band(), kPercent, 10);
    EXPECT_NEAR(control->leftValue(), 9, 1e-3);
    EXPECT_NEAR(control->rightValue(), 21, 1e-3);
    EXPECT_EQ(control->middlePopover()->alpha(), 1);
    EXPECT_EQ(control->middleLabel()->text(), "09:00  \u2014  21:00");
    lift();
    EXPECT_EQ(control->middlePopover()->alpha(), 0);
}

TEST_F(TrimControl, TheBandRestsAtAnEndWithItsSpan)
{
    show();
    press(band(), -kPercent, 10);  // 3 s to 15 s
    const std::string shown = control->middleLabel()->text();
    EXPECT_EQ(shown, "03:00  \u2014  15:00");
    reports->values.clear();
    moveBy(-20 * kPercent);
    lift();
    EXPECT_EQ(control->leftValue(), 0);
    EXPECT_NEAR(control->rightValue(), 12, 1e-3);
    ASSERT_FALSE(reports->values.empty());
    EXPECT_EQ(reports->values.back().first, 0) << "the delegate hears of the snap";
    EXPECT_EQ(control->middleLabel()->text(), shown) << "the bubble is not updated by a snap";
}

TEST_F(TrimControl, TimesReadAsMinutesOnLongClipsAndHundredthsOnShortOnes)
{
    show(75, 75, 0, 75);
    EXPECT_EQ(control->stringFromTime(75), "01:15");
    EXPECT_EQ(control->stringFromTime(65), "01:05");
    show(30, 30, 0, 30);
    EXPECT_EQ(control->stringFromTime(12.5f), "12:50");
    EXPECT_EQ(control->stringFromTime(5.25f), "05:25");
    EXPECT_EQ(control->stringFromTime(0), "00:00");
    show(60, 60, 0, 60);
    EXPECT_EQ(control->stringFromTime(60), "60:00") << "the whole minute of a one-minute clip";
    EXPECT_EQ(control->stringFromTime(59.5f), "59:50");
}

TEST_F(TrimControl, AClipWithoutLengthIsRefused)
{
    show(0, 0, 0, 0);
    EXPECT_EQ(control->leftValue(), 0);
    EXPECT_EQ(control->rightValue(), 0);
    EXPECT_FALSE(std::isnan(control->leftThumb()->center().x));
    EXPECT_FALSE(std::isnan(control->rightThumb()->center().x));
    EXPECT_FALSE(control->isUserInteractionEnabled());
    drag(rightHandle(), -10, 10);
    EXPECT_TRUE(reports->values.empty());
    control->setLength(std::nan(""));
    EXPECT_EQ(control->length(), 0);
}

TEST_F(TrimControl, HandlesOutsideTheClipAreBroughtOntoIt)
{
    show(10, 10, -2, 14);
    EXPECT_EQ(control->leftValue(), 0);
    EXPECT_EQ(control->rightValue(), 10);
}

TEST_F(TrimControl, ANewLengthChangesTheSecondsButNotTheHandles)
{
    show();
    control->setLength(60);
    EXPECT_NEAR(control->leftValue(), 12, 1e-5);
    EXPECT_EQ(control->leftThumb()->center(), (plat::Point {67, 37}));
}

namespace {

class TrimControlPicture : public TrimControl {
protected:
    plat::test::PictureComparison compare()
    {
        auto picture = plat::snapshotWindow(*window, 2);
        if (!picture)
            return {};
        return plat::test::compareWithReferencePicture(
            *picture, plat::test::sourcePath("tests/data/uikit/trim_control.png"), output.path());
    }
    plat::test::TemporaryFolder output;
};

}  // namespace

TEST_F(TrimControlPicture, ShowsTheTracksHandlesBandAndTheTimeOfTheHeldHandle)
{
    show();
    press(rightHandle(), kPercent, 12);
    auto result = compare();
    EXPECT_TRUE(result.matches) << result.explanation;
    lift();
}

TEST_F(TrimControlPicture, WithoutTheBubbleTheComparisonFails)
{
    show();
    drag(rightHandle(), kPercent, 12);
    clock.advance(0.3);  // the bubble fades out
    EXPECT_FALSE(compare().matches);
}
