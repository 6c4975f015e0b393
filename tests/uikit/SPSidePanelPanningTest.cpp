#include <cmath>
#include <gtest/gtest.h>

#include "SidePanelTestSupport.h"
#include "platform/ui/Layer.h"
#include "platform/ui/NavigationBar.h"
#include "platform/ui/NavigationController.h"
#include "platform/ui/PanGestureRecognizer.h"
#include "platform/ui/Slider.h"
#include "platform/ui/TouchSynthesizer.h"

namespace {

using plat::makeRect;
using zt::SPSidePanelController;
using zt::test::Panel;
using zt::test::SidePanelScreen;

constexpr double kStepSeconds = 1.0 / 60;

// Drags one finger a step each screen refresh.
class SidePanelPanning : public SidePanelScreen {
protected:
    void press(plat::Point at)
    {
        touches = std::make_unique<plat::TouchSynthesizer>(window);
        finger = touches->touchDown(at);
        fingerAt = at;
    }
    void move(plat::Point step, int count)
    {
        for (int i = 0; i < count; ++i) {
            clock.advance(kStepSeconds);
            fingerAt = {fingerAt.x + step.x, fingerAt.y + step.y};
            touches->moveTouch(finger, fingerAt);
        }
    }
    void lift()
    {
        touches->liftTouch(finger);
        clock.advance(0);
    }
    void drag(plat::Point from, plat::Point step, int count)
    {
        press(from);
        move(step, count);
        lift();
    }
    double shownX() const
    {
        return container->slidingControllerView()->layer()->presentationProperties().frame().minX();
    }
    double shownY() const
    {
        return container->slidingControllerView()->layer()->presentationProperties().frame().minY();
    }

    std::shared_ptr<Panel> left = panel("left");
    std::unique_ptr<plat::TouchSynthesizer> touches;
    std::shared_ptr<plat::Touch> finger;
    plat::Point fingerAt;
};

TEST_F(SidePanelPanning, ASlowDragPastTwoThirdsOpensAndShortOfItCloses)
{
    container->setLeftController(left);
    show();
    // 4 points a refresh is 240 points a second; the side is open at 524.
    press({20, 160});
    move({4, 0}, 79);  // 316, 60 %
    EXPECT_EQ(slidingFrame().minX(), 316);
    lift();
    settle();
    EXPECT_TRUE(container->isSideClosed(zt::SPSidePanelSideLeft));

    drag({20, 160}, {4, 0}, 92);  // 368, 70 %
    settle();
    EXPECT_TRUE(container->isSideOpen(zt::SPSidePanelSideLeft));
    EXPECT_EQ(delegate->changes(),
        (std::vector<std::string> {
            "willOpen 1", "willClose 1", "didClose 1", "didShowCenter 1", "willOpen 1", "didOpen 1"}));
}

TEST_F(SidePanelPanning, AFlickOpensInTheTimeTheRestOfTheWayTakesAtItsSpeed)
{
    container->setLeftController(left);
    show();
    // 1000 points a second for 15 refreshes: 250 points; 274 to go take 0.3425 s.
    drag({20, 160}, {50.0 / 3, 0}, 15);
    EXPECT_NEAR(slidingFrame().minX(), 524, 1e-9) << "the model jumps to the end";
    clock.advance(0.32);
    EXPECT_LT(shownX(), 523);
    clock.advance(0.04);
    EXPECT_EQ(shownX(), 524);
}

TEST_F(SidePanelPanning, AVerticalFlickTimesItselfAlongItsOwnAxis)
{
    auto top = panel("top");
    container->setTopController(top);
    show();
    // 1000 points a second for 9 refreshes: 150 points down; 126 to go take 0.1575 s.
    drag({284, 40}, {0, 50.0 / 3}, 9);
    EXPECT_NEAR(slidingFrame().minY(), 276, 1e-9);
    clock.advance(0.15);
    EXPECT_LT(shownY(), 276);
    clock.advance(0.02);
    EXPECT_EQ(shownY(), 276) << "not the 0.655 s the width would give";
    EXPECT_TRUE(container->isSideOpen(zt::SPSidePanelSideTop));
}

TEST_F(SidePanelPanning, PullingPastTheLedgeStretchesElastically)
{
    container->setLeftController(left);
    show();
    press({20, 160});
    move({8, 0}, 78);  // 624 points: 100 past the open position
    EXPECT_NEAR(slidingFrame().minX(), 524 + 200 / std::log(101.0), 1e-3);
    lift();
    settle();
    EXPECT_TRUE(container->isSideOpen(zt::SPSidePanelSideLeft));

    container->closeLeftViewAnimated(false);
    clock.advance(0.01);
    container->setElastic(false);
    press({20, 160});
    move({8, 0}, 78);
    EXPECT_EQ(slidingFrame().minX(), 524);
    lift();
}

TEST_F(SidePanelPanning, WithOnlyALeftSideDraggingLeftStaysClosed)
{
    container->setLeftController(left);
    show();
    press({400, 160});
    move({-6, 0}, 30);
    EXPECT_EQ(slidingFrame().minX(), 0) << "no pull either";
    lift();
    settle();
    EXPECT_TRUE(delegate->changes().empty());
}

TEST_F(SidePanelPanning, EachSideOpensByDraggingTowardsIt)
{
    container->setLeftController(left);
    container->setRightController(panel("right"));
    container->setTopController(panel("top"));
    container->setBottomController(panel("bottom"));
    show();
    const std::tuple<plat::Point, plat::Point, uint32_t> drags[] = {
        {{20, 160}, {6, 0}, zt::SPSidePanelSideLeft},
        {{548, 160}, {-6, 0}, zt::SPSidePanelSideRight},
        {{284, 20}, {0, 6}, zt::SPSidePanelSideTop},
        {{284, 300}, {0, -6}, zt::SPSidePanelSideBottom},
    };
    for (const auto& [from, step, side] : drags) {
        drag(from, step, 70);
        settle();
        EXPECT_TRUE(container->isSideOpen(side)) << "side " << side;
        container->closeOpenViewAnimated(false);
        clock.advance(0.01);
        EXPECT_TRUE(container->isSideClosed(side));
    }
}

TEST_F(SidePanelPanning, DraggingTheOpenPanelBackClosesIt)
{
    container->setLeftController(left);
    show();
    container->openLeftViewAnimated(false);
    clock.advance(0.01);
    delegate->events.clear();
    drag({540, 160}, {-6, 0}, 60);
    settle();
    EXPECT_TRUE(container->isSideClosed(zt::SPSidePanelSideLeft));
    EXPECT_EQ(delegate->changes(), (std::vector<std::string> {"willClose 1", "didClose 1", "didShowCenter 1"}));
}

TEST_F(SidePanelPanning, ATouchOnASliderNeverStartsAPan)
{
    container->setLeftController(left);
    show();
    auto slider = std::make_shared<plat::Slider>(makeRect(100, 140, 300, 40));
    center->view()->addSubview(slider);
    drag({250, 160}, {6, 0}, 40);
    settle();
    EXPECT_EQ(slidingFrame().minX(), 0);
}

TEST_F(SidePanelPanning, ARefusedSideAndADisabledContainerDoNotMove)
{
    container->setLeftController(left);
    show();
    delegate->refusedOpen[zt::SPSidePanelSideLeft] = true;
    drag({20, 160}, {6, 0}, 40);
    settle();
    EXPECT_EQ(slidingFrame().minX(), 0);
    delegate->refusedOpen.clear();
    container->setEnabled(false);
    drag({20, 160}, {6, 0}, 40);
    settle();
    EXPECT_EQ(slidingFrame().minX(), 0);
}

TEST_F(SidePanelPanning, APanDuringAPreviewBounceTakesOverWhereTheViewIsShown)
{
    container->setLeftController(left);
    show();
    ASSERT_TRUE(container->previewBounceView(zt::SPSidePanelSideLeft));
    clock.advance(0.1);
    ASSERT_GT(shownX(), 20) << "near the bounce's peak";
    press({100, 160});
    move({4, 0}, 3);  // 12 points: past the threshold, the pan begins
    EXPECT_FALSE(container->slidingControllerView()->layer()->animationForKey(
        SPSidePanelController::kPreviewBounceAnimationKey));
    EXPECT_EQ(slidingFrame().minX(), 12) << "the finger's place";
    EXPECT_GT(shownX(), 20) << "moving there from where the bounce showed it";
    clock.advance(0.35);
    EXPECT_EQ(shownX(), 12);
    lift();
}

TEST_F(SidePanelPanning, InModeFiveAClosedDeckOpensOnlyFromTheNavigationBar)
{
    auto navigation = std::make_shared<plat::NavigationController>(panel("list"));
    container->setCenterController(navigation);
    container->setLeftController(left);
    container->setPanningMode(zt::SPSidePanelPanningModeFullViewNavigationBarWhenClosed);
    show();
    drag({20, 200}, {6, 0}, 70);
    settle();
    EXPECT_TRUE(container->isSideClosed(zt::SPSidePanelSideLeft)) << "the content does not pan";
    const plat::Rect bar = navigation->navigationBar()->convertRect(navigation->navigationBar()->bounds(), nullptr);
    drag({20, bar.midY()}, {6, 0}, 70);
    settle();
    EXPECT_TRUE(container->isSideOpen(zt::SPSidePanelSideLeft));
}

TEST_F(SidePanelPanning, RecognisersWaitForAPanToEndBeforeTheyAreRebuilt)
{
    container->setLeftController(left);
    show();
    const auto before = container->panners();
    ASSERT_EQ(before.size(), 1u) << "the sliding view's";
    press({20, 160});
    move({6, 0}, 10);
    container->setPanningMode(zt::SPSidePanelPanningModeContainerView);
    EXPECT_EQ(container->panners(), before) << "still panning";
    lift();
    ASSERT_EQ(container->panners().size(), 1u);
    EXPECT_EQ(container->panners().front()->view(), window->rootViewController()->view());
}

}  // namespace
