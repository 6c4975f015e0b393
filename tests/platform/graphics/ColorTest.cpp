#include "platform/graphics/Color.h"
#include "platform/graphics/ColorContrast.h"

#include <gtest/gtest.h>

namespace {

struct Hsb {
    double hue, saturation, brightness;
};

Hsb hsbOf(const plat::Color& color)
{
    Hsb hsb {};
    color.getHue(&hsb.hue, &hsb.saturation, &hsb.brightness, nullptr);
    return hsb;
}

TEST(Color, HueSaturationBrightnessOfPrimaries)
{
    EXPECT_DOUBLE_EQ(hsbOf(plat::Color::redColor()).hue, 0.0);
    EXPECT_DOUBLE_EQ(hsbOf(plat::Color::greenColor()).hue, 1.0 / 3);
    EXPECT_DOUBLE_EQ(hsbOf(plat::Color::blueColor()).hue, 2.0 / 3);
    // Magenta-ish tint 212,3,215: hue 299/360 within rounding, fully saturated-ish.
    auto tint = hsbOf(plat::Color::colorWithRed(212 / 255.0, 3 / 255.0, 215 / 255.0, 1));
    EXPECT_NEAR(tint.hue * 360, 299.15, 0.01);
    EXPECT_NEAR(tint.saturation, 212.0 / 215, 1e-9);
    EXPECT_NEAR(tint.brightness, 215.0 / 255, 1e-9);
}

TEST(Color, GreyHasNoHueOrSaturation)
{
    auto grey = hsbOf(plat::Color::colorWithWhite(0.4, 1));
    EXPECT_EQ(grey.hue, 0.0);
    EXPECT_EQ(grey.saturation, 0.0);
    EXPECT_DOUBLE_EQ(grey.brightness, 0.4);
    EXPECT_EQ(hsbOf(plat::Color::blackColor()).saturation, 0.0);
}

TEST(Color, HueRoundTripsThroughRgb)
{
    for (double hue = 0; hue < 1; hue += 1.0 / 24) {
        auto color = plat::Color::colorWithHue(hue, 0.75, 0.5, 0.25);
        auto back = hsbOf(color);
        EXPECT_NEAR(back.hue, hue, 1e-9) << hue;
        EXPECT_NEAR(back.saturation, 0.75, 1e-9);
        EXPECT_NEAR(back.brightness, 0.5, 1e-9);
        EXPECT_EQ(color.alpha(), 0.25);
    }
}

TEST(Color, HueWrapsAndSaturationClamps)
{
    EXPECT_EQ(plat::Color::colorWithHue(1.25, 1, 1, 1), plat::Color::colorWithHue(0.25, 1, 1, 1));
    EXPECT_EQ(plat::Color::colorWithHue(0.5, 3, 1, 1), plat::Color::colorWithHue(0.5, 1, 1, 1));
    // Yellow is hue 1/6.
    auto yellow = plat::Color::colorWithHue(1.0 / 6, 1, 1, 1);
    EXPECT_NEAR(yellow.red(), 1, 1e-12);
    EXPECT_NEAR(yellow.green(), 1, 1e-12);
    EXPECT_NEAR(yellow.blue(), 0, 1e-12);
}

}  // namespace

namespace {

TEST(Color, GreysAreMonochromeAndPatternsKeepTheirImage)
{
    EXPECT_EQ(plat::Color::colorWithWhite(0.5, 1).colorSpaceModel(), plat::ColorSpaceModel::Monochrome);
    EXPECT_EQ(plat::Color::blackColor().colorSpaceModel(), plat::ColorSpaceModel::Monochrome);
    EXPECT_EQ(plat::Color::redColor().colorSpaceModel(), plat::ColorSpaceModel::RGB);
    // The same grey in another space is another colour, as on the platform.
    EXPECT_NE(plat::Color::colorWithWhite(0.5, 1), plat::Color::colorWithRed(0.5, 0.5, 0.5, 1));
    EXPECT_EQ(plat::Color::colorWithWhite(0.25, 1).colorWithAlphaComponent(0.5).colorSpaceModel(),
        plat::ColorSpaceModel::Monochrome);
    auto pattern = plat::Color::colorWithPatternImage(nullptr);
    EXPECT_EQ(pattern.colorSpaceModel(), plat::ColorSpaceModel::Pattern);
    EXPECT_EQ(pattern.alpha(), 1);
}

}  // namespace

TEST(ColorContrast, MatchesTheReadableTextRulesWorkedValues)
{
    EXPECT_DOUBLE_EQ(plat::relativeLuminance(255, 255, 255), 1);
    EXPECT_DOUBLE_EQ(plat::relativeLuminance(0, 0, 0), 0);
    EXPECT_DOUBLE_EQ(plat::contrastRatio(0, 1), 21);
    EXPECT_DOUBLE_EQ(plat::contrastRatio(1, 1), 1);
    // #777777 on white: 4.48:1, just short of 4.5; #767676: 4.54:1.
    EXPECT_NEAR(plat::contrastRatio(plat::relativeLuminance(0x77, 0x77, 0x77), 1), 4.48, 0.005);
    EXPECT_NEAR(plat::contrastRatio(1, plat::relativeLuminance(0x76, 0x76, 0x76)), 4.54, 0.005);
    // The app's tint on white.
    EXPECT_NEAR(plat::contrastRatio(plat::relativeLuminance(212, 3, 215), 1), 4.38, 0.01);
}
