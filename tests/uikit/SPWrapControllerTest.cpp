#include "uikit/SPWrapController.h"

#include <cmath>
#include <gtest/gtest.h>

#include "SidePanelTestSupport.h"
#include "platform/ui/Application.h"
#include "platform/ui/Layer.h"
#include "platform/ui/NavigationController.h"
#include "platform/ui/NavigationItem.h"

namespace {

using plat::makeRect;
using zt::SPSideController;
using zt::SPWrapController;
using zt::test::Panel;
using zt::test::SidePanelScreen;

using WrapController = SidePanelScreen;

TEST_F(WrapController, AFullScreenControllerIsWrappedBelowTheStatusBar)
{
    auto inner = panel("inner");
    auto wrapper = SPWrapController::initWithViewController(inner);
    EXPECT_EQ(zt::wrapController(*inner), wrapper);
    // Landscape: the bar is 20 points thick though its frame runs 568 across.
    EXPECT_EQ(SPWrapController::statusBarHeight(), 20);
    EXPECT_EQ(wrapper->view()->frame(), makeRect(0, 20, 568, 300));
    EXPECT_EQ(inner->view()->frame(), makeRect(0, 0, 568, 300));
    EXPECT_EQ(inner->view()->autoresizingMask(), 18u);
    EXPECT_EQ(inner->parentViewController(), wrapper);
    plat::Application::sharedApplication().setStatusBarHidden(true);
    EXPECT_EQ(SPWrapController::statusBarHeight(), 0);
}

TEST_F(WrapController, AppearanceAndRotationReachTheWrappedControllerAfterTheBlocks)
{
    auto inner = panel("inner");
    auto wrapper = SPWrapController::initWithViewController(inner);
    wrapper->setOnViewWillAppear([this](SPWrapController&, bool) { log.push_back("block willAppear"); });
    wrapper->setOnViewDidAppear([this](SPWrapController&, bool) { log.push_back("block didAppear"); });
    window->setRootViewController(wrapper);
    EXPECT_EQ(
        log, (std::vector<std::string> {"block willAppear", "inner willAppear", "block didAppear", "inner didAppear"}));
    class Portrait : public Panel {
    public:
        using Panel::Panel;
        unsigned supportedInterfaceOrientations() const override { return plat::InterfaceOrientationMaskPortrait; }
    };
    auto upright = SPWrapController::initWithViewController(std::make_shared<Portrait>("upright", log));
    EXPECT_EQ(upright->supportedInterfaceOrientations(), plat::InterfaceOrientationMaskPortrait);
}

TEST_F(WrapController, ATurnOfTheDeviceReachesTheWrappedControllerOnce)
{
    class Turning : public Panel {
    public:
        using Panel::Panel;
        void willRotateToInterfaceOrientation(plat::InterfaceOrientation to, double seconds) override
        {
            turns.push_back("willRotate " + std::to_string(static_cast<int>(to)) + " " + std::to_string(seconds));
        }
        void willAnimateRotationToInterfaceOrientation(plat::InterfaceOrientation to, double seconds) override
        {
            turns.push_back("willAnimate " + std::to_string(static_cast<int>(to)) + " " + std::to_string(seconds));
        }
        void didRotateFromInterfaceOrientation(plat::InterfaceOrientation from) override
        {
            turns.push_back("didRotate " + std::to_string(static_cast<int>(from)));
        }
        std::vector<std::string> turns;
    };
    auto inner = std::make_shared<Turning>("inner", log);
    auto wrapper = SPWrapController::initWithViewController(inner);
    window->setRootViewController(wrapper);
    ASSERT_TRUE(
        plat::Application::sharedApplication().rotateToInterfaceOrientation(plat::InterfaceOrientation::LandscapeLeft));
    // Each callback once, with the wrapper's arguments: the wrapper forwards by hand, the platform does not.
    const std::string seconds = std::to_string(0.4);
    EXPECT_EQ(inner->turns,
        (std::vector<std::string> {"willRotate 4 " + seconds, "willAnimate 4 " + seconds, "didRotate 3"}));
}

TEST_F(WrapController, TheWrappedControllerNavigatesThroughItsWrapper)
{
    auto inner = panel("inner");
    auto wrapper = SPWrapController::initWithViewController(inner);
    auto navigation = std::make_shared<plat::NavigationController>(wrapper);
    window->setRootViewController(navigation);
    EXPECT_EQ(inner->navigationController(), navigation);
    EXPECT_EQ(inner->navigationItem(), wrapper->navigationItem());
    EXPECT_EQ(inner->tabBarItem(), wrapper->tabBarItem());
}

TEST_F(WrapController, AControllerOnAWrappedNavigationStackFindsTheWrapper)
{
    auto navigation = std::make_shared<plat::NavigationController>(panel("root"));
    auto wrapper = SPWrapController::initWithViewController(navigation);
    window->setRootViewController(wrapper);
    auto pushed = panel("pushed");
    navigation->pushViewController(pushed, /*animated=*/false);
    EXPECT_EQ(zt::wrapController(*pushed), wrapper);
    EXPECT_FALSE(zt::wrapController_core(*pushed));
}

TEST_F(WrapController, GoingAwayUnlinksTheWrappedController)
{
    auto inner = panel("inner");
    auto wrapper = SPWrapController::initWithViewController(inner);
    (void)wrapper->view();
    wrapper.reset();
    EXPECT_FALSE(inner->associatedObjects().contains("WrapController"));
    EXPECT_FALSE(inner->parentViewController());
}

TEST_F(WrapController, ASideControllerShowsOnlyItsSidesVisibleWidth)
{
    auto menu = panel("menu");
    auto side = SPSideController::initWithViewControllerConstrained(menu, 200);
    container->setLeftController(side);
    show();
    EXPECT_EQ(zt::sideController(*menu), side);
    EXPECT_EQ(menu->view()->frame(), makeRect(0, 0, 200, 320)) << "200 wide at the left";
    side->setConstrainedSize(SPSideController::kNotConstrained, /*animated=*/false);
    EXPECT_EQ(menu->view()->frame().width(), container->leftViewSize());
    EXPECT_EQ(menu->view()->frame().width(), 524);
    side->setConstrainedSize(120);
    EXPECT_EQ(menu->view()->frame().width(), 120) << "animated towards it";
    clock.advance(0.15);
    EXPECT_GT(menu->view()->layer()->presentationProperties().frame().width(), 120);
}

TEST_F(WrapController, RightTopAndBottomSidesShrinkTowardsTheirEdge)
{
    auto right = SPSideController::initWithViewControllerConstrained(panel("right"), 200);
    auto top = SPSideController::initWithViewControllerConstrained(panel("top"), 100);
    auto bottom = SPSideController::initWithViewControllerConstrained(panel("bottom"), 100);
    container->setRightController(right);
    container->setTopController(top);
    container->setBottomController(bottom);
    show();
    // The container gives each side its whole bounds; the wrapped views show the visible part.
    EXPECT_EQ(right->wrappedController()->view()->frame(), makeRect(368, 0, 200, 320));
    EXPECT_EQ(top->wrappedController()->view()->frame(), makeRect(0, 0, 568, 100));
    EXPECT_EQ(bottom->wrappedController()->view()->frame(), makeRect(0, 220, 568, 100));
}

TEST_F(WrapController, ASideControllerOnNoSideLeavesItsViewAlone)
{
    auto stray = SPSideController::initWithViewControllerConstrained(panel("stray"), 200);
    auto navigation = std::make_shared<plat::NavigationController>(stray);
    container->setCenterController(navigation);
    show();
    EXPECT_EQ(stray->wrappedController()->view()->frame().size, stray->view()->bounds().size);
    stray->setConstrainedSize(NAN);
    EXPECT_EQ(stray->constrainedSize(), 200);
}

}  // namespace
