#include "platform/ui/WindowCompositor.h"

#include <functional>
#include <gtest/gtest.h>

#include "platform/graphics/Bitmap.h"
#include "platform/graphics/Image.h"
#include "platform/graphics/SamePixels.h"
#include "platform/ui/Animation.h"
#include "platform/ui/ImageView.h"
#include "platform/ui/Label.h"
#include "platform/ui/Layer.h"
#include "platform/ui/ViewRendering.h"
#include "platform/ui/Window.h"
#include "platform/ui/testing/UIScope.h"
#include "support/ManualClockScope.h"

namespace {

using plat::Color;
using plat::makeRect;

std::shared_ptr<plat::View> coloured(plat::Rect frame, Color color)
{
    auto view = std::make_shared<plat::View>(frame);
    view->setBackgroundColor(color);
    return view;
}

// A picture of stripes, scaled down in its view so that it is resampled.
std::shared_ptr<plat::Image> stripes(int phase)
{
    auto bitmap = plat::Bitmap::allocate(90, 60, plat::PixelOrder::BGRA);
    for (int y = 0; y < 60; ++y)
        for (int x = 0; x < 90; ++x) {
            uint8_t* p = bitmap->mutableRow(y) + x * 4;
            p[0] = static_cast<uint8_t>(((x + phase) / 3 % 2) * 200);
            p[1] = static_cast<uint8_t>(y * 4);
            p[2] = 90;
            p[3] = 255;
        }
    return plat::Image::imageWithBitmap(bitmap, 1);
}

// A screen of 200 x 120 points: a picture, a label, a card with a shadow
// over a square,
// a rounded clipping box holding a subview, and a turned card.
class Screen {
public:
    Screen()
    {
        window->setBackgroundColor(Color::colorWithWhite(0.2, 1));
        picture->setImage(stripes(0));
        window->addSubview(picture);
        label->setText("Frame 1");
        label->setTextColor(Color::whiteColor());
        window->addSubview(label);
        window->addSubview(under);
        card->layer()->setShadowOpacity(0.8);
        card->layer()->setShadowRadius(4);
        window->addSubview(card);
        box->setClipsToBounds(true);
        box->layer()->setCornerRadius(8);
        box->addSubview(inside);
        window->addSubview(box);
        plat::Transform3D perspective = plat::Transform3D::identity();
        perspective.m34 = -1.0 / 200;
        turned->layer()->setTransform(plat::rotate(perspective, 0.6, 0, 1, 0));
        turned->addSubview(spot);
        window->addSubview(turned);
        window->makeKeyAndVisible();
    }

    std::shared_ptr<plat::Window> window = std::make_shared<plat::Window>(makeRect(0, 0, 200, 120));
    std::shared_ptr<plat::ImageView> picture = std::make_shared<plat::ImageView>(makeRect(5, 5, 45, 30));
    std::shared_ptr<plat::Label> label = std::make_shared<plat::Label>(makeRect(60, 5, 60, 20));
    std::shared_ptr<plat::View> under = coloured(makeRect(50, 85, 20, 20), Color::grayColor());
    std::shared_ptr<plat::View> card = coloured(makeRect(20, 60, 40, 30), Color::whiteColor());
    std::shared_ptr<plat::View> box = coloured(makeRect(130, 10, 50, 40), Color::blueColor());
    std::shared_ptr<plat::View> inside = coloured(makeRect(30, 25, 40, 40), Color::redColor());
    std::shared_ptr<plat::View> turned = coloured(makeRect(110, 65, 60, 40), Color::greenColor());
    std::shared_ptr<plat::View> spot = coloured(makeRect(5, 5, 10, 10), Color::yellowColor());
};

class Compositing : public ::testing::Test {
protected:
    // Draws the screen, changes it, draws it again: the pixels drawn the second time.
    int64_t pixelsDrawnAfter(const std::function<void(Screen&)>& change)
    {
        compositor.update(*screen.window);
        change(screen);
        int64_t pixels = 0;
        for (const auto& area : compositor.update(*screen.window))
            pixels += area.area();
        return pixels;
    }
    bool matchesAWholePicture()
    {
        auto whole = plat::snapshotWindow(*screen.window, 2);
        return compositor.picture() && plat::haveSamePixels(*compositor.picture(), *whole->bitmap());
    }

    plat::test::ManualClockScope clock;
    plat::test::UIScope ui;
    Screen screen;
    plat::detail::WindowCompositor compositor {2};
};

}  // namespace

TEST_F(Compositing, AScreenAtRestDrawsNothing)
{
    EXPECT_EQ(pixelsDrawnAfter([](Screen& s) {
        s.label->setText("Frame 1");  // the same text, drawn again
        s.label->setNeedsDisplay();
        s.card->setAlpha(1);
        s.window->layoutIfNeeded();
    }),
        0);
}

TEST_F(Compositing, AFadeFromNothingKeepsTheWindowDrawing)
{
    screen.card->setAlpha(0);
    plat::View::animateWithDuration(1, [&] { screen.card->setAlpha(1); });
    compositor.update(*screen.window);
    EXPECT_TRUE(compositor.isAnimating());
}

TEST_F(Compositing, AChangeIsDrawnWithinItsAreaAsAWholePictureShowsIt)
{
    struct Row {
        const char* change;
        std::function<void(Screen&)> apply;
    };
    const Row rows[] = {
        {"a new picture", [](Screen& s) { s.picture->setImage(stripes(1)); }},
        {"a new text", [](Screen& s) { s.label->setText("The second frame"); }},
        {"a moved view", [](Screen& s) { s.label->setFrame(makeRect(60, 30, 60, 20)); }},
        {"a view gone", [](Screen& s) { s.picture->removeFromSuperview(); }},
        {"within a shadow", [](Screen& s) { s.under->setBackgroundColor(Color::redColor()); }},
        {"a card's shadow",
            [](Screen& s) { s.card->addSubview(coloured(makeRect(35, 25, 10, 10), Color::blackColor())); }},
        {"a clipped scroll", [](Screen& s) { s.box->setBounds(makeRect(10, 5, 50, 40)); }},
        {"a fading box", [](Screen& s) { s.box->setAlpha(0.5); }},
        {"inside a turned card", [](Screen& s) { s.spot->setBackgroundColor(Color::blackColor()); }},
        {"half an animation",
            [this](Screen& s) {
                plat::View::animateWithDuration(1, [&] { s.card->setCenter({150, 20}); });
                clock.advance(0.5);
            }},
    };
    const int64_t wholeScreen = 400 * 240;
    for (const Row& row : rows) {
        screen = Screen();
        compositor.forget();
        const int64_t drawn = pixelsDrawnAfter(row.apply);
        EXPECT_GT(drawn, 0) << row.change;
        EXPECT_LT(drawn, wholeScreen / 2) << row.change;
        EXPECT_TRUE(matchesAWholePicture()) << row.change;
    }
}
