#include <gtest/gtest.h>

#include "platform/foundation/NotificationCenter.h"
#include "platform/graphics/Image.h"
#include "platform/ui/BarButtonItem.h"
#include "platform/ui/ViewController.h"
#include "platform/ui/ViewRendering.h"
#include "platform/ui/Window.h"
#include "platform/ui/testing/UIDriver.h"
#include "platform/ui/testing/UIScope.h"
#include "support/ManualClockScope.h"
#include "support/Pixels.h"
#include "uikit/OutlineLabel.h"
#include "uikit/QVNavigationController.h"
#include "uikit/QVTextView.h"
#include "uikit/TransparentToolbar.h"
#include "uikit/VerticallyAlignedLabel.h"

namespace {

using plat::InterfaceOrientation;

class PortraitScreen : public plat::ViewController {
public:
    bool shouldAutorotateToInterfaceOrientation(InterfaceOrientation orientation) const override
    {
        return orientation == InterfaceOrientation::Portrait;
    }
    unsigned supportedInterfaceOrientations() const override { return plat::InterfaceOrientationMaskPortrait; }
};

class Widgets : public ::testing::Test {
protected:
    plat::test::ManualClockScope clock;
    plat::test::UIScope ui;
};

}  // namespace

TEST_F(Widgets, ANavigationControllerWithoutAScreenAcceptsLandscapeOnly)
{
    auto navigation = std::make_shared<zt::QVNavigationController>();
    EXPECT_TRUE(navigation->shouldAutorotateToInterfaceOrientation(InterfaceOrientation::LandscapeLeft));
    EXPECT_TRUE(navigation->shouldAutorotateToInterfaceOrientation(InterfaceOrientation::LandscapeRight));
    EXPECT_FALSE(navigation->shouldAutorotateToInterfaceOrientation(InterfaceOrientation::Portrait));
    EXPECT_FALSE(navigation->shouldAutorotateToInterfaceOrientation(InterfaceOrientation::PortraitUpsideDown));
}

TEST_F(Widgets, ANavigationControllerLetsTheVisibleScreenDecide)
{
    auto navigation = std::make_shared<zt::QVNavigationController>(std::make_shared<PortraitScreen>());
    EXPECT_TRUE(navigation->shouldAutorotateToInterfaceOrientation(InterfaceOrientation::Portrait));
    EXPECT_FALSE(navigation->shouldAutorotateToInterfaceOrientation(InterfaceOrientation::LandscapeLeft));
    EXPECT_EQ(navigation->supportedInterfaceOrientations(), plat::InterfaceOrientationMaskPortrait);
}

TEST_F(Widgets, ATextViewShowsItsPlaceholderOnlyWhileEmpty)
{
    auto window = std::make_shared<plat::Window>();
    window->makeKeyAndVisible();
    auto field = std::make_shared<zt::QVTextView>(plat::makeRect(10, 10, 300, 100));
    window->addSubview(field);
    EXPECT_FALSE(field->shouldDrawPlaceholder()) << "no placeholder yet";
    field->setPlaceholder("Description");
    EXPECT_TRUE(field->shouldDrawPlaceholder());
    EXPECT_EQ(field->placeholderColor(), plat::Color::colorWithWhite(0.702, 1.0));

    plat::test::UIDriver driver;
    ASSERT_TRUE(driver.tap(*field));
    ASSERT_TRUE(driver.type("A"));
    EXPECT_FALSE(field->shouldDrawPlaceholder()) << "typing hides it";
    ASSERT_TRUE(driver.type("\b"));
    EXPECT_TRUE(field->shouldDrawPlaceholder()) << "clearing by typing shows it again";
    field->setText("Zantrope");
    EXPECT_FALSE(field->shouldDrawPlaceholder());
    field->setText("");
    EXPECT_TRUE(field->shouldDrawPlaceholder());
    field->setPlaceholderColor(std::nullopt);
    field->setText("x");
    field->setText("");
    EXPECT_FALSE(field->shouldDrawPlaceholder()) << "no colour, no placeholder";
}

TEST_F(Widgets, APlaceholderIsDrawnInItsColourInsideTheInset)
{
    auto field = std::make_shared<zt::QVTextView>(plat::makeRect(0, 0, 200, 60));
    field->setBackgroundColor(plat::Color::whiteColor());
    field->setPlaceholder("Describe your movie");
    field->setPlaceholderColor(plat::Color::redColor());
    auto picture = plat::renderViewToImage(*field, 1);
    int red = 0;
    for (int y = 0; y < 60; ++y) {
        for (int x = 0; x < 200; ++x) {
            auto p = plat::test::pixelAt(*picture, x, y);
            bool isRed = p[0] > 200 && p[1] < 150;
            red += isRed;
            if (isRed) {
                EXPECT_GE(x, 8);
                EXPECT_GE(y, 8);
            }
        }
    }
    EXPECT_GT(red, 30);
}

TEST_F(Widgets, AVerticallyAlignedLabelPlacesItsTextAtTopMiddleOrBottom)
{
    auto label = std::make_shared<zt::VerticallyAlignedLabel>(plat::makeRect(0, 0, 200, 100));
    label->setText("Please wait");
    EXPECT_EQ(label->verticalAlignment(), zt::VerticalAlignmentMiddle) << "initWithFrame: gives middle";
    const plat::Rect bounds = label->bounds();
    const double textHeight = label->plat::Label::textRectForBounds(bounds, 1).height();
    ASSERT_GT(textHeight, 10);
    ASSERT_LT(textHeight, 40);
    EXPECT_DOUBLE_EQ(label->textRectForBounds(bounds, 1).minY(), (100 - textHeight) / 2);
    label->setVerticalAlignment(zt::VerticalAlignmentTop);
    EXPECT_DOUBLE_EQ(label->textRectForBounds(bounds, 1).minY(), 0);
    label->setVerticalAlignment(zt::VerticalAlignmentBottom);
    EXPECT_DOUBLE_EQ(label->textRectForBounds(bounds, 1).minY(), 100 - textHeight);
    label->setVerticalAlignment(7);
    EXPECT_DOUBLE_EQ(label->textRectForBounds(bounds, 1).minY(), (100 - textHeight) / 2) << "others are middle";
    EXPECT_EQ(zt::VerticallyAlignedLabel().verticalAlignment(), zt::VerticalAlignmentTop) << "as from a layout";
}

TEST_F(Widgets, ABottomAlignedLabelDrawsItsTextAtTheBottom)
{
    auto label = std::make_shared<zt::VerticallyAlignedLabel>(plat::makeRect(0, 0, 120, 100));
    label->setText("Wait");
    label->setVerticalAlignment(zt::VerticalAlignmentBottom);
    auto picture = plat::renderViewToImage(*label, 1);
    int topInk = 0, bottomInk = 0;
    for (int y = 0; y < 100; ++y)
        for (int x = 0; x < 120; ++x)
            (y < 50 ? topInk : bottomInk) += plat::test::pixelAt(*picture, x, y)[3] > 128;
    EXPECT_EQ(topInk, 0);
    EXPECT_GT(bottomInk, 20);
}

TEST_F(Widgets, ATransparentToolbarDrawsNothingButStillShowsItsItems)
{
    auto window = std::make_shared<plat::Window>(plat::makeRect(0, 0, 568, 320));
    window->setBackgroundColor(plat::Color::redColor());
    auto bar = std::make_shared<zt::TransparentToolbar>(plat::makeRect(0, 276, 568, 44));
    auto item = std::make_shared<plat::BarButtonItem>("Edit", plat::BarButtonItemStyle::Plain);
    bar->setItems({item});
    window->addSubview(bar);
    window->makeKeyAndVisible();
    bar->setTransparent(true);
    EXPECT_FALSE(bar->isOpaque());
    EXPECT_TRUE(bar->isTranslucent());
    plat::test::UIDriver driver;
    driver.wait(0);
    auto screen = plat::snapshotWindow(*window, 1);
    auto behind = plat::test::pixelAt(*screen, 560, 300);
    EXPECT_EQ(behind, (plat::test::Rgba {255, 0, 0, 255})) << "the window shows through";
    EXPECT_NE(driver.findView("Edit"), nullptr);

    bar->setTransparent(false);
    driver.wait(0);
    EXPECT_NE(plat::test::pixelAt(*plat::snapshotWindow(*window, 1), 560, 300), behind) << "the bar draws again";
}

TEST_F(Widgets, AnOutlineLabelDrawsABlackRimAroundItsFill)
{
    auto label = std::make_shared<zt::OutlineLabel>(plat::makeRect(0, 0, 100, 80));
    label->setFont(plat::Font::boldSystemFontOfSize(64));
    label->setTextColor(plat::Color::whiteColor());
    label->setTextAlignment(plat::TextAlignment::Center);
    label->setText("I");
    auto picture = plat::renderViewToImage(*label, 1);
    int white = 0, black = 0;
    for (int y = 0; y < 80; ++y) {
        for (int x = 0; x < 100; ++x) {
            auto p = plat::test::pixelAt(*picture, x, y);  // premultiplied
            white += p[3] > 250 && p[0] > 230;
            black += p[3] > 100 && p[0] < p[3] / 3;
        }
    }
    EXPECT_GT(white, 200) << "the fill";
    EXPECT_GT(black, 20) << "the outline";
}
