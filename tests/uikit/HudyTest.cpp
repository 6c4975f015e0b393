#include "uikit/Hudy.h"

#include <cstdlib>

#include <gtest/gtest.h>

#include "platform/ui/ActivityIndicatorView.h"
#include "platform/ui/Label.h"
#include "platform/ui/Layer.h"
#include "platform/ui/LayoutRegistry.h"
#include "platform/ui/ProgressView.h"
#include "platform/ui/ViewRendering.h"
#include "platform/ui/Window.h"
#include "platform/ui/testing/PictureComparison.h"
#include "platform/ui/testing/UIScope.h"
#include "support/ManualClockScope.h"
#include "support/TemporarySandbox.h"

namespace {

using plat::makeRect;

// A phone window with a host view filling it.
class HudyDisplay : public ::testing::Test {
protected:
    void SetUp() override
    {
        window = std::make_shared<plat::Window>(makeRect(0, 0, 568, 320));
        window->makeKeyAndVisible();
        host = std::make_shared<plat::View>(makeRect(0, 0, 568, 320));
        window->addSubview(host);
    }

    plat::Rect hudFrame() const { return hud->view()->frame(); }
    bool isUp() const { return hud->view()->superview() == host; }

    plat::test::ManualClockScope clock;
    plat::test::UIScope ui;
    std::shared_ptr<plat::Window> window;
    std::shared_ptr<plat::View> host;
    std::shared_ptr<zt::Hudy> hud = std::make_shared<zt::Hudy>();
};

TEST_F(HudyDisplay, StartsWithAOneSecondCaptionOnlyDisplay)
{
    EXPECT_EQ(hud->caption(), "");
    EXPECT_FALSE(hud->isActivity());
    EXPECT_EQ(hud->progress(), -1.0f);
    EXPECT_EQ(hud->dismissAfterTime(), 1.0);
}

TEST_F(HudyDisplay, AnEmptyCaptionGivesTheSmallestDisplay)
{
    hud->showInView(host);
    EXPECT_EQ(hudFrame().size, (plat::Size {100, 50}));
    EXPECT_EQ(hud->captionView()->frame(), makeRect(10, 10, 80, 30));
    EXPECT_TRUE(hud->activityView()->isHidden());
    EXPECT_TRUE(hud->progressView()->isHidden());
    EXPECT_EQ(hud->viewBGView()->frame(), makeRect(0, 0, 100, 50));
}

TEST_F(HudyDisplay, TheSpinnerGetsRoomBelowTheCaption)
{
    hud->setIsActivity(true);
    hud->showInView(host);
    EXPECT_EQ(hudFrame().size, (plat::Size {100, 80}));
    EXPECT_FALSE(hud->activityView()->isHidden());
    EXPECT_EQ(hud->activityView()->center(), (plat::Point {50, 55}));
    EXPECT_EQ(hud->viewBGView()->frame(), makeRect(0, 0, 100, 80));
}

TEST_F(HudyDisplay, AProgressBarWidensTheDisplay)
{
    hud->setProgress(0);
    hud->showInView(host);
    EXPECT_EQ(hudFrame().size, (plat::Size {200, 80}));
    EXPECT_FALSE(hud->progressView()->isHidden());
    EXPECT_TRUE(hud->activityView()->isHidden());
    EXPECT_EQ(hud->captionView()->frame(), makeRect(10, 10, 180, 30));
    const plat::Rect bar = hud->progressView()->frame();
    EXPECT_GE(bar.minY(), 50);
    EXPECT_LE(bar.maxY(), 80);
}

TEST_F(HudyDisplay, TheCaptionSetsTheSizeByWhatItNeeds)
{
    hud->setCaption("Project successfully imported.");
    hud->showInView(host);
    const plat::Size fitted = hud->captionView()->sizeThatFits({});
    ASSERT_GT(fitted.width, 150);
    EXPECT_EQ(hud->captionView()->text(), "Project successfully imported.");
    EXPECT_EQ(hudFrame().size, (plat::Size {fitted.width + 50, 50}));
    EXPECT_EQ(hud->captionView()->frame(), makeRect(10, 10, fitted.width + 30, 30));
}

TEST_F(HudyDisplay, SitsInTheMiddleOfItsHost)
{
    hud->setIsActivity(true);
    hud->showInView(host);
    EXPECT_EQ(hud->view()->center(), (plat::Point {284, 160}));
    EXPECT_EQ(host->subviews().back(), hud->view());
}

TEST_F(HudyDisplay, InLandscapeTheHostsLongerSideIsTakenAsItsWidth)
{
    auto tall = std::make_shared<plat::View>(makeRect(10, 20, 300, 500));
    window->addSubview(tall);
    hud->showInView(tall);
    EXPECT_EQ(hud->view()->center(), (plat::Point {250, 150}));
    EXPECT_EQ(hud->getOrientationCorrectedRectFromRect(makeRect(5, 6, 100, 300)), makeRect(5, 6, 300, 100));
    EXPECT_EQ(hud->getOrientationCorrectedRectFromRect(makeRect(5, 6, 300, 100)), makeRect(5, 6, 300, 100));
}

TEST_F(HudyDisplay, FadesInOverAQuarterSecond)
{
    hud->showInView(host);
    EXPECT_EQ(hud->view()->alpha(), 1);
    clock.advance(0.05);
    const double shown = hud->view()->layer()->presentationProperties().opacity;
    EXPECT_GT(shown, 0);
    EXPECT_LT(shown, 1);
    clock.advance(0.25);
    EXPECT_EQ(hud->view()->layer()->presentationProperties().opacity, 1);
}

TEST_F(HudyDisplay, GoesAwayByItselfAfterTheDelayAndTheFade)
{
    hud->showInView(host);
    clock.advance(0.99);
    EXPECT_EQ(hud->view()->alpha(), 1);
    clock.advance(0.02);
    EXPECT_EQ(hud->view()->alpha(), 0) << "fading out";
    EXPECT_TRUE(isUp());
    clock.advance(0.25);
    EXPECT_FALSE(isUp());
}

TEST_F(HudyDisplay, StaysUntilDismissedWhenToldTo)
{
    hud->setCaption("Duplicate");
    hud->setIsActivity(true);
    hud->setDismissAfterTime(zt::Hudy::kStaysUntilDismissed);
    hud->showInView(host);
    clock.advance(30);
    EXPECT_TRUE(isUp());
    EXPECT_EQ(hud->view()->alpha(), 1);
    hud->dismiss();
    clock.advance(0.3);
    EXPECT_FALSE(isUp());
}

TEST_F(HudyDisplay, ANoughtDelayDismissesOnTheNextTurn)
{
    hud->setDismissAfterTime(0);
    hud->showInView(host);
    EXPECT_EQ(hud->view()->alpha(), 1);
    clock.advance(0);
    EXPECT_EQ(hud->view()->alpha(), 0);
    clock.advance(0.3);
    EXPECT_FALSE(isUp());
}

TEST_F(HudyDisplay, DismissingEarlyCancelsTheScheduledDismissal)
{
    hud->showInView(host);
    clock.advance(0.5);
    hud->dismiss();
    clock.advance(0.3);
    EXPECT_FALSE(isUp());
    hud->setDismissAfterTime(zt::Hudy::kStaysUntilDismissed);
    hud->showInView(host);
    clock.advance(1.5);
    EXPECT_TRUE(isUp());
    EXPECT_EQ(hud->view()->alpha(), 1);
}

TEST_F(HudyDisplay, ShowingAgainLaysOutAnewAndKeepsTheEarlierDismissal)
{
    hud->showInView(host);
    clock.advance(0.5);
    hud->setCaption("Project successfully imported.");
    hud->show();
    EXPECT_GT(hudFrame().width(), 200);
    EXPECT_EQ(hud->view()->center(), (plat::Point {284, 160}));
    // The first dismissal is due at 1 s, the second at 1.5 s.
    clock.advance(0.8);
    EXPECT_FALSE(isUp());
}

TEST_F(HudyDisplay, ProgressReachesTheBarWithoutShowingIt)
{
    hud->showInView(host);
    hud->setProgress(0.4f);
    EXPECT_FLOAT_EQ(static_cast<float>(hud->progressView()->progress()), 0.4f);
    EXPECT_TRUE(hud->progressView()->isHidden());
}

TEST_F(HudyDisplay, ProgressUpdatesTheBarWhileItShows)
{
    hud->setProgress(0);
    hud->setDismissAfterTime(zt::Hudy::kStaysUntilDismissed);
    hud->showInView(host);
    hud->setProgress(0.75f);
    EXPECT_FLOAT_EQ(static_cast<float>(hud->progressView()->progress()), 0.75f);
    EXPECT_FALSE(hud->progressView()->isHidden());
}

TEST_F(HudyDisplay, TheAppsOwnLayoutIsUsedWhenRegistered)
{
    auto panel = std::make_shared<plat::View>(makeRect(0, 0, 10, 10));
    plat::LayoutRegistry::registerLayout("Hudy", [panel](plat::ViewController& owner) {
        auto root = std::make_shared<plat::View>(makeRect(0, 0, 10, 10));
        auto& display = dynamic_cast<zt::Hudy&>(owner);
        display.setViewBGView(panel);
        display.setCaptionView(std::make_shared<plat::Label>());
        display.setActivityView(std::make_shared<plat::ActivityIndicatorView>());
        display.setProgressView(std::make_shared<plat::ProgressView>());
        root->addSubview(panel);
        return root;
    });
    hud->showInView(host);
    EXPECT_EQ(hud->viewBGView(), panel);
    EXPECT_EQ(panel->frame(), makeRect(0, 0, 100, 50));
    plat::LayoutRegistry::removeLayout("Hudy");
}

TEST_F(HudyDisplay, TheKitsLayoutConnectsItsOutletsByName)
{
    hud->view();
    EXPECT_EQ(hud->outlet("viewBGView"), hud->viewBGView());
    EXPECT_EQ(hud->outlet("captionView"), hud->captionView());
    EXPECT_EQ(hud->outlet("activityView"), hud->activityView());
    EXPECT_EQ(hud->outlet("progressView"), hud->progressView());
}

}  // namespace

namespace {

class HudyPicture : public HudyDisplay {
protected:
    std::shared_ptr<plat::Image> busyDisplay(const std::string& caption)
    {
        window->setBackgroundColor(plat::Color::colorWithRed(0.85, 0.87, 0.9, 1));
        host->setBackgroundColor(plat::Color::colorWithRed(0.85, 0.87, 0.9, 1));
        auto card = std::make_shared<plat::View>(makeRect(150, 90, 268, 140));
        card->setBackgroundColor(plat::Color::colorWithRed(212 / 255.0, 3 / 255.0, 215 / 255.0, 1));
        host->addSubview(card);
        hud->setCaption(caption);
        hud->setIsActivity(true);
        hud->setDismissAfterTime(zt::Hudy::kStaysUntilDismissed);
        hud->showInView(host);
        clock.advance(0.5);
        return plat::snapshotWindow(*window);
    }
    plat::test::TemporaryFolder output;
    std::string reference = plat::test::sourcePath("tests/data/uikit/hud_busy.png");
};

TEST_F(HudyPicture, ABusyDisplayMatchesItsReferencePicture)
{
    auto picture = busyDisplay("Duplicate");
    ASSERT_TRUE(picture);
    auto result = plat::test::compareWithReferencePicture(*picture, reference, output.path());
    EXPECT_TRUE(result.matches) << result.explanation;
}

TEST_F(HudyPicture, ABusyDisplayWithoutItsCaptionDoesNotMatch)
{
    auto picture = busyDisplay("");
    ASSERT_TRUE(picture);
    if (std::getenv("ZT_UPDATE_REFERENCE_PICTURES"))
        GTEST_SKIP() << "references are being made";
    auto result = plat::test::compareWithReferencePicture(*picture, reference, output.path());
    EXPECT_FALSE(result.matches) << result.explanation;
}

}  // namespace
