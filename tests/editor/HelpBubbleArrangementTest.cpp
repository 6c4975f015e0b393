// Where the help overlay's bubbles go: at the edge of their spot, moved
// along it or over to another side to keep clear of texts and of each other.
#include "editor/HelpBubbleArrangement.h"

#include <gtest/gtest.h>

#include "platform/graphics/EdgeInsets.h"
#include "platform/ui/Label.h"
#include "platform/ui/Window.h"
#include "platform/ui/testing/UIScope.h"
#include "support/ManualClockScope.h"
#include "uikit/TipPopoverArrow.h"
#include "uikit/TipPopoverView.h"

namespace {

using plat::makeRect;
using zt::HelpBubbleArrangement;
using zt::TipPopoverView;

bool overlap(plat::Rect a, plat::Rect b)
{
    return a.minX() < b.maxX() && b.minX() < a.maxX() && a.minY() < b.maxY() && b.minY() < a.maxY();
}

class BubbleArrangement : public ::testing::Test {
protected:
    void SetUp() override
    {
        host = std::make_shared<plat::View>(makeRect(0, 0, 568, 320));
        window->addSubview(host);
    }

    // A bubble with a content of 100 x 30.
    static std::shared_ptr<TipPopoverView> bubble()
    {
        auto made = std::make_shared<TipPopoverView>();
        made->setContentSize({100, 30});
        return made;
    }
    // Where the bubble's body would lie with that choice.
    static plat::Rect bodyFor(TipPopoverView& bubble, const HelpBubbleArrangement::Choice& choice, plat::Rect bounds)
    {
        const auto placement = bubble.placementForRect(choice.spot, bounds, choice.direction, choice.arrowOffset);
        return plat::insetRect(placement.frame, placement.edgeInsets);
    }
    void addLabel(plat::Rect frame)
    {
        auto label = std::make_shared<plat::Label>(frame);
        label->setText("A caption");
        label->setTextAlignment(plat::TextAlignment::Center);
        host->addSubview(label);
    }

    plat::test::ManualClockScope clock;
    plat::test::UIScope ui;
    std::shared_ptr<plat::Window> window = std::make_shared<plat::Window>(makeRect(0, 0, 568, 320));
    std::shared_ptr<plat::View> host;
};

}  // namespace

TEST_F(BubbleArrangement, TheSpotIsTheEdgeOfTheRectangleThatFacesTheBubble)
{
    const plat::Rect control = makeRect(100, 200, 60, 40);
    const std::pair<unsigned, plat::Rect> edges[] = {
        {zt::TipPopoverArrowDirectionUp, makeRect(100, 240, 60, 1)},  // the bubble below: the bottom edge
        {zt::TipPopoverArrowDirectionDown, makeRect(100, 200, 60, 1)},
        {zt::TipPopoverArrowDirectionLeft, makeRect(160, 200, 1, 40)},  // the bubble to the right: the right edge
        {zt::TipPopoverArrowDirectionRight, makeRect(100, 200, 1, 40)},
        {zt::TipPopoverArrowDirectionNone, control},
    };
    for (const auto& [direction, edge] : edges)
        EXPECT_EQ(HelpBubbleArrangement::spotFacing(control, direction), edge) << direction;
    const plat::Rect point = makeRect(40, 280, 1, 1);
    EXPECT_EQ(HelpBubbleArrangement::spotFacing(point, zt::TipPopoverArrowDirectionUp), point) << "a point stays";
}

TEST_F(BubbleArrangement, ABubbleKeepsItsSideAndItsSpotWhenNothingIsInTheWay)
{
    HelpBubbleArrangement arrangement(*host);
    auto tip = bubble();
    const auto choice = arrangement.place(*tip, makeRect(250, 200, 60, 40), zt::TipPopoverArrowDirectionDown);
    EXPECT_EQ(choice.direction, zt::TipPopoverArrowDirectionDown);
    EXPECT_EQ(choice.spot, makeRect(280, 200, 1, 1)) << "the middle of the top edge";
    EXPECT_EQ(choice.arrowOffset, 0);
}

TEST_F(BubbleArrangement, ABubbleMovesAlongItsSideToKeepClearOfAText)
{
    // A caption just above the control's left half, where the bubble would stand.
    addLabel(makeRect(200, 150, 80, 20));
    HelpBubbleArrangement arrangement(*host);
    ASSERT_EQ(arrangement.texts().size(), 1u);
    auto tip = bubble();
    const plat::Rect control = makeRect(250, 200, 60, 40);
    const auto choice = arrangement.place(*tip, control, zt::TipPopoverArrowDirectionDown);
    EXPECT_EQ(choice.direction, zt::TipPopoverArrowDirectionDown) << "still above its control";
    EXPECT_EQ(choice.spot.minY(), 200);
    EXPECT_FALSE(overlap(bodyFor(*tip, choice, host->bounds()), arrangement.texts().front()));
}

TEST_F(BubbleArrangement, ABubbleWithoutRoomOnItsSideTurnsToAnother)
{
    // A caption across the whole width above the control.
    addLabel(makeRect(0, 150, 568, 40));
    HelpBubbleArrangement arrangement(*host);
    auto tip = bubble();
    const auto choice = arrangement.place(*tip, makeRect(250, 200, 60, 40), zt::TipPopoverArrowDirectionDown);
    EXPECT_EQ(choice.direction, zt::TipPopoverArrowDirectionUp) << "below its control instead";
    EXPECT_EQ(choice.spot.minY(), 240);
}

TEST_F(BubbleArrangement, ALaterBubbleKeepsClearOfTheBubblesBeforeIt)
{
    HelpBubbleArrangement arrangement(*host);
    auto first = bubble();
    auto second = bubble();
    const auto one = arrangement.place(*first, makeRect(250, 200, 60, 40), zt::TipPopoverArrowDirectionDown);
    const auto two = arrangement.place(*second, makeRect(280, 200, 60, 40), zt::TipPopoverArrowDirectionDown);
    EXPECT_FALSE(overlap(bodyFor(*first, one, host->bounds()), bodyFor(*second, two, host->bounds())));
}
