#include "uikit/QVBarGauge.h"

#include <cmath>
#include <gtest/gtest.h>
#include <limits>

#include "platform/graphics/Bitmap.h"
#include "platform/graphics/Image.h"
#include "platform/ui/ViewRendering.h"
#include "platform/ui/Window.h"
#include "platform/ui/testing/PictureComparison.h"
#include "platform/ui/testing/UIScope.h"
#include "support/ManualClockScope.h"
#include "support/Pixels.h"
#include "support/TemporarySandbox.h"

namespace {

using plat::test::pixelAt;
using plat::test::Rgba;

constexpr Rgba kGreen {0, 255, 0, 255};
constexpr Rgba kYellow {255, 255, 0, 255};
constexpr Rgba kRed {255, 0, 0, 255};
constexpr Rgba kDimGreen {0, 51, 0, 255};  // green at 0.2 over black
constexpr Rgba kClear {0, 0, 0, 0};

// A horizontal gauge 100 x 24 with ten bars 10 wide: bar i covers x from
// 10 i to 10 i + 10, its middle is at (10 i + 5, 12).
class BarGauge : public ::testing::Test {
protected:
    void SetUp() override { gauge->setLitEffect(false); }

    Rgba bar(int index) { return at(10 * index + 5, 12); }
    Rgba at(int x, int y)
    {
        auto picture = plat::renderViewToImage(*gauge, 1);
        if (!picture) {
            ADD_FAILURE() << "nothing rendered";
            return {};
        }
        return pixelAt(*picture, x, y);
    }

    plat::test::ManualClockScope clock;
    plat::test::UIScope ui;
    std::shared_ptr<zt::QVBarGauge> gauge = std::make_shared<zt::QVBarGauge>(plat::makeRect(0, 0, 100, 24));
};

}  // namespace

TEST_F(BarGauge, StartsWithTheDefaultsAndNothingLit)
{
    auto fresh = std::make_shared<zt::QVBarGauge>(plat::makeRect(0, 0, 100, 24));
    EXPECT_EQ(fresh->numBars(), 10);
    EXPECT_EQ(fresh->minLimit(), 0);
    EXPECT_EQ(fresh->maxLimit(), 1);
    EXPECT_FLOAT_EQ(fresh->warnThreshold(), 0.6f);
    EXPECT_FLOAT_EQ(fresh->dangerThreshold(), 0.8f);
    EXPECT_TRUE(fresh->litEffect());
    EXPECT_FALSE(fresh->holdPeak());
    EXPECT_FALSE(fresh->isOpaque());
    EXPECT_FALSE(fresh->plat::View::backgroundColor()) << "the view's own background stays unset";
    EXPECT_EQ(fresh->backgroundColor(), plat::Color::blackColor());
    EXPECT_EQ(bar(0), kDimGreen);
}

TEST_F(BarGauge, AValueLightsBarsFromTheLeftInProportion)
{
    gauge->setValue(0.55f);
    EXPECT_EQ(gauge->onIndex(), 0);
    EXPECT_EQ(gauge->offIndex(), 5);
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(bar(i), kGreen) << "bar " << i;
    EXPECT_EQ(bar(5), kDimGreen);
}

TEST_F(BarGauge, TheWarningAndDangerZonesHaveTheirColours)
{
    gauge->setValue(1.0f);
    EXPECT_EQ(bar(5), kGreen);
    EXPECT_EQ(bar(6), kYellow);
    EXPECT_EQ(bar(7), kYellow);
    EXPECT_EQ(bar(8), kRed);
    EXPECT_EQ(bar(9), kRed);
}

TEST_F(BarGauge, AThresholdOfZeroTurnsItsZoneOff)
{
    gauge->setWarnThreshold(0);
    gauge->setDangerThreshold(-1);
    gauge->setValue(1.0f);
    EXPECT_EQ(bar(7), kGreen);
    EXPECT_EQ(bar(9), kGreen);
}

TEST_F(BarGauge, BelowTheMinimumNothingIsLitAndAboveTheMaximumEverything)
{
    gauge->setMinLimit(0.2f);
    gauge->setValue(0.1f);
    EXPECT_EQ(gauge->onIndex(), 10);
    EXPECT_EQ(bar(0), kDimGreen);
    gauge->setValue(3.0f);
    EXPECT_EQ(bar(0), kGreen);
    EXPECT_EQ(bar(9), kRed);
}

TEST_F(BarGauge, AHeldPeakStaysLitUntilItIsReset)
{
    gauge->setHoldPeak(true);
    gauge->setValue(0.75f);
    EXPECT_EQ(gauge->peakBarIndex(), 7);
    gauge->setValue(0.25f);
    EXPECT_EQ(bar(7), kYellow);
    EXPECT_EQ(bar(5), (Rgba {0, 51, 0, 255}));
    gauge->resetPeak();
    EXPECT_EQ(bar(7), (Rgba {51, 51, 0, 255}));
    gauge->setValue(2.0f);
    EXPECT_EQ(gauge->peakBarIndex(), 9) << "the peak bar is the last bar however high the value";
}

TEST_F(BarGauge, WithoutPeakHoldThePeakNeverMoves)
{
    gauge->setValue(0.9f);
    EXPECT_EQ(gauge->peakValue(), 0);
    EXPECT_EQ(gauge->peakBarIndex(), -1);
}

TEST_F(BarGauge, ANewBarCountForgetsThePeakAndMovesTheZones)
{
    gauge->setValue(0.5f);
    gauge->setNumBars(20);
    EXPECT_EQ(gauge->peakValue(), -std::numeric_limits<float>::infinity());
    EXPECT_EQ(gauge->offIndex(), 10);
    gauge->setValue(1.0f);
    // Bars are 5 wide now: bar 11 is green, 12 (the first warning bar) yellow.
    EXPECT_EQ(at(57, 12), kGreen);
    EXPECT_EQ(at(62, 12), kYellow);
    gauge->setNumBars(0);
    EXPECT_EQ(gauge->numBars(), 20) << "no bars at all is refused";
    gauge->setHoldPeak(true);
    gauge->setNumBars(10);
    EXPECT_EQ(gauge->peakValue(), 1.0f) << "the value set again is the first peak";
}

TEST_F(BarGauge, AValueThatIsNoNumberLightsNothing)
{
    gauge->setValue(std::nanf(""));
    EXPECT_EQ(bar(0), kDimGreen);
    gauge->setMaxLimit(0);
    gauge->setValue(0);
    EXPECT_EQ(bar(0), kDimGreen) << "an empty range";
}

TEST_F(BarGauge, AColumnFillsFromTheBottomOrReversedFromTheTop)
{
    auto column = std::make_shared<zt::QVBarGauge>(plat::makeRect(0, 0, 33, 100));
    column->setLitEffect(false);
    column->setValue(0.15f);
    auto picture = plat::renderViewToImage(*column, 1);
    ASSERT_TRUE(picture);
    // Bars 31 x 10: bar 0 spans y 90 to 100, bar 9 y 0 to 10.
    EXPECT_EQ(pixelAt(*picture, 16, 95), kGreen);
    EXPECT_EQ(pixelAt(*picture, 16, 85), kDimGreen);
    column->setReverse(true);
    column->setNeedsDisplay();
    picture = plat::renderViewToImage(*column, 1);
    EXPECT_EQ(pixelAt(*picture, 16, 5), kGreen);
    EXPECT_EQ(pixelAt(*picture, 16, 95), (Rgba {51, 0, 0, 255}));
}

TEST_F(BarGauge, WhatTheBarsDoNotFillStaysOutsideTheBody)
{
    // 95 high: bars of 9, a body 90 high, five points of nothing below.
    auto column = std::make_shared<zt::QVBarGauge>(plat::makeRect(0, 0, 33, 95));
    column->setLitEffect(false);
    column->setValue(1.0f);
    auto picture = plat::renderViewToImage(*column, 1);
    ASSERT_TRUE(picture);
    EXPECT_EQ(pixelAt(*picture, 16, 93), kClear);
    EXPECT_EQ(pixelAt(*picture, 16, 86), kGreen);
}

TEST_F(BarGauge, TheLitLookGlowsFromTheMiddleOfEachBar)
{
    gauge->setLitEffect(true);
    gauge->setValue(0.15f);
    Rgba middle = bar(0);
    Rgba edge = at(2, 3);
    EXPECT_GT(middle[1], 245);
    EXPECT_LT(edge[1], 230) << "the rim darkens towards 0.7";
    EXPECT_GT(edge[1], 170);
}

TEST_F(BarGauge, AGreyBarColourGlowsInItsGrey)
{
    gauge->setLitEffect(true);
    gauge->setNormalBarColor(plat::Color::colorWithWhite(0.8, 1));
    gauge->setValue(0.15f);
    Rgba middle = bar(0);
    EXPECT_NEAR(middle[0], 204, 6);
    EXPECT_EQ(middle[0], middle[1]);
    EXPECT_EQ(middle[1], middle[2]);
}

TEST_F(BarGauge, APatternBarColourIsFilledPlainlyInTheLitLook)
{
    auto red = plat::Image::imageWithBitmap(plat::test::makeBitmap(4, 4, plat::PixelOrder::BGRA, [](int, int) {
        return Rgba {255, 0, 0, 255};
    }));
    gauge->setLitEffect(true);
    gauge->setNormalBarColor(plat::Color::colorWithPatternImage(red));
    gauge->setValue(0.15f);
    EXPECT_EQ(bar(0), kRed) << "a pattern has no components to glow with";
}

namespace {

// The recorder's meter (clear, its three colours, peak held, no glow) above
// a column of the default look with its glow.
class BarGaugePicture : public ::testing::Test {
protected:
    void SetUp() override
    {
        window = std::make_shared<plat::Window>(plat::makeRect(0, 0, 240, 140));
        window->setBackgroundColor(plat::Color::colorWithWhite(0.2, 1));
        window->makeKeyAndVisible();
        meter->setLitEffect(false);
        meter->setHoldPeak(true);
        meter->setOuterBorderColor(plat::Color::clearColor());
        meter->setInnerBorderColor(plat::Color::clearColor());
        meter->setBackgroundColor(plat::Color::clearColor());
        meter->setNormalBarColor(plat::Color::colorWithRed(46 / 255.0, 204 / 255.0, 113 / 255.0, 1));
        meter->setWarningBarColor(plat::Color::colorWithRed(202 / 255.0, 204 / 255.0, 46 / 255.0, 1));
        meter->setDangerBarColor(plat::Color::colorWithRed(142 / 255.0, 68 / 255.0, 173 / 255.0, 1));
        window->addSubview(meter);
        window->addSubview(column);
    }

    plat::test::PictureComparison compare()
    {
        auto picture = plat::snapshotWindow(*window, 2);
        if (!picture)
            return {};
        return plat::test::compareWithReferencePicture(
            *picture, plat::test::sourcePath("tests/data/uikit/bar_gauge.png"), output.path());
    }

    plat::test::ManualClockScope clock;
    plat::test::UIScope ui;
    plat::test::TemporaryFolder output;
    std::shared_ptr<plat::Window> window;
    std::shared_ptr<zt::QVBarGauge> meter = std::make_shared<zt::QVBarGauge>(plat::makeRect(10, 10, 160, 24));
    std::shared_ptr<zt::QVBarGauge> column = std::make_shared<zt::QVBarGauge>(plat::makeRect(190, 10, 33, 120));
};

}  // namespace

TEST_F(BarGaugePicture, ShowsTheLitBarsTheHeldPeakAndTheGlow)
{
    meter->setValue(0.95f);
    meter->setValue(0.45f);
    column->setValue(0.85f);
    auto result = compare();
    EXPECT_TRUE(result.matches) << result.explanation;
}

TEST_F(BarGaugePicture, AMissingPeakFailsTheComparison)
{
    meter->setValue(0.45f);
    column->setValue(0.85f);
    EXPECT_FALSE(compare().matches);
}
