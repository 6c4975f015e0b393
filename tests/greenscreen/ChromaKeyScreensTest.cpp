#include <gtest/gtest.h>

#include "GreenScreenTestSupport.h"
#include "greenscreen/ChromaKeyBackgroundConfigurationViewController.h"
#include "greenscreen/ChromaKeyColorConfigurationViewController.h"
#include "greenscreen/ChromaKeyConfigurationViewController.h"
#include "greenscreen/ChromaKeySensitivityConfigurationViewController.h"
#include "greenscreen/ChromaKeyThemeBackgroundConfigurationViewController.h"
#include "platform/foundation/Paths.h"
#include "platform/ui/Button.h"
#include "platform/ui/NavigationController.h"
#include "platform/ui/Slider.h"
#include "platform/ui/TableView.h"
#include "platform/ui/TableViewCell.h"
#include "platform/ui/testing/PictureComparison.h"
#include "support/Pixels.h"
#include "uikit/BubblePopoverController.h"

namespace {

using zt::ChromaKeyConfigurationViewController;
using zt::ChromaKeySensitivityConfigurationViewController;
using zt::ChromaKeyThemeBackgroundConfigurationViewController;

class ChromaKeyScreens : public zt::test::GreenScreenScene {
protected:
    // The configuration popover as the camera opens it, pointing at a button
    // in the upper right of the screen.
    void openConfiguration(float threshold = 0.4f)
    {
        popover = ChromaKeyConfigurationViewController::popoverWithConfiguration(recorder, threshold);
        popover->presentPopoverFromRect(
            plat::makeRect(480, 10, 50, 50), *root->view(), zt::kBubbleArrowDirectionAny, /*animated=*/true);
        driver.wait(1);
    }
    std::shared_ptr<plat::NavigationController> navigation() const
    {
        return std::dynamic_pointer_cast<plat::NavigationController>(popover->contentViewController());
    }
    // The screen shown at depth (0 the first), or the top one.
    std::shared_ptr<plat::ViewController> screenAt(std::optional<size_t> depth = std::nullopt) const
    {
        auto shown = navigation();
        if (!shown)
            return nullptr;
        std::vector<std::shared_ptr<plat::ViewController>> stack = shown->viewControllers();
        const size_t index = depth.value_or(stack.size() - 1);
        return index < stack.size() ? stack[index] : nullptr;
    }
    std::shared_ptr<plat::ViewController> topScreen() const { return screenAt(); }
    std::shared_ptr<ChromaKeyConfigurationViewController> mainScreen() const
    {
        return std::dynamic_pointer_cast<ChromaKeyConfigurationViewController>(screenAt(0));
    }
    std::shared_ptr<ChromaKeySensitivityConfigurationViewController> panel() const
    {
        auto screen = mainScreen();
        return screen ? screen->sensitivityController() : nullptr;
    }
    bool tapAndWait(const std::string& text)
    {
        const bool tapped = driver.tap(text);
        driver.wait(1);
        return tapped;
    }
    void expectPicture(const std::string& name)
    {
        auto picture = driver.screenshot();
        ASSERT_TRUE(picture);
        auto comparison = plat::test::compareWithReferencePicture(
            *picture, plat::test::sourcePath("tests/data/greenscreen/" + name), ::testing::TempDir());
        EXPECT_TRUE(comparison.matches) << comparison.explanation;
    }

    std::shared_ptr<zt::test::RecordingConfigurationDelegate> recorder
        = std::make_shared<zt::test::RecordingConfigurationDelegate>();
    std::shared_ptr<zt::BubblePopoverController> popover;
};

TEST_F(ChromaKeyScreens, TheFirstScreenShowsTwoRowsAndTheSensitivityAtTheCamerasThreshold)
{
    openConfiguration(0.55f);
    auto screen = mainScreen();
    ASSERT_TRUE(screen);
    EXPECT_EQ(screen->title(), "Green Screen");
    EXPECT_EQ(popover->popoverContentSize().width, 360);
    auto table = screen->tableView();
    ASSERT_EQ(table->numberOfRowsInSection(0), 3);
    EXPECT_EQ(screen->tableViewHeightForRowAtIndexPath(*table, {0, 0}), 44);
    EXPECT_EQ(screen->tableViewHeightForRowAtIndexPath(*table, {0, 2}), 100);
    EXPECT_FALSE(screen->tableViewShouldHighlightRowAtIndexPath(*table, {0, 2}));
    ASSERT_TRUE(panel());
    EXPECT_FLOAT_EQ(panel()->currentChromaKeyTreshold(), 0.55f);
    EXPECT_FLOAT_EQ(static_cast<float>(panel()->sliderTimer()->value()), 0.55f);
    // The panel sits in the third row.
    auto cell = table->cellForRowAtIndexPath({0, 2});
    ASSERT_TRUE(cell);
    EXPECT_TRUE(panel()->view()->isDescendantOfView(*cell->contentView()));
    EXPECT_TRUE(recorder->calls.empty());
}

TEST_F(ChromaKeyScreens, BackgroundLeadsToTheBackdropsAndThemToTheThemePictures)
{
    openConfiguration();
    ASSERT_TRUE(tapAndWait("Background"));
    auto backdrops = std::dynamic_pointer_cast<zt::ChromaKeyBackgroundConfigurationViewController>(topScreen());
    ASSERT_TRUE(backdrops);
    EXPECT_EQ(backdrops->title(), "Background");
    EXPECT_EQ(backdrops->delegate(), recorder);
    ASSERT_TRUE(tapAndWait("Photo Roll"));
    ASSERT_TRUE(tapAndWait("Last Frame"));
    EXPECT_EQ(recorder->joinedCalls(), "photo roll, last frame");
    ASSERT_TRUE(tapAndWait("Theme"));
    auto themes = std::dynamic_pointer_cast<ChromaKeyThemeBackgroundConfigurationViewController>(topScreen());
    ASSERT_TRUE(themes);
    EXPECT_EQ(themes->delegate(), recorder);
}

TEST_F(ChromaKeyScreens, TheColourScreenSendsAutodetectionGreenAndBlue)
{
    openConfiguration();
    ASSERT_TRUE(tapAndWait("Color"));
    auto colours = std::dynamic_pointer_cast<zt::ChromaKeyColorConfigurationViewController>(topScreen());
    ASSERT_TRUE(colours);
    EXPECT_EQ(colours->title(), "Background");
    for (const char* row : {"Autodetect", "Green", "Blue"})
        ASSERT_TRUE(tapAndWait(row)) << row;
    EXPECT_EQ(recorder->joinedCalls(), "autodetect, colour, colour");
    ASSERT_EQ(recorder->colours.size(), 2u);
    EXPECT_EQ(recorder->colours[0], plat::Color::colorWithRed(0, 1, 0, 1));
    EXPECT_EQ(recorder->colours[1], plat::Color::colorWithRed(0, 0, 1, 1));
}

TEST_F(ChromaKeyScreens, TheThemeGridShowsTwoRowsOfThreeInOrderAndSendsTheTappedPicture)
{
    openConfiguration();
    ASSERT_TRUE(tapAndWait("Background"));
    ASSERT_TRUE(tapAndWait("Theme"));
    auto themes = std::dynamic_pointer_cast<ChromaKeyThemeBackgroundConfigurationViewController>(topScreen());
    ASSERT_TRUE(themes);
    auto table = themes->tableView();
    ASSERT_EQ(table->numberOfRowsInSection(0), 2);
    for (int64_t row = 0; row < 2; ++row) {
        auto cell = table->cellForRowAtIndexPath({0, row});
        ASSERT_TRUE(cell);
        for (int64_t k = 0; k < 3; ++k) {
            auto button = std::dynamic_pointer_cast<plat::Button>(cell->contentView()->viewWithTag(100 + k));
            ASSERT_TRUE(button);
            EXPECT_FALSE(button->isHidden());
            // Width (360 - 50) / 3 = 103, ten points apart.
            EXPECT_EQ(button->frame(), plat::makeRect(10 + k * 113.0, 20, 103, 80));
            auto thumbnail = button->imageForState(plat::ControlStateNormal);
            ASSERT_TRUE(thumbnail);
            auto expected = plat::Image::imageNamed(themes->items()[size_t(3 * row + k)].thumbImagePath);
            EXPECT_EQ(themes->items()[size_t(3 * row + k)].themeID, 20 + 3 * row + k);
            EXPECT_EQ(
                plat::test::pixelAt(*thumbnail->bitmap(), 100, 40), plat::test::pixelAt(*expected->bitmap(), 100, 40));
        }
    }
    // The second row's middle picture: theme 24, under water, blue.
    auto secondRow = table->cellForRowAtIndexPath({0, 1});
    // Below the popover's edge until scrolled: its action as a tap sends it.
    auto underWater = std::dynamic_pointer_cast<plat::Button>(secondRow->contentView()->viewWithTag(101));
    ASSERT_TRUE(underWater);
    underWater->sendActionsForControlEvents(plat::ControlEventTouchUpInside);
    ASSERT_EQ(recorder->pictures.size(), 1u);
    ASSERT_TRUE(recorder->pictures[0]);
    EXPECT_EQ(recorder->pictures[0]->size(), plat::Size(1280, 720));
    auto water = plat::test::pixelAt(*recorder->pictures[0]->bitmap(), 640, 80);
    EXPECT_GT(water[2], water[0] + 60);  // blue over red
    EXPECT_EQ(topScreen(), themes);  // it stays open
}

TEST_F(ChromaKeyScreens, PlusAtTheMaximumStaysThereAndStillReports)
{
    openConfiguration(0.95f);
    ASSERT_TRUE(tapAndWait("More Sensitive"));
    ASSERT_TRUE(tapAndWait("More Sensitive"));
    ASSERT_EQ(recorder->values.size(), 2u);
    EXPECT_FLOAT_EQ(recorder->values[0], 1.0f);
    EXPECT_FLOAT_EQ(recorder->values[1], 1.0f);
    EXPECT_FLOAT_EQ(panel()->currentChromaKeyTreshold(), 1.0f);
}

TEST_F(ChromaKeyScreens, PlusThenMinusComesBackToTheFirstValue)
{
    openConfiguration(0.4f);
    ASSERT_TRUE(tapAndWait("More Sensitive"));
    ASSERT_TRUE(tapAndWait("Less Sensitive"));
    ASSERT_EQ(recorder->values.size(), 2u);
    EXPECT_NEAR(recorder->values[0], 0.5f, 1e-6);
    EXPECT_NEAR(recorder->values[1], 0.4f, 1e-6);
    // Below the minimum it stops at zero.
    openConfiguration(0.05f);
    ASSERT_TRUE(tapAndWait("Less Sensitive"));
    EXPECT_EQ(recorder->values.back(), 0.0f);
}

TEST_F(ChromaKeyScreens, MovingTheSliderReportsItsValue)
{
    openConfiguration(0.4f);
    auto shown = panel();
    ASSERT_TRUE(shown);
    auto slider = shown->sliderTimer();
    slider->setValue(0.25);
    slider->sendActionsForControlEvents(plat::ControlEventValueChanged);
    ASSERT_EQ(recorder->values.size(), 1u);
    EXPECT_FLOAT_EQ(recorder->values[0], 0.25f);
    EXPECT_FLOAT_EQ(shown->currentChromaKeyTreshold(), 0.25f);
}

TEST_F(ChromaKeyScreens, TheFirstScreenLooksAsItShould)
{
    openConfiguration(0.4f);
    expectPicture("configuration.png");
}

TEST_F(ChromaKeyScreens, TheBackdropAndThemeScreensLookAsTheyShould)
{
    openConfiguration();
    ASSERT_TRUE(tapAndWait("Background"));
    expectPicture("backdrops.png");
    ASSERT_TRUE(tapAndWait("Theme"));
    expectPicture("themes.png");
}

TEST_F(ChromaKeyScreens, TheColourScreenLooksAsItShould)
{
    openConfiguration();
    ASSERT_TRUE(tapAndWait("Color"));
    expectPicture("colours.png");
}

}  // namespace
