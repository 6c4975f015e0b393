#include <cmath>
#include <gtest/gtest.h>
#include <numbers>

#include "CarouselTestSupport.h"
#include "platform/graphics/Image.h"
#include "platform/ui/Label.h"
#include "platform/ui/testing/PictureComparison.h"
#include "support/TemporarySandbox.h"
#include "uikit/Carousel.h"

namespace {

using plat::Transform3D;
using zt::test::CarouselFixture;
using zt::test::expectTransformNear;

constexpr double kPi = std::numbers::pi;
constexpr double kPerspective = static_cast<double>(-1.0f / 500.0f);

Transform3D base()
{
    Transform3D t;
    t.m34 = kPerspective;
    return t;
}

// Twelve items of 100 points in the fixture's 400 x 200 carousel.
class CarouselLayoutTypes : public CarouselFixture {
protected:
    void showType(zt::CarouselType type, int64_t count = 12)
    {
        carousel->setType(type);
        show(count);
    }

    // Each loaded item's container against the transform the formula gives for its offset.
    void expectEveryItem(const std::function<Transform3D(double offset)>& formula, double tolerance = 1e-6)
    {
        ASSERT_FALSE(carousel->indexesForVisibleItems().empty());
        for (int64_t index : carousel->indexesForVisibleItems())
            expectTransformNear(transformOf(index), formula(carousel->offsetForItemAtIndex(index)), tolerance,
                "item " + std::to_string(index));
    }
};

TEST_F(CarouselLayoutTypes, TheLinearRowRunsDownWhenVertical)
{
    carousel->setVertical(true);
    delegate->itemWidth = 50;
    showType(zt::CarouselTypeLinear);
    // (200 - 50) / 50 + 2 items fit.
    EXPECT_EQ(carousel->numberOfVisibleItems(), 5);
    expectEveryItem([](double offset) { return plat::translate(base(), 0, offset * 50, 0); });
}

TEST_F(CarouselLayoutTypes, SpacingPerspectiveAndViewpointShapeTheLinearRow)
{
    delegate->options[zt::CarouselOptionSpacing] = 1.5;
    carousel->setPerspective(-0.01);
    carousel->setViewpointOffset({20, -10});
    showType(zt::CarouselTypeLinear);
    expectEveryItem([](double offset) {
        Transform3D t;
        t.m34 = -0.01;
        return plat::translate(plat::translate(t, -20, 10, 0), offset * 150, 0, 0);
    });
    EXPECT_DOUBLE_EQ(transformOf(1).m41, 150 - 20);
}

TEST_F(CarouselLayoutTypes, TheRingStandsItsTwelveItemsRoundACircle)
{
    showType(zt::CarouselTypeRing);
    EXPECT_TRUE(carousel->wrapEnabled());
    // ceil(400 / 100) x pi = 12.57 slots, at least 12, truncated: 12; all twelve are loaded.
    EXPECT_EQ(carousel->numberOfVisibleItems(), 12);
    // max(50, 50 / tan(pi / 12)) = 186.6
    const double radius = 50 / std::tan(kPi / 12);
    expectEveryItem(
        [&](double offset) {
            double angle = 2 * kPi * offset / 12;
            return plat::translate(base(), radius * std::sin(angle), 0, radius * std::cos(angle) - radius);
        },
        1e-4);
    EXPECT_NEAR(transformOf(3).m41, 186.6025, 1e-3);
    EXPECT_NEAR(transformOf(3).m43, -186.6025, 1e-3);
    EXPECT_NEAR(transformOf(6).m43, -373.205, 1e-3);
}

TEST_F(CarouselLayoutTypes, TheInvertedRingTurnsTheOtherWayAndLoadsHalfTheCircle)
{
    showType(zt::CarouselTypeInvertedRing);
    EXPECT_EQ(carousel->numberOfVisibleItems(), 6);
    const double radius = -50 / std::tan(kPi / 12);
    expectEveryItem(
        [&](double offset) {
            double angle = -2 * kPi * offset / 12;
            return plat::translate(base(), radius * std::sin(angle), 0, radius * std::cos(angle) - radius);
        },
        1e-4);
    EXPECT_NEAR(transformOf(1).m43, 25.0, 1e-3) << "the neighbours come towards the viewer";
}

TEST_F(CarouselLayoutTypes, RingOptionsOverrideCountRadiusAndAngle)
{
    delegate->options[zt::CarouselOptionCount] = 8;
    delegate->options[zt::CarouselOptionRadius] = 300;
    delegate->options[zt::CarouselOptionArc] = kPi;
    showType(zt::CarouselTypeRing);
    EXPECT_EQ(carousel->numberOfVisibleItems(), 8);
    expectEveryItem(
        [](double offset) {
            double angle = kPi * offset / 8;
            return plat::translate(base(), 300 * std::sin(angle), 0, 300 * std::cos(angle) - 300);
        },
        1e-6);
}

TEST_F(CarouselLayoutTypes, AWideViewLimitsTheCircleToThirtySlots)
{
    carousel->setFrame(plat::makeRect(0, 0, 1000, 200));
    showType(zt::CarouselTypeCylinder, 40);
    // ceil(1000 / 100) x pi = 31.4 slots is more than 30.
    EXPECT_EQ(carousel->numberOfVisibleItems(), 30);
}

TEST_F(CarouselLayoutTypes, TheCylinderTurnsEachItemToFaceOutwards)
{
    showType(zt::CarouselTypeCylinder);
    const double radius = static_cast<double>(std::fmax(50.0f, 50.0f / std::tan(static_cast<float>(kPi / 12))));
    const double nudge = static_cast<double>(0.01f);
    expectEveryItem(
        [&](double offset) {
            Transform3D t = plat::translate(base(), 0, 0, -radius);
            t = plat::rotate(t, 2 * kPi * offset / 12, 0, 1, 0);
            return plat::translate(t, 0, 0, radius + nudge);
        },
        1e-4);
    // A quarter turn round: the item stands sideways at the cylinder's edge, a radius back.
    EXPECT_NEAR(transformOf(3).m41, 186.6125, 1e-3);
    EXPECT_NEAR(transformOf(3).m43, -186.6025, 1e-3);
    EXPECT_NEAR(transformOf(3).m33, 0, 1e-6);
}

TEST_F(CarouselLayoutTypes, ANarrowCylinderKeepsAHundredthOfAPointOfRadius)
{
    delegate->itemWidth = 0.001;
    showType(zt::CarouselTypeCylinder);
    EXPECT_NEAR(transformOf(3).m41, 0.01 + static_cast<double>(0.01f), 1e-6);
    EXPECT_NEAR(transformOf(3).m43, -0.01, 1e-6);
}

TEST_F(CarouselLayoutTypes, TheInvertedCylinderHidesTheItemsFacingAway)
{
    delegate->options[zt::CarouselOptionVisibleItems] = 12;
    showType(zt::CarouselTypeInvertedCylinder);
    ASSERT_EQ(carousel->indexesForVisibleItems().size(), 12u);
    // Four slots round, the item has turned by 120 degrees: its face looks away.
    EXPECT_LT(transformOf(4).m33, 0);
    EXPECT_TRUE(containerOf(4)->isHidden());
    EXPECT_TRUE(containerOf(8)->isHidden());
    EXPECT_FALSE(containerOf(2)->isHidden());
    EXPECT_FALSE(containerOf(0)->isHidden());
    EXPECT_TRUE(carousel->itemViewAtIndex(4)->layer()->isDoubleSided());

    delegate->options[zt::CarouselOptionShowBackfaces] = 1;
    carousel->setScrollOffset(1);
    carousel->setScrollOffset(0);
    EXPECT_FALSE(containerOf(4)->isHidden());
}

TEST_F(CarouselLayoutTypes, OtherTypesHideBackFacesOnlyOfSingleSidedItems)
{
    delegate->options[zt::CarouselOptionVisibleItems] = 12;
    items = std::make_shared<zt::test::NumberedItems>(12);
    items->prepare = [](plat::View& view, int64_t index) { view.layer()->setDoubleSided(index != 6); };
    carousel->setType(zt::CarouselTypeCylinder);
    carousel->setDelegate(delegate);
    carousel->setDataSource(items);
    settle();
    EXPECT_TRUE(containerOf(6)->isHidden());
    EXPECT_FALSE(containerOf(5)->isHidden());
}

TEST_F(CarouselLayoutTypes, TheWheelTurnsItemsAboutAPointBelowTheRow)
{
    showType(zt::CarouselTypeWheel);
    const double radius = 100 * 12 / (2 * kPi);
    // The wheel (190.99 - 50 from its centre) is larger than half the view's short side: half of it and one more.
    EXPECT_EQ(carousel->numberOfVisibleItems(), 7);
    expectEveryItem(
        [&](double offset) {
            Transform3D t = plat::translate(base(), 0, radius, 0);
            t = plat::rotate(t, 2 * kPi / 12 * offset, 0, 0, 1);
            return plat::translate(t, 0, -radius, offset * static_cast<double>(0.01f));
        },
        1e-4);
    expectTransformNear(transformOf(0), base(), 1e-12, "the centre item");
    // Item 1 turns by 30 degrees about (0, radius), which stays where it is.
    Transform3D t = transformOf(1);
    EXPECT_NEAR(t.m11, std::cos(kPi / 6), 1e-9);
    EXPECT_NEAR(t.m12, std::sin(kPi / 6), 1e-9);
    EXPECT_NEAR(radius * t.m21 + t.m41, 0, 1e-6);
    EXPECT_NEAR(radius * t.m22 + t.m42, radius, 1e-6);
}

TEST_F(CarouselLayoutTypes, TheInvertedWheelTurnsAboutAPointAboveTheRow)
{
    showType(zt::CarouselTypeInvertedWheel);
    const double radius = -100 * 12 / (2 * kPi);
    Transform3D t = transformOf(1);
    EXPECT_NEAR(t.m12, -std::sin(kPi / 6), 1e-9);
    EXPECT_NEAR(radius * t.m21 + t.m41, 0, 1e-6);
    EXPECT_NEAR(radius * t.m22 + t.m42, radius, 1e-6);
}

TEST_F(CarouselLayoutTypes, AVerticalWheelTurnsAboutAPointToTheLeft)
{
    carousel->setVertical(true);
    showType(zt::CarouselTypeWheel);
    const double radius = 80 * 12 / (2 * kPi);
    expectEveryItem(
        [&](double offset) {
            Transform3D t = plat::translate(base(), -radius, 0, 0);
            t = plat::rotate(t, 2 * kPi / 12 * offset, 0, 0, 1);
            return plat::translate(t, radius, 0, offset * static_cast<double>(0.01f));
        },
        1e-4);
}

// x = (c x 0.45 + offset x 0.25) x 100, pushed back |c| x 50, turned c x -0.9 x pi / 2 about y.
Transform3D tiltedFlow(double offset, double c)
{
    const double tilt = static_cast<double>(0.9f);
    Transform3D t = plat::translate(
        base(), (c * 0.5 * tilt + offset * 0.25) * 100, 0, static_cast<double>(std::fabs(static_cast<float>(c))) * -50);
    return plat::rotate(t, c * -kPi / 2 * tilt, 0, 1, 0);
}

TEST_F(CarouselLayoutTypes, TheTiltedFlowTurnsTheNeighboursAndStacksThemBehind)
{
    showType(zt::CarouselTypeTiltedFlow);
    EXPECT_EQ(carousel->offsetMultiplier(), 2);
    carousel->setScrollOffset(5);
    // (400 - 100) / 25 + 2 = 14, as many as there are.
    EXPECT_EQ(carousel->numberOfVisibleItems(), 12);
    expectEveryItem([](double offset) { return tiltedFlow(offset, std::fmax(-1, std::fmin(1, offset))); }, 1e-5);
    expectTransformNear(transformOf(5), base(), 1e-12, "the centre item is flat");
    EXPECT_NEAR(transformOf(6).m41, 70, 1e-5);
    EXPECT_NEAR(transformOf(6).m43, -50, 1e-6);
    EXPECT_NEAR(transformOf(6).m11, std::cos(0.9 * kPi / 2), 1e-6);
    EXPECT_NEAR(transformOf(4).m41, -70, 1e-5);
    EXPECT_NEAR(transformOf(8).m41, 120, 1e-5);
}

TEST_F(CarouselLayoutTypes, TheSecondTiltedFlowTurnsTheNewCentreItemOverAndBack)
{
    showType(zt::CarouselTypeTiltedFlow2);
    expectEveryItem([](double offset) { return tiltedFlow(offset, std::fmax(-1, std::fmin(1, offset))); }, 1e-5);

    carousel->setScrollOffset(1);
    EXPECT_EQ(carousel->toggle(), -1);
    // The old centre item is still flat, the new one still fully turned.
    expectTransformNear(transformOf(0), tiltedFlow(-1, 0), 1e-5, "item 0");
    expectTransformNear(transformOf(1), tiltedFlow(0, 1), 1e-5, "item 1");
    expectTransformNear(transformOf(2), tiltedFlow(1, 1), 1e-5, "item 2");

    // Half of the 0.4 s the turn takes at rest: eased half way.
    clock.advance(0.2);
    EXPECT_NEAR(carousel->toggle(), -0.5, 1e-3);
    const double toggle = carousel->toggle();
    expectTransformNear(transformOf(0), tiltedFlow(-1, -1 - toggle), 1e-5, "item 0");
    expectTransformNear(transformOf(1), tiltedFlow(0, -toggle), 1e-5, "item 1");

    settle();
    EXPECT_EQ(carousel->toggle(), 0);
    expectTransformNear(transformOf(0), tiltedFlow(-1, -1), 1e-5, "item 0");
    expectTransformNear(transformOf(1), base(), 1e-12, "item 1");
}

TEST_F(CarouselLayoutTypes, TheRecedingStackFadesTheItemsAfterTheCurrentOne)
{
    showType(zt::CarouselTypeRecedingStack);
    carousel->setScrollOffset(3);
    // Fully faded past the current item: not worth loading.
    EXPECT_EQ(carousel->indexesForVisibleItems(), (std::vector<int64_t> {0, 1, 2, 3}));
    const double tilt = static_cast<double>(0.3f);
    expectEveryItem([&](double offset) { return plat::translate(base(), offset * 100 * tilt, 0, offset * 100); });
    EXPECT_NEAR(transformOf(2).m41, -30, 1e-5);
    EXPECT_EQ(transformOf(2).m43, -100);

    carousel->setScrollOffset(2.5);
    EXPECT_EQ(carousel->indexesForVisibleItems(), (std::vector<int64_t> {0, 1, 2, 3}));
    EXPECT_NEAR(containerOf(3)->alpha(), 0.5, 1e-9);
    EXPECT_EQ(containerOf(2)->alpha(), 1);
    EXPECT_EQ(carousel->contentView()->subviews().back(), containerOf(3)) << "the nearest item is in front";
}

TEST_F(CarouselLayoutTypes, TheInvertedRecedingStackFadesTheItemsBeforeIt)
{
    showType(zt::CarouselTypeInvertedRecedingStack);
    carousel->setScrollOffset(8);
    EXPECT_EQ(carousel->indexesForVisibleItems(), (std::vector<int64_t> {8, 9, 10, 11}));
    const double tilt = static_cast<double>(0.3f);
    expectEveryItem([&](double offset) { return plat::translate(base(), offset * 100 * tilt, 0, -offset * 100); });
    EXPECT_NEAR(transformOf(9).m41, 30, 1e-5);
    EXPECT_EQ(transformOf(9).m43, -100);
}

TEST_F(CarouselLayoutTypes, FadeOptionsFadeTheItemsFarFromTheCentre)
{
    delegate->options[zt::CarouselOptionFadeMax] = 1;
    delegate->options[zt::CarouselOptionFadeRange] = 2;
    delegate->options[zt::CarouselOptionFadeMin] = -0.5;
    showType(zt::CarouselTypeLinear);
    carousel->setScrollOffset(2);
    EXPECT_EQ(containerOf(3)->alpha(), 1);
    EXPECT_NEAR(containerOf(4)->alpha(), 0.5, 1e-9);
    EXPECT_NEAR(containerOf(1)->alpha(), 0.75, 1e-9);
    EXPECT_NEAR(containerOf(0)->alpha(), 0.25, 1e-9);
}

TEST_F(CarouselLayoutTypes, TheCustomTypeTakesTheDelegatesTransform)
{
    delegate->customTransform
        = [](double offset, const Transform3D& from) { return plat::translate(from, 0, offset * 30, 5); };
    showType(zt::CarouselTypeCustom);
    expectEveryItem([](double offset) { return plat::translate(base(), 0, offset * 30, 5); });
}

TEST_F(CarouselLayoutTypes, TheCustomTypeWithoutATransformLaysOutLikeTheLinearRow)
{
    showType(zt::CarouselTypeCustom);
    EXPECT_FALSE(carousel->wrapEnabled());
    expectEveryItem([](double offset) { return plat::translate(base(), offset * 100, 0, 0); });
}

TEST_F(CarouselLayoutTypes, AnOutdatedDelegateSetsTheFadeOfCustomItems)
{
    struct FadingDelegate : zt::test::RecordingDelegate, zt::CarouselOutdatedItemAlpha {
        double carouselItemAlphaForOffset(zt::Carousel&, double offset) override
        {
            return std::fmax(0, 1 - std::fabs(offset) / 4);
        }
    };
    delegate = std::make_shared<FadingDelegate>();
    showType(zt::CarouselTypeCustom);
    EXPECT_NEAR(containerOf(2)->alpha(), 0.5, 1e-9);
    EXPECT_EQ(carousel->indexesForVisibleItems(), (std::vector<int64_t> {0, 1, 2, 3}))
        << "items from 4 on fade to nothing";
}

TEST_F(CarouselLayoutTypes, AnUnknownTypeLeavesEveryItemUntransformed)
{
    showType(static_cast<zt::CarouselType>(42));
    EXPECT_EQ(carousel->numberOfVisibleItems(), 12);
    for (int64_t index : carousel->indexesForVisibleItems())
        EXPECT_TRUE(transformOf(index).isIdentity()) << index;
}

TEST_F(CarouselLayoutTypes, TheCurrentItemOfARingIsInFrontAndTheFarthestAtTheBack)
{
    showType(zt::CarouselTypeRing);
    carousel->setScrollOffset(2);
    const auto& containers = carousel->contentView()->subviews();
    EXPECT_EQ(containers.back(), containerOf(2));
    EXPECT_EQ(containers.front(), containerOf(8));
}

}  // namespace

namespace {

// Square cards in a colour per index, with their number.
void makeCard(plat::View& view, int64_t index)
{
    view.setFrame(plat::makeRect(0, 0, 120, 120));
    view.setBackgroundColor(plat::Color::colorWithHue(static_cast<double>(index) / 10.0, 0.7, 0.9, 1));
    view.layer()->setCornerRadius(10);
    view.layer()->setBorderWidth(3);
    view.layer()->setBorderColor(plat::Color::whiteColor());
    for (const auto& subview : std::vector<std::shared_ptr<plat::View>>(view.subviews()))
        subview->removeFromSuperview();
    auto number = std::make_shared<plat::Label>(plat::makeRect(0, 30, 120, 60));
    number->setText(std::to_string(index));
    number->setFont(plat::Font::boldSystemFontOfSize(44));
    number->setTextColor(plat::Color::whiteColor());
    number->setTextAlignment(plat::TextAlignment::Center);
    view.addSubview(number);
}

TEST_F(CarouselLayoutTypes, ATiltedFlowMatchesItsReferencePicture)
{
    plat::test::TemporaryFolder output;
    window->setBackgroundColor(plat::Color::colorWithRed(0.12, 0.13, 0.17, 1));
    carousel->setFrame(plat::makeRect(0, 40, 568, 240));
    items = std::make_shared<zt::test::NumberedItems>(10);
    items->prepare = makeCard;
    carousel->setType(zt::CarouselTypeTiltedFlow);
    carousel->setDataSource(items);
    settle();
    carousel->scrollToItemAtIndex(4, /*animated=*/true);
    settle();
    auto picture = driver.screenshot();
    ASSERT_TRUE(picture);
    auto result = plat::test::compareWithReferencePicture(
        *picture, plat::test::sourcePath("tests/data/uikit/carousel_tilted_flow.png"), output.path());
    EXPECT_TRUE(result.matches) << result.explanation;
}

}  // namespace
