#include "platform/ui/View.h"

#include <gtest/gtest.h>
#include <numbers>

#include "platform/foundation/RunLoop.h"
#include "platform/ui/Layer.h"
#include "platform/ui/Window.h"
#include "platform/ui/testing/UIScope.h"
#include "support/ManualClockScope.h"

namespace {

class ViewTest : public ::testing::Test {
protected:
    plat::test::ManualClockScope clock;
    plat::test::UIScope ui;
};

class CountingView : public plat::View {
public:
    using View::View;
    void layoutSubviews() override { ++layouts; }
    int layouts = 0;
};

plat::Rect rect(double x, double y, double w, double h)
{
    return plat::makeRect(x, y, w, h);
}

}  // namespace

TEST_F(ViewTest, FrameFollowsCenterBoundsAndTransform)
{
    auto view = std::make_shared<plat::View>(rect(10, 20, 100, 50));
    EXPECT_EQ(view->center(), (plat::Point {60, 45}));
    EXPECT_EQ(view->bounds(), rect(0, 0, 100, 50));
    view->setTransform(plat::AffineTransform::makeScale(2, 2));
    EXPECT_EQ(view->frame(), rect(-40, -5, 200, 100));
    EXPECT_EQ(view->bounds(), rect(0, 0, 100, 50));
}

TEST_F(ViewTest, SettingTheFrameOfATurnedViewSwapsTheBoundsSize)
{
    auto view = std::make_shared<plat::View>(rect(0, 0, 10, 10));
    view->setTransform(plat::AffineTransform::makeRotation(std::numbers::pi / 2));
    view->setFrame(rect(0, 0, 568, 320));
    EXPECT_NEAR(view->bounds().width(), 320, 1e-9);
    EXPECT_NEAR(view->bounds().height(), 568, 1e-9);
    EXPECT_NEAR(view->frame().width(), 568, 1e-9);
    EXPECT_EQ(view->center(), (plat::Point {284, 160}));
}

TEST_F(ViewTest, SubviewOrderFollowsInsertAndFrontBackCalls)
{
    auto parent = std::make_shared<plat::View>(rect(0, 0, 100, 100));
    auto a = std::make_shared<plat::View>();
    auto b = std::make_shared<plat::View>();
    auto c = std::make_shared<plat::View>();
    parent->addSubview(a);
    parent->addSubview(b);
    parent->insertSubviewBelowSubview(c, *a);
    ASSERT_EQ(parent->subviews(), (std::vector<std::shared_ptr<plat::View>> {c, a, b}));
    parent->bringSubviewToFront(*c);
    parent->sendSubviewToBack(*b);
    EXPECT_EQ(parent->subviews(), (std::vector<std::shared_ptr<plat::View>> {b, a, c}));
    // The layers keep the same order, so drawing does too.
    EXPECT_EQ(
        parent->layer()->sublayers(), (std::vector<std::shared_ptr<plat::Layer>> {b->layer(), a->layer(), c->layer()}));
    parent->insertSubviewAboveSubview(b, *c);
    EXPECT_EQ(parent->subviews().back(), b);
}

TEST_F(ViewTest, AddingAViewElsewhereMovesIt)
{
    auto first = std::make_shared<plat::View>();
    auto second = std::make_shared<plat::View>();
    auto child = std::make_shared<plat::View>();
    first->addSubview(child);
    second->addSubview(child);
    EXPECT_TRUE(first->subviews().empty());
    EXPECT_EQ(child->superview(), second);
    child->removeFromSuperview();
    EXPECT_EQ(child->superview(), nullptr);
    EXPECT_TRUE(second->layer()->sublayers().empty());
}

TEST_F(ViewTest, ViewWithTagSearchesDepthFirst)
{
    auto root = std::make_shared<plat::View>();
    auto branch = std::make_shared<plat::View>();
    auto leaf = std::make_shared<plat::View>();
    auto sibling = std::make_shared<plat::View>();
    leaf->setTag(333);
    sibling->setTag(333);
    branch->addSubview(leaf);
    root->addSubview(branch);
    root->addSubview(sibling);
    EXPECT_EQ(root->viewWithTag(333), leaf);
    EXPECT_EQ(root->viewWithTag(99), nullptr);
}

TEST_F(ViewTest, LayoutRunsOnceForANewViewThenOnlyWhenItsSizeChanges)
{
    auto view = std::make_shared<CountingView>(rect(0, 0, 100, 100));
    clock.advance(0);
    EXPECT_EQ(view->layouts, 1);
    view->setCenter({200, 200});
    view->setFrame(rect(5, 5, 100, 100));
    clock.advance(0);
    EXPECT_EQ(view->layouts, 1) << "moving without resizing lays nothing out";
    view->setFrame(rect(5, 5, 120, 100));
    view->setBounds(rect(0, 0, 130, 100));
    clock.advance(0);
    EXPECT_EQ(view->layouts, 2) << "two resizes in one turn give one layout";
}

TEST_F(ViewTest, LayoutIfNeededRunsARequestAtOnce)
{
    auto view = std::make_shared<CountingView>(rect(0, 0, 100, 100));
    view->layoutIfNeeded();
    EXPECT_EQ(view->layouts, 1);
    view->layoutIfNeeded();
    EXPECT_EQ(view->layouts, 1);
    view->setNeedsLayout();
    view->layoutIfNeeded();
    EXPECT_EQ(view->layouts, 2);
    clock.advance(0);
    EXPECT_EQ(view->layouts, 2);
}

TEST_F(ViewTest, AutoresizingSharesTheChangeAmongFlexibleParts)
{
    auto parent = std::make_shared<plat::View>(rect(0, 0, 300, 200));
    auto stretches = std::make_shared<plat::View>(rect(10, 10, 280, 20));
    stretches->setAutoresizingMask(plat::ViewAutoresizingFlexibleWidth);
    auto floats = std::make_shared<plat::View>(rect(100, 50, 100, 20));
    floats->setAutoresizingMask(plat::ViewAutoresizingFlexibleLeftMargin | plat::ViewAutoresizingFlexibleRightMargin);
    auto pinned = std::make_shared<plat::View>(rect(10, 150, 50, 50));
    pinned->setAutoresizingMask(plat::ViewAutoresizingFlexibleTopMargin);
    parent->addSubview(stretches);
    parent->addSubview(floats);
    parent->addSubview(pinned);
    parent->setFrame(rect(0, 0, 400, 300));
    EXPECT_EQ(stretches->frame(), rect(10, 10, 380, 20));
    EXPECT_EQ(floats->frame(), rect(150, 50, 100, 20));
    EXPECT_EQ(pinned->frame(), rect(10, 250, 50, 50));
}

TEST_F(ViewTest, ConvertsPointsThroughTransformsAndOffsets)
{
    auto window = std::make_shared<plat::Window>(rect(0, 0, 568, 320));
    auto outer = std::make_shared<plat::View>(rect(100, 50, 200, 100));
    auto inner = std::make_shared<plat::View>(rect(20, 10, 40, 40));
    window->addSubview(outer);
    outer->addSubview(inner);
    EXPECT_EQ(inner->convertPoint({0, 0}, nullptr), (plat::Point {120, 60}));
    EXPECT_EQ(inner->convertPoint({5, 5}, outer.get()), (plat::Point {25, 15}));
    EXPECT_EQ(outer->convertPointFromView({125, 65}, window.get()), (plat::Point {25, 15}));
    // A scrolled view (bounds origin moved) shifts its subviews the other way.
    outer->setBounds(rect(10, 0, 200, 100));
    EXPECT_EQ(inner->convertPoint({0, 0}, nullptr), (plat::Point {110, 60}));
    // Doubled about its centre: the corner moves out by half the size.
    inner->setTransform(plat::AffineTransform::makeScale(2, 2));
    EXPECT_EQ(inner->convertPoint({0, 0}, outer.get()), (plat::Point {0, -10}));
    EXPECT_EQ(inner->convertRect(rect(0, 0, 40, 40), outer.get()), rect(0, -10, 80, 80));
}

TEST_F(ViewTest, HitTestFindsTheFrontmostInteractiveVisibleView)
{
    auto window = std::make_shared<plat::Window>(rect(0, 0, 568, 320));
    window->makeKeyAndVisible();
    auto back = std::make_shared<plat::View>(rect(0, 0, 200, 200));
    auto front = std::make_shared<plat::View>(rect(50, 50, 100, 100));
    auto child = std::make_shared<plat::View>(rect(10, 10, 20, 20));
    window->addSubview(back);
    window->addSubview(front);
    front->addSubview(child);
    EXPECT_EQ(window->hitTest({65, 65}, nullptr), child);
    EXPECT_EQ(window->hitTest({100, 100}, nullptr), front);
    EXPECT_EQ(window->hitTest({10, 10}, nullptr), back);
    front->setUserInteractionEnabled(false);
    EXPECT_EQ(window->hitTest({65, 65}, nullptr), back) << "a view without interaction hides its subviews too";
    front->setUserInteractionEnabled(true);
    front->setAlpha(0.005);
    EXPECT_EQ(window->hitTest({100, 100}, nullptr), back);
    front->setAlpha(1);
    front->setHidden(true);
    EXPECT_EQ(window->hitTest({100, 100}, nullptr), back);
    EXPECT_EQ(window->hitTest({400, 300}, nullptr), window);
    EXPECT_EQ(window->hitTest({600, 10}, nullptr), nullptr);
}

TEST_F(ViewTest, HitTestDoesNotReachSubviewsOutsideTheirSuperview)
{
    auto window = std::make_shared<plat::Window>(rect(0, 0, 568, 320));
    window->makeKeyAndVisible();
    auto box = std::make_shared<plat::View>(rect(0, 0, 100, 100));
    auto sticksOut = std::make_shared<plat::View>(rect(80, 80, 50, 50));
    window->addSubview(box);
    box->addSubview(sticksOut);
    EXPECT_EQ(window->hitTest({90, 90}, nullptr), sticksOut);
    EXPECT_EQ(window->hitTest({120, 120}, nullptr), window);
}

TEST_F(ViewTest, TintComesFromTheNearestAncestorThatHasOne)
{
    auto parent = std::make_shared<plat::View>();
    auto child = std::make_shared<plat::View>();
    parent->addSubview(child);
    EXPECT_EQ(child->tintColor(), plat::Color::colorWithRed(0, 122 / 255.0, 1, 1));
    parent->setTintColor(plat::Color::colorWithRed(212 / 255.0, 3 / 255.0, 215 / 255.0, 1));
    EXPECT_EQ(child->tintColor(), plat::Color::colorWithRed(212 / 255.0, 3 / 255.0, 215 / 255.0, 1));
}

TEST_F(ViewTest, DimmingReachesTheSubviewsThatFollowTheirSuperview)
{
    class Counting : public plat::View {
    public:
        void tintColorDidChange() override { ++changes; }
        int changes = 0;
    };
    auto parent = std::make_shared<plat::View>();
    auto follower = std::make_shared<Counting>();
    auto normal = std::make_shared<Counting>();
    parent->addSubview(follower);
    parent->addSubview(normal);
    normal->setTintAdjustmentMode(plat::ViewTintAdjustmentMode::Normal);
    EXPECT_EQ(follower->tintAdjustmentMode(), plat::ViewTintAdjustmentMode::Normal);
    follower->changes = normal->changes = 0;  // moving into the parent told them
    parent->setTintAdjustmentMode(plat::ViewTintAdjustmentMode::Dimmed);
    parent->setTintAdjustmentMode(plat::ViewTintAdjustmentMode::Dimmed);
    EXPECT_EQ(follower->tintAdjustmentMode(), plat::ViewTintAdjustmentMode::Dimmed);
    EXPECT_EQ(normal->tintAdjustmentMode(), plat::ViewTintAdjustmentMode::Normal);
    EXPECT_EQ(follower->changes, 1) << "told once, not for a repeat";
    EXPECT_EQ(normal->changes, 0);
    parent->setTintAdjustmentMode(plat::ViewTintAdjustmentMode::Automatic);
    EXPECT_EQ(follower->tintAdjustmentMode(), plat::ViewTintAdjustmentMode::Normal);
    EXPECT_EQ(follower->changes, 2);
}

TEST_F(ViewTest, BoundsChangesReachObservers)
{
    auto view = std::make_shared<plat::View>(rect(0, 0, 10, 10));
    int changes = 0;
    auto token = view->addObserverForKey("bounds", [&](const plat::PropertyChange& change) {
        EXPECT_EQ(change.key, "bounds");
        ++changes;
    });
    view->setFrame(rect(0, 0, 20, 10));
    view->setCenter({50, 50});
    EXPECT_EQ(changes, 1);
    token.reset();
    view->setFrame(rect(0, 0, 30, 10));
    EXPECT_EQ(changes, 1);
}
