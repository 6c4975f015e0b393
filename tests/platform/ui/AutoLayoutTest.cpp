#include "platform/ui/LayoutConstraint.h"

#include <gtest/gtest.h>
#include <string>

#include "platform/ui/Button.h"
#include "platform/ui/ImageView.h"
#include "platform/ui/Label.h"
#include "platform/ui/Layer.h"
#include "platform/ui/LinearSolver.h"
#include "platform/ui/ScrollView.h"
#include "platform/ui/Toolbar.h"
#include "platform/ui/View.h"
#include "platform/ui/Window.h"
#include "platform/ui/testing/UIScope.h"
#include "support/ManualClockScope.h"
#include "support/Pixels.h"

namespace {

using Views = std::map<std::string, std::shared_ptr<plat::View>>;
using Constraints = std::vector<std::shared_ptr<plat::LayoutConstraint>>;

Constraints format(const std::string& text, const Views& views, uint64_t options = 0)
{
    return plat::LayoutConstraint::constraintsWithVisualFormat(text, options, {}, views);
}

template <typename T = plat::View> std::shared_ptr<T> constrained(const std::shared_ptr<plat::View>& parent)
{
    auto view = std::make_shared<T>();
    view->setTranslatesAutoresizingMaskIntoConstraints(false);
    parent->addSubview(view);
    return view;
}

class AutoLayout : public ::testing::Test {
protected:
    plat::test::ManualClockScope clock;
    plat::test::UIScope ui;
    std::shared_ptr<plat::View> root = std::make_shared<plat::View>(plat::makeRect(0, 0, 320, 480));
};

}  // namespace

TEST_F(AutoLayout, FillingTheSuperviewFollowsItsSize)
{
    auto fill = constrained(root);
    root->addConstraints(format("H:|-0-[view]-0-|", {{"view", fill}}));
    root->addConstraints(format("V:|-0-[view]-0-|", {{"view", fill}}));
    root->layoutIfNeeded();
    EXPECT_EQ(fill->frame(), plat::makeRect(0, 0, 320, 480));
    root->setFrame(plat::makeRect(0, 0, 568, 320));
    root->layoutIfNeeded();
    EXPECT_EQ(fill->frame(), plat::makeRect(0, 0, 568, 320));
}

TEST_F(AutoLayout, ABarStuckToThreeEdgesWithAFixedHeightHoldsAButtonThatFillsIt)
{
    auto bar = constrained<plat::Toolbar>(root);
    auto button = constrained<plat::Button>(bar);
    for (const char* edge : {"H:|-(0)-[view]", "V:[view]-(0)-|", "H:[view]-(0)-|"})
        root->addConstraints(format(edge, {{"view", bar}}));
    bar->addConstraint(plat::LayoutConstraint::constraintWithItem(bar, plat::LayoutAttribute::Height,
        plat::LayoutRelation::Equal, nullptr, plat::LayoutAttribute::NotAnAttribute, 1, 62));
    bar->addConstraints(format("H:|-0-[view]-0-|", {{"view", button}}));
    bar->addConstraints(format("V:|-0-[view]-0-|", {{"view", button}}));
    root->layoutIfNeeded();
    EXPECT_EQ(bar->frame(), plat::makeRect(0, 418, 320, 62));
    EXPECT_EQ(button->frame(), plat::makeRect(0, 0, 320, 62));
}

TEST_F(AutoLayout, AFeatureRowLaysOutItsIconTitleAndDetail)
{
    auto content = std::make_shared<plat::View>(plat::makeRect(0, 0, 320, 108));
    root->addSubview(content);
    auto icon = constrained<plat::ImageView>(content);
    icon->setImage(plat::test::makeFlatImage(64, 64, {255, 255, 255, 255}));
    auto title = constrained<plat::Label>(content);
    title->setText("Capture");
    title->setFont(plat::Font::systemFontOfSize(20));
    auto detail = constrained<plat::Label>(content);
    detail->setText("Take pictures frame by frame with the camera.");
    detail->setFont(plat::Font::systemFontOfSize(14));
    detail->setNumberOfLines(0);
    Views views {{"icon", icon}, {"title", title}, {"detail", detail}};
    content->addConstraint(plat::LayoutConstraint::constraintWithItem(icon, plat::LayoutAttribute::CenterY,
        plat::LayoutRelation::Equal, content, plat::LayoutAttribute::CenterY, 1, 0));
    content->addConstraints(format("H:|-(26)-[icon(64)]-(10)-[title(>=194)]-(26)-|", views));
    content->addConstraints(format("H:|-(26)-[icon(64)]-(10)-[detail(>=194)]-(26)-|", views));
    content->addConstraints(format("V:|-(>=0)-[title(>=20)]-(0)-[detail(>=34)]-(>=29)-|", views));
    root->layoutIfNeeded();
    EXPECT_EQ(icon->frame(), plat::makeRect(26, 22, 64, 64));
    EXPECT_EQ(title->frame().minX(), 100);
    EXPECT_EQ(title->frame().width(), 194);
    EXPECT_GE(title->frame().height(), 20);
    EXPECT_EQ(detail->frame().minY(), title->frame().maxY());
    EXPECT_GE(detail->frame().height(), 34);
    EXPECT_LE(detail->frame().maxY(), 108 - 29);
}

TEST_F(AutoLayout, AHeaderChainsItsViewsDownwardAndCentresThem)
{
    auto header = std::make_shared<plat::View>(plat::makeRect(0, 0, 568, 360));
    root->addSubview(header);
    auto label = constrained<plat::Label>(header);
    label->setText("Welcome");
    label->setFont(plat::Font::fontWithName("HelveticaNeue-Ultralight", 62));
    label->setTextAlignment(plat::TextAlignment::Center);
    auto divider = constrained(header);
    auto subtitle = constrained<plat::Label>(header);
    subtitle->setText("A short line");
    subtitle->setNumberOfLines(2);
    Views views {{"label", label}, {"divider", divider}, {"labelDescription", subtitle}};
    header->addConstraints(format("H:|-0-[view]-0-|", {{"view", label}}));
    header->addConstraints(format("V:|-(0)-[view]", {{"view", label}}));
    divider->addConstraint(plat::LayoutConstraint::constraintWithItem(divider, plat::LayoutAttribute::Width,
        plat::LayoutRelation::Equal, nullptr, plat::LayoutAttribute::NotAnAttribute, 1, 296));
    divider->addConstraint(plat::LayoutConstraint::constraintWithItem(divider, plat::LayoutAttribute::Height,
        plat::LayoutRelation::Equal, nullptr, plat::LayoutAttribute::NotAnAttribute, 1, 0.5));
    header->addConstraints(format("H:|-[labelDescription]-|", views));
    header->addConstraints(
        format("V:[label][divider]-10-[labelDescription]", views, plat::LayoutFormatAlignAllCenterX));
    root->layoutIfNeeded();
    double labelHeight = label->intrinsicContentSize().height;
    EXPECT_EQ(label->frame(), plat::makeRect(0, 0, 568, labelHeight));
    EXPECT_EQ(divider->frame(), plat::makeRect(136, labelHeight, 296, 0.5));
    EXPECT_EQ(subtitle->frame().minX(), 20) << "the standard margin";
    EXPECT_EQ(subtitle->frame().width(), 528);
    EXPECT_EQ(subtitle->frame().minY(), labelHeight + 0.5 + 10);
}

TEST_F(AutoLayout, StrongerWishesWinAndBrokenRequirementsAreLeftOut)
{
    auto box = constrained(root);
    auto wide = plat::LayoutConstraint::constraintWithItem(box, plat::LayoutAttribute::Width,
        plat::LayoutRelation::Equal, nullptr, plat::LayoutAttribute::NotAnAttribute, 1, 200);
    wide->setPriority(750);
    auto narrow = plat::LayoutConstraint::constraintWithItem(box, plat::LayoutAttribute::Width,
        plat::LayoutRelation::Equal, nullptr, plat::LayoutAttribute::NotAnAttribute, 1, 100);
    narrow->setPriority(250);
    box->addConstraints({wide, narrow});
    root->addConstraints(format("V:|-10-[box(30)]", {{"box", box}}));
    root->addConstraints(format("V:|-20-[box]", {{"box", box}}));  // contradicts the 10
    root->layoutIfNeeded();
    EXPECT_EQ(box->frame().width(), 200);
    EXPECT_EQ(box->frame().height(), 30);
    EXPECT_EQ(box->frame().minY(), 10) << "the first required placement stands";
    wide->setPriority(100);
    root->layoutIfNeeded();
    EXPECT_EQ(box->frame().width(), 100);
}

TEST_F(AutoLayout, CentringBetweenInequalitiesAndFollowingAChangedConstant)
{
    auto icon = constrained(root);
    root->addConstraints(format("H:|-(>=0)-[icon(64)]-(>=0)-|", {{"icon", icon}}));
    root->addConstraint(plat::LayoutConstraint::constraintWithItem(
        icon, plat::LayoutAttribute::CenterX, plat::LayoutRelation::Equal, root, plat::LayoutAttribute::CenterX, 1, 0));
    auto top = plat::LayoutConstraint::constraintWithItem(
        icon, plat::LayoutAttribute::Top, plat::LayoutRelation::Equal, root, plat::LayoutAttribute::Top, 1, 5);
    top->setActive(true);
    EXPECT_EQ(top->holder(), root) << "activation installs it in the common ancestor";
    root->layoutIfNeeded();
    EXPECT_EQ(icon->frame().minX(), 128);
    EXPECT_EQ(icon->frame().minY(), 5);
    top->setConstant(40);
    root->layoutIfNeeded();
    EXPECT_EQ(icon->frame().minY(), 40);
    top->setActive(false);
    EXPECT_FALSE(top->isActive());
}

TEST_F(AutoLayout, AWrappingLabelIsAsHighAsItsTextAtTheWidthItGets)
{
    auto label = constrained<plat::Label>(root);
    label->setNumberOfLines(0);
    label->setText("There is almost no space left on this device. You cannot record new media until you free "
                   "some space.");
    root->addConstraints(format("H:|-20-[label]-20-|", {{"label", label}}));
    root->addConstraints(format("V:|-10-[label]", {{"label", label}}));
    root->layoutIfNeeded();
    double expected = label->sizeThatFits({280, 0}).height;
    EXPECT_GT(expected, label->font().lineHeight() * 2);
    EXPECT_EQ(label->frame(), plat::makeRect(20, 10, 280, expected));
}

TEST_F(AutoLayout, ALabelsTextAsksForLayoutAndItsColourDoesNot)
{
    auto label = constrained<plat::Label>(root);
    root->addConstraints(format("H:|-20-[label]", {{"label", label}}));
    root->addConstraints(format("V:|-10-[label]", {{"label", label}}));
    struct Change {
        std::function<void()> make;
        bool asksForLayout;
    };
    for (const Change& change : {Change {[&] { label->setText("Storage Nearly Full"); }, true},
             Change {[&] { label->setTextColor(plat::Color::whiteColor()); }, false},
             Change {[&] { label->setHighlightedTextColor(plat::Color::redColor()); }, false}}) {
        root->layoutIfNeeded();
        change.make();
        EXPECT_EQ(root->layer()->needsLayout(), change.asksForLayout);
    }
}

TEST_F(AutoLayout, ViewsThatTranslateTheirFrameStayPutAndAnchorOthers)
{
    auto fixed = std::make_shared<plat::View>(plat::makeRect(40, 50, 100, 30));
    root->addSubview(fixed);
    auto follower = constrained(root);
    root->addConstraints(format("H:[fixed]-8-[follower(==fixed)]", {{"fixed", fixed}, {"follower", follower}}));
    root->addConstraints(format("V:[fixed]-[follower(44)]", {{"fixed", fixed}, {"follower", follower}}));
    root->layoutIfNeeded();
    EXPECT_EQ(fixed->frame(), plat::makeRect(40, 50, 100, 30));
    EXPECT_EQ(follower->frame(), plat::makeRect(148, 88, 100, 44));
}

TEST_F(AutoLayout, ContentPinnedInsideAScrollViewScrollsWithIt)
{
    auto scroll = std::make_shared<plat::ScrollView>(plat::makeRect(0, 0, 320, 480));
    root->addSubview(scroll);
    scroll->setContentSize({320, 2000});
    auto row = constrained(scroll);
    root->addConstraints(format("H:|-0-[row]-0-|", {{"row", row}}));
    root->addConstraints(format("V:|-10-[row(50)]", {{"row", row}}));
    scroll->layoutIfNeeded();
    EXPECT_EQ(row->frame(), plat::makeRect(0, 10, 320, 50));
    scroll->setContentOffset({0, 200});
    scroll->layoutIfNeeded();
    EXPECT_EQ(row->frame(), plat::makeRect(0, 10, 320, 50));
}

TEST(LinearSolving, RequiredEqualitiesHoldAndWeakerWishesYield)
{
    plat::detail::LinearSolver solver;
    auto x = solver.addVariable();
    auto y = solver.addVariable();
    using R = plat::detail::LinearSolver::Relation;
    // x + y = 10; x >= 2; x = 9 (weak); y = 4 (stronger)
    EXPECT_TRUE(solver.addConstraint({{{x, 1}, {y, 1}}, -10}, R::Equal, plat::detail::LinearSolver::kRequired));
    EXPECT_TRUE(solver.addConstraint({{{x, 1}}, -2}, R::GreaterOrEqual, plat::detail::LinearSolver::kRequired));
    EXPECT_TRUE(solver.addConstraint({{{x, 1}}, -9}, R::Equal, 1));
    EXPECT_TRUE(solver.addConstraint({{{y, 1}}, -4}, R::Equal, 100));
    EXPECT_NEAR(solver.value(x), 6, 1e-9);
    EXPECT_NEAR(solver.value(y), 4, 1e-9);
    EXPECT_FALSE(solver.addConstraint({{{x, 1}}, -1}, R::LessOrEqual, plat::detail::LinearSolver::kRequired))
        << "x <= 1 contradicts x >= 2";
    EXPECT_NEAR(solver.value(x), 6, 1e-9);
}

TEST(AutoLayoutDeathTest, AFormatNamingAnUnknownViewStops)
{
    auto view = std::make_shared<plat::View>();
    EXPECT_DEATH(format("H:|-[missing]-|", {{"view", view}}), "unknown view \"missing\"");
    EXPECT_DEATH(format("H:|-[view", {{"view", view}}), "expected");
}
