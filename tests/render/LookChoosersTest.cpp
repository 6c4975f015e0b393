#include "platform/graphics/Image.h"
#include "platform/ui/ActivityIndicatorView.h"
#include "platform/ui/ImageView.h"
#include "platform/ui/Layer.h"
#include "render/ForegroundSelectViewController.h"
#include "render/LookNotifications.h"
#include "render/ThemeSelectViewController.h"
#include "uikit/Carousel.h"

#include "LookScreensTestSupport.h"

namespace {

using zt::ForegroundSelectViewController;
using zt::ThemeSelectViewController;

// A saved project of one picture, a chooser of it in a row of the phone.
class Chooser : public zt::test::LookScreen {
protected:
    void SetUp() override
    {
        LookScreen::SetUp();
        addFlatPicture("P", {200, 30, 30, 255});
        ASSERT_TRUE(project->saveAllDataToDisk().ok());
    }
    void place(plat::ViewController& chooser, double top)
    {
        auto view = chooser.view();
        view->setFrame(plat::makeRect(0, top, 568, 88));
        window->addSubview(view);
        driver.wait(0);
    }
    void chooseItem(zt::Carousel& carousel, int64_t index)
    {
        carousel.scrollToItemAtIndex(index, /*animated=*/true);
        driver.wait(1);
    }

    zt::test::PostedNotifications themeChanges {zt::ThemeDidChangeNotification};
    zt::test::PostedNotifications foregroundChanges {zt::ForegroundDidChangeNotification};
};

TEST_F(Chooser, TheThemeChooserOpensOnTheStoredThemeWithoutASave)
{
    setMetadata("META_RECORD_THEME", int64_t(4));
    setMetadata("RecordNeedsRendering", false);
    auto chooser = std::make_shared<ThemeSelectViewController>(project);
    place(*chooser, 100);
    driver.wait(1);
    EXPECT_EQ(chooser->carousel()->currentItemIndex(), 4);
    EXPECT_EQ(chooser->carousel()->type(), zt::CarouselTypeLinear);
    EXPECT_EQ(chooser->carousel()->numberOfItems(), 9);
    EXPECT_EQ(themeChanges.count(), 0u);
    EXPECT_EQ(storedMetadata().getBool("RecordNeedsRendering"), false);
}

TEST_F(Chooser, ChoosingAThemeStoresItTellsTheEditorAndLocksTheRowUntilTheCardsAreRendered)
{
    setMetadata("RecordNeedsRendering", false);
    auto chooser = std::make_shared<ThemeSelectViewController>(project);
    place(*chooser, 100);
    chooseItem(*chooser->carousel(), 3);
    ASSERT_EQ(themeChanges.count(), 1u);
    EXPECT_EQ(themeChanges.lastSender(), chooser.get());
    plat::Dictionary stored = storedMetadata();
    EXPECT_EQ(stored.getInt64("META_RECORD_THEME"), 3);
    EXPECT_EQ(stored.getBool("RecordNeedsRendering"), true);
    EXPECT_TRUE(chooser->isBusy());
    EXPECT_TRUE(chooser->activityIndicator()->isAnimating());
    EXPECT_FALSE(chooser->carousel()->scrollEnabled());
    EXPECT_FALSE(chooser->carousel()->isUserInteractionEnabled());

    // A render that could not make a card still ends with the notification.
    plat::Dictionary failure;
    failure.set("ERROR", "the page did not load");
    plat::NotificationCenter::defaultCenter().post(zt::ThemeRenderingFinishedNotification, this, failure);
    EXPECT_FALSE(chooser->isBusy());
    EXPECT_FALSE(chooser->activityIndicator()->isAnimating());
    EXPECT_TRUE(chooser->carousel()->scrollEnabled());
    EXPECT_TRUE(chooser->carousel()->isUserInteractionEnabled());
}

TEST_F(Chooser, NoThemeTellsTheEditorWithoutLockingTheRow)
{
    setMetadata("META_RECORD_THEME", int64_t(2));
    auto chooser = std::make_shared<ThemeSelectViewController>(project);
    place(*chooser, 100);
    chooseItem(*chooser->carousel(), 0);
    ASSERT_EQ(themeChanges.count(), 1u);
    EXPECT_EQ(storedMetadata().getInt64("META_RECORD_THEME"), 0);
    EXPECT_FALSE(chooser->isBusy());
    EXPECT_TRUE(chooser->carousel()->scrollEnabled());
}

TEST_F(Chooser, ComingToRestOnTheStoredThemeWritesAndTellsNothing)
{
    setMetadata("META_RECORD_THEME", int64_t(5));
    setMetadata("RecordNeedsRendering", false);
    auto chooser = std::make_shared<ThemeSelectViewController>(project);
    place(*chooser, 100);
    chooseItem(*chooser->carousel(), 6);
    chooseItem(*chooser->carousel(), 5);
    EXPECT_EQ(themeChanges.count(), 2u) << "away and back are two choices";
    themeChanges.posts.clear();
    setMetadata("RecordNeedsRendering", false);
    const plat::Data settled = plat::readFile(projectFile("plovix.meta")).value();
    chooser->carouselDidEndScrollingAnimation(*chooser->carousel());
    EXPECT_EQ(themeChanges.count(), 0u);
    EXPECT_EQ(plat::readFile(projectFile("plovix.meta")).value(), settled);
}

TEST_F(Chooser, AChooserGoneBeforeTheRenderFinishesIsNotCalled)
{
    auto chooser = std::make_shared<ThemeSelectViewController>(project);
    place(*chooser, 100);
    chooseItem(*chooser->carousel(), 1);
    chooser->view()->removeFromSuperview();
    chooser.reset();
    plat::NotificationCenter::defaultCenter().post(zt::ThemeRenderingFinishedNotification, this);
    SUCCEED();
}

TEST_F(Chooser, TheThemeItemsShowTheirPreviews)
{
    auto chooser = std::make_shared<ThemeSelectViewController>(project);
    place(*chooser, 100);
    auto item = std::dynamic_pointer_cast<plat::ImageView>(chooser->carousel()->itemViewAtIndex(0));
    ASSERT_TRUE(item);
    EXPECT_EQ(item->contentMode(), plat::ContentMode::ScaleAspectFill);
    EXPECT_FALSE(item->layer()->isDoubleSided());
    EXPECT_TRUE(item->image());
    EXPECT_EQ(chooser->carouselItemWidth(*chooser->carousel()), 131.0);
    EXPECT_FALSE(chooser->carouselShouldWrap(*chooser->carousel()));
}

TEST_F(Chooser, TheForegroundsAreTheBundlesPreviewsInOrder)
{
    ForegroundSelectViewController chooser(project);
    EXPECT_EQ(chooser.images(),
        (std::vector<std::string> {"foreground_20.png", "foreground_21.png", "foreground_22.png", "foreground_23.png",
            "foreground_24.png", "foreground_25.png"}));
    EXPECT_EQ(ForegroundSelectViewController::overlayNameForPreview("foreground_21.png"), "foreground_21_bg.png");
}

TEST_F(Chooser, ChoosingAForegroundStoresItsOverlayAndTellsTheEditor)
{
    setMetadata("RecordNeedsRendering", false);
    auto chooser = std::make_shared<ForegroundSelectViewController>(project);
    place(*chooser, 200);
    chooseItem(*chooser->carousel(), 2);
    ASSERT_EQ(foregroundChanges.count(), 1u);
    EXPECT_EQ(foregroundChanges.lastSender(), chooser.get());
    plat::Dictionary stored = storedMetadata();
    EXPECT_EQ(stored.getInt64("META_RECORD_FOREGROUND"), 2);
    EXPECT_EQ(stored.getBool("RecordNeedsRendering"), true);
    auto overlay = plat::Image::imageWithContentsOfFile(projectFile("foreground.png"));
    ASSERT_TRUE(overlay);
    auto expected = plat::Image::imageNamed("foreground_22_bg.png");
    ASSERT_TRUE(expected);
    EXPECT_EQ(overlay->size(), expected->size());
    // The film strip's black band at the top, its middle clear.
    EXPECT_EQ(plat::test::pixelAt(*overlay, 5, 5)[3], 255);
    EXPECT_EQ(plat::test::pixelAt(*overlay, 640, 360)[3], 0);
}

TEST_F(Chooser, NoForegroundStoresNoPictureButStillTellsTheEditor)
{
    setMetadata("META_RECORD_FOREGROUND", int64_t(1));
    auto chooser = std::make_shared<ForegroundSelectViewController>(project);
    place(*chooser, 200);
    chooseItem(*chooser->carousel(), 0);
    ASSERT_EQ(foregroundChanges.count(), 1u);
    EXPECT_EQ(storedMetadata().getInt64("META_RECORD_FOREGROUND"), 0);
    EXPECT_FALSE(plat::fileExists(projectFile("foreground.png")));
}

TEST_F(Chooser, ComingToRestOnTheStoredForegroundWritesNothing)
{
    setMetadata("META_RECORD_FOREGROUND", int64_t(3));
    auto chooser = std::make_shared<ForegroundSelectViewController>(project);
    place(*chooser, 200);
    driver.wait(1);
    chooser->carouselDidEndScrollingAnimation(*chooser->carousel());
    EXPECT_EQ(chooser->carousel()->currentItemIndex(), 3);
    EXPECT_EQ(foregroundChanges.count(), 0u);
    EXPECT_FALSE(plat::fileExists(projectFile("foreground.png")));
}

TEST_F(Chooser, BothChoosersLookLikeTheirPicture)
{
    setMetadata("META_RECORD_THEME", int64_t(2));
    setMetadata("META_RECORD_FOREGROUND", int64_t(3));
    auto themes = std::make_shared<ThemeSelectViewController>(project);
    auto foregrounds = std::make_shared<ForegroundSelectViewController>(project);
    place(*themes, 40);
    place(*foregrounds, 160);
    expectWindowLooksLike("look-choosers-phone.png");
    expectMissing(*themes->carousel()->itemViewAtIndex(2), "look-choosers-phone.png", "the centred theme");
    expectMissing(*foregrounds->carousel()->itemViewAtIndex(4), "look-choosers-phone.png", "a foreground");
}

}  // namespace
