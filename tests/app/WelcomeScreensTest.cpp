#include <gtest/gtest.h>

#include "AppScreensTestSupport.h"
#include "app/FeatureScreens.h"
#include "app/WelcomeMain.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/ui/Button.h"
#include "platform/ui/Label.h"
#include "platform/ui/Toolbar.h"
#include "platform/ui/ViewRendering.h"
#include "platform/ui/testing/PictureComparison.h"

namespace {

using zt::FeatureListScreen;
using zt::QVWhatsNew;
using zt::WelcomeMain;

plat::Array rows(const std::string& version, int count)
{
    plat::Array array;
    for (int i = 0; i < count; ++i)
        array.append(plat::Dictionary {{"title", version + " row " + std::to_string(i)}, {"detail", "detail"}});
    return array;
}

// The welcome screens over a plain screen, with the explorer's colours.
class WelcomeScreens : public zt::test::AppScreens {
protected:
    explicit WelcomeScreens(plat::UserInterfaceIdiom idiom = plat::UserInterfaceIdiom::Phone)
        : AppScreens(idiom)
    {
        window->setRootViewController(root);
        window->makeKeyAndVisible();
        driver.wait(0);
    }

    void present(const std::shared_ptr<FeatureListScreen>& screen, bool explorerColours = true)
    {
        if (explorerColours) {
            screen->setBackgroundGradientTopColor(plat::Color::colorWithHue(0.77, 0.77, 0.76, 1));
            screen->setBackgroundGradientBottomColor(plat::Color::colorWithHue(0.78, 0.6, 0.95, 1));
        }
        root->presentViewController(screen, /*animated=*/true, nullptr);
        driver.wait(1);
    }
    std::vector<std::string> shownTitles(FeatureListScreen& screen) const
    {
        std::vector<std::string> titles;
        auto& view = *screen.collectionView();
        for (int64_t item = 0; item < view.numberOfItemsInSection(0); ++item) {
            auto cell = std::dynamic_pointer_cast<zt::FeatureCell>(view.cellForItemAtIndexPath({0, item}));
            titles.push_back(cell ? cell->title() : "<not shown>");
        }
        return titles;
    }

    std::shared_ptr<plat::Window> window = std::make_shared<plat::Window>();
    std::shared_ptr<plat::ViewController> root = std::make_shared<plat::ViewController>();
    plat::test::TemporaryFolder output;
};

class WelcomeScreensOnATablet : public WelcomeScreens {
protected:
    WelcomeScreensOnATablet()
        : WelcomeScreens(plat::UserInterfaceIdiom::Pad)
    {
    }
};

TEST_F(WelcomeScreens, TheWelcomeIsHandedOutOnceAndMarkedUnderTheBundleIdentifier)
{
    WelcomeMain::reset();
    EXPECT_EQ(WelcomeMain::storageKey(), "com.quorvane.zantrope.welcome");
    EXPECT_FALSE(WelcomeMain::getHasSeen());
    int shown = 0;
    WelcomeMain::handleWelcome([&](const plat::Dictionary& features) {
        ++shown;
        EXPECT_EQ(features.getString("BtnTitle"), "Get Started");
        EXPECT_EQ(features.getArray("Features")->count(), 3u);
    });
    EXPECT_EQ(shown, 1);
    EXPECT_TRUE(plat::UserDefaults::standardUserDefaults().boolForKey("com.quorvane.zantrope.welcome"));
    WelcomeMain::handleWelcome([&](const plat::Dictionary&) { ++shown; });
    EXPECT_EQ(shown, 1);
    WelcomeMain::reset();
    EXPECT_FALSE(WelcomeMain::getHasSeen());
}

TEST_F(WelcomeScreens, WhatsNewShowsNothingOnAFreshInstallationAndTheNewerVersionsAfterAnUpdate)
{
    int shown = 0;
    QVWhatsNew::handleWhatsNew([&](const plat::Dictionary&) { ++shown; });
    EXPECT_EQ(shown, 0);
    EXPECT_EQ(QVWhatsNew::lastAppVersion(), "1.0") << "the running version";

    QVWhatsNew::setLastAppVersion("0.9");
    QVWhatsNew::handleWhatsNew([&](const plat::Dictionary& versions) {
        ++shown;
        EXPECT_EQ(versions.keys(), std::vector<std::string> {"1.0"});
    });
    EXPECT_EQ(shown, 1);
    EXPECT_EQ(QVWhatsNew::lastAppVersion(), "1.0");
    QVWhatsNew::handleWhatsNew([&](const plat::Dictionary&) { ++shown; });
    EXPECT_EQ(shown, 1) << "nothing newer";
}

TEST_F(WelcomeScreens, VersionsAreChosenAndOrderedNumericallyNewestFirst)
{
    plat::Dictionary all {{"1.1", rows("1.1", 1)}, {"1.2", rows("1.2", 1)}, {"1.3", rows("1.3", 2)},
        {"1.4", rows("1.4", 1)}, {"1.5", rows("1.5", 1)}, {"1.10", rows("1.10", 1)}};
    auto chosen = QVWhatsNew::versionsBetween(all, "1.2", "1.4");
    EXPECT_EQ(chosen.keys(), (std::vector<std::string> {"1.3", "1.4"}));
    EXPECT_EQ(QVWhatsNew::versionsBetween(all, "1.9", "1.10").keys(), std::vector<std::string> {"1.10"});

    auto screen = std::make_shared<zt::QVWhatsNewGridViewController>(chosen);
    std::vector<std::string> titles;
    for (const auto& row : screen->allFeatures())
        titles.push_back(*row.asDictionary()->getString("title"));
    EXPECT_EQ(titles, (std::vector<std::string> {"1.4 row 0", "1.3 row 0", "1.3 row 1"}));
    EXPECT_EQ(screen->dismissButtonTitle(), "Get Started");
}

TEST_F(WelcomeScreens, TheStyleFollowsTheTopColour)
{
    EXPECT_EQ(
        zt::FeatureScreen::appropriateStyleForBackgroundOfColor(plat::Color::colorWithHue(0.77, 0.77, 0.76, 1)), 0u);
    EXPECT_EQ(zt::FeatureScreen::appropriateStyleForBackgroundOfColor(plat::Color::whiteColor()), 1u);
    auto screen = std::make_shared<zt::WelcomeGridViewController>(WelcomeMain::features());
    EXPECT_EQ(screen->style(), 1u) << "dark content on the default white";
    EXPECT_EQ(screen->contentColor(), plat::Color::blackColor());
    screen->setBackgroundGradientTopColor(plat::Color::colorWithHue(0.77, 0.77, 0.76, 1));
    EXPECT_EQ(screen->style(), 0u);
    EXPECT_EQ(screen->contentColor(), plat::Color::whiteColor());
    screen->setStyle(1);
    screen->setBackgroundGradientTopColor(plat::Color::blackColor());
    EXPECT_EQ(screen->style(), 1u) << "a style set by hand stays";
}

TEST_F(WelcomeScreens, TheWelcomeScreenShowsItsRowsAndClosesWithItsButton)
{
    auto screen = std::make_shared<zt::WelcomeGridViewController>(WelcomeMain::features());
    present(screen);
    EXPECT_EQ(screen->dismissButton()->titleForState(plat::ControlStateNormal), "Get Started");
    EXPECT_EQ(screen->buttonBackground()->frame().height(), 50.0) << "a phone's bar";
    EXPECT_EQ(screen->contentInset().bottom, 50.0);
    EXPECT_TRUE(screen->collectionView()->isScrollEnabled()) << "header and rows are taller than a phone";
    auto picture = plat::snapshotWindow(*window, 1);
    ASSERT_NE(picture, nullptr);
    auto comparison = plat::test::compareWithReferencePicture(
        *picture, plat::test::sourcePath("tests/data/app/welcome_phone.png"), output.path());
    EXPECT_TRUE(comparison.matches) << comparison.explanation;
    // The rows below the header.
    screen->collectionView()->setContentOffset({0, 300});
    driver.wait(0.1);
    EXPECT_EQ(shownTitles(*screen), (std::vector<std::string> {"Capture", "Edit", "Share"}));
    ASSERT_TRUE(driver.tap(*screen->dismissButton()));
    driver.wait(1);
    EXPECT_EQ(root->presentedViewController(), nullptr);
}

TEST_F(WelcomeScreensOnATablet, AFormSheetGetsTheLargeButtonAndAListThatFitsDoesNotScroll)
{
    auto welcome = std::make_shared<zt::WelcomeGridViewController>(WelcomeMain::features());
    present(welcome);
    EXPECT_TRUE(welcome->shouldUseLargeButton());
    EXPECT_EQ(welcome->buttonBackground()->frame().height(), 62.0);
    EXPECT_EQ(welcome->contentInset().bottom, 62.0);
    ASSERT_TRUE(driver.tap(*welcome->dismissButton()));
    driver.wait(1);

    auto whatsNew = std::make_shared<zt::QVWhatsNewGridViewController>(QVWhatsNew::allFeatures());
    present(whatsNew);
    EXPECT_EQ(whatsNew->buttonBackground()->frame().height(), 82.0);
    EXPECT_TRUE(whatsNew->shouldUseGridLayout());
    EXPECT_FALSE(whatsNew->collectionView()->isScrollEnabled()) << "two tiles fit";
    EXPECT_EQ(shownTitles(*whatsNew), (std::vector<std::string> {"Movie preview", "Parental passcode"}));
    auto picture = plat::snapshotWindow(*window, 1);
    ASSERT_NE(picture, nullptr);
    auto comparison = plat::test::compareWithReferencePicture(
        *picture, plat::test::sourcePath("tests/data/app/whats_new_tablet.png"), output.path());
    EXPECT_TRUE(comparison.matches) << comparison.explanation;
}

}  // namespace
