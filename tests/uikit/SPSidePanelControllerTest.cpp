#include "uikit/SPSidePanelController.h"

#include <cmath>
#include <gtest/gtest.h>

#include "SidePanelTestSupport.h"
#include "platform/ui/Button.h"
#include "platform/ui/Layer.h"
#include "platform/ui/NavigationController.h"
#include "platform/ui/PanGestureRecognizer.h"

namespace {

using plat::makeRect;
using zt::SPSidePanelController;
using zt::test::Panel;
using zt::test::PanelDelegate;
using zt::test::recordCompletion;
using zt::test::SidePanelScreen;

// Sizes and ledges of a container that is not on screen: the main screen (568 x 320) is its reference.
class SidePanelModel : public ::testing::Test {
protected:
    plat::test::UIScope ui;
    std::vector<std::string> log;
    std::shared_ptr<SPSidePanelController> container = SPSidePanelController::initWithCenterViewController(nullptr);
};

TEST_F(SidePanelModel, SizesAreLedgesOrPanelWidthsByTheSizeMode)
{
    EXPECT_EQ(container->leftSize(), 44.0);
    EXPECT_EQ(container->leftLedgeSize(), 44.0);
    EXPECT_EQ(container->leftViewSize(), 524.0);
    container->setSizeMode(zt::SPSidePanelSizeModeViewSize);
    EXPECT_EQ(container->leftSize(), 524.0);
    EXPECT_EQ(container->topSize(), 276.0);
    container->setLeftSize(400);
    EXPECT_EQ(container->leftLedgeSize(), 168.0);
    EXPECT_EQ(container->ledgeOffsetForSide(zt::SPSidePanelSideLeft), 400.0);
    EXPECT_EQ(container->ledgeOffsetForSide(zt::SPSidePanelSideRight), 44.0 - 568);
    EXPECT_EQ(container->ledgeOffsetForSide(zt::SPSidePanelSideBottom), 44.0 - 320);
}

TEST_F(SidePanelModel, TheBounceFactorIsClampedAndDurationsRefuseNonsense)
{
    container->setBounceDurationFactor(2.0);
    EXPECT_EQ(container->bounceDurationFactor(), static_cast<double>(0.99f));
    container->setBounceDurationFactor(-1);
    EXPECT_EQ(container->bounceDurationFactor(), 0.0);
    container->setBounceDurationFactor(NAN);
    EXPECT_EQ(container->bounceDurationFactor(), 0.0);
    container->setOpenSlideAnimationDuration(-2);
    EXPECT_EQ(container->openSlideAnimationDuration(), 0.0);
    container->setCloseSlideAnimationDuration(NAN);
    EXPECT_EQ(container->closeSlideAnimationDuration(), 0.3);
}

TEST_F(SidePanelModel, BadSizesAreRefusedOrClampedAndWithoutASlideNoCompletionRuns)
{
    std::vector<std::string> done;
    container->setLeftSize(NAN, recordCompletion(done));
    EXPECT_EQ(container->leftLedgeSize(), 44.0);
    container->setLeftSize(-20, recordCompletion(done));
    EXPECT_EQ(container->leftLedgeSize(), 0.0);
    container->setMaxSize(INFINITY);
    EXPECT_EQ(container->maxSize(), 0.0);
    EXPECT_TRUE(done.empty());
}

TEST_F(SidePanelModel, SidesAndControllersMapBothWays)
{
    auto left = std::make_shared<Panel>("left", log);
    auto stranger = std::make_shared<Panel>("stranger", log);
    container->setLeftController(left);
    EXPECT_EQ(container->sideForController(left.get()), zt::SPSidePanelSideLeft);
    EXPECT_EQ(container->sideForController(stranger.get()), 0xFFFFFFFFu);
    EXPECT_EQ(container->controllerForSide(0), nullptr);
    EXPECT_EQ(container->controllerForSide(9), nullptr);
    EXPECT_EQ(SPSidePanelController::oppositeOfSide(zt::SPSidePanelSideTop), zt::SPSidePanelSideBottom);
    EXPECT_EQ(SPSidePanelController::oppositeOfSide(7), 0u);
    std::vector<uint32_t> sides;
    container->doForControllers([&](const auto&, uint32_t side) { sides.push_back(side); });
    EXPECT_EQ(sides, (std::vector<uint32_t> {1, 2, 3, 4}));
    EXPECT_FALSE(container->isSideOpen(9));
    EXPECT_TRUE(container->isSideClosed(9));
}

TEST_F(SidePanelModel, AMaximumWithTwoSidesIsIgnored)
{
    container->setLeftController(std::make_shared<Panel>("left", log));
    container->setRightController(std::make_shared<Panel>("right", log));
    container->setMaxSize(100);
    EXPECT_EQ(container->maxSize(), 0.0);
    EXPECT_EQ(container->leftLedgeSize(), 44.0);
}

TEST_F(SidePanelModel, AMaximumCapsTheOnlySidesLedge)
{
    container->setLeftController(std::make_shared<Panel>("left", log));
    container->setMaxSize(30);
    EXPECT_EQ(container->maxSize(), 30.0);
    EXPECT_EQ(container->leftLedgeSize(), 30.0);
    container->setLeftSize(80);
    EXPECT_EQ(container->leftLedgeSize(), 30.0) << "capped";
    EXPECT_EQ(container->limitOffset(600, zt::SPSidePanelOrientationHorizontal), 538.0);
}

TEST_F(SidePanelModel, ADelegateMayChangeALedgeBeforeItIsStored)
{
    auto delegate = std::make_shared<PanelDelegate>();
    delegate->ledgeOverrides[zt::SPSidePanelSideLeft] = 60;
    container->setDelegate(delegate);
    container->setLeftSize(10);
    EXPECT_EQ(container->leftLedgeSize(), 60.0);
}

class SidePanelSliding : public SidePanelScreen {
protected:
    void SetUp() override
    {
        SidePanelScreen::SetUp();
        container->setLeftController(left);
        container->setRightController(right);
        container->setTopController(top);
        container->setBottomController(bottom);
    }

    std::shared_ptr<Panel> left = panel("left", plat::Color::colorWithRed(0.6, 0.2, 0.2, 1));
    std::shared_ptr<Panel> right = panel("right");
    std::shared_ptr<Panel> top = panel("top");
    std::shared_ptr<Panel> bottom = panel("bottom");
    std::vector<std::string> done;
};

TEST_F(SidePanelSliding, OpensAndClosesEachSideToItsLedge)
{
    show();
    const std::pair<uint32_t, plat::Point> open[] = {
        {zt::SPSidePanelSideLeft, {524, 0}},
        {zt::SPSidePanelSideRight, {-524, 0}},
        {zt::SPSidePanelSideTop, {0, 276}},
        {zt::SPSidePanelSideBottom, {0, -276}},
    };
    for (const auto& [side, origin] : open) {
        EXPECT_TRUE(container->openSideView(side, true, recordCompletion(done)));
        EXPECT_TRUE(container->isSideOpen(side)) << "the model moves at once";
        clock.advance(0.35);
        EXPECT_EQ(slidingFrame().origin, origin) << "side " << side;
        EXPECT_TRUE(container->isAnySideOpen());
        EXPECT_TRUE(container->closeSideView(side, true, recordCompletion(done)));
        clock.advance(0.35);
        EXPECT_EQ(slidingFrame().origin, (plat::Point {0, 0}));
        EXPECT_TRUE(container->isSideClosed(side));
    }
    EXPECT_EQ(done.size(), 8u);
}

TEST_F(SidePanelSliding, TheSidesAppearWithTheContainerAndThenFollowTheirClosingAndOpening)
{
    window->setRootViewController(container);
    clock.advance(0.02);
    EXPECT_EQ(log,
        (std::vector<std::string> {"centre willAppear", "left willAppear", "right willAppear", "top willAppear",
            "bottom willAppear", "centre didAppear", "left didAppear", "right didAppear", "top didAppear",
            "bottom didAppear"}));
    EXPECT_TRUE(left->view()->isHidden()) << "covered sides are hidden";
    log.clear();
    delegate->events.clear();

    container->openLeftViewAnimated(true, recordCompletion(done));
    EXPECT_TRUE(log.empty()) << "the side is already on screen";
    EXPECT_FALSE(left->view()->isHidden());
    EXPECT_TRUE(done.empty());
    EXPECT_FALSE(window->rootViewController()->view()->isUserInteractionEnabled()) << "no touches while sliding";
    clock.advance(0.35);
    EXPECT_TRUE(window->rootViewController()->view()->isUserInteractionEnabled());
    EXPECT_EQ(done, (std::vector<std::string> {"done YES"}));
    EXPECT_EQ(delegate->changes(), (std::vector<std::string> {"willOpen 1", "didOpen 1"}));

    delegate->events.clear();
    container->closeLeftViewAnimated(true);
    EXPECT_EQ(log, (std::vector<std::string> {"left willDisappear"}));
    clock.advance(0.35);
    EXPECT_EQ(log, (std::vector<std::string> {"left willDisappear", "left didDisappear"}));
    EXPECT_EQ(delegate->changes(), (std::vector<std::string> {"willClose 1", "didClose 1", "didShowCenter 1"}));
    EXPECT_TRUE(left->view()->isHidden()) << "a closed side is hidden";

    log.clear();
    container->openLeftViewAnimated(true);
    EXPECT_EQ(log, (std::vector<std::string> {"left willAppear"}));
    clock.advance(0.35);
    EXPECT_EQ(log, (std::vector<std::string> {"left willAppear", "left didAppear"}));

    log.clear();
    window->setHidden(true);
    EXPECT_EQ(log,
        (std::vector<std::string> {"centre willDisappear", "left willDisappear", "right willDisappear",
            "top willDisappear", "bottom willDisappear", "centre didDisappear", "left didDisappear",
            "right didDisappear", "top didDisappear", "bottom didDisappear"}))
        << "the sides on screen go with the container";
}

TEST_F(SidePanelSliding, OpeningAnOpenSideOnlyReportsSuccess)
{
    show();
    container->openLeftViewAnimated(false);
    clock.advance(0.01);
    log.clear();
    EXPECT_TRUE(container->openLeftViewAnimated(true, recordCompletion(done)));
    EXPECT_EQ(done, (std::vector<std::string> {"done YES"}));
    EXPECT_FALSE(slidingFrame().origin.x != 524 || container->slidingControllerView()->layer()->hasAnimations());
    EXPECT_TRUE(log.empty());
}

TEST_F(SidePanelSliding, OpeningTheOppositeSideClosesFirstThenOpens)
{
    show();
    container->openRightViewAnimated(false);
    clock.advance(0.01);
    delegate->events.clear();
    EXPECT_TRUE(container->openLeftViewAnimated(true, recordCompletion(done)));
    EXPECT_EQ(slidingFrame().origin.x, 0) << "the right side closes first";
    clock.advance(0.31);
    EXPECT_EQ(slidingFrame().origin.x, 524);
    EXPECT_TRUE(done.empty());
    clock.advance(0.31);
    EXPECT_EQ(done, (std::vector<std::string> {"done YES"}));
    EXPECT_EQ(delegate->changes(),
        (std::vector<std::string> {"willClose 2", "willOpen 1", "didClose 2", "didShowCenter 2", "didOpen 1"}));
}

TEST_F(SidePanelSliding, OnePointShortOfTheLedgeIsTransitioning)
{
    show();
    container->setSlidingFrameForOffset(523, zt::SPSidePanelOrientationHorizontal);
    EXPECT_FALSE(container->isSideOpen(zt::SPSidePanelSideLeft));
    EXPECT_FALSE(container->isSideClosed(zt::SPSidePanelSideLeft));
    EXPECT_TRUE(container->isSideTransitioning(zt::SPSidePanelSideLeft));
    EXPECT_TRUE(container->isSideClosed(zt::SPSidePanelSideRight));
}

TEST_F(SidePanelSliding, ARefusalKeepsTheSideShutAndSaysSo)
{
    show();
    delegate->refusedOpen[zt::SPSidePanelSideTop] = true;
    EXPECT_FALSE(container->openTopViewAnimated(true, recordCompletion(done)));
    EXPECT_EQ(done, (std::vector<std::string> {"done NO"}));
    clock.advance(0.5);
    EXPECT_EQ(slidingFrame().origin, (plat::Point {0, 0}));
}

TEST_F(SidePanelSliding, ANavigationTopControllerCanRefuseInDelegateModeOne)
{
    class Refusing : public Panel, public zt::SPSidePanelControllerDelegate {
    public:
        using Panel::Panel;
        std::optional<bool> sidePanelControllerShouldOpenViewSide(SPSidePanelController&, uint32_t) override
        {
            return false;
        }
    };
    auto refusing = std::make_shared<Refusing>("menu", log);
    container->setLeftController(std::make_shared<plat::NavigationController>(refusing));
    show();
    EXPECT_TRUE(container->openLeftViewAnimated(false)) << "only the delegate asked";
    clock.advance(0.01);
    container->closeLeftViewAnimated(false);
    clock.advance(0.01);
    container->setDelegateMode(1);
    EXPECT_FALSE(container->openLeftViewAnimated(false));
    EXPECT_TRUE(container->isSideClosed(zt::SPSidePanelSideLeft));
}

TEST_F(SidePanelSliding, ANewSizeSlidesAnOpenSideAndOnlyStoresAClosedOne)
{
    show();
    container->setTopSize(100);
    EXPECT_EQ(container->topLedgeSize(), 100.0);
    EXPECT_EQ(slidingFrame().origin.y, 0);
    container->openLeftViewAnimated(false);
    clock.advance(0.01);
    container->setLeftSize(100, recordCompletion(done));
    EXPECT_EQ(slidingFrame().origin.x, 468);
    clock.advance(0.15);
    const double shown = container->slidingControllerView()->layer()->presentationProperties().frame().minX();
    EXPECT_GT(shown, 468);
    EXPECT_LT(shown, 524);
    EXPECT_TRUE(done.empty());
    clock.advance(0.2);
    EXPECT_EQ(done, (std::vector<std::string> {"done YES"}));
    EXPECT_TRUE(container->isSideOpen(zt::SPSidePanelSideLeft));
}

TEST_F(SidePanelSliding, ANewSizeOfAnOpenSideSlidesForTheOpenOrTheCloseDuration)
{
    show();
    container->setOpenSlideAnimationDuration(0.5);
    container->setCloseSlideAnimationDuration(0.2);
    container->openLeftViewAnimated(false);
    clock.advance(0.01);
    const struct {
        double ledge;
        double seconds;
    } sizes[] = {
        {100, 0.5},  // a wider ledge from 44: the open duration
        {60, 0.2},  // a narrower one: the close duration
    };
    for (const auto& [ledge, seconds] : sizes) {
        SCOPED_TRACE(ledge);
        done.clear();
        container->setLeftSize(ledge, recordCompletion(done));
        clock.advance(seconds - 0.01);
        EXPECT_TRUE(done.empty());
        clock.advance(0.02);
        EXPECT_EQ(done, (std::vector<std::string> {"done YES"}));
        EXPECT_EQ(slidingFrame().origin.x, 568 - ledge);
    }
}

TEST_F(SidePanelSliding, ABouncingOpenGoesPastAndComesBackInTheFactorsShares)
{
    show();
    std::vector<std::string> bounced;
    container->openLeftViewBouncing(
        [&](SPSidePanelController&) { bounced.push_back("bounced"); }, recordCompletion(done));
    EXPECT_EQ(slidingFrame().origin.x, 568) << "out to the bounce offset";
    clock.advance(0.1);  // 0.3 x 0.3 s out
    EXPECT_EQ(bounced.size(), 1u);
    EXPECT_EQ(slidingFrame().origin.x, 524);
    EXPECT_TRUE(done.empty());
    clock.advance(0.15);  // 0.7 x 0.3 s back
    EXPECT_TRUE(done.empty());
    clock.advance(0.1);
    EXPECT_EQ(done, (std::vector<std::string> {"done YES"}));
    EXPECT_EQ(delegate->changes(), (std::vector<std::string> {"willOpen 1", "bouncedOpening 1", "didOpen 1"}));
}

TEST_F(SidePanelSliding, ABouncingCloseEndsClosed)
{
    show();
    container->openRightViewAnimated(false);
    clock.advance(0.01);
    EXPECT_TRUE(container->closeOpenViewBouncing(nullptr, recordCompletion(done)));
    settle();
    EXPECT_EQ(slidingFrame().origin.x, 0);
    EXPECT_EQ(done, (std::vector<std::string> {"done YES"}));
}

TEST_F(SidePanelSliding, APreviewBounceWobblesTheClosedCentreOnce)
{
    show();
    EXPECT_EQ(container->bouncingValuesForViewSide(zt::SPSidePanelSideLeft, 40, 4, 0.4, 1.2).size(), 100u);
    const auto half = container->bouncingValuesForViewSide(zt::SPSidePanelSideRight, 40, 4, 0.4, 0.5);
    ASSERT_EQ(half.size(), 50u);
    EXPECT_EQ(half.front(), 284.0f) << "starts at the centre's position";
    EXPECT_LE(*std::min_element(half.begin(), half.end()), 284.0f - 30) << "the right side pulls left";
    EXPECT_TRUE(container->bouncingValuesForViewSide(zt::SPSidePanelSideLeft, 40, 0, 0.4, 1.2).empty());
    EXPECT_TRUE(container->bouncingValuesForViewSide(zt::SPSidePanelSideLeft, 40, 4, 0.4, 0).empty());

    EXPECT_TRUE(container->previewBounceView(zt::SPSidePanelSideLeft, recordCompletion(done)));
    EXPECT_FALSE(container->previewBounceView(zt::SPSidePanelSideLeft)) << "one at a time";
    EXPECT_FALSE(left->view()->isHidden());
    clock.advance(0.3);
    EXPECT_GT(container->slidingControllerView()->layer()->presentationProperties().position.x, 284);
    clock.advance(1.0);
    EXPECT_EQ(done, (std::vector<std::string> {"done YES"}));
    EXPECT_TRUE(left->view()->isHidden()) << "closed again";
    EXPECT_EQ(slidingFrame().origin.x, 0);
}

TEST_F(SidePanelSliding, TappingTheUncoveredCentreClosesEachSideWhenAskedTo)
{
    container->setCenterhiddenInteractivity(zt::SPSidePanelCenterHiddenTapCloses);
    container->setCenterTapperAccessibilityLabel("Close the menu");
    show();
    // Where each side leaves the centre's ledge.
    const std::pair<uint32_t, plat::Point> taps[] = {
        {zt::SPSidePanelSideLeft, {550, 160}},
        {zt::SPSidePanelSideRight, {20, 160}},
        {zt::SPSidePanelSideTop, {284, 300}},
        {zt::SPSidePanelSideBottom, {284, 20}},
    };
    for (const auto& [side, at] : taps) {
        container->openSideView(side, /*animated=*/false, nullptr);
        clock.advance(0.01);
        ASSERT_TRUE(container->centerTapper());
        EXPECT_EQ(container->centerTapper()->accessibilityLabel(), "Close the menu");
        EXPECT_TRUE(container->centerTapper()->accessibilityViewIsModal());
        driver.tapAt(at);
        settle();
        EXPECT_TRUE(container->isSideClosed(side)) << "side " << side;
        EXPECT_FALSE(container->centerTapper());
    }
}

TEST_F(SidePanelSliding, ACoveredCentreSwallowsTapsOrClosesWithABounce)
{
    container->setCenterhiddenInteractivity(zt::SPSidePanelCenterHiddenNotInteractive);
    show();
    container->openLeftViewAnimated(false);
    clock.advance(0.01);
    driver.tapAt({550, 160});
    settle();
    EXPECT_TRUE(container->isSideOpen(zt::SPSidePanelSideLeft)) << "swallowed";
    container->setCenterhiddenInteractivity(zt::SPSidePanelCenterHiddenTapClosesBouncing);
    driver.tapAt({550, 160});
    EXPECT_EQ(slidingFrame().minX(), 568) << "out to the edge first";
    settle();
    EXPECT_TRUE(container->isSideClosed(zt::SPSidePanelSideLeft));
    container->openLeftViewAnimated(false);
    clock.advance(0.01);
    container->setCenterhiddenInteractivity(zt::SPSidePanelCenterHiddenInteractive);
    EXPECT_FALSE(container->centerTapper()) << "taken away at once while open";
}

TEST_F(SidePanelSliding, AnInteractiveCentreTakesItsOwnTapsWhileASideIsOpen)
{
    show();
    auto button = std::make_shared<plat::Button>(makeRect(0, 100, 40, 60));
    int taps = 0;
    class Counter : public plat::Object {
    public:
        explicit Counter(int& count)
            : _count(count)
        {
        }
        void tapped() { ++_count; }

    private:
        int& _count;
    };
    auto counter = std::make_shared<Counter>(taps);
    button->addTarget(counter.get(), &Counter::tapped, plat::ControlEventTouchUpInside);
    center->view()->addSubview(button);
    container->openLeftViewAnimated(false);
    clock.advance(0.01);
    EXPECT_FALSE(container->centerTapper());
    driver.tapAt({540, 130});  // in the uncovered strip
    EXPECT_EQ(taps, 1);
    EXPECT_TRUE(container->isSideOpen(zt::SPSidePanelSideLeft));
}

TEST_F(SidePanelSliding, NestedInteractionLocksNeedAsManyUnlocks)
{
    show();
    auto root = window->rootViewController()->view();
    container->disableUserInteraction();
    container->disableUserInteraction();
    container->enableUserInteraction();
    EXPECT_FALSE(root->isUserInteractionEnabled());
    container->enableUserInteraction();
    EXPECT_TRUE(root->isUserInteractionEnabled());
    container->enableUserInteraction();
    EXPECT_TRUE(root->isUserInteractionEnabled()) << "never below nought";
}

TEST_F(SidePanelSliding, ARightPanelPushesOntoTheCentresNavigationOverTheCentre)
{
    auto list = panel("list");
    auto navigation = std::make_shared<plat::NavigationController>(list);
    container->setCenterController(navigation);
    show();
    EXPECT_TRUE(container->canRightViewPushViewControllerOverCenterController());
    container->openRightViewAnimated(false);
    clock.advance(0.01);
    auto details = panel("details");
    container->rightViewPushViewControllerOverCenterController(details);
    EXPECT_EQ(navigation->topViewController(), details);
    EXPECT_TRUE(container->isSideClosed(zt::SPSidePanelSideRight));
    EXPECT_EQ(window->subviews().size(), 2u) << "a picture of the deck slides away over it";
    EXPECT_FALSE(window->rootViewController()->view()->isUserInteractionEnabled());
    clock.advance(0.35);
    EXPECT_EQ(window->subviews().size(), 1u);
    EXPECT_EQ(container->view()->frame().minX(), 0);
    EXPECT_TRUE(window->rootViewController()->view()->isUserInteractionEnabled());
}

TEST_F(SidePanelSliding, AnEmptyContainerKeepsFiniteFrames)
{
    container->setResizesCenterView(true);
    show();
    window->setFrame(makeRect(0, 0, 0, 0));
    for (uint32_t side = zt::SPSidePanelSideLeft; side <= zt::SPSidePanelSideBottom; ++side) {
        container->openSideView(side, /*animated=*/true, nullptr);
        settle();
        const plat::Rect frame = slidingFrame();
        EXPECT_TRUE(std::isfinite(frame.minX()) && std::isfinite(frame.minY())) << "side " << side;
        EXPECT_GE(frame.width(), 0);
        EXPECT_GE(frame.height(), 0);
        container->closeOpenViewAnimated(false);
        clock.advance(0.01);
    }
    EXPECT_TRUE(container->bouncingValuesForViewSide(zt::SPSidePanelSideLeft, 40, 4, 0.4, 1.2).size() == 100);
}

TEST_F(SidePanelSliding, ResizingTheCentreShrinksItInsteadOfMovingItPastTheEdge)
{
    container->setResizesCenterView(true);
    show();
    container->openRightViewAnimated(false);
    clock.advance(0.01);
    EXPECT_EQ(slidingFrame(), makeRect(0, 0, 44, 320));
    container->closeRightViewAnimated(false);
    container->openLeftViewAnimated(false);
    clock.advance(0.01);
    EXPECT_EQ(slidingFrame(), makeRect(524, 0, 44, 320));
}

}  // namespace
