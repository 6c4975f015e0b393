#include "painter/ColorPaletteViewController.h"

#include <gtest/gtest.h>

#include "painter/CPColorPicker.h"
#include "painter/CPColorPickerBrightnessSlider.h"
#include "painter/CPDefaultColorViewController.h"
#include "platform/ui/Button.h"
#include "platform/ui/Layer.h"
#include "support/RootScreenTest.h"
#include "uikit/BubbleTouchableView.h"

namespace {

struct PaletteRecorder : zt::ColorPaletteDelegate {
    void colorPaleteDidSelectColor(const plat::Color& color, int64_t index) override
    {
        selections.emplace_back(color, index);
    }
    void colorPaleteDidSelectHide() override { ++hides; }
    std::vector<std::pair<plat::Color, int64_t>> selections;
    int hides = 0;
};

class Palette : public plat::test::RootScreenTest {
protected:
    Palette()
    {
        palette->view()->setFrame(plat::makeRect(0, 250, 568, 60));
        root->view()->addSubview(palette->view());
        for (int64_t index = 0; index < 9; ++index)
            palette->setColor(plat::Color::colorWithWhite(index / 10.0, 1), index);
        palette->setDelegate(recorder);
        palette->setSelectedColorAtIndex(0);
        driver.wait(0);
    }
    void tapSwatch(int64_t index)
    {
        driver.wait(1);
        ASSERT_TRUE(driver.tap(*palette->buttons()[size_t(index)]));
    }
    std::shared_ptr<zt::CPDefaultColorViewController> picker() const
    {
        auto popover = palette->popoverController();
        return popover ? std::dynamic_pointer_cast<zt::CPDefaultColorViewController>(popover->contentViewController())
                       : nullptr;
    }

    std::shared_ptr<PaletteRecorder> recorder = std::make_shared<PaletteRecorder>();
    std::shared_ptr<zt::ColorPaletteViewController> palette = std::make_shared<zt::ColorPaletteViewController>();
};

}  // namespace

TEST_F(Palette, NineRoundSwatchesWithTheSelectedOneRinged)
{
    ASSERT_EQ(palette->buttons().size(), 9u);
    EXPECT_EQ(palette->getColors().size(), 9u);
    EXPECT_EQ(palette->getColorAtIndex(4), plat::Color::colorWithWhite(0.4, 1));
    EXPECT_EQ(palette->getColorAtIndex(9), plat::Color::clearColor());
    ASSERT_EQ(recorder->selections.size(), 1u);  // the painter's own selection of 0
    const auto& first = *palette->buttons()[0];
    const auto& other = *palette->buttons()[3];
    EXPECT_EQ(first.layer()->borderWidth(), 3.0);
    EXPECT_EQ(other.layer()->borderWidth(), 1.0);
    EXPECT_EQ(other.layer()->borderColor(), plat::Color::colorWithWhite(1, 0.3));
    EXPECT_EQ(other.layer()->cornerRadius(), other.frame().width() / 2);
    EXPECT_EQ(other.tag(), 3);
    EXPECT_TRUE(palette->btnHide()->isHidden());
}

TEST_F(Palette, ANewSwatchIsReportedOnceAndTheSelectedOneOpensThePicker)
{
    recorder->selections.clear();
    tapSwatch(3);
    ASSERT_EQ(recorder->selections.size(), 1u);
    EXPECT_EQ(recorder->selections[0], std::make_pair(plat::Color::colorWithWhite(0.3, 1), int64_t {3}));
    EXPECT_EQ(palette->buttons()[0]->layer()->borderWidth(), 1.0);
    EXPECT_EQ(palette->buttons()[3]->layer()->borderWidth(), 3.0);

    tapSwatch(3);
    EXPECT_EQ(recorder->selections.size(), 1u);  // nothing until the picker closes
    auto controller = picker();
    ASSERT_TRUE(controller);
    EXPECT_EQ(controller->selectedColor(), plat::Color::colorWithWhite(0.3, 1));
    driver.wait(1);
    EXPECT_TRUE(palette->popoverController()->isPopoverVisible());

    // The swatch follows the picker at once...
    auto colorPicker = controller->picker();
    ASSERT_TRUE(colorPicker);
    colorPicker->setSelectedColor(plat::Color::colorWithRed(0.8, 0.1, 0.1, 0.7));
    EXPECT_EQ(palette->getColorAtIndex(3), plat::Color::colorWithRed(0.8, 0.1, 0.1, 0.7));
    EXPECT_EQ(recorder->selections.size(), 1u);
    // ...and the painter hears of it when a touch beside the popover closes it.
    driver.tapAt({20, 20});
    driver.wait(1);
    ASSERT_EQ(recorder->selections.size(), 2u);
    EXPECT_EQ(recorder->selections[1], std::make_pair(plat::Color::colorWithRed(0.8, 0.1, 0.1, 0.7), int64_t {3}));
    EXPECT_FALSE(palette->popoverController()->isPopoverVisible());
}

TEST_F(Palette, MaskingShowsOnlyTheHideButton)
{
    palette->hideColors();
    palette->showHide();
    for (const auto& swatch : palette->buttons())
        EXPECT_TRUE(swatch->isHidden());
    EXPECT_FALSE(palette->btnHide()->isHidden());
    driver.wait(1);
    ASSERT_TRUE(driver.tap("Hide"));
    EXPECT_EQ(recorder->hides, 1);
}
