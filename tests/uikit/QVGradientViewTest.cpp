#include "uikit/QVGradientView.h"

#include <gtest/gtest.h>

#include "platform/graphics/Gradient.h"
#include "platform/ui/ViewRendering.h"
#include "platform/ui/Window.h"
#include "platform/ui/testing/PictureComparison.h"
#include "platform/ui/testing/UIScope.h"
#include "support/ManualClockScope.h"
#include "support/Pixels.h"
#include "support/TemporarySandbox.h"

namespace {

using plat::Color;
using plat::test::pixelAt;
using plat::test::Rgba;

void expectNear(Rgba actual, Rgba expected, int tolerance, const std::string& what)
{
    for (int i = 0; i < 4; ++i)
        EXPECT_NEAR(actual[i], expected[i], tolerance) << what << ", component " << i;
}

class GradientView : public ::testing::Test {
protected:
    std::shared_ptr<plat::Image> render(double scale = 1)
    {
        auto picture = plat::renderViewToImage(*view, scale);
        EXPECT_TRUE(picture);
        return picture;
    }

    plat::test::ManualClockScope clock;
    plat::test::UIScope ui;
    std::shared_ptr<zt::QVGradientView> view = std::make_shared<zt::QVGradientView>(plat::makeRect(0, 0, 100, 60));
};

TEST_F(GradientView, RedrawsWhenResized)
{
    EXPECT_EQ(view->contentMode(), plat::ContentMode::Redraw);
    EXPECT_EQ(std::make_shared<zt::QVGradientView>()->contentMode(), plat::ContentMode::Redraw);
}

TEST_F(GradientView, PaintsTopToBottomOrLeftToRight)
{
    view->setGradientColors({Color::redColor(), Color::blueColor()});
    auto picture = render();
    expectNear(pixelAt(*picture, 50, 0), {255, 0, 0, 255}, 6, "top");
    expectNear(pixelAt(*picture, 50, 59), {0, 0, 255, 255}, 6, "bottom");
    expectNear(pixelAt(*picture, 0, 30), pixelAt(*picture, 99, 30), 1, "a row is one colour");

    view->setGradientDirection(zt::QVGradientView::GradientDirectionHorizontal);
    picture = render();
    expectNear(pixelAt(*picture, 0, 30), {255, 0, 0, 255}, 6, "left");
    expectNear(pixelAt(*picture, 99, 30), {0, 0, 255, 255}, 6, "right");
}

TEST_F(GradientView, RadialModeSpreadsFromTheCentreAndKeepsTheLastColourBeyond)
{
    view->setGradientColors({Color::whiteColor(), Color::blackColor()});
    view->setGradientMode(zt::QVGradientView::GradientModeRadial);
    auto picture = render();
    expectNear(pixelAt(*picture, 50, 30), {255, 255, 255, 255}, 8, "centre");
    expectNear(pixelAt(*picture, 75, 30), {128, 128, 128, 255}, 8, "half way to the radius of 50");
    expectNear(pixelAt(*picture, 99, 30), {0, 0, 0, 255}, 8, "at the radius");
    expectNear(pixelAt(*picture, 0, 0), {0, 0, 0, 255}, 1, "beyond it, in the corner");
}

TEST_F(GradientView, OneColourPaintsNoGradient)
{
    view->setGradientColors({Color::redColor()});
    EXPECT_FALSE(view->gradient());
    view->setBottomBorderColor(Color::greenColor());
    auto picture = render();
    EXPECT_EQ(pixelAt(*picture, 50, 20), (Rgba {0, 0, 0, 0}));
    EXPECT_EQ(pixelAt(*picture, 50, 59), (Rgba {0, 255, 0, 255}));
}

TEST_F(GradientView, LocationsCountOnlyWithOnePerColour)
{
    view->setGradientColors({Color::redColor(), Color::greenColor(), Color::blueColor()});
    view->setGradientLocations({0, 0.2});
    ASSERT_TRUE(view->gradient());
    EXPECT_EQ(view->gradient()->locations(), (std::vector<double> {0, 0.5, 1}));
    view->setGradientLocations({0, 0.2, 1});
    EXPECT_EQ(view->gradient()->locations(), (std::vector<double> {0, 0.2, 1}));
}

TEST_F(GradientView, ThinBordersAreOneDevicePixel)
{
    view->setBottomBorderColor(Color::redColor());
    view->setUseThinBorders(true);
    auto picture = render(2);
    EXPECT_EQ(pixelAt(*picture, 100, 119), (Rgba {255, 0, 0, 255})) << "at h - 0.5 points";
    EXPECT_EQ(pixelAt(*picture, 100, 118), (Rgba {0, 0, 0, 0}));
    view->setUseThinBorders(false);
    picture = render(2);
    EXPECT_EQ(pixelAt(*picture, 100, 118), (Rgba {255, 0, 0, 255})) << "a whole point";
}

TEST_F(GradientView, SideLinesRunBetweenTheTopAndBottomBordersWithInsetsInside)
{
    view->setTopBorderColor(Color::redColor());
    view->setBottomBorderColor(Color::redColor());
    view->setLeftBorderColor(Color::blueColor());
    view->setLeftInsetColor(Color::greenColor());
    view->setRightInsetColor(Color::greenColor());  // no right border: no inset either
    auto picture = render();
    EXPECT_EQ(pixelAt(*picture, 0, 0), (Rgba {255, 0, 0, 255})) << "the top border has the corner";
    EXPECT_EQ(pixelAt(*picture, 0, 1), (Rgba {0, 0, 255, 255}));
    EXPECT_EQ(pixelAt(*picture, 1, 1), (Rgba {0, 255, 0, 255}));
    EXPECT_EQ(pixelAt(*picture, 0, 58), (Rgba {0, 0, 255, 255}));
    EXPECT_EQ(pixelAt(*picture, 0, 59), (Rgba {255, 0, 0, 255}));
    EXPECT_EQ(pixelAt(*picture, 98, 30), (Rgba {0, 0, 0, 0}));
}

TEST_F(GradientView, ADimmedInterfacePaintsGreysOfTheSameBrightnessUntilItLightsUp)
{
    auto parent = std::make_shared<plat::View>(plat::makeRect(0, 0, 100, 60));
    parent->addSubview(view);
    const Color darkRed = Color::colorWithRed(0.5, 0, 0, 1);
    view->setGradientColors({darkRed, Color::blueColor()});
    EXPECT_EQ(view->dimmedGradientColors()[0], Color::colorWithHue(0, 0, 0.5, 1));

    parent->setTintAdjustmentMode(plat::ViewTintAdjustmentMode::Dimmed);
    auto picture = render();
    expectNear(pixelAt(*picture, 50, 0), {128, 128, 128, 255}, 6, "dark red dimmed");
    expectNear(pixelAt(*picture, 50, 59), {255, 255, 255, 255}, 6, "blue dimmed");

    parent->setTintAdjustmentMode(plat::ViewTintAdjustmentMode::Normal);
    picture = render();
    expectNear(pixelAt(*picture, 50, 0), {128, 0, 0, 255}, 6, "colour again");

    view->setDimmedGradientColors(std::vector<Color> {Color::greenColor(), Color::greenColor()});
    view->setTintAdjustmentMode(plat::ViewTintAdjustmentMode::Dimmed);
    picture = render();
    expectNear(pixelAt(*picture, 50, 30), {0, 255, 0, 255}, 1, "the dimmed colours set");
}

}  // namespace

namespace {

// A welcome screen's backdrop: a vertical gradient with a light top edge
// and a dark bottom edge, and a radial spot beside it.
class GradientViewPicture : public ::testing::Test {
protected:
    void SetUp() override
    {
        window = std::make_shared<plat::Window>(plat::makeRect(0, 0, 320, 160));
        window->makeKeyAndVisible();
        auto backdrop = std::make_shared<zt::QVGradientView>(plat::makeRect(0, 0, 200, 160));
        backdrop->setGradientColors(
            {Color::colorWithRed(0.35, 0.55, 0.85, 1), Color::colorWithRed(0.1, 0.15, 0.35, 1)});
        backdrop->setTopBorderColor(Color::whiteColor());
        backdrop->setTopInsetColor(Color::colorWithWhite(1, 0.4));
        backdrop->setBottomBorderColor(Color::blackColor());
        window->addSubview(backdrop);
        spot = std::make_shared<zt::QVGradientView>(plat::makeRect(200, 0, 120, 160));
        spot->setGradientColors({Color::yellowColor(), Color::orangeColor(), Color::colorWithWhite(0.1, 1)});
        spot->setGradientLocations({0, 0.3, 1});
        spot->setGradientMode(zt::QVGradientView::GradientModeRadial);
        spot->setLeftBorderColor(Color::whiteColor());
        window->addSubview(spot);
    }

    plat::test::PictureComparison compare()
    {
        auto picture = plat::snapshotWindow(*window, 2);
        if (!picture)
            return {};
        return plat::test::compareWithReferencePicture(
            *picture, plat::test::sourcePath("tests/data/uikit/gradient_view.png"), output.path());
    }

    plat::test::ManualClockScope clock;
    plat::test::UIScope ui;
    plat::test::TemporaryFolder output;
    std::shared_ptr<plat::Window> window;
    std::shared_ptr<zt::QVGradientView> spot;
};

TEST_F(GradientViewPicture, ShowsBothGradientsAndTheirBorders)
{
    auto result = compare();
    EXPECT_TRUE(result.matches) << result.explanation;
}

TEST_F(GradientViewPicture, AMissingBorderLineFailsTheComparison)
{
    spot->setLeftBorderColor(std::nullopt);
    EXPECT_FALSE(compare().matches) << "a one-point line, 160 points long";
}

}  // namespace
