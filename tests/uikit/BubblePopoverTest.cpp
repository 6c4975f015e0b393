#include "uikit/BubblePopoverController.h"

#include <cmath>
#include <gtest/gtest.h>

#include "platform/ui/BarButtonItem.h"
#include "platform/ui/Button.h"
#include "platform/ui/Label.h"
#include "platform/ui/Layer.h"
#include "platform/ui/Toolbar.h"
#include "platform/ui/ViewController.h"
#include "platform/ui/ViewRendering.h"
#include "platform/ui/Window.h"
#include "platform/ui/testing/PictureComparison.h"
#include "platform/ui/testing/UIDriver.h"
#include "platform/ui/testing/UIScope.h"
#include "support/ManualClockScope.h"
#include "support/TemporarySandbox.h"

namespace {

using plat::makeRect;
using zt::BubblePopoverContainerView;
using zt::BubblePopoverContainerViewProperties;

// Records the appearance callbacks it hears, in order.
class Content : public plat::ViewController {
public:
    Content(std::string name, std::vector<std::string>& log, plat::Size size)
        : _name(std::move(name))
        , _log(log)
    {
        setContentSizeForViewInPopover(size);
    }
    void viewWillAppear(bool animated) override { record("willAppear", animated); }
    void viewDidAppear(bool animated) override { record("didAppear", animated); }
    void viewWillDisappear(bool animated) override { record("willDisappear", animated); }
    void viewDidDisappear(bool animated) override { record("didDisappear", animated); }

private:
    void record(const char* what, bool animated) { _log.push_back(_name + " " + what + (animated ? " animated" : "")); }
    std::string _name;
    std::vector<std::string>& _log;
};

// Counts the taps a control sends it.
class TapCounter : public plat::Object {
public:
    void tapped() { ++taps; }
    int taps = 0;
};

class Delegate : public zt::BubblePopoverControllerDelegate {
public:
    void popoverControllerDidDismissPopover(zt::BubblePopoverController&) override { log.push_back("didDismiss"); }
    bool popoverControllerShouldDismissPopover(zt::BubblePopoverController&) override
    {
        log.push_back("shouldDismiss");
        return answer;
    }
    bool answer = true;
    std::vector<std::string> log;
};

// With the default pictures: arrows 24 x 13 (13 x 24 across), the body 16
// points larger than the content. The display area is the phone's screen
// less the status bar: (0, 20, 568, 300).
class BubbleGeometry : public ::testing::Test {
protected:
    std::shared_ptr<BubblePopoverContainerView> bubble(
        plat::Size content, plat::Rect anchor, unsigned directions, plat::Rect area = makeRect(0, 20, 568, 300))
    {
        return std::make_shared<BubblePopoverContainerView>(
            content, anchor, area, directions, BubblePopoverContainerViewProperties::defaultProperties());
    }

    plat::test::UIScope ui;
};

TEST_F(BubbleGeometry, BelowTheAnchorTheArrowPointsUpAtItsMiddle)
{
    auto container = bubble({200, 100}, makeRect(100, 50, 40, 30), zt::kBubbleArrowDirectionAny);
    EXPECT_EQ(container->arrowDirection(), zt::kBubbleArrowDirectionUp);
    // The arrow's tip is at the anchor's bottom middle (120, 80); it sticks
    // out 7 points above the body, which the frame makes room for.
    EXPECT_EQ(container->frame(), makeRect(12, 80, 216, 123));
    EXPECT_EQ(container->arrowRect(), makeRect(96, 0, 24, 13));
    EXPECT_EQ(container->bgRect(), makeRect(0, 7, 216, 116));
    EXPECT_EQ(container->contentRect(), makeRect(8, 15, 200, 100));
}

TEST_F(BubbleGeometry, AnArrowStickingOutBelowEnlargesTheFrameThere)
{
    auto container = bubble({200, 100}, makeRect(100, 250, 40, 30), zt::kBubbleArrowDirectionDown);
    // Body 116 high ending 6 above the tip; the arrow's 13 points reach 7 below the body.
    EXPECT_EQ(container->frame(), makeRect(12, 127, 216, 123));
    EXPECT_EQ(container->bgRect(), makeRect(0, 0, 216, 116));
    EXPECT_EQ(container->arrowRect(), makeRect(96, 110, 24, 13));
    EXPECT_EQ(container->contentRect(), makeRect(8, 8, 200, 100)) << "no offset on the far side";
}

TEST_F(BubbleGeometry, EachPermittedDirectionPutsTheBubbleOnItsSide)
{
    const plat::Rect anchor = makeRect(264, 150, 40, 20);
    auto up = bubble({100, 60}, anchor, zt::kBubbleArrowDirectionUp);
    auto down = bubble({100, 60}, anchor, zt::kBubbleArrowDirectionDown);
    auto left = bubble({100, 60}, anchor, zt::kBubbleArrowDirectionLeft);
    auto right = bubble({100, 60}, anchor, zt::kBubbleArrowDirectionRight);
    EXPECT_EQ(up->arrowDirection(), zt::kBubbleArrowDirectionUp);
    EXPECT_EQ(up->frame().minY(), anchor.maxY());
    EXPECT_EQ(down->arrowDirection(), zt::kBubbleArrowDirectionDown);
    EXPECT_EQ(down->frame().maxY(), anchor.minY());
    EXPECT_EQ(left->arrowDirection(), zt::kBubbleArrowDirectionLeft);
    EXPECT_EQ(left->frame().minX(), anchor.maxX());
    EXPECT_EQ(right->arrowDirection(), zt::kBubbleArrowDirectionRight);
    EXPECT_EQ(right->frame().maxX(), anchor.minX());
    for (const auto& container : {up, down, left, right})
        EXPECT_EQ(container->contentRect().size, (plat::Size {100, 60})) << "nothing cut off";
}

TEST_F(BubbleGeometry, NearTheTopTheClippedBubbleAboveLosesToTheOneBelow)
{
    auto container
        = bubble({200, 100}, makeRect(100, 40, 40, 20), zt::kBubbleArrowDirectionDown | zt::kBubbleArrowDirectionUp);
    EXPECT_EQ(container->arrowDirection(), zt::kBubbleArrowDirectionUp);
}

TEST_F(BubbleGeometry, WhenAllFitTheWidestLeastMarginWinsAndTiesGoToTheLater)
{
    // A 56-point bubble by a control in the middle: every side fits whole.
    // Below leaves 87 points to the nearest edge, above 67, left of and
    // right of 112 each: the later of the two wins.
    auto container = bubble({40, 40}, makeRect(264, 150, 40, 20), zt::kBubbleArrowDirectionAny);
    EXPECT_EQ(container->arrowDirection(), zt::kBubbleArrowDirectionRight);
    auto withoutSides
        = bubble({40, 40}, makeRect(264, 150, 40, 20), zt::kBubbleArrowDirectionUp | zt::kBubbleArrowDirectionDown);
    EXPECT_EQ(withoutSides->arrowDirection(), zt::kBubbleArrowDirectionUp) << "below keeps more room than above";
}

TEST_F(BubbleGeometry, OnlyOneDirectionIsTakenWhateverTheRoom)
{
    auto container = bubble({200, 100}, makeRect(100, 290, 40, 20), zt::kBubbleArrowDirectionUp);
    EXPECT_EQ(container->arrowDirection(), zt::kBubbleArrowDirectionUp);
    EXPECT_EQ(container->contentRect().height(), 0) << "cut down to what fits below the anchor, never less";
}

TEST_F(BubbleGeometry, NearTheLeftEdgeTheArrowSlidesButKeepsClearOfTheCorner)
{
    auto container = bubble({200, 100}, makeRect(0, 50, 4, 20), zt::kBubbleArrowDirectionUp);
    EXPECT_EQ(container->frame().minX(), 0);
    EXPECT_EQ(container->arrowRect().minX(), 7) << "background margin 6 plus arrow margin 1";
}

TEST_F(BubbleGeometry, ABubbleTallerThanTheAreaIsMovedDownAndShortened)
{
    auto container = bubble({100, 400}, makeRect(100, 150, 20, 20), zt::kBubbleArrowDirectionLeft);
    EXPECT_EQ(container->arrowDirection(), zt::kBubbleArrowDirectionLeft);
    EXPECT_EQ(container->frame().minY(), 20);
    EXPECT_EQ(container->frame().height(), 300);
    EXPECT_EQ(container->contentRect().height(), 300 - 16);
    auto content = std::make_shared<plat::View>();
    container->setContentView(content);
    EXPECT_EQ(content->frame(), container->contentRect());
}

TEST_F(BubbleGeometry, NoPermittedDirectionGivesNoArrowAndAnEmptyFrame)
{
    auto container = bubble({200, 100}, makeRect(100, 50, 40, 30), 0);
    EXPECT_EQ(container->arrowDirection(), zt::kBubbleArrowDirectionUnknown);
    EXPECT_EQ(container->frame(), plat::Rect {});
}

TEST_F(BubbleGeometry, SizesAndAreasWithoutRoomGiveFiniteEmptyRectangles)
{
    const std::pair<plat::Size, plat::Size> sizes[]
        = {{{0, 0}, {0, 0}}, {{-50, 20}, {0, 20}}, {{NAN, INFINITY}, {0, 0}}};
    for (const auto& [size, shown] : sizes) {
        auto container = bubble(size, makeRect(100, 50, 40, 30), zt::kBubbleArrowDirectionAny);
        EXPECT_EQ(container->contentRect().size, shown);
        EXPECT_TRUE(std::isfinite(container->frame().width()) && std::isfinite(container->frame().minX()));
    }
    auto squeezed = bubble({200, 100}, makeRect(100, 50, 40, 30), zt::kBubbleArrowDirectionAny, makeRect(0, 0, 0, 0));
    EXPECT_TRUE(std::isfinite(squeezed->frame().minX()) && squeezed->frame().width() >= 0);
    EXPECT_GE(squeezed->contentRect().width(), 0);
    auto inverted
        = bubble({200, 100}, makeRect(100, 50, 40, 30), zt::kBubbleArrowDirectionAny, makeRect(0, 0, -100, -100));
    EXPECT_GE(inverted->bgRect().width(), 0);
    EXPECT_GE(inverted->bgRect().height(), 0);
}

TEST_F(BubbleGeometry, OnlyTheContentRectangleTakesTouches)
{
    auto container = bubble({200, 100}, makeRect(100, 50, 40, 30), zt::kBubbleArrowDirectionUp);
    EXPECT_TRUE(container->pointInside({10, 20}, nullptr));
    EXPECT_FALSE(container->pointInside({105, 5}, nullptr)) << "the arrow";
    EXPECT_FALSE(container->pointInside({3, 60}, nullptr)) << "the body's margin";
}

// A phone window whose first subview is the screen the popover is presented from.
class BubblePopover : public ::testing::Test {
protected:
    void SetUp() override
    {
        window = std::make_shared<plat::Window>(makeRect(0, 0, 568, 320));
        window->makeKeyAndVisible();
        screen = std::make_shared<plat::View>(makeRect(0, 0, 568, 320));
        screen->setBackgroundColor(plat::Color::colorWithRed(0.2, 0.3, 0.5, 1));
        window->addSubview(screen);
        control = std::make_shared<plat::Button>(makeRect(264, 140, 40, 40));
        control->setBackgroundColor(plat::Color::orangeColor());
        control->addTarget(controlTaps.get(), &TapCounter::tapped, plat::ControlEventTouchUpInside);
        screen->addSubview(control);
        popover = std::make_shared<zt::BubblePopoverController>(content);
        popover->setDelegate(delegate);
    }

    void present(unsigned directions = zt::kBubbleArrowDirectionUp, bool animated = true)
    {
        popover->presentPopoverFromRect(control->frame(), *screen, directions, animated);
    }
    plat::Point windowPoint(const plat::View& view, plat::Point point) const
    {
        return view.convertPoint(point, nullptr);
    }

    plat::test::ManualClockScope clock;
    plat::test::UIScope ui;
    plat::test::UIDriver driver;
    std::shared_ptr<plat::Window> window;
    std::shared_ptr<plat::View> screen;
    std::shared_ptr<plat::Button> control;
    std::shared_ptr<TapCounter> controlTaps = std::make_shared<TapCounter>();
    std::vector<std::string> log;
    std::shared_ptr<Content> content = std::make_shared<Content>("menu", log, plat::Size {200, 100});
    std::shared_ptr<Delegate> delegate = std::make_shared<Delegate>();
    std::shared_ptr<zt::BubblePopoverController> popover;
};

TEST_F(BubblePopover, FadesInOverTheScreenAndThenCountsAsVisible)
{
    present();
    ASSERT_TRUE(popover->view());
    EXPECT_EQ(popover->popoverContentSize(), (plat::Size {200, 100})) << "taken from the content";
    EXPECT_EQ(popover->popoverArrowDirection(), zt::kBubbleArrowDirectionUp);
    EXPECT_EQ(popover->backgroundView()->superview(), screen) << "over the key window's first subview";
    EXPECT_EQ(popover->backgroundView()->frame(), screen->bounds());
    EXPECT_EQ(content->view()->superview(), popover->view());
    EXPECT_FALSE(content->parentViewController());
    EXPECT_FALSE(popover->isPopoverVisible());
    EXPECT_EQ(log, (std::vector<std::string> {"menu willAppear animated"}));
    clock.advance(0.1);
    const double shown = popover->view()->layer()->presentationProperties().opacity;
    EXPECT_GT(shown, 0);
    EXPECT_LT(shown, 1);
    clock.advance(0.2);
    EXPECT_TRUE(popover->isPopoverVisible());
    EXPECT_EQ(log, (std::vector<std::string> {"menu willAppear animated", "menu didAppear animated"}));
}

TEST_F(BubblePopover, PointsFromEachPermittedSideOfTheControl)
{
    const std::pair<unsigned, std::function<bool(plat::Rect)>> sides[] = {
        {zt::kBubbleArrowDirectionUp, [](plat::Rect f) { return f.minY() == 180; }},
        {zt::kBubbleArrowDirectionDown, [](plat::Rect f) { return f.maxY() == 140; }},
        {zt::kBubbleArrowDirectionLeft, [](plat::Rect f) { return f.minX() == 304; }},
        {zt::kBubbleArrowDirectionRight, [](plat::Rect f) { return f.maxX() == 264; }},
    };
    content->setContentSizeForViewInPopover({100, 60});
    popover->setPopoverContentSize({});
    for (const auto& [direction, beside] : sides) {
        present(direction, /*animated=*/false);
        EXPECT_EQ(popover->popoverArrowDirection(), direction);
        ASSERT_TRUE(popover->view());
        EXPECT_TRUE(beside(popover->view()->frame())) << plat::stringFromRect(popover->view()->frame());
        EXPECT_EQ(screen->subviews().size(), 2u) << "the previous popover is gone";
    }
    EXPECT_TRUE(delegate->log.empty()) << "a presentation over a shown popover tells no one";
}

TEST_F(BubblePopover, KeepsTheFirstSizeUntilTheContentChanges)
{
    present(zt::kBubbleArrowDirectionUp, false);
    content->setContentSizeForViewInPopover({300, 150});
    present(zt::kBubbleArrowDirectionUp, false);
    EXPECT_EQ(popover->popoverContentSize(), (plat::Size {200, 100}));
    popover->setContentViewController(std::make_shared<Content>("other", log, plat::Size {120, 40}));
    EXPECT_EQ(popover->popoverContentSize(), (plat::Size {}));
    present(zt::kBubbleArrowDirectionUp, false);
    EXPECT_EQ(popover->popoverContentSize(), (plat::Size {120, 40}));
}

TEST_F(BubblePopover, ATouchBesideTheBubbleAsksTheDelegateAndClosesOnYes)
{
    present();
    clock.advance(0.3);
    log.clear();
    driver.tapAt({30, 300});
    EXPECT_EQ(delegate->log, (std::vector<std::string> {"shouldDismiss"}));
    EXPECT_FALSE(popover->isPopoverVisible());
    EXPECT_TRUE(popover->view()) << "fading out";
    EXPECT_EQ(log, (std::vector<std::string> {"menu willDisappear animated"}));
    clock.advance(0.3);
    EXPECT_FALSE(popover->view());
    EXPECT_FALSE(popover->backgroundView());
    EXPECT_EQ(screen->subviews().size(), 1u);
    EXPECT_EQ(delegate->log, (std::vector<std::string> {"shouldDismiss", "didDismiss"}));
    EXPECT_EQ(log, (std::vector<std::string> {"menu willDisappear animated", "menu didDisappear animated"}));
    EXPECT_EQ(controlTaps->taps, 0);
}

TEST_F(BubblePopover, ADelegateThatSaysNoKeepsItOpenAndSwallowsTheTouch)
{
    delegate->answer = false;
    present();
    clock.advance(0.3);
    driver.tapAt(windowPoint(*control, {20, 20}));
    EXPECT_EQ(delegate->log, (std::vector<std::string> {"shouldDismiss"}));
    EXPECT_TRUE(popover->isPopoverVisible());
    EXPECT_EQ(controlTaps->taps, 0) << "the control beneath never hears of it";
}

TEST_F(BubblePopover, TouchesDuringTheFadesChangeNothing)
{
    present();
    driver.tapAt({30, 300});
    EXPECT_TRUE(delegate->log.empty());
    clock.advance(0.3);
    popover->dismissPopoverAnimated(true);
    driver.tapAt({30, 300});
    clock.advance(0.3);
    EXPECT_TRUE(delegate->log.empty()) << "nor does a dismissal by code tell the delegate";
    EXPECT_FALSE(popover->view());
}

TEST_F(BubblePopover, TheBubblesMarginAndArrowCountAsOutsideButItsContentTakesTaps)
{
    auto inside = std::make_shared<plat::Button>(makeRect(0, 0, 200, 100));
    auto insideTaps = std::make_shared<TapCounter>();
    inside->addTarget(insideTaps.get(), &TapCounter::tapped, plat::ControlEventTouchUpInside);
    content->view()->addSubview(inside);
    present();
    clock.advance(0.3);
    auto bubble = popover->view();
    driver.tapAt(windowPoint(*bubble, {bubble->contentRect().midX(), bubble->contentRect().midY()}));
    EXPECT_EQ(insideTaps->taps, 1);
    EXPECT_TRUE(delegate->log.empty());
    driver.tapAt(windowPoint(*bubble, {bubble->arrowRect().midX(), bubble->arrowRect().maxY() - 2}));
    EXPECT_EQ(delegate->log, (std::vector<std::string> {"shouldDismiss"}));
}

TEST_F(BubblePopover, PassthroughViewsTakeTheirTouchesUnlessForwardingIsOff)
{
    popover->setPassthroughViews({screen});
    present(zt::kBubbleArrowDirectionDown);
    clock.advance(0.3);
    driver.tapAt(windowPoint(*control, {20, 20}));
    EXPECT_EQ(controlTaps->taps, 1) << "a subview of a passthrough view passes too";
    EXPECT_TRUE(delegate->log.empty());
    EXPECT_TRUE(popover->isPopoverVisible());

    popover->backgroundView()->setTouchForwardingDisabled(true);
    driver.tapAt(windowPoint(*control, {20, 20}));
    EXPECT_EQ(controlTaps->taps, 1);
    EXPECT_EQ(delegate->log, (std::vector<std::string> {"shouldDismiss"}));
}

TEST_F(BubblePopover, ReplacedContentKeepsTheArrowsSideAndSlidesToItsNewFrame)
{
    present(zt::kBubbleArrowDirectionAny);
    clock.advance(0.3);
    const unsigned side = popover->popoverArrowDirection();
    const plat::Rect oldFrame = popover->view()->frame();
    auto oldBubble = popover->view();
    log.clear();
    auto followUp = std::make_shared<Content>("details", log, plat::Size {260, 160});
    popover->updateContentViewController(followUp);
    EXPECT_EQ(popover->contentViewController(), followUp);
    EXPECT_EQ(popover->popoverContentSize(), (plat::Size {260, 160}));
    EXPECT_EQ(popover->popoverArrowDirection(), side);
    EXPECT_FALSE(oldBubble->superview());
    EXPECT_TRUE(popover->isPopoverVisible());
    EXPECT_EQ(log, (std::vector<std::string> {"details willAppear", "details didAppear"})) << "the menu hears nothing";
    const plat::Rect newFrame = popover->view()->frame();
    EXPECT_NE(newFrame, oldFrame);
    clock.advance(0.15);
    const plat::Rect shown = popover->view()->layer()->presentationProperties().frame();
    EXPECT_GT(shown.width(), oldFrame.width());
    EXPECT_LT(shown.width(), newFrame.width());
    clock.advance(0.2);
    EXPECT_EQ(popover->view()->layer()->presentationProperties().frame(), newFrame);

    auto another = std::make_shared<Content>("more", log, plat::Size {100, 50});
    popover->updateContentViewController(another);
    EXPECT_EQ(popover->backgroundView()->subviews().size(), 1u) << "the first replacement's bubble is gone";
}

TEST_F(BubblePopover, PointsAtABarItemWhereTheBarShowsIt)
{
    auto item = std::make_shared<plat::BarButtonItem>("Effects", plat::BarButtonItemStyle::Plain);
    popover->presentPopoverFromBarButtonItem(*item, zt::kBubbleArrowDirectionDown, false);
    EXPECT_FALSE(popover->view()) << "no bar shows it yet";
    auto toolbar = std::make_shared<plat::Toolbar>(makeRect(0, 276, 568, 44));
    screen->addSubview(toolbar);
    toolbar->setItems({item});
    toolbar->layoutIfNeeded();
    EXPECT_EQ(zt::superview(*item), toolbar);
    const plat::Rect shown = zt::frameInView(*item, *screen);
    EXPECT_EQ(shown, toolbar->viewForItem(*item)->convertRect(toolbar->viewForItem(*item)->bounds(), screen.get()));
    popover->presentPopoverFromBarButtonItem(*item, zt::kBubbleArrowDirectionDown, false);
    ASSERT_TRUE(popover->view());
    EXPECT_EQ(popover->view()->frame().maxY(), shown.minY());
}

TEST_F(BubblePopover, ReplacingWithoutAShownPopoverOnlySetsTheContent)
{
    auto followUp = std::make_shared<Content>("details", log, plat::Size {260, 160});
    popover->updateContentViewController(followUp);
    EXPECT_EQ(popover->contentViewController(), followUp);
    EXPECT_FALSE(popover->view());
    EXPECT_TRUE(log.empty());
}

TEST_F(BubblePopover, WithNoPermittedDirectionNothingShowsButTouchesStillClose)
{
    present(0, /*animated=*/false);
    EXPECT_EQ(popover->popoverArrowDirection(), zt::kBubbleArrowDirectionUnknown);
    EXPECT_EQ(popover->view()->frame().size, (plat::Size {}));
    driver.tapAt({300, 300});
    EXPECT_EQ(delegate->log, (std::vector<std::string> {"shouldDismiss"}));
}

TEST_F(BubblePopover, RefusesBadSizesAndRectangles)
{
    popover->setPopoverContentSize({-10, 20});
    popover->setPopoverContentSize({NAN, 20});
    EXPECT_EQ(popover->popoverContentSize(), (plat::Size {}));
    popover->presentPopoverFromRect(makeRect(NAN, 0, 10, 10), *screen, zt::kBubbleArrowDirectionAny, true);
    EXPECT_FALSE(popover->view());
    content->setContentSizeForViewInPopover({0, 0});
    present(zt::kBubbleArrowDirectionAny, false);
    ASSERT_TRUE(popover->view());
    EXPECT_TRUE(std::isfinite(popover->view()->frame().width()));
    EXPECT_EQ(popover->view()->contentRect().size, (plat::Size {}));
}

TEST_F(BubblePopover, GoingAwayTakesThePopoverOffTheScreen)
{
    present();
    popover.reset();
    EXPECT_EQ(screen->subviews().size(), 1u);
    clock.advance(1);
    EXPECT_TRUE(delegate->log.empty());
}

TEST_F(BubblePopover, AFadeThatEndsAfterANewerPresentationLeavesItAlone)
{
    present();
    clock.advance(0.3);
    popover->dismissPopoverAnimated(true);
    clock.advance(0.1);
    present(zt::kBubbleArrowDirectionUp, false);
    clock.advance(0.3);
    ASSERT_TRUE(popover->view());
    EXPECT_TRUE(popover->isPopoverVisible());
    EXPECT_EQ(popover->view()->superview(), popover->backgroundView());
}

TEST_F(BubblePopover, ADismissalDuringTheFadeInEndsWithItsOwnFade)
{
    present();
    clock.advance(0.1);
    popover->dismissPopoverAnimated(true);
    clock.advance(0.2);  // past the end of the fade-in
    EXPECT_FALSE(popover->isPopoverVisible());
    clock.advance(0.1);
    EXPECT_FALSE(popover->view());
    EXPECT_FALSE(popover->backgroundView());
    EXPECT_EQ(screen->subviews().size(), 1u);
    driver.tapAt(windowPoint(*control, {20, 20}));
    EXPECT_EQ(controlTaps->taps, 1) << "the next touch reaches the screen";
}

TEST_F(BubblePopover, AFadeInCutShortByANewPresentationDoesNotFinishTheNewOne)
{
    present();
    clock.advance(0.1);
    present();
    clock.advance(0.1);
    EXPECT_FALSE(popover->isPopoverVisible()) << "the new bubble is still fading in";
    clock.advance(0.2);
    EXPECT_TRUE(popover->isPopoverVisible());
}

// The bubble's picture over a screen; each part (body, arrow, caption) must show.
class BubblePopoverPicture : public BubblePopover {
protected:
    void showCaption()
    {
        auto label = std::make_shared<plat::Label>(makeRect(0, 0, 200, 100));
        label->setText("Copy frame");
        label->setTextAlignment(plat::TextAlignment::Center);
        content->view()->addSubview(label);
        content->view()->setBackgroundColor(plat::Color::clearColor());
    }

    plat::test::PictureComparison compare(const std::string& reference)
    {
        auto picture = plat::snapshotWindow(*window, 1);
        if (!picture)
            return {};
        return plat::test::compareWithReferencePicture(
            *picture, plat::test::sourcePath("tests/data/uikit/" + reference), output.path());
    }

    plat::test::TemporaryFolder output;
};

TEST_F(BubblePopoverPicture, ShowsBodyArrowAndContent)
{
    showCaption();
    present();
    clock.advance(0.3);
    auto result = compare("bubble_popover_up.png");
    EXPECT_TRUE(result.matches) << result.explanation;
}

TEST_F(BubblePopoverPicture, AMissingOrWrongArrowOrAMissingCaptionFailsTheComparison)
{
    showCaption();
    auto properties = BubblePopoverContainerViewProperties::defaultProperties();
    properties->setUpArrowImageName("");
    popover->setContainerViewProperties(properties);
    present();
    clock.advance(0.3);
    EXPECT_FALSE(compare("bubble_popover_up.png").matches) << "without its arrow";

    // The down arrow has the up arrow's size: the same bubble in the same
    // place, only its small arrow turned the wrong way.
    properties->setUpArrowImageName("popoverArrowDownSimple.png");
    present();
    clock.advance(0.3);
    auto turned = compare("bubble_popover_up.png");
    EXPECT_FALSE(turned.matches) << "with its arrow turned";
    EXPECT_LT(turned.differingPixels, 300) << "only the arrow differs: " << turned.explanation;

    popover->setContainerViewProperties(nullptr);
    popover->setContentViewController(std::make_shared<Content>("empty", log, plat::Size {200, 100}));
    present();
    clock.advance(0.3);
    EXPECT_FALSE(compare("bubble_popover_up.png").matches) << "without its caption";
}

}  // namespace
