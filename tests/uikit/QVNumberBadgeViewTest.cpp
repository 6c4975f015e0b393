#include "uikit/QVNumberBadgeView.h"

#include <cmath>
#include <cstdlib>
#include <gtest/gtest.h>
#include <limits>

#include "platform/graphics/Image.h"
#include "platform/ui/ViewRendering.h"
#include "platform/ui/testing/PictureComparison.h"
#include "platform/ui/testing/UIScope.h"
#include "support/Pixels.h"
#include "support/TemporarySandbox.h"

namespace {

using plat::test::Rgba;

class NumberBadge : public ::testing::Test {
protected:
    std::shared_ptr<zt::QVNumberBadgeView> badge
        = std::make_shared<zt::QVNumberBadgeView>(plat::makeRect(0, 0, 120, 40));
    Rgba at(int x, int y)
    {
        auto picture = plat::renderViewToImage(*badge, 1);
        return picture ? plat::test::pixelAt(*picture, x, y) : Rgba {};
    }
    plat::test::UIScope ui;
};

TEST_F(NumberBadge, ASingleDigitMakesACircleAndMoreDigitsWidenThePill)
{
    // Text no wider than half its height: r = ceil((2 + 19) / 2) = 11, a circle 22 across.
    EXPECT_EQ(badge->newBadgePathForTextSize({9, 19}).bounds().size, (plat::Size {22, 22}));
    // Wider text: 22 + 12 - 9.5.
    EXPECT_EQ(badge->newBadgePathForTextSize({12, 19}).bounds().size, (plat::Size {24.5, 22}));
    badge->setValue(7);
    const plat::Size one = badge->badgeSize();
    const plat::Size textOne = plat::sizeWithFont("7", badge->font());
    EXPECT_EQ(one.height, 2 * std::ceil((2 + textOne.height) * 0.5));
    badge->setValue(12345);
    const plat::Size five = badge->badgeSize();
    EXPECT_EQ(five.height, one.height);
    const plat::Size textFive = plat::sizeWithFont("12345", badge->font());
    EXPECT_EQ(five.width, std::ceil(textFive.width - textFive.height * 0.5 + one.height));
    auto path = badge->newBadgePathForTextSize(textFive);
    EXPECT_NEAR(path.bounds().minX(), 0, 1e-9);
    EXPECT_NEAR(path.bounds().minY(), 0, 1e-9) << "the pill's corner is at the origin";
}

TEST_F(NumberBadge, TheWholeValueIsShownBeyondThirtyTwoBits)
{
    badge->setValue(uint64_t {5'000'000'000});
    EXPECT_EQ(badge->valueText(), "5000000000");
    badge->setValue(std::numeric_limits<uint64_t>::max());
    EXPECT_EQ(badge->valueText(), "18446744073709551615");
}

TEST_F(NumberBadge, HideWhenZeroHidesOnlyWhileTheValueIsZero)
{
    badge->setValue(0);
    EXPECT_FALSE(badge->isHidden()) << "off: 0 is drawn like any number";
    badge->setHideWhenZero(true);
    badge->setValue(0);
    EXPECT_TRUE(badge->isHidden());
    badge->setValue(3);
    EXPECT_FALSE(badge->isHidden());
}

TEST_F(NumberBadge, TheAlignmentPutsThePillLeftInTheMiddleOrRight)
{
    badge->setShadow(false);
    badge->setShine(false);
    badge->setValue(4);
    EXPECT_EQ(at(4, 20)[3], 0) << "centred: nothing at the left edge";
    EXPECT_GT(at(60, 8)[3], 200);
    badge->setAlignment(zt::QVNumberBadgeView::AlignmentLeft);
    badge->setValue(4);
    EXPECT_GT(at(4, 20)[3], 200);
    badge->setAlignment(zt::QVNumberBadgeView::AlignmentRight);
    badge->setValue(4);
    EXPECT_EQ(at(4, 20)[3], 0);
    EXPECT_GT(at(114, 20)[3], 200);
    for (int64_t centred : {3, 4}) {
        badge->setAlignment(centred);
        badge->setValue(4);
        EXPECT_EQ(at(4, 20)[3], 0);
        EXPECT_GT(at(60, 8)[3], 200);
    }
}

TEST_F(NumberBadge, ColoursShowOnlyAtTheNextRedraw)
{
    badge->setShadow(false);
    badge->setShine(false);
    badge->setValue(4);
    auto before = plat::renderViewToImage(*badge, 1);
    badge->setFillColor(plat::Color::blueColor());
    // Rendering draws the view anew; what stays is that setting the value asks for it.
    badge->setValue(4);
    auto after = plat::renderViewToImage(*badge, 1);
    ASSERT_TRUE(before && after);
    EXPECT_GT(plat::test::pixelAt(*before, 60, 9)[0], 200) << "red";
    EXPECT_GT(plat::test::pixelAt(*after, 60, 9)[2], 200) << "blue";
}

TEST_F(NumberBadge, ItDrawsThePillWithItsNumberShadowAndShine)
{
    plat::test::TemporaryFolder output;
    badge->setValue(42);
    auto picture = plat::renderViewToImage(*badge, 2);
    ASSERT_TRUE(picture);
    auto result = plat::test::compareWithReferencePicture(
        *picture, plat::test::sourcePath("tests/data/uikit/number_badge.png"), output.path());
    EXPECT_TRUE(result.matches) << result.explanation;
}

TEST_F(NumberBadge, AnotherNumberOrNoShineIsAnotherPicture)
{
    if (const char* update = std::getenv("ZT_UPDATE_REFERENCE_PICTURES"); update && std::string(update) == "1")
        GTEST_SKIP() << "it would write the reference";
    plat::test::TemporaryFolder output;
    const std::string reference = plat::test::sourcePath("tests/data/uikit/number_badge.png");
    badge->setValue(47);
    EXPECT_FALSE(
        plat::test::compareWithReferencePicture(*plat::renderViewToImage(*badge, 2), reference, output.path()).matches);
    badge->setShine(false);
    badge->setValue(42);
    EXPECT_FALSE(
        plat::test::compareWithReferencePicture(*plat::renderViewToImage(*badge, 2), reference, output.path()).matches);
}

}  // namespace
