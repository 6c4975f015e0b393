#include <gtest/gtest.h>

#include "SidePanelTestSupport.h"
#include "platform/ui/Application.h"
#include "platform/ui/Layer.h"
#include "platform/ui/NavigationController.h"
#include "platform/ui/NavigationItem.h"
#include "platform/ui/PanGestureRecognizer.h"
#include "platform/ui/TabBarItem.h"
#include "platform/ui/ViewControllerHooks.h"
#include "platform/ui/ViewRendering.h"
#include "platform/ui/testing/PictureComparison.h"
#include "support/TemporarySandbox.h"

namespace {

using plat::makeRect;
using zt::SPSidePanelController;
using zt::test::Panel;
using zt::test::SidePanelScreen;

using SidePanelContainment = SidePanelScreen;

TEST_F(SidePanelContainment, SidesSetBeforeTheViewLoadsAreChildrenBelowTheCentreOnFirstAppearance)
{
    auto left = panel("left");
    container->setLeftController(left);
    EXPECT_FALSE(container->isViewLoaded());
    EXPECT_EQ(zt::sidePanelController(*left), container) << "linked at once";
    show();
    EXPECT_EQ(left->parentViewController(), container);
    EXPECT_EQ(center->parentViewController(), container);
    const auto& subviews = container->view()->subviews();
    auto sliding = container->slidingControllerView();
    ASSERT_EQ(subviews.size(), 2u);
    EXPECT_EQ(subviews[0], left->view()) << "below the sliding view";
    EXPECT_EQ(subviews[1], sliding);
    EXPECT_EQ(center->view()->superview(), sliding);
    EXPECT_EQ(left->view()->frame(), makeRect(0, 0, 568, 320));
    EXPECT_TRUE(left->view()->isHidden());
}

TEST_F(SidePanelContainment, TheSlidingViewCarriesTheBuiltInShadowUnlessTheDelegateDrawsOne)
{
    show();
    const auto& layer = container->slidingControllerView()->layer();
    EXPECT_EQ(layer->shadowRadius(), 10.0);
    EXPECT_EQ(layer->shadowOpacity(), 0.5);
    EXPECT_EQ(layer->shadowColor(), plat::Color::blackColor());
    EXPECT_EQ(layer->shadowOffset(), (plat::Size {0, 0}));
    EXPECT_FALSE(layer->masksToBounds());

    class Shading : public zt::test::PanelDelegate {
    public:
        bool sidePanelControllerApplyShadowWithBounds(SPSidePanelController&, plat::Layer& on, plat::Rect) override
        {
            on.setShadowOpacity(0.9);
            on.setShadowRadius(2);
            return true;
        }
    };
    auto shading = std::make_shared<Shading>();
    container->setDelegate(shading);
    container->applyShadowToSlidingViewAnimated(false);
    EXPECT_EQ(layer->shadowOpacity(), 0.9);
    EXPECT_EQ(layer->shadowRadius(), 2.0);
}

TEST_F(SidePanelContainment, ANewCentreTakesTheOldOnesPlaceFrameAndRecognisers)
{
    container->setLeftController(panel("left"));
    show();
    container->openLeftViewAnimated(false);
    clock.advance(0.01);
    const plat::Rect oldFrame = center->view()->frame();
    auto next = panel("next");
    container->setCenterController(next);
    EXPECT_EQ(log,
        (std::vector<std::string> {
            "centre willDisappear", "centre didDisappear", "next willAppear", "next didAppear"}));
    EXPECT_EQ(next->view()->superview(), container->slidingControllerView());
    EXPECT_EQ(next->view()->frame(), oldFrame);
    EXPECT_FALSE(center->parentViewController());
    EXPECT_FALSE(zt::sidePanelController_core(*center));
    EXPECT_EQ(zt::sidePanelController(*next), container);
    ASSERT_FALSE(container->panners().empty());
    EXPECT_EQ(container->panners().front()->view(), container->slidingControllerView());
    EXPECT_EQ(container->slidingControllerView()->layer()->shadowRadius(), 10.0);
    EXPECT_TRUE(container->isSideOpen(zt::SPSidePanelSideLeft)) << "the deck stays as it was";
}

TEST_F(SidePanelContainment, ASideMadeTheCentreLeavesItsSide)
{
    auto left = panel("left");
    container->setLeftController(left);
    show();
    container->setCenterController(left);
    EXPECT_FALSE(container->leftController());
    EXPECT_EQ(container->centerController(), left);
    EXPECT_EQ(container->controllers(), (std::vector<std::shared_ptr<plat::ViewController>> {left}));
    container->setRightController(left);
    EXPECT_FALSE(container->centerController()) << "and back: one place at a time";
    EXPECT_EQ(container->rightController(), left);
}

TEST_F(SidePanelContainment, TurningWithTheLeftSideOpenKeepsItOpenAtTheSameLedge)
{
    container->setLeftController(panel("left"));
    show();
    container->openLeftViewAnimated(false);
    clock.advance(0.01);
    (void)container->shouldAutorotateToInterfaceOrientation(plat::InterfaceOrientation::Portrait);
    container->willRotateToInterfaceOrientation(plat::InterfaceOrientation::Portrait, 0.3);
    window->setFrame(makeRect(0, 0, 320, 568));
    container->willAnimateRotationToInterfaceOrientation(plat::InterfaceOrientation::Portrait, 0.3);
    container->didRotateFromInterfaceOrientation(plat::InterfaceOrientation::LandscapeRight);
    EXPECT_EQ(slidingFrame(), makeRect(276, 0, 320, 568));
    EXPECT_TRUE(container->isSideOpen(zt::SPSidePanelSideLeft));
}

TEST_F(SidePanelContainment, ChildrenPresentFromTheContainerAndShareItsNavigation)
{
    auto left = panel("left");
    container->setLeftController(left);
    auto navigation = std::make_shared<plat::NavigationController>(container);
    window->setRootViewController(navigation);
    clock.advance(0.02);
    EXPECT_EQ(left->navigationController(), navigation);
    EXPECT_EQ(left->navigationItem(), container->navigationItem());
    std::vector<plat::ViewController*> presenters;
    plat::ViewControllerHooks::addPresentHook(
        [&](plat::ViewController& presenter, std::shared_ptr<plat::ViewController> presented, bool animated,
            std::function<void()> completion, const plat::ViewControllerHooks::PresentNext& next) {
            presenters.push_back(&presenter);
            next(presenter, std::move(presented), animated, std::move(completion));
        });
    auto modal = panel("modal");
    left->presentViewController(modal, /*animated=*/false, nullptr);
    EXPECT_EQ(presenters, (std::vector<plat::ViewController*> {container.get()}));
    EXPECT_EQ(container->presentedViewController(), modal);
    auto loner = panel("loner");
    EXPECT_FALSE(zt::sidePanelController(*loner));
}

TEST_F(SidePanelContainment, GoingAwayClearsTheLinksOfTheCentreAndAllFourSides)
{
    std::vector<std::shared_ptr<Panel>> children {panel("left"), panel("right"), panel("top"), panel("bottom")};
    container->setLeftController(children[0]);
    container->setRightController(children[1]);
    container->setTopController(children[2]);
    container->setBottomController(children[3]);
    children.push_back(center);
    show();
    window->setRootViewController(nullptr);
    container.reset();
    for (const auto& child : children)
        EXPECT_FALSE(child->associatedObjects().contains("SidePanelController")) << child->name();
}

TEST_F(SidePanelContainment, TheCentresTitleAndTabBarItemShowOnTheContainer)
{
    center->setTitle("Gallery");
    EXPECT_EQ(container->title(), "Gallery");
    container->setTitle("Videos");
    EXPECT_EQ(center->title(), "Videos");
    container->setAutomaticallyUpdateTabBarItems(true);
    center->tabBarItem()->setTitle("Watch");
    EXPECT_EQ(container->tabBarItem()->title(), "Watch");
    center->setHidesBottomBarWhenPushed(true);
    EXPECT_TRUE(container->hidesBottomBarWhenPushed());
    container->setAutomaticallyUpdateTabBarItems(false);
    center->tabBarItem()->setTitle("Later");
    EXPECT_EQ(container->tabBarItem()->title(), "Watch");
}

TEST_F(SidePanelContainment, InTheIntegratedBehaviourTheNavigationControllerSlides)
{
    auto left = panel("left");
    container->setLeftController(left);
    container->setNavigationControllerBehavior(zt::SPSidePanelNavigationControllerIntegrated);
    auto navigation = std::make_shared<plat::NavigationController>(container);
    window->setRootViewController(navigation);
    clock.advance(0.02);
    EXPECT_EQ(container->slidingController(), navigation);
    EXPECT_EQ(container->slidingControllerView(), navigation->view());
    EXPECT_EQ(left->view()->superview(), window) << "the reference view is the navigation view's superview";
    container->openLeftViewAnimated(false);
    clock.advance(0.01);
    EXPECT_EQ(navigation->view()->frame().minX(), 524);
    auto pushed = panel("pushed");
    navigation->pushViewController(pushed, /*animated=*/false);
    EXPECT_EQ(zt::sidePanelController(*pushed), container) << "found on the navigation stack";
}

TEST_F(SidePanelContainment, TheBehaviourIsFixedOnceShown)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    show();
    EXPECT_DEATH(container->setNavigationControllerBehavior(zt::SPSidePanelNavigationControllerIntegrated),
        "Cannot set navigationcontroller behavior when the side panel is already showing.");
}

}  // namespace

namespace {

using zt::test::SidePanelScreen;

// The deck with its left panel open: the panel, the centre's ledge beside
// it and the shadow between them.
class SidePanelPicture : public SidePanelScreen {
protected:
    void openWithMenu(const std::string& caption)
    {
        container->setLeftController(panel(caption, plat::Color::colorWithRed(0.55, 0.15, 0.2, 1)));
        container->setLeftSize(120);
        show();
        container->openLeftViewAnimated(true);
        settle();
    }

    plat::test::PictureComparison compare()
    {
        auto picture = plat::snapshotWindow(*window, 1);
        if (!picture)
            return {};
        return plat::test::compareWithReferencePicture(
            *picture, plat::test::sourcePath("tests/data/uikit/side_panel_left_open.png"), output.path());
    }

    plat::test::TemporaryFolder output;
};

TEST_F(SidePanelPicture, ShowsTheOpenPanelBesideTheCentresLedge)
{
    openWithMenu("Menu");
    auto result = compare();
    EXPECT_TRUE(result.matches) << result.explanation;
}

TEST_F(SidePanelPicture, AMissingPanelCaptionFailsTheComparison)
{
    openWithMenu("");
    EXPECT_FALSE(compare().matches);
}

}  // namespace
