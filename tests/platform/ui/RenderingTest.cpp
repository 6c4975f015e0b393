#include "platform/ui/ViewRendering.h"

#include <gtest/gtest.h>
#include <numbers>

#include "platform/graphics/GraphicsContext.h"
#include "platform/graphics/Image.h"
#include "platform/ui/ImageView.h"
#include "platform/ui/Label.h"
#include "platform/ui/Layer.h"
#include "platform/ui/Window.h"
#include "platform/ui/testing/PictureComparison.h"
#include "platform/ui/testing/UIScope.h"
#include "support/ManualClockScope.h"
#include "support/Pixels.h"
#include "support/TemporarySandbox.h"

namespace {

using plat::Color;
using plat::makeRect;
using plat::test::pixelAt;
using plat::test::Rgba;

class Rendering : public ::testing::Test {
protected:
    plat::test::ManualClockScope clock;
    plat::test::UIScope ui;
    plat::test::TemporaryFolder output;
};

// Counts its drawing, and draws a red diagonal.
class DrawingView : public plat::View {
public:
    using View::View;
    void drawRect(plat::GraphicsContext& context, plat::Rect rect) override
    {
        ++draws;
        context.setStrokeColor(Color::redColor());
        context.setLineWidth(2);
        context.beginPath();
        context.moveToPoint(rect.origin);
        context.addLineToPoint({rect.maxX(), rect.maxY()});
        context.strokePath();
    }
    int draws = 0;
};

std::shared_ptr<plat::View> coloured(plat::Rect frame, Color color)
{
    auto view = std::make_shared<plat::View>(frame);
    view->setBackgroundColor(color);
    return view;
}

}  // namespace

TEST_F(Rendering, BackgroundsAlphaAndOrderShowInThePicture)
{
    auto root = coloured(makeRect(0, 0, 40, 20), Color::whiteColor());
    root->addSubview(coloured(makeRect(0, 0, 20, 20), Color::blueColor()));
    auto half = coloured(makeRect(10, 0, 20, 20), Color::redColor());
    half->setAlpha(0.5);
    root->addSubview(half);
    auto picture = plat::renderViewToImage(*root, 1);
    ASSERT_TRUE(picture);
    EXPECT_EQ(picture->size(), (plat::Size {40, 20}));
    EXPECT_EQ(pixelAt(*picture, 5, 10), (Rgba {0, 0, 255, 255}));
    EXPECT_LE(plat::test::componentDistance(pixelAt(*picture, 15, 10), {128, 0, 127, 255}), 1);
    EXPECT_LE(plat::test::componentDistance(pixelAt(*picture, 25, 10), {255, 127, 127, 255}), 1);
    EXPECT_EQ(pixelAt(*picture, 35, 10), (Rgba {255, 255, 255, 255}));
}

TEST_F(Rendering, AWindowPicturedWithinAreasIsDrawnThereAndBlackElsewhere)
{
    auto window = std::make_shared<plat::Window>(makeRect(0, 0, 40, 20));
    window->setBackgroundColor(Color::whiteColor());
    window->addSubview(coloured(makeRect(0, 0, 20, 20), Color::blueColor()));
    window->makeKeyAndVisible();
    auto picture = plat::snapshotWindowWithin(*window, 2, {makeRect(5, 5, 5, 5), makeRect(30, 0, 10, 10)});
    ASSERT_TRUE(picture);
    EXPECT_EQ(picture->bitmap()->width(), 80);
    EXPECT_EQ(pixelAt(*picture, 14, 14), (Rgba {0, 0, 255, 255}));
    EXPECT_EQ(pixelAt(*picture, 70, 10), (Rgba {255, 255, 255, 255}));
    EXPECT_EQ(pixelAt(*picture, 2, 2), (Rgba {0, 0, 0, 255}));
    EXPECT_EQ(pixelAt(*picture, 70, 30), (Rgba {0, 0, 0, 255}));
}

TEST_F(Rendering, GroupOpacityDoesNotShowOverlapsInside)
{
    auto root = coloured(makeRect(0, 0, 20, 20), Color::whiteColor());
    auto group = coloured(makeRect(0, 0, 20, 20), Color::blackColor());
    group->addSubview(coloured(makeRect(0, 0, 10, 20), Color::blackColor()));
    group->setAlpha(0.5);
    root->addSubview(group);
    auto picture = plat::renderViewToImage(*root, 1);
    // Black over black inside the group, then the group at half: mid grey both sides.
    EXPECT_LE(plat::test::componentDistance(pixelAt(*picture, 5, 5), pixelAt(*picture, 15, 5)), 1);
    EXPECT_LE(plat::test::componentDistance(pixelAt(*picture, 5, 5), {127, 127, 127, 255}), 1);
}

TEST_F(Rendering, ClippingCutsSubviewsAtTheBounds)
{
    auto root = coloured(makeRect(0, 0, 40, 40), Color::whiteColor());
    auto box = coloured(makeRect(0, 0, 20, 20), Color::blueColor());
    box->addSubview(coloured(makeRect(10, 10, 30, 30), Color::redColor()));
    root->addSubview(box);
    auto unclipped = plat::renderViewToImage(*root, 1);
    EXPECT_EQ(pixelAt(*unclipped, 30, 30), (Rgba {255, 0, 0, 255}));
    box->setClipsToBounds(true);
    auto clipped = plat::renderViewToImage(*root, 1);
    EXPECT_EQ(pixelAt(*clipped, 30, 30), (Rgba {255, 255, 255, 255}));
    EXPECT_EQ(pixelAt(*clipped, 15, 15), (Rgba {255, 0, 0, 255}));
}

TEST_F(Rendering, DrawRectRunsOnceUntilTheViewAsksAgain)
{
    auto root = coloured(makeRect(0, 0, 20, 20), Color::whiteColor());
    auto drawing = std::make_shared<DrawingView>(makeRect(0, 0, 20, 20));
    root->addSubview(drawing);
    clock.advance(0);
    EXPECT_EQ(drawing->draws, 1);
    auto picture = plat::renderViewToImage(*root, 1);
    EXPECT_EQ(drawing->draws, 1) << "rendering reuses the backing picture";
    EXPECT_EQ(pixelAt(*picture, 10, 10)[0], 255);
    EXPECT_LT(pixelAt(*picture, 10, 10)[1], 60);
    EXPECT_EQ(pixelAt(*picture, 15, 3), (Rgba {255, 255, 255, 255}));
    drawing->setNeedsDisplay();
    drawing->setNeedsDisplay();
    clock.advance(0);
    EXPECT_EQ(drawing->draws, 2);
}

TEST_F(Rendering, PatternColoursTileTheirPicture)
{
    auto tile = plat::test::makeImage(2, 2, [](int x, int y) {
        return (x + y) % 2 ? Rgba {0, 0, 0, 255} : Rgba {255, 255, 255, 255};
    });
    auto view = coloured(makeRect(0, 0, 8, 8), Color::colorWithPatternImage(tile));
    auto picture = plat::renderViewToImage(*view, 1);
    EXPECT_EQ(pixelAt(*picture, 0, 0), (Rgba {255, 255, 255, 255}));
    EXPECT_EQ(pixelAt(*picture, 1, 0), (Rgba {0, 0, 0, 255}));
    EXPECT_EQ(pixelAt(*picture, 7, 6), (Rgba {0, 0, 0, 255}));
}

TEST_F(Rendering, LayerThatIsNotDoubleSidedVanishesWhenTurnedAway)
{
    auto root = coloured(makeRect(0, 0, 20, 20), Color::whiteColor());
    auto card = coloured(makeRect(0, 0, 20, 20), Color::blueColor());
    root->addSubview(card);
    card->layer()->setTransform(plat::Transform3D::makeRotation(std::numbers::pi, 0, 1, 0));
    EXPECT_EQ(pixelAt(*plat::renderViewToImage(*root, 1), 10, 10), (Rgba {0, 0, 255, 255}));
    card->layer()->setDoubleSided(false);
    EXPECT_EQ(pixelAt(*plat::renderViewToImage(*root, 1), 10, 10), (Rgba {255, 255, 255, 255}));
}

TEST_F(Rendering, PerspectiveMakesTheFarSideSmaller)
{
    auto root = coloured(makeRect(0, 0, 100, 100), Color::whiteColor());
    auto card = coloured(makeRect(10, 10, 80, 80), Color::blueColor());
    root->addSubview(card);
    plat::Transform3D t;
    t.m34 = -1.0 / 200;
    card->layer()->setTransform(plat::Transform3D::concat(plat::Transform3D::makeRotation(0.8, 0, 1, 0), t));
    auto picture = plat::renderViewToImage(*root, 1);
    // Count the blue rows at the left and the right edges of the card.
    auto blueRows = [&](int x) {
        int rows = 0;
        for (int y = 0; y < 100; ++y)
            rows += pixelAt(*picture, x, y)[2] > 200 && pixelAt(*picture, x, y)[0] < 60 ? 1 : 0;
        return rows;
    };
    int left = blueRows(30);
    int right = blueRows(68);
    EXPECT_GT(left, 0);
    EXPECT_GT(right, 0);
    EXPECT_NE(left, right) << "one side recedes";
}

TEST_F(Rendering, ShadowFallsOutsideTheLayerWithItsOffset)
{
    auto root = coloured(makeRect(0, 0, 60, 60), Color::whiteColor());
    auto box = coloured(makeRect(10, 10, 30, 30), Color::whiteColor());
    box->layer()->setShadowOpacity(1);
    box->layer()->setShadowRadius(0);
    box->layer()->setShadowOffset({5, 5});
    root->addSubview(box);
    auto picture = plat::renderViewToImage(*root, 1);
    EXPECT_EQ(pixelAt(*picture, 42, 42), (Rgba {0, 0, 0, 255}));
    EXPECT_EQ(pixelAt(*picture, 20, 20), (Rgba {255, 255, 255, 255}));
    EXPECT_EQ(pixelAt(*picture, 12, 42), (Rgba {255, 255, 255, 255}));
}

TEST_F(Rendering, RoundedCornersAndBorderAreDrawnInsideTheBounds)
{
    auto root = coloured(makeRect(0, 0, 40, 40), Color::whiteColor());
    auto box = coloured(makeRect(0, 0, 40, 40), Color::blueColor());
    box->layer()->setCornerRadius(10);
    box->layer()->setBorderWidth(2);
    box->layer()->setBorderColor(Color::redColor());
    root->addSubview(box);
    auto picture = plat::renderViewToImage(*root, 1);
    EXPECT_EQ(pixelAt(*picture, 0, 0), (Rgba {255, 255, 255, 255}));
    EXPECT_EQ(pixelAt(*picture, 20, 0), (Rgba {255, 0, 0, 255}));
    EXPECT_EQ(pixelAt(*picture, 20, 20), (Rgba {0, 0, 255, 255}));
}

TEST_F(Rendering, StretchablePictureKeepsItsEdges)
{
    // 4 x 4 picture: a red one-pixel frame around white; caps of one point.
    auto picture = plat::test::makeImage(4, 4, [](int x, int y) {
        return x == 0 || y == 0 || x == 3 || y == 3 ? Rgba {255, 0, 0, 255} : Rgba {255, 255, 255, 255};
    });
    auto stretchable = picture->resizableImageWithCapInsets({1, 1, 1, 1});
    auto view = std::make_shared<plat::ImageView>(makeRect(0, 0, 20, 20));
    view->setImage(stretchable);
    auto shown = plat::renderViewToImage(*view, 1);
    EXPECT_EQ(pixelAt(*shown, 0, 10), (Rgba {255, 0, 0, 255}));
    EXPECT_EQ(pixelAt(*shown, 19, 10), (Rgba {255, 0, 0, 255}));
    EXPECT_EQ(pixelAt(*shown, 2, 10), (Rgba {255, 255, 255, 255})) << "the edge stays one point wide";
    EXPECT_EQ(pixelAt(*shown, 10, 10), (Rgba {255, 255, 255, 255}));
}

TEST_F(Rendering, SmallScreenMatchesItsReferencePicture)
{
    auto window = std::make_shared<plat::Window>(makeRect(0, 0, 240, 140));
    window->setBackgroundColor(Color::colorWithRed(0.15, 0.17, 0.22, 1));

    auto card = coloured(makeRect(12, 12, 110, 70), Color::colorWithRed(0.98, 0.95, 0.85, 1));
    card->layer()->setCornerRadius(8);
    card->layer()->setBorderWidth(2);
    card->layer()->setBorderColor(Color::colorWithRed(212 / 255.0, 3 / 255.0, 215 / 255.0, 1));
    card->layer()->setShadowOpacity(0.6);
    card->layer()->setShadowRadius(4);
    card->layer()->setShadowOffset({0, 3});
    window->addSubview(card);

    auto title = std::make_shared<plat::Label>(makeRect(8, 8, 94, 24));
    title->setText("Zantrope");
    title->setFont(plat::Font::boldSystemFontOfSize(18));
    title->setTextAlignment(plat::TextAlignment::Center);
    card->addSubview(title);
    auto caption = std::make_shared<plat::Label>(makeRect(8, 36, 94, 28));
    caption->setText("frame by frame, with a label that wraps");
    caption->setFont(plat::Font::systemFontOfSize(10));
    caption->setNumberOfLines(2);
    caption->setTextColor(Color::darkGrayColor());
    card->addSubview(caption);

    // A picture drawn here: a diagonal gradient.
    auto gradient = plat::test::makeImage(
        40, 40,
        [](int x, int y) {
            return Rgba {x * 6, 80, 255 - y * 6, 255};
        },
        plat::ImageOrientation::Up);
    auto thumb = std::make_shared<plat::ImageView>(makeRect(140, 14, 80, 50));
    thumb->setImage(gradient);
    thumb->setContentMode(plat::ContentMode::ScaleAspectFill);
    thumb->setClipsToBounds(true);
    window->addSubview(thumb);

    auto tilted = coloured(makeRect(150, 85, 60, 30), Color::colorWithRed(0.2, 0.7, 0.3, 1));
    tilted->setTransform(plat::AffineTransform::makeRotation(0.3));
    tilted->setAlpha(0.8);
    window->addSubview(tilted);

    auto drawing = std::make_shared<DrawingView>(makeRect(20, 95, 100, 35));
    drawing->setBackgroundColor(Color::colorWithWhite(1, 0.2));
    window->addSubview(drawing);

    window->makeKeyAndVisible();
    auto picture = plat::snapshotWindow(*window);
    ASSERT_TRUE(picture);
    auto result = plat::test::compareWithReferencePicture(
        *picture, plat::test::sourcePath("tests/data/ui/small_screen.png"), output.path());
    EXPECT_TRUE(result.matches) << result.explanation;
}
