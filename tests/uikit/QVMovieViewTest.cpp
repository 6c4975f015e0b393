#include "uikit/QVMovieView.h"

#include <gtest/gtest.h>

#include "platform/foundation/Files.h"
#include "platform/graphics/Image.h"
#include "platform/media/MediaTestFiles.h"
#include "platform/media/MoviePlayer.h"
#include "platform/media/PlaybackTestSupport.h"
#include "platform/media/PlayerItem.h"
#include "platform/ui/BarButtonItem.h"
#include "platform/ui/ImageView.h"
#include "platform/ui/Label.h"
#include "platform/ui/Slider.h"
#include "platform/ui/Toolbar.h"
#include "platform/ui/ViewRendering.h"
#include "platform/ui/Window.h"
#include "platform/ui/testing/PictureComparison.h"
#include "support/Idioms.h"
#include "support/RootScreenTest.h"
#include "support/SeeThrough.h"
#include "uikit/AVPlayerDemoPlaybackView.h"
#include "uikit/UIKitLayouts.h"

namespace {

using plat::MediaTime;
using zt::QVMovieView;

constexpr double kMovieSeconds = 4.0;

// A phone (or a tablet) showing the movie player over a plain screen, with a four-second movie.
class MovieViewScreen : public plat::test::RootScreenTest {
protected:
    explicit MovieViewScreen(plat::UserInterfaceIdiom idiom = plat::UserInterfaceIdiom::Phone)
        : RootScreenTest(idiom)
    {
        zt::registerUIKitLayouts();
        moviePath = plat::test::makeTestMovie(folder.path(), "preview.mov", kMovieSeconds, 10, 320, 180);
    }

    std::shared_ptr<QVMovieView> present(const std::string& path, bool curtains = true)
    {
        auto movieView = std::make_shared<QVMovieView>("QVMovieView", plat::URL::fileURLWithPath(path), curtains);
        root->presentViewController(movieView, /*animated=*/true, nullptr);
        driver.wait(0.5);
        return movieView;
    }

    plat::MoviePlayer& player(const QVMovieView& movieView) { return *movieView.player(); }
    // Held, so that a later picture cannot take the address of a freed one.
    std::shared_ptr<const plat::Image> shownPicture(const QVMovieView& movieView)
    {
        return movieView.outlets().playbackView->layer()->contents();
    }

    plat::test::ListeningSpeaker speaker;
    plat::test::TemporaryFolder folder;
    plat::test::TemporaryFolder output;
    std::string moviePath;
};

TEST_F(MovieViewScreen, TheCurtainsOpenOverTwoSecondsAndThenTheMoviePlays)
{
    ASSERT_FALSE(moviePath.empty());
    auto movieView
        = std::make_shared<QVMovieView>("QVMovieView", plat::URL::fileURLWithPath(moviePath), /*showCurtains=*/true);
    root->presentViewController(movieView, /*animated=*/true, nullptr);
    driver.wait(0.35);  // the presentation's transition
    ASSERT_TRUE(movieView->isVisible()) << "the curtains begin to open";
    EXPECT_EQ(movieView->outlets().viewLandscapeControls->alpha(), 0.0);
    driver.wait(1.95);
    EXPECT_FALSE(movieView->isCurtainOpen());
    EXPECT_EQ(player(*movieView).rate(), 0.0f);
    driver.wait(0.1);
    EXPECT_TRUE(movieView->isCurtainOpen());
    EXPECT_EQ(player(*movieView).rate(), 1.0f);
    EXPECT_EQ(movieView->outlets().viewLandscapeCurtainLeft->frame(), plat::makeRect(-100, 0, 100, 320));
    EXPECT_EQ(movieView->outlets().viewLandscapeCurtainRight->frame(), plat::makeRect(568, 0, 100, 320));
    EXPECT_EQ(movieView->outlets().btnPlayPause->image(), plat::Image::imageNamed("movieplayer_btn_play_selected"));

    driver.wait(0.1);
    const auto early = shownPicture(*movieView);
    driver.wait(1.0);
    EXPECT_NE(shownPicture(*movieView), early) << "a later picture";
    EXPECT_NEAR(movieView->outlets().scrubber->value(), 1.0, 0.101);
    EXPECT_EQ(movieView->outlets().labelCurrent->text(), "00:01");
    EXPECT_EQ(movieView->outlets().labelEnd->text(), "00:02");
}

TEST_F(MovieViewScreen, ThePlayingScreenWithItsControlsMatchesItsPicture)
{
    auto movieView = present(moviePath);
    driver.wait(2.5);  // the curtains open over 2.0 s
    ASSERT_TRUE(driver.tap(*movieView->outlets().playbackView));
    driver.wait(0.3);
    player(*movieView).pause();
    player(*movieView).seekToTime(MediaTime::make(1, 1));
    driver.wait(0.2);
    EXPECT_EQ(movieView->outlets().viewLandscapeControls->alpha(), 1.0);
    auto picture = plat::snapshotWindow(*window, 1);
    ASSERT_NE(picture, nullptr);
    auto comparison = plat::test::compareWithReferencePicture(
        *picture, plat::test::sourcePath("tests/data/uikit/movie_view_playing.png"), output.path());
    EXPECT_TRUE(comparison.matches) << comparison.explanation;
}

class MovieViewBars : public MovieViewScreen, public ::testing::WithParamInterface<plat::UserInterfaceIdiom> {
protected:
    MovieViewBars()
        : MovieViewScreen(GetParam())
    {
    }
};

// The bars' texts lie over the movie where it fills the screen: nothing of
// the movie may show through beside them, or it reads as part of the bar.
TEST_P(MovieViewBars, HideTheMovieBehindThem)
{
    auto movieView = present(moviePath);
    driver.wait(2.5);  // the curtains open over 2.0 s
    ASSERT_TRUE(driver.tap(*movieView->outlets().playbackView));
    driver.wait(0.3);
    player(*movieView).pause();
    for (const auto& bar : {movieView->outlets().toolBar, movieView->outlets().toolBarLower}) {
        ASSERT_NE(bar, nullptr);
        const plat::Rect area = bar->convertRect(bar->bounds(), nullptr);
        EXPECT_LE(plat::test::largestSeeThrough(*window, *bar, area), 2) << plat::stringFromRect(area);
    }
}

INSTANTIATE_TEST_SUITE_P(Idioms, MovieViewBars, plat::test::bothIdioms(), plat::test::idiomName);

TEST_F(MovieViewScreen, ControlsFadeOnTheFourthTickOfPlaybackButStayWhilePaused)
{
    auto movieView = present(moviePath, /*curtains=*/false);
    auto controls = movieView->outlets().viewLandscapeControls;
    driver.wait(5.0);
    EXPECT_EQ(controls->alpha(), 1.0) << "paused";
    // The clock ticks on whole seconds from the screen's loading; playback starts half-way between.
    movieView->actionPlay();
    driver.wait(3.4);
    EXPECT_EQ(controls->alpha(), 1.0) << "three ticks";
    driver.wait(0.2);
    EXPECT_EQ(controls->alpha(), 0.0) << "the fourth";
    movieView->actionTouchOnScreen();
    driver.wait(0.3);
    EXPECT_EQ(controls->alpha(), 1.0);
}

TEST_F(MovieViewScreen, PlayAtTheEndOfANonLoopingMovieStartsAgainAndALoopingOneRestartsByItself)
{
    auto movieView = present(moviePath, /*curtains=*/false);
    EXPECT_TRUE(movieView->isLoop());
    movieView->actionLoop();
    EXPECT_FALSE(movieView->isLoop());
    EXPECT_EQ(movieView->outlets().btnLoop->image(), plat::Image::imageNamed("movieplayer_btn_loop_selected"));
    movieView->actionPlay();
    driver.wait(kMovieSeconds + 0.5);
    EXPECT_EQ(player(*movieView).rate(), 0.0f);
    EXPECT_EQ(player(*movieView).currentTime(), player(*movieView).currentItem()->duration());
    EXPECT_EQ(movieView->outlets().btnPlayPause->image(), plat::Image::imageNamed("movieplayer_btn_play"));
    movieView->actionPlay();
    driver.wait(0.5);
    EXPECT_NEAR(player(*movieView).currentTime().seconds(), 0.5, 1e-6) << "from the start";

    movieView->actionLoop();
    driver.wait(kMovieSeconds);
    EXPECT_EQ(player(*movieView).rate(), 1.0f);
    EXPECT_NEAR(player(*movieView).currentTime().seconds(), 0.5, 1e-6) << "round again";
}

TEST_F(MovieViewScreen, ReverseTwiceRewindsAndPlaysForwardAtNormalSpeed)
{
    auto movieView = present(moviePath, /*curtains=*/false);
    player(*movieView).seekToTime(MediaTime::make(3, 1));
    movieView->actionReverse();
    EXPECT_EQ(player(*movieView).rate(), -2.0f);
    driver.wait(0.5);
    EXPECT_NEAR(player(*movieView).currentTime().seconds(), 2.0, 1e-6);
    movieView->actionReverse();
    EXPECT_EQ(player(*movieView).rate(), 1.0f);
    EXPECT_EQ(player(*movieView).currentTime(), MediaTime::zero());
    movieView->actionForward();
    EXPECT_EQ(player(*movieView).rate(), 3.0f);
    movieView->actionPlay();
    EXPECT_EQ(player(*movieView).rate(), 1.0f) << "fast counts as not playing";
    movieView->actionRewind();
    EXPECT_EQ(player(*movieView).currentTime(), MediaTime::zero());
    EXPECT_EQ(player(*movieView).rate(), 1.0f);
}

TEST_F(MovieViewScreen, AfterAScrubTheScrubberAndLabelsFollowPlaybackAgain)
{
    auto movieView = present(moviePath, /*curtains=*/false);
    auto scrubber = movieView->outlets().scrubber;
    EXPECT_DOUBLE_EQ(scrubber->maximumValue(), kMovieSeconds);
    movieView->actionPlay();
    driver.wait(0.5);
    movieView->beginScrubbing();
    EXPECT_EQ(player(*movieView).rate(), 0.0f);
    scrubber->setValue(2.5);
    movieView->scrub();
    EXPECT_NEAR(player(*movieView).currentTime().seconds(), 2.5, 1e-6);
    driver.wait(0.5);
    EXPECT_DOUBLE_EQ(scrubber->value(), 2.5) << "nothing moves while scrubbing";
    movieView->endScrubbing();
    EXPECT_EQ(player(*movieView).rate(), 1.0f) << "the saved rate";
    driver.wait(1.0);
    EXPECT_NEAR(scrubber->value(), 3.5, 0.101);
    EXPECT_EQ(movieView->outlets().labelCurrent->text(), "00:03");
    EXPECT_EQ(movieView->outlets().labelEnd->text(), "00:00");
}

TEST_F(MovieViewScreen, HomeDisablesItselfClosesTheCurtainsAndLeavesASecondLater)
{
    auto movieView = present(moviePath);
    driver.wait(3.0);  // the curtains open over 2.0 s
    auto done = movieView->outlets().btnDone;
    done->sendAction();
    EXPECT_FALSE(done->isEnabled());
    EXPECT_EQ(movieView->player(), nullptr);
    EXPECT_FALSE(movieView->isCurtainOpen());
    EXPECT_EQ(movieView->outlets().viewLandscapeCurtainLeft->frame(), plat::makeRect(0, 0, 286, 320));
    EXPECT_EQ(movieView->outlets().viewLandscapeCurtainRight->frame(), plat::makeRect(284, 0, 286, 320));
    driver.wait(0.9);
    EXPECT_EQ(root->presentedViewController(), movieView);
    driver.wait(0.6);
    EXPECT_EQ(root->presentedViewController(), nullptr);
}

TEST_F(MovieViewScreen, AMovieThatCannotBeDecodedShowsTheErrorAndCloses)
{
    auto bytes = plat::readFile(moviePath);
    ASSERT_TRUE(bytes.ok());
    std::string cut = folder.path("cut.mov");
    ASSERT_TRUE(plat::writeFileAtomically(
        cut, plat::Data(bytes.value().begin(), bytes.value().begin() + bytes.value().size() / 3))
                    .ok());
    auto movieView = present(cut);
    driver.wait(0.5);
    EXPECT_EQ(root->presentedViewController(), nullptr);
    EXPECT_NE(driver.findView("The movie cannot be played."), nullptr);
    ASSERT_TRUE(driver.tap("OK"));
    driver.wait(0.5);
    EXPECT_EQ(driver.findView("The movie cannot be played."), nullptr);
}

TEST(QVMovieViewTimes, MinutesAndSecondsAreTwoDigitsAndMinutesAreNotCapped)
{
    EXPECT_EQ(QVMovieView::stringFromTime(75.9f), "01:15");
    EXPECT_EQ(QVMovieView::stringFromTime(3725.0f), "62:05");
    EXPECT_EQ(QVMovieView::stringFromTime(0.0f), "00:00");
    EXPECT_EQ(QVMovieView::stringFromTime(59.99f), "00:59");
}

}  // namespace
