#include "uikit/UIColorExpanded.h"

#include <gtest/gtest.h>

#include "platform/graphics/Image.h"
#include "support/Pixels.h"

namespace {

plat::Color patternColour()
{
    return plat::Color::colorWithPatternImage(plat::test::makeFlatImage(2, 2, {0, 0, 0, 255}));
}

void expectComponents(const std::optional<plat::Color>& color, double r, double g, double b, double a)
{
    ASSERT_TRUE(color.has_value());
    double got[4] {};
    ASSERT_TRUE(zt::redGreenBlueAlpha(*color, &got[0], &got[1], &got[2], &got[3]));
    EXPECT_NEAR(got[0], r, 1e-6);
    EXPECT_NEAR(got[1], g, 1e-6);
    EXPECT_NEAR(got[2], b, 1e-6);
    EXPECT_NEAR(got[3], a, 1e-6);
}

TEST(ColorComponents, GreysReportTheirWhiteAsEveryComponent)
{
    auto grey = plat::Color::colorWithWhite(0.25, 0.5);
    EXPECT_EQ(zt::colorSpaceModel(grey), plat::ColorSpaceModel::Monochrome);
    EXPECT_EQ(zt::colorSpaceString(grey), "kCGColorSpaceModelMonochrome");
    EXPECT_TRUE(zt::canProvideRGBComponents(grey));
    EXPECT_EQ(zt::red(grey), 0.25);
    EXPECT_EQ(zt::green(grey), 0.25);
    EXPECT_EQ(zt::blue(grey), 0.25);
    EXPECT_EQ(zt::white(grey), 0.25);
    EXPECT_EQ(zt::alpha(grey), 0.5);
    expectComponents(grey, 0.25, 0.25, 0.25, 0.5);
    EXPECT_EQ(zt::colorSpaceString(plat::Color::redColor()), "kCGColorSpaceModelRGB");
}

TEST(ColorComponents, PatternsHaveNoComponents)
{
    plat::Color pattern = patternColour();
    EXPECT_EQ(zt::colorSpaceString(pattern), "kCGColorSpaceModelPattern");
    EXPECT_FALSE(zt::canProvideRGBComponents(pattern));
    double untouched = 7;
    EXPECT_FALSE(zt::redGreenBlueAlpha(pattern, &untouched, nullptr, nullptr, nullptr));
    EXPECT_EQ(untouched, 7);
    EXPECT_FALSE(zt::arrayFromRGBAComponents(pattern));
    EXPECT_EQ(zt::rgbHex(pattern), 0u);
    EXPECT_FALSE(zt::stringFromColor(pattern));
    EXPECT_FALSE(zt::colorByMultiplyingByRed(pattern, 1, 1, 1, 1));
    EXPECT_FALSE(zt::colorByAddingRed(pattern, 0, 0, 0, 0));
    EXPECT_FALSE(zt::colorByLighteningToRed(pattern, 0, 0, 0, 0));
    EXPECT_FALSE(zt::colorByDarkeningToRed(pattern, 1, 1, 1, 1));
    EXPECT_FALSE(zt::colorByMultiplyingBy(pattern, 1));
    EXPECT_FALSE(zt::colorByAdding(pattern, 0));
    EXPECT_FALSE(zt::colorByLighteningTo(pattern, 0));
    EXPECT_FALSE(zt::colorByDarkeningTo(pattern, 1));
    EXPECT_FALSE(zt::colorByMultiplyingByColor(plat::Color::redColor(), pattern));
    EXPECT_FALSE(zt::colorByAddingColor(pattern, plat::Color::redColor()));
    EXPECT_FALSE(zt::colorByLighteningToColor(plat::Color::redColor(), pattern));
    EXPECT_FALSE(zt::colorByDarkeningToColor(pattern, pattern));
    EXPECT_FALSE(zt::colorByLuminanceMapping(pattern));
}

TEST(ColorHex, ComponentsRoundHalfAwayFromZero)
{
    auto orange = plat::Color::colorWithRed(1.0, 0.5, 0.0, 1);
    EXPECT_EQ(zt::rgbHex(orange), 0xFF8000u);
    EXPECT_EQ(zt::hexStringFromColor(orange), "FF8000");
    EXPECT_EQ(zt::rgbHex(plat::Color::colorWithRed(-1, 2, 0.2, 1)), 0x00FF33u);
    EXPECT_EQ(zt::hexStringFromColor(plat::Color::colorWithRed(0, 0, 0.1, 1)), "00001A");
    auto array = zt::arrayFromRGBAComponents(orange);
    ASSERT_TRUE(array);
    EXPECT_EQ(array->count(), 4u);
    EXPECT_EQ(array->at(1).doubleValue(), 0.5);
}

TEST(ColorHex, HexStringsReadLikeTheNumberScanner)
{
    expectComponents(zt::colorWithHexString("ff0000"), 1, 0, 0, 1);
    expectComponents(zt::colorWithHexString("0xff0000"), 1, 0, 0, 1);
    expectComponents(zt::colorWithHexString("  0XFF0000 trailing"), 1, 0, 0, 1);
    expectComponents(zt::colorWithHexString("80zz"), 0, 0, 128 / 255.0, 1);
    EXPECT_FALSE(zt::colorWithHexString("#ff0000"));
    EXPECT_FALSE(zt::colorWithHexString(""));
    EXPECT_FALSE(zt::colorWithHexString("zz"));
    expectComponents(zt::colorWithHexString("123456789abc"), 1, 1, 1, 1);  // saturates at 0xFFFFFFFF
    expectComponents(zt::colorWithRGBHex(0x336699), 0.2, 0.4, 0.6, 1);
}

TEST(ColorText, TextFormsRoundTripAndRefuseOtherCounts)
{
    auto grey = plat::Color::colorWithWhite(0.5, 1);
    EXPECT_EQ(zt::stringFromColor(grey), "{0.500, 1.000}");
    auto back = zt::colorWithString("{0.500, 1.000}");
    ASSERT_TRUE(back);
    EXPECT_EQ(*back, grey);
    EXPECT_EQ(zt::stringFromColor(plat::Color::colorWithRed(1, 0.25, 0, 0.125)), "{1.000, 0.250, 0.000, 0.125}");
    expectComponents(zt::colorWithString(" { 1 ,0.25,0, 1e-1 } "), 1, 0.25, 0, 0.1);
    expectComponents(zt::colorWithString("{-0.5, +2, 0, 1}"), -0.5, 2, 0, 1);  // kept as written
    EXPECT_FALSE(zt::colorWithString("{1, 0, 0}"));
    EXPECT_FALSE(zt::colorWithString("{1, 0, 0, 1, 1}"));
    EXPECT_FALSE(zt::colorWithString("{1}"));
    EXPECT_FALSE(zt::colorWithString("{1, 0, 0, 1} x"));
    EXPECT_FALSE(zt::colorWithString("1, 0, 0, 1}"));
    EXPECT_FALSE(zt::colorWithString("{1 0}"));
    EXPECT_FALSE(zt::colorWithString("{1, x}"));
    EXPECT_FALSE(zt::colorWithString("{1, 0"));
}

TEST(ColorArithmetic, ComponentsAreCombinedAndClamped)
{
    auto base = plat::Color::colorWithRed(0.8, 0.2, 0.0, 1.0);
    expectComponents(zt::colorByAddingRed(base, 0.5, 0.5, 0.5, 0), 1.0, 0.7, 0.5, 1.0);
    expectComponents(zt::colorByMultiplyingByRed(base, 2, 0.5, 3, 0.5), 1.0, 0.1, 0.0, 0.5);
    expectComponents(zt::colorByLighteningToRed(base, 0.5, 0.5, 0.5, 0.5), 0.8, 0.5, 0.5, 1.0);
    expectComponents(zt::colorByDarkeningToRed(base, 0.5, 0.5, 0.5, 0.5), 0.5, 0.2, 0.0, 0.5);
    // The one-value and colour forms leave alpha alone.
    auto translucent = plat::Color::colorWithRed(0.4, 0.6, 0.2, 0.5);
    expectComponents(zt::colorByMultiplyingBy(translucent, 0.5), 0.2, 0.3, 0.1, 0.5);
    expectComponents(zt::colorByAdding(translucent, 0.5), 0.9, 1.0, 0.7, 0.5);
    expectComponents(zt::colorByLighteningTo(translucent, 0.5), 0.5, 0.6, 0.5, 0.5);
    expectComponents(zt::colorByDarkeningTo(translucent, 0.5), 0.4, 0.5, 0.2, 0.5);
    auto other = plat::Color::colorWithWhite(0.5, 0.1);
    expectComponents(zt::colorByMultiplyingByColor(translucent, other), 0.2, 0.3, 0.1, 0.5);
    expectComponents(zt::colorByAddingColor(translucent, other), 0.9, 1.0, 0.7, 0.5);
    expectComponents(zt::colorByLighteningToColor(translucent, other), 0.5, 0.6, 0.5, 0.5);
    expectComponents(zt::colorByDarkeningToColor(translucent, other), 0.4, 0.5, 0.2, 0.5);
    auto luminance = zt::colorByLuminanceMapping(plat::Color::colorWithRed(1, 0, 0, 0.3));
    ASSERT_TRUE(luminance);
    EXPECT_EQ(luminance->colorSpaceModel(), plat::ColorSpaceModel::Monochrome);
    EXPECT_NEAR(zt::white(*luminance), 0.2126, 1e-7);
    EXPECT_EQ(zt::alpha(*luminance), 0.3);
}

TEST(ColorNames, BothGreySpellingsAndNothingElse)
{
    expectComponents(zt::colorWithName("darkgrey"), 0xA9 / 255.0, 0xA9 / 255.0, 0xA9 / 255.0, 1);
    expectComponents(zt::colorWithName("darkgray"), 0xA9 / 255.0, 0xA9 / 255.0, 0xA9 / 255.0, 1);
    expectComponents(zt::colorWithName("aliceblue"), 0xF0 / 255.0, 0xF8 / 255.0, 1, 1);
    expectComponents(zt::colorWithName("yellowgreen"), 0x9A / 255.0, 0xCD / 255.0, 0x32 / 255.0, 1);
    expectComponents(zt::searchForColorByName("rebeccapurple").value_or(plat::Color::blackColor()), 0, 0, 0, 1);
    EXPECT_FALSE(zt::colorWithName("DarkGray"));
    EXPECT_FALSE(zt::colorWithName(""));
    // The cache lives as long as the process: a name it cannot have seen yet.
    size_t before = zt::detail::colorNameCacheSize();
    std::string unseen = "darkgra" + std::to_string(before);
    EXPECT_FALSE(zt::colorWithName(unseen));
    EXPECT_FALSE(zt::colorWithName(unseen));  // remembered as a miss
    EXPECT_EQ(zt::detail::colorNameCacheSize(), before + 1);
}

TEST(ColorNames, RandomColoursAreOpaque)
{
    for (int i = 0; i < 20; ++i) {
        plat::Color color = zt::randomColor();
        EXPECT_EQ(color.alpha(), 1);
        EXPECT_GE(color.red(), 0);
        EXPECT_LE(color.blue(), 1);
    }
}

}  // namespace
