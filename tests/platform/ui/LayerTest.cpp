#include <gtest/gtest.h>

#include "platform/graphics/Image.h"
#include "platform/ui/ActivityIndicatorView.h"
#include "platform/ui/GradientLayer.h"
#include "platform/ui/ImageView.h"
#include "platform/ui/LayerRenderer.h"
#include "platform/ui/ProgressView.h"
#include "platform/ui/ShapeLayer.h"
#include "platform/ui/testing/UIScope.h"
#include "support/ManualClockScope.h"
#include "support/Pixels.h"

namespace {

using plat::test::pixelAt;
using plat::test::Rgba;

class Layers : public ::testing::Test {
protected:
    plat::test::ManualClockScope clock;
    plat::test::UIScope ui;
};

}  // namespace

TEST_F(Layers, GradientRunsFromTopToBottomByDefault)
{
    auto gradient = plat::GradientLayer::layer();
    gradient->setFrame(plat::makeRect(0, 0, 10, 100));
    gradient->setColors({plat::Color::blackColor(), plat::Color::whiteColor()});
    auto picture = plat::detail::LayerRenderer::renderToImage(*gradient, 1, false);
    ASSERT_TRUE(picture);
    EXPECT_LE(pixelAt(*picture, 5, 0)[0], 3);
    EXPECT_NEAR(pixelAt(*picture, 5, 50)[0], 128, 3);
    EXPECT_GE(pixelAt(*picture, 5, 99)[0], 252);
}

TEST_F(Layers, ShapeIsFilledThenStroked)
{
    auto shape = plat::ShapeLayer::layer();
    shape->setFrame(plat::makeRect(0, 0, 40, 40));
    shape->setPath(plat::Path::pathWithRect(plat::makeRect(10, 10, 20, 20)));
    shape->setFillColor(plat::Color::blueColor());
    shape->setStrokeColor(plat::Color::redColor());
    shape->setLineWidth(4);
    auto picture = plat::detail::LayerRenderer::renderToImage(*shape, 1, false);
    EXPECT_EQ(pixelAt(*picture, 20, 20), (Rgba {0, 0, 255, 255}));
    EXPECT_EQ(pixelAt(*picture, 10, 20), (Rgba {255, 0, 0, 255}));
    EXPECT_EQ(pixelAt(*picture, 2, 2)[3], 0);
}

TEST_F(Layers, ContentModesPlaceThePicture)
{
    auto picture = plat::test::makeFlatImage(10, 10, {255, 0, 0, 255});
    auto view = std::make_shared<plat::ImageView>(plat::makeRect(0, 0, 40, 20));
    view->setImage(picture);
    view->setContentMode(plat::ContentMode::Center);
    auto shown = plat::detail::LayerRenderer::renderToImage(*view->layer(), 1, false);
    EXPECT_EQ(pixelAt(*shown, 20, 10), (Rgba {255, 0, 0, 255}));
    EXPECT_EQ(pixelAt(*shown, 5, 10)[3], 0);
    view->setContentMode(plat::ContentMode::ScaleAspectFit);
    shown = plat::detail::LayerRenderer::renderToImage(*view->layer(), 1, false);
    EXPECT_EQ(pixelAt(*shown, 15, 2), (Rgba {255, 0, 0, 255}));
    EXPECT_EQ(pixelAt(*shown, 5, 10)[3], 0);
    view->setContentMode(plat::ContentMode::TopLeft);
    shown = plat::detail::LayerRenderer::renderToImage(*view->layer(), 1, false);
    EXPECT_EQ(pixelAt(*shown, 2, 2), (Rgba {255, 0, 0, 255}));
    EXPECT_EQ(pixelAt(*shown, 12, 2)[3], 0);
}

TEST_F(Layers, ProgressIsClampedAndFillsItsShare)
{
    auto bar = std::make_shared<plat::ProgressView>(plat::makeRect(0, 0, 100, 2));
    bar->setProgress(1.7);
    EXPECT_EQ(bar->progress(), 1);
    bar->setProgress(0.25);
    bar->setProgressTintColor(plat::Color::redColor());
    bar->setTrackTintColor(plat::Color::blueColor());
    clock.advance(0);
    auto shown = plat::detail::LayerRenderer::renderToImage(*bar->layer(), 1, false);
    EXPECT_EQ(pixelAt(*shown, 10, 1), (Rgba {255, 0, 0, 255}));
    EXPECT_EQ(pixelAt(*shown, 50, 1), (Rgba {0, 0, 255, 255}));
}

TEST_F(Layers, SpinnerShowsOnlyWhileAnimating)
{
    auto spinner = std::make_shared<plat::ActivityIndicatorView>(plat::ActivityIndicatorViewStyle::WhiteLarge);
    EXPECT_EQ(spinner->frame().size, (plat::Size {37, 37}));
    EXPECT_TRUE(spinner->isHidden());
    spinner->startAnimating();
    EXPECT_FALSE(spinner->isHidden());
    EXPECT_TRUE(spinner->isAnimating());
    clock.advance(10);
    EXPECT_TRUE(spinner->layer()->sublayers().front()->hasAnimations()) << "it turns until stopped";
    spinner->stopAnimating();
    EXPECT_TRUE(spinner->isHidden());
    EXPECT_FALSE(spinner->layer()->sublayers().front()->hasAnimations());
}
