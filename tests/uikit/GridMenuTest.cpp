#include <cmath>
#include <cstdlib>
#include <gtest/gtest.h>

#include "platform/ui/Button.h"
#include "platform/ui/Label.h"
#include "platform/ui/ViewController.h"
#include "platform/ui/ViewRendering.h"
#include "platform/ui/Window.h"
#include "platform/ui/testing/PictureComparison.h"
#include "platform/ui/testing/UIDriver.h"
#include "platform/ui/testing/UIScope.h"
#include "support/ManualClockScope.h"
#include "support/Pixels.h"
#include "support/TemporarySandbox.h"
#include "uikit/CAGridView.h"
#include "uikit/QVNumberBadgeView.h"
#include "uikit/ThumbMenuItem.h"
#include "uikit/UIImageResize.h"

namespace {

using plat::makeRect;

class GridMenu : public ::testing::Test {
protected:
    GridMenu()
    {
        window->setRootViewController(root);
        window->makeKeyAndVisible();
        driver.wait(0);
    }
    static std::vector<std::shared_ptr<zt::CAGridViewItem>> items(int count, std::vector<std::string>* ran = nullptr)
    {
        std::vector<std::shared_ptr<zt::CAGridViewItem>> made;
        for (int i = 0; i < count; ++i) {
            std::string title = "Item " + std::to_string(i);
            made.push_back(
                zt::CAGridViewItem::initWithTitle(title, zt::tintedImageNamed("thumbmenu_icon_copy.png"), [ran, title] {
                    if (ran)
                        ran->push_back(title);
                }));
        }
        return made;
    }

    plat::test::TemporarySandbox sandbox;
    plat::test::ManualClockScope clock;
    plat::test::UIScope ui;
    std::shared_ptr<plat::Window> window = std::make_shared<plat::Window>();
    std::shared_ptr<plat::ViewController> root = std::make_shared<plat::ViewController>();
    plat::test::UIDriver driver;
};

TEST_F(GridMenu, AnItemHasItsPictureButtonTitleAndTapZone)
{
    auto item = zt::CAGridViewItem::initWithTitle("Copy", zt::tintedImageNamed("thumbmenu_icon_copy.png"), nullptr);
    EXPECT_EQ(item->frame(), makeRect(0, 0, 100, 100));
    EXPECT_EQ(item->button()->frame(), makeRect(0, 0, 100, 80));
    EXPECT_EQ(item->label()->frame(), makeRect(5, 60, 90, 40));
    EXPECT_EQ(item->label()->text(), "Copy");
    EXPECT_EQ(item->label()->numberOfLines(), 2);
    EXPECT_FALSE(item->label()->isUserInteractionEnabled());
    EXPECT_EQ(item->subviews().back(), item->label()) << "the title lies above the buttons";
    item->setFrame(makeRect(0, 0, 70, 100));
    EXPECT_EQ(item->targetZoneButton()->frame(), makeRect(0, 0, 70, 100)) << "the zone covers the item";
    item->setIsEnabled(false);
    EXPECT_FALSE(item->button()->isEnabled());
    EXPECT_FALSE(item->targetZoneButton()->isEnabled());
    EXPECT_FALSE(item->label()->isEnabled());
}

TEST_F(GridMenu, ATitleThatFitsKeepsItsSizeOneThatFitsNowhereGetsTen)
{
    auto fits = zt::CAGridViewItem::initWithTitle("Copy", nullptr, nullptr);
    fits->setIsLabelFontAutoShrink(true);
    EXPECT_EQ(fits->label()->font().pointSize(), 12);
    auto long_
        = zt::CAGridViewItem::initWithTitle("A title far too long for any one line of this item", nullptr, nullptr);
    long_->setIsLabelFontAutoShrink(true);
    EXPECT_EQ(long_->label()->font().pointSize(), 10);
    auto tight = zt::CAGridViewItem::initWithTitle("Paste Reverse", nullptr, nullptr);
    tight->setFrame(makeRect(0, 0, 75, 100));
    tight->setIsLabelFontAutoShrink(true);
    EXPECT_LT(tight->label()->font().pointSize(), 12);
    EXPECT_GT(tight->label()->font().pointSize(), 8);
    tight->setLabelColor(std::nullopt);
    EXPECT_EQ(tight->label()->textColor(), plat::Color::blackColor()) << "no colour is ignored";
}

TEST_F(GridMenu, ThumbItemsShowABadgeFromTwoOn)
{
    EXPECT_EQ(zt::ThumbMenuItem::initWithTitle("Copy", nullptr, 0, nullptr)->badge(), nullptr);
    EXPECT_EQ(zt::ThumbMenuItem::initWithTitle("Copy", nullptr, 1, nullptr)->badge(), nullptr);
    auto two = zt::ThumbMenuItem::initWithTitle("Copy", nullptr, 2, nullptr);
    ASSERT_NE(two->badge(), nullptr);
    EXPECT_EQ(two->badge()->value(), 2u);
    EXPECT_EQ(two->badge()->frame(), makeRect(30, 5, 50, 30));
    EXPECT_FALSE(two->badge()->shine());
    EXPECT_FALSE(two->badge()->shadow());
    EXPECT_EQ(two->badge()->strokeWidth(), 0);
    EXPECT_FALSE(two->badge()->isUserInteractionEnabled());
}

TEST_F(GridMenu, AThumbItemFlashesThenRunsItsBlockUnlessDisabled)
{
    int runs = 0;
    auto item = zt::ThumbMenuItem::initWithTitle("Copy", nullptr, 0, [&] { ++runs; });
    item->clickItem(*item->button());
    EXPECT_EQ(item->button()->alpha(), 0.2);
    clock.advance(0.15);
    EXPECT_EQ(runs, 0);
    clock.advance(0.16);
    EXPECT_EQ(runs, 1);
    EXPECT_EQ(item->button()->alpha(), 1.0);
    item->setIsEnabled(false);
    item->clickItem(*item->button());
    EXPECT_EQ(item->button()->alpha(), 0.2) << "it flashes";
    clock.advance(1);
    EXPECT_EQ(runs, 1) << "and does nothing";
}

TEST_F(GridMenu, TheThumbGridLaysItsItemsOutInOneRowOfCells)
{
    auto grid = std::make_shared<zt::ThumbMenuGridView>(makeRect(0, 0, 300, 100));
    grid->layoutViewForItems(items(3));
    ASSERT_EQ(grid->items().size(), 3u);
    EXPECT_EQ(grid->items()[2]->frame(), makeRect(200, 0, 100, 100)) << "grid size 0 counts as 100";
    grid->setGridSize(70);
    grid->layoutItems();
    EXPECT_EQ(grid->items()[1]->frame(), makeRect(70, 0, 70, 100));
    EXPECT_TRUE(grid->items()[1]->isLabelFontAutoShrink());
    EXPECT_EQ(grid->items()[1]->label()->textColor(), plat::Color::blackColor());
}

TEST_F(GridMenu, TheWrappingGridSpacesItsColumnsAndStartsNewRows)
{
    auto grid = std::make_shared<zt::CAGridView>(makeRect(0, 0, 320, 400));
    grid->setGridSize(100);
    grid->layoutViewForItems(items(4));
    EXPECT_EQ(grid->numberOfColumns(), 3);
    EXPECT_EQ(grid->spacing(), 5);
    EXPECT_EQ(grid->items()[0]->frame(), makeRect(5, 20, 100, 100));
    EXPECT_EQ(grid->items()[2]->frame(), makeRect(215, 20, 100, 100));
    EXPECT_EQ(grid->items()[3]->frame(), makeRect(5, 115, 100, 100)) << "95 points lower";
}

TEST_F(GridMenu, AGridNarrowerThanACellHasOneColumnInsteadOfDividingByZero)
{
    auto grid = std::make_shared<zt::CAGridView>(makeRect(0, 0, 60, 400));
    grid->setGridSize(100);
    grid->layoutViewForItems(items(3));
    EXPECT_EQ(grid->numberOfColumns(), 1);
    EXPECT_EQ(grid->spacing(), 0);
    EXPECT_EQ(grid->items()[1]->frame(), makeRect(0, 115, 100, 100));
    // The panel counts its rows by the columns.
    auto host = std::make_shared<plat::View>(makeRect(0, 0, 60, 320));
    root->view()->addSubview(host);
    auto panel = std::make_shared<zt::CAGridView>();
    panel->setGridSize(100);
    panel->showInView(host, items(3));
    clock.advance(0.3);
    EXPECT_EQ(panel->frame().minY(), std::floor(320 - 300 - 70.0));
}

TEST_F(GridMenu, ThePanelSpringsUpOverADimmedHostAndATapClosesItBeforeTheBlockRuns)
{
    std::vector<std::string> ran;
    auto host = root->view();
    auto panel = std::make_shared<zt::CAGridView>();
    panel->setGridSize(100);
    panel->showInView(host, items(4, &ran));
    // 568 points hold 5 columns: one row of 100, the cancel button below it.
    EXPECT_EQ(panel->superview(), host);
    EXPECT_EQ(panel->frame().minY(), std::floor(320 - 100 - 70.0));
    EXPECT_EQ(*panel->backgroundColor(), plat::Color::colorWithWhite(1, 0.85));
    ASSERT_NE(panel->dimView(), nullptr);
    EXPECT_EQ(panel->dimView()->alpha(), 0.5);
    clock.advance(0.3);
    ASSERT_NE(driver.findView("Cancel"), nullptr);
    ASSERT_TRUE(driver.tap("Item 2"));
    EXPECT_TRUE(ran.empty()) << "the panel leaves first";
    clock.advance(0.3);
    EXPECT_EQ(ran, (std::vector<std::string> {"Item 2"}));
    EXPECT_EQ(panel->superview(), nullptr);
    EXPECT_EQ(panel->dimView()->superview(), nullptr);
}

TEST_F(GridMenu, CancelClosesThePanelWithoutRunningABlock)
{
    std::vector<std::string> ran;
    auto panel = std::make_shared<zt::CAGridView>();
    panel->showInView(root->view(), items(2, &ran));
    clock.advance(0.3);
    ASSERT_TRUE(driver.tap("Cancel"));
    clock.advance(0.5);
    EXPECT_TRUE(ran.empty());
    EXPECT_EQ(panel->superview(), nullptr);
}

class ThumbMenuPicture : public GridMenu {
protected:
    ThumbMenuPicture()
    {
        grid->setGridSize(75);
        menu = {
            zt::ThumbMenuItem::initWithTitle("Hold", zt::tintedImageNamed("thumbmenu_icon_hold.png"), 0, nullptr),
            zt::ThumbMenuItem::initWithTitle("Copy", zt::tintedImageNamed("thumbmenu_icon_copy.png"), 3, nullptr),
            zt::ThumbMenuItem::initWithTitle(
                "Paste Reverse", zt::tintedImageNamed("thumbmenu_icon_paste_reverse.png"), 2, nullptr),
            zt::ThumbMenuItem::initWithTitle("Delete", zt::tintedImageNamed("thumbmenu_icon_delete.png"), 0, nullptr),
        };
        menu[3]->setIsEnabled(false);
        grid->layoutViewForItems({menu.begin(), menu.end()});
        grid->setBackgroundColor(plat::Color::whiteColor());
        root->view()->addSubview(grid);
    }
    plat::test::PictureComparison compare()
    {
        auto picture = plat::renderViewToImage(*grid, 2);
        if (!picture)
            return {};
        return plat::test::compareWithReferencePicture(
            *picture, plat::test::sourcePath("tests/data/uikit/thumb_menu.png"), output.path());
    }

    std::shared_ptr<zt::ThumbMenuGridView> grid = std::make_shared<zt::ThumbMenuGridView>(makeRect(0, 0, 75 * 4, 100));
    std::vector<std::shared_ptr<zt::ThumbMenuItem>> menu;
    plat::test::TemporaryFolder output;
};

TEST_F(ThumbMenuPicture, ItemsShowTheirIconsTitlesAndBadgesAndADisabledOneIsGreyed)
{
    auto result = compare();
    EXPECT_TRUE(result.matches) << result.explanation;
}

TEST_F(ThumbMenuPicture, AMissingTitleOrBadgeFails)
{
    if (const char* update = std::getenv("ZT_UPDATE_REFERENCE_PICTURES"); update && std::string(update) == "1")
        GTEST_SKIP() << "it would write the reference";
    menu[1]->label()->setHidden(true);
    EXPECT_FALSE(compare().matches) << "a missing title";
    menu[1]->label()->setHidden(false);
    menu[1]->badge()->setHidden(true);
    EXPECT_FALSE(compare().matches) << "a missing badge";
    menu[1]->badge()->setHidden(false);
    menu[3]->setIsEnabled(true);
    EXPECT_FALSE(compare().matches) << "an enabled item that should be greyed";
}

}  // namespace
