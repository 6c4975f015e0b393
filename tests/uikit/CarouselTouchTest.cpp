#include <cmath>
#include <gtest/gtest.h>

#include "CarouselTestSupport.h"
#include "platform/ui/Button.h"
#include "platform/ui/Control.h"
#include "platform/ui/Slider.h"
#include "platform/ui/TableViewCell.h"
#include "platform/ui/TouchSynthesizer.h"
#include "uikit/Carousel.h"

namespace {

using zt::test::CarouselFixture;

constexpr double kStepSeconds = 1.0 / 60;

// Drags with one finger, one move per screen refresh.
class CarouselDragging : public CarouselFixture {
protected:
    // Moves by step on each of count refreshes; the finger stays down.
    void moveFinger(plat::Point from, plat::Point step, int count)
    {
        touches = std::make_unique<plat::TouchSynthesizer>(window);
        finger = touches->touchDown(from);
        plat::Point at = from;
        for (int i = 0; i < count; ++i) {
            clock.advance(kStepSeconds);
            at = {at.x + step.x, at.y + step.y};
            touches->moveTouch(finger, at);
        }
    }

    void lift()
    {
        touches->liftTouch(finger);
        clock.advance(0);
    }

    std::unique_ptr<plat::TouchSynthesizer> touches;
    std::shared_ptr<plat::Touch> finger;
};

TEST_F(CarouselDragging, ASlowDragFollowsTheFingerThenSnapsToTheNearestItem)
{
    show(10);
    delegate->events.clear();
    // 2 points a refresh is 1.2 items a second; the pan starts after 10 points.
    moveFinger({kCentreX, kCentreY}, {-2, 0}, 70);
    EXPECT_TRUE(carousel->dragging());
    EXPECT_NEAR(carousel->scrollOffset(), 1.3, 1e-6);
    lift();
    EXPECT_FALSE(carousel->dragging());
    EXPECT_TRUE(carousel->scrolling());
    clock.advance(0.45);
    EXPECT_EQ(carousel->scrollOffset(), 1);
    EXPECT_EQ(delegate->events,
        (std::vector<std::string> {
            "willBeginDragging", "didEndDragging", "willBeginScrollingAnimation", "didEndScrollingAnimation"}));
}

TEST_F(CarouselDragging, AFlingDeceleratesToAWholeItem)
{
    show(10);
    delegate->events.clear();
    // 20 points a refresh: 1200 points, or 12 items, a second.
    moveFinger({kCentreX + 100, kCentreY}, {-20, 0}, 10);
    EXPECT_NEAR(carousel->scrollOffset(), 1.8, 1e-6);
    lift();
    EXPECT_TRUE(carousel->decelerating());
    // 12^2 / (2 x 12 x 30 x 0.05) = 4 items on from 1.8, up to the next whole item: 6, reached
    // after 4.2 / (12 / 2) = 0.7 s; half way there in time the row is at 1.8 + 12 t - 6 / 0.7 t^2.
    clock.advance(0.35);
    EXPECT_NEAR(carousel->scrollOffset(), 4.95, 0.1);
    clock.advance(0.4);
    EXPECT_FALSE(carousel->decelerating());
    settle();
    EXPECT_EQ(carousel->scrollOffset(), 6);
    EXPECT_EQ(delegate->events,
        (std::vector<std::string> {"willBeginDragging", "didEndDragging decelerating", "willBeginDecelerating",
            "didEndDecelerating", "willBeginScrollingAnimation", "didEndScrollingAnimation"}));
}

TEST_F(CarouselDragging, AFastFlickStepsOnToTheNextItemWithoutDecelerating)
{
    show(10);
    // Too short a fling to decelerate at speed 2.5 items a second, but past a tenth of an item.
    moveFinger({kCentreX, kCentreY}, {-5, 0}, 7);
    EXPECT_NEAR(carousel->scrollOffset(), 0.25, 1e-6);
    carousel->setDecelerationRate(0);
    lift();
    EXPECT_FALSE(carousel->decelerating());
    settle();
    EXPECT_EQ(carousel->scrollOffset(), 1);
}

TEST_F(CarouselDragging, DraggingPastTheStartMeetsGrowingResistanceAndBouncesBack)
{
    show(10);
    moveFinger({kCentreX - 100, kCentreY}, {2, 0}, 105);
    // Each 2 points move the row by 0.02 x (1 - overshoot): 1 - 0.98^100 = 0.867 items out.
    EXPECT_NEAR(carousel->scrollOffset(), -0.867, 0.005);
    EXPECT_GT(carousel->scrollOffset(), -1);
    lift();
    settle();
    EXPECT_EQ(carousel->scrollOffset(), 0);
}

TEST_F(CarouselDragging, WithoutBouncesTheRowStopsAtItsStart)
{
    carousel->setBounces(false);
    show(10);
    moveFinger({kCentreX - 100, kCentreY}, {2, 0}, 50);
    EXPECT_EQ(carousel->scrollOffset(), 0);
    lift();
    settle();
    EXPECT_EQ(carousel->scrollOffset(), 0);
}

TEST_F(CarouselDragging, AWrappingRowDragsRoundFromTheFirstToTheLastItem)
{
    delegate->options[zt::CarouselOptionWrap] = 1;
    show(10);
    moveFinger({kCentreX - 100, kCentreY}, {2, 0}, 70);
    EXPECT_NEAR(carousel->scrollOffset(), 8.7, 1e-5);
    EXPECT_EQ(carousel->currentItemIndex(), 9);
    lift();
    settle();
    EXPECT_EQ(carousel->scrollOffset(), 9);
    EXPECT_NEAR(onScreen(0).x, kCentreX + 100, 1e-6);
}

TEST_F(CarouselDragging, TheDecelerationRateStaysBelowOneSoAWrappingFlingStops)
{
    carousel->setDecelerationRate(5);
    EXPECT_EQ(carousel->decelerationRate(), zt::Carousel::kMaximumDecelerationRate);
    carousel->setDecelerationRate(-0.5);
    EXPECT_EQ(carousel->decelerationRate(), 0);
    carousel->setDecelerationRate(std::nan(""));
    EXPECT_EQ(carousel->decelerationRate(), 0) << "NaN is refused";

    delegate->options[zt::CarouselOptionWrap] = 1;
    show(10);
    carousel->setDecelerationRate(1);
    moveFinger({kCentreX + 100, kCentreY}, {-20, 0}, 10);
    lift();
    ASSERT_TRUE(carousel->decelerating());
    // 12 items a second at 0.999: 144 / (2 x 12 x 30 x 0.001) = 200 items on, over 200 / 6 s.
    clock.advance(34);
    EXPECT_FALSE(carousel->decelerating());
    settle();
    EXPECT_TRUE(std::isfinite(carousel->scrollOffset()));
    EXPECT_EQ(carousel->scrollOffset(), std::round(carousel->scrollOffset()));
}

TEST_F(CarouselDragging, AVerticalRowFollowsDragsUpAndDown)
{
    carousel->setVertical(true);
    delegate->itemWidth = 50;
    show(10);
    moveFinger({kCentreX, kCentreY + 50}, {0, -1}, 80);
    // The 70 moves after the pan began, a point each: 1.4 items of 50 points.
    EXPECT_NEAR(carousel->scrollOffset(), 1.4, 1e-6);
    lift();
    settle();
    EXPECT_EQ(carousel->scrollOffset(), 1);
}

TEST_F(CarouselDragging, ASwipeAcrossTheRowIsLeftAlone)
{
    show(10);
    delegate->events.clear();
    moveFinger({kCentreX, kCentreY - 60}, {1, 4}, 20);
    lift();
    settle();
    EXPECT_EQ(carousel->scrollOffset(), 0);
    EXPECT_TRUE(delegate->events.empty());
}

TEST_F(CarouselDragging, NothingScrollsWhileScrollingIsOff)
{
    show(10);
    delegate->events.clear();
    carousel->setScrollEnabled(false);
    moveFinger({kCentreX, kCentreY}, {-20, 0}, 10);
    lift();
    settle();
    EXPECT_EQ(carousel->scrollOffset(), 0);
    EXPECT_TRUE(delegate->events.empty());
}

TEST_F(CarouselDragging, ADragStartingOnASliderInAnItemMovesOnlyTheSlider)
{
    show(10);
    delegate->events.clear();
    auto item = carousel->itemViewAtIndex(0);
    auto slider = std::make_shared<plat::Slider>(plat::makeRect(0, 26, 100, 28));
    item->addSubview(slider);
    moveFinger(onScreen(0), {-3, 0}, 20);
    lift();
    settle();
    EXPECT_EQ(carousel->scrollOffset(), 0);
    EXPECT_TRUE(delegate->events.empty());
}

// Counts presses of a button.
class Presses : public plat::Object {
public:
    void pressed() { ++count; }
    int count = 0;
};

using CarouselTapping = CarouselFixture;

TEST_F(CarouselTapping, TappingAnotherItemSelectsItAndBringsItToTheCentre)
{
    show(10);
    delegate->events.clear();
    driver.tapAt(onScreen(1));
    EXPECT_EQ(delegate->selected, (std::vector<int64_t> {1}));
    EXPECT_TRUE(carousel->scrolling());
    clock.advance(0.45);
    EXPECT_EQ(carousel->scrollOffset(), 1);
    EXPECT_EQ(delegate->events, (std::vector<std::string> {"willBeginScrollingAnimation", "didEndScrollingAnimation"}));
}

TEST_F(CarouselTapping, OnlyTheCurrentItemTakesTouchesOfItsOwn)
{
    show(10);
    EXPECT_TRUE(carousel->itemViewAtIndex(0)->isUserInteractionEnabled());
    EXPECT_FALSE(carousel->itemViewAtIndex(1)->isUserInteractionEnabled());
    carousel->setScrollOffset(1);
    EXPECT_FALSE(carousel->itemViewAtIndex(0)->isUserInteractionEnabled());
    EXPECT_TRUE(carousel->itemViewAtIndex(1)->isUserInteractionEnabled());
}

TEST_F(CarouselTapping, TappingTheCurrentItemSelectsItInPlace)
{
    show(10);
    driver.tapAt(onScreen(0));
    EXPECT_EQ(delegate->selected, (std::vector<int64_t> {0}));
    EXPECT_FALSE(carousel->scrolling());
}

TEST_F(CarouselTapping, WithoutCentringATappedItemStaysWhereItIs)
{
    carousel->setCenterItemWhenSelected(false);
    show(10);
    driver.tapAt(onScreen(1));
    EXPECT_EQ(delegate->selected, (std::vector<int64_t> {1}));
    EXPECT_FALSE(carousel->scrolling());
    settle();
    EXPECT_EQ(carousel->scrollOffset(), 0);
}

TEST_F(CarouselTapping, TheDelegateMayRefuseASelection)
{
    delegate->refusedIndex = 1;
    show(10);
    driver.tapAt(onScreen(1));
    settle();
    EXPECT_TRUE(delegate->selected.empty());
    EXPECT_EQ(carousel->scrollOffset(), 0);
}

TEST_F(CarouselTapping, ATapOnAButtonInAnItemPressesTheButtonOnly)
{
    show(10);
    auto presses = std::make_shared<Presses>();
    auto button = std::make_shared<plat::Button>(plat::makeRect(20, 20, 60, 40));
    button->addTarget(presses.get(), &Presses::pressed, plat::ControlEventTouchUpInside);
    carousel->itemViewAtIndex(0)->addSubview(button);
    driver.tapAt(onScreen(0));
    EXPECT_EQ(presses->count, 1);
    EXPECT_TRUE(delegate->selected.empty());
}

}  // namespace

namespace {

TEST_F(CarouselTapping, ATapOnATableCellInAnItemDoesNotSelectTheItem)
{
    show(10);
    auto cell = std::make_shared<plat::TableViewCell>(plat::TableViewCellStyle::Default, "cell");
    cell->setFrame(plat::makeRect(10, 10, 80, 44));
    carousel->itemViewAtIndex(0)->addSubview(cell);
    driver.tapAt(onScreen(0));
    EXPECT_TRUE(delegate->selected.empty());
}

}  // namespace
