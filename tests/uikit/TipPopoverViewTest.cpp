#include "uikit/TipPopoverView.h"

#include <cmath>
#include <gtest/gtest.h>

#include "platform/graphics/Image.h"
#include "platform/ui/ImageView.h"
#include "platform/ui/Label.h"
#include "platform/ui/Layer.h"
#include "platform/ui/ViewRendering.h"
#include "platform/ui/Window.h"
#include "platform/ui/testing/PictureComparison.h"
#include "platform/ui/testing/UIScope.h"
#include "support/ManualClockScope.h"
#include "support/TemporarySandbox.h"
#include "uikit/TipPopoverAnimationHelper.h"
#include "uikit/TipPopoverBackgroundHelper.h"

namespace {

using plat::makeRect;
using zt::TipPopoverView;

class TipPopover : public ::testing::Test {
protected:
    void SetUp() override
    {
        window = std::make_shared<plat::Window>(makeRect(0, 0, 568, 320));
        window->makeKeyAndVisible();
        host = std::make_shared<plat::View>(makeRect(0, 0, 568, 320));
        host->setBackgroundColor(plat::Color::colorWithRed(0.85, 0.85, 0.8, 1));
        window->addSubview(host);
        tip->setDidPresentBlock([this](TipPopoverView&) { events.push_back("presented"); });
        tip->setDidDismissBlock([this](TipPopoverView&) { events.push_back("dismissed"); });
    }

    plat::test::ManualClockScope clock;
    plat::test::UIScope ui;
    std::shared_ptr<plat::Window> window;
    std::shared_ptr<plat::View> host;
    std::shared_ptr<TipPopoverView> tip = std::make_shared<TipPopoverView>();
    std::vector<std::string> events;
};

TEST_F(TipPopover, TheDefaultContentWithAnUpArrowMakesABubbleOf180By90BelowTheTarget)
{
    tip->presentFromRect(makeRect(200, 100, 40, 20), host, zt::TipPopoverArrowDirectionUp, false);
    EXPECT_EQ(tip->frame(), makeRect(130, 110, 180, 90));
    EXPECT_EQ(tip->edgeInsets(), (plat::EdgeInsets {20, 10, 10, 10}));
    EXPECT_EQ(tip->superview(), host);
    EXPECT_EQ(events, (std::vector<std::string> {"presented"}));
    tip->layoutIfNeeded();
    EXPECT_EQ(tip->contentView()->frame(), makeRect(10, 20, 160, 60));
    EXPECT_EQ(tip->backgroundImageView()->frame(), makeRect(0, 0, 180, 90));
    EXPECT_EQ(tip->arrowRect(), makeRect(215, 120, 10, 10)) << "its base centred under the target";
}

TEST_F(TipPopover, EachDirectionPlacesTheBubbleOnItsSideOfTheTarget)
{
    const plat::Rect target = makeRect(274, 150, 20, 20);  // centre (284, 160)
    const std::pair<unsigned, plat::Rect> expected[] = {
        {zt::TipPopoverArrowDirectionDown, makeRect(194, 70, 180, 90)},
        {zt::TipPopoverArrowDirectionLeft, makeRect(284, 120, 190, 80)},
        {zt::TipPopoverArrowDirectionRight, makeRect(94, 120, 190, 80)},
        {zt::TipPopoverArrowDirectionNone, makeRect(194, 120, 180, 80)},
    };
    for (const auto& [direction, frame] : expected) {
        auto bubble = std::make_shared<TipPopoverView>();
        bubble->presentFromRect(target, host, direction, false);
        EXPECT_EQ(bubble->frame(), frame) << "direction " << direction;
    }
}

TEST_F(TipPopover, ALineOnePointWideIsTargetedAtItsX)
{
    tip->presentFromRect(makeRect(300, 100, 1, 30), host, zt::TipPopoverArrowDirectionUp, false);
    EXPECT_EQ(tip->frame().minX(), 300 - 90);
    EXPECT_EQ(tip->frame().minY(), 115) << "the middle of its height";
}

TEST_F(TipPopover, ABubbleStickingOutIsPulledInAndItsArrowStillPointsAtTheTarget)
{
    // Centre x 508: the bubble would reach 598, 30 past the host's edge.
    tip->presentFromRect(makeRect(498, 100, 20, 20), host, zt::TipPopoverArrowDirectionUp, false);
    EXPECT_EQ(tip->frame(), makeRect(388, 110, 180, 90));
    EXPECT_EQ(tip->arrow()->offset(), 30);
    EXPECT_EQ(tip->arrowRect().midX(), 508);

    // Far past the left edge the offset stops at (180 - 20 - 12) / 2 - 6 = 68.
    auto left = std::make_shared<TipPopoverView>();
    left->presentFromRect(makeRect(-50, 100, 20, 20), host, zt::TipPopoverArrowDirectionUp, false);
    EXPECT_EQ(left->frame().minX(), 0);
    EXPECT_EQ(left->arrow()->offset(), -68);
}

TEST_F(TipPopover, AnArrowMovedAlongItsSideStillPointsAtTheTargetWhenThePullAddsToIt)
{
    // The arrow 40 points left of the body's middle: the body lies 40 points
    // further right, 250 to 430, inside the host.
    tip->arrow()->setOffset(-40);
    tip->presentFromRect(makeRect(290, 100, 20, 20), host, zt::TipPopoverArrowDirectionUp, false);
    EXPECT_EQ(tip->frame(), makeRect(250, 110, 180, 90));
    EXPECT_EQ(tip->arrowRect().midX(), 300);

    // Near the right edge the body would reach 630: the pull of 62 points
    // adds to the -40, and the arrow stays on the target at x 500.
    auto pulled = std::make_shared<TipPopoverView>();
    pulled->arrow()->setOffset(-40);
    pulled->presentFromRect(makeRect(490, 100, 20, 20), host, zt::TipPopoverArrowDirectionUp, false);
    EXPECT_EQ(pulled->frame(), makeRect(388, 110, 180, 90));
    EXPECT_EQ(pulled->arrow()->offset(), 22);
    EXPECT_EQ(pulled->arrowRect().midX(), 500);
}

TEST_F(TipPopover, APlacementIsWherePresentingPutsTheBubbleAndChangesNothing)
{
    const auto placement
        = tip->placementForRect(makeRect(498, 100, 20, 20), host->bounds(), zt::TipPopoverArrowDirectionUp, 0);
    EXPECT_EQ(placement.frame, makeRect(388, 110, 180, 90));
    EXPECT_EQ(placement.arrowOffset, 30);
    EXPECT_EQ(placement.direction, zt::TipPopoverArrowDirectionUp);
    EXPECT_EQ(placement.edgeInsets, (plat::EdgeInsets {20, 10, 10, 10}));
    EXPECT_EQ(tip->arrow()->offset(), 0) << "nothing changed";
    EXPECT_FALSE(tip->superview());
    tip->presentFromRect(makeRect(498, 100, 20, 20), host, zt::TipPopoverArrowDirectionUp, false);
    EXPECT_EQ(tip->frame(), placement.frame);
    EXPECT_EQ(tip->arrow()->offset(), placement.arrowOffset);
}

TEST_F(TipPopover, OnlyTheDrawnBubbleTakesATouchNotTheMarginAroundIt)
{
    // Below the target at (220, 110): the frame 130 to 310 across and 110 to
    // 200 down, its body 140 to 300 and 130 to 190, the arrow above the body.
    tip->presentFromRect(makeRect(200, 100, 40, 20), host, zt::TipPopoverArrowDirectionUp, false);
    tip->layoutIfNeeded();
    const std::pair<plat::Point, bool> touches[] = {
        {{220, 160}, true},  // the body's middle
        {{141, 131}, true},  // just inside the body's corner
        {{220, 125}, true},  // the arrow
        {{135, 160}, false},  // the see-through margin on the left
        {{220, 195}, false},  // and below
        {{150, 120}, false},  // beside the arrow
    };
    for (const auto& [point, taken] : touches) {
        auto hit = window->hitTest(point, nullptr);
        EXPECT_EQ(hit && (hit == tip || hit->isDescendantOfView(*tip)), taken) << point.x << ", " << point.y;
    }
}

TEST_F(TipPopover, FadesInAndOutAndReportsEachOnlyWhenDone)
{
    tip->presentFromRect(makeRect(200, 100, 40, 20), host, zt::TipPopoverArrowDirectionDown, true);
    EXPECT_TRUE(events.empty());
    clock.advance(0.1);
    const double shown = tip->layer()->presentationProperties().opacity;
    EXPECT_GT(shown, 0);
    EXPECT_LT(shown, 1);
    clock.advance(0.2);
    EXPECT_EQ(events, (std::vector<std::string> {"presented"}));
    tip->dismissPopoverAnimated(true);
    clock.advance(0.1);
    EXPECT_TRUE(tip->superview());
    clock.advance(0.2);
    EXPECT_FALSE(tip->superview());
    EXPECT_EQ(events, (std::vector<std::string> {"presented", "dismissed"}));
}

TEST_F(TipPopover, DismissingWithoutAnimationReportsAtOnce)
{
    tip->presentFromRect(makeRect(200, 100, 40, 20), host, zt::TipPopoverArrowDirectionDown, false);
    tip->dismissPopoverAnimated(false);
    EXPECT_FALSE(tip->superview());
    EXPECT_EQ(events, (std::vector<std::string> {"presented", "dismissed"}));
}

TEST_F(TipPopover, AdjustingMovesTheBubbleAndKeepsItsSize)
{
    tip->presentFromRect(makeRect(200, 100, 40, 20), host, zt::TipPopoverArrowDirectionUp, false);
    tip->adjustPositionToRect(makeRect(100, 40, 40, 20), /*animated=*/true);
    EXPECT_EQ(tip->frame(), makeRect(30, 50, 180, 90));
    clock.advance(0.1);
    EXPECT_GT(tip->layer()->presentationProperties().frame().minX(), 30);
    clock.advance(0.2);
    EXPECT_EQ(tip->layer()->presentationProperties().frame().minX(), 30);
}

TEST_F(TipPopover, TheBubblePictureStretchesOnlyAlongTheBody)
{
    tip->arrow()->setDirection(zt::TipPopoverArrowDirectionUp);
    auto picture = tip->backgroundHelper()->resizableBackgroundImageForSize({180, 90}, {20, 10, 10, 10});
    ASSERT_TRUE(picture);
    EXPECT_EQ(picture->size(), (plat::Size {180, 43}));
    EXPECT_EQ(picture->capInsets(), (plat::EdgeInsets {26, 0, 16, 0}));
    EXPECT_EQ(tip->backgroundHelper()->pathFrame(), makeRect(10, 20, 160, 13));
    EXPECT_EQ(picture->scale(), 2) << "drawn at the screen's scale";
}

TEST_F(TipPopover, RefusesSizesThatAreNoNumbers)
{
    tip->setContentSize({NAN, 10});
    EXPECT_EQ(tip->contentSize(), (plat::Size {160, 60}));
    tip->setContentSize({-20, 0});
    EXPECT_EQ(tip->contentSize(), (plat::Size {0, 0}));
    tip->arrow()->setSize({INFINITY, 5});
    EXPECT_EQ(tip->arrow()->size(), (plat::Size {10, 10}));
    tip->presentFromRect(makeRect(200, 100, 40, 20), host, 3, false);
    EXPECT_EQ(tip->arrow()->direction(), zt::TipPopoverArrowDirectionNone) << "not one edge";
    EXPECT_EQ(tip->frame(), makeRect(210, 100, 20, 20));
    auto other = std::make_shared<TipPopoverView>();
    other->presentFromRect(makeRect(NAN, 0, 1, 1), host, zt::TipPopoverArrowDirectionUp, false);
    EXPECT_FALSE(other->superview());
}

class TipPopoverPicture : public TipPopover {
protected:
    void presentWithCaption(const std::string& caption)
    {
        tip->backgroundHelper()->setFillColor(plat::Color::colorWithRed(0.1, 0.3, 0.6, 0.85));
        auto label = std::make_shared<plat::Label>(makeRect(0, 0, 160, 60));
        label->setText(caption);
        label->setTextColor(plat::Color::whiteColor());
        label->setTextAlignment(plat::TextAlignment::Center);
        tip->contentView()->addSubview(label);
        tip->presentFromRect(makeRect(480, 40, 40, 30), host, zt::TipPopoverArrowDirectionUp, false);
    }

    plat::test::PictureComparison compare()
    {
        auto picture = plat::snapshotWindow(*window, 1);
        if (!picture)
            return {};
        return plat::test::compareWithReferencePicture(
            *picture, plat::test::sourcePath("tests/data/uikit/tip_popover_up.png"), output.path());
    }

    plat::test::TemporaryFolder output;
};

TEST_F(TipPopoverPicture, ShowsBubbleArrowShadowAndCaption)
{
    presentWithCaption("Tap to add a frame");
    auto result = compare();
    EXPECT_TRUE(result.matches) << result.explanation;
}

TEST_F(TipPopoverPicture, AMissingCaptionFailsTheComparison)
{
    presentWithCaption("");
    EXPECT_FALSE(compare().matches);
}

}  // namespace
