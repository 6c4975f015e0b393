#include "platform/media/MoviePlayer.h"

#include <gtest/gtest.h>

#include "MediaTestFiles.h"
#include "PlaybackTestSupport.h"
#include "platform/foundation/Files.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/RunLoop.h"
#include "platform/graphics/Bitmap.h"
#include "platform/graphics/Image.h"
#include "platform/media/Asset.h"
#include "platform/media/PlayerItem.h"
#include "support/TemporarySandbox.h"

namespace {

using plat::MediaTime;
using plat::MoviePlayer;

constexpr int kWidth = 160;
constexpr int kHeight = 96;
constexpr int kFps = 10;

// The largest difference of one colour component between a shown picture
// and a picture decoded by ffmpeg (RGB), over every pixel.
int largestDifference(const plat::Bitmap& shown, const std::vector<uint8_t>& reference)
{
    int largest = 0;
    for (int y = 0; y < shown.height(); ++y) {
        const uint8_t* row = shown.row(y);
        for (int x = 0; x < shown.width(); ++x) {
            const uint8_t* bgra = row + x * 4;
            const uint8_t* rgb = reference.data() + (static_cast<size_t>(y) * kWidth + x) * 3;
            largest = std::max(
                {largest, std::abs(bgra[2] - rgb[0]), std::abs(bgra[1] - rgb[1]), std::abs(bgra[0] - rgb[2])});
        }
    }
    return largest;
}

// A two-second movie of 20 pictures with sound, and what ffmpeg decodes of it.
class MoviePlayerTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        path = plat::test::makeTestMovie(folder.path(), "movie.mov", 2.0, kFps, kWidth, kHeight);
        ASSERT_FALSE(path.empty());
        reference = plat::test::decodeVideoWithFFmpeg(folder.path(), path, kWidth, kHeight);
        ASSERT_EQ(reference.size(), 20u);
        player = MoviePlayer::playerWithURL(plat::URL::fileURLWithPath(path));
        ASSERT_EQ(player->status(), MoviePlayer::Status::ReadyToPlay);
    }

    // Which of the movie's pictures the player shows, by the closest match; -1 when none is close.
    int shownPicture() const
    {
        if (!player->currentPicture())
            return -1;
        const auto& bitmap = *player->currentPicture()->bitmap();
        EXPECT_EQ(bitmap.width(), kWidth);
        for (size_t index = 0; index < reference.size(); ++index) {
            if (largestDifference(bitmap, reference[index]) <= 12)
                return static_cast<int>(index);
        }
        return -1;
    }

    plat::test::ManualClockScope clock;
    plat::test::ListeningSpeaker speaker;
    plat::test::TemporaryFolder folder;
    std::string path;
    std::vector<std::vector<uint8_t>> reference;
    std::shared_ptr<MoviePlayer> player;
};

TEST_F(MoviePlayerTest, ShowsThePictureOfThePositionAsTheClockMovesAndAfterSeeks)
{
    EXPECT_EQ(shownPicture(), 0);
    int changes = 0;
    player->addPictureObserver([&] { ++changes; });
    player->play();
    clock.advance(0.55);
    EXPECT_NEAR(player->currentTime().seconds(), 0.55, 1e-6);
    EXPECT_EQ(shownPicture(), 5);
    EXPECT_EQ(changes, 5);
    player->pause();
    clock.advance(1.0);
    EXPECT_EQ(shownPicture(), 5);

    // Ahead past a key frame, then back before it: both seek.
    player->seekToTime(MediaTime::make(123, 100));
    EXPECT_EQ(shownPicture(), 12);
    player->seekToTime(MediaTime::make(31, 100));
    EXPECT_EQ(shownPicture(), 3);
    player->seekToTime(MediaTime::make(-5, 1));
    EXPECT_EQ(player->currentTime(), MediaTime::zero());
    EXPECT_EQ(shownPicture(), 0);
    player->seekToTime(MediaTime::make(50, 1));
    EXPECT_EQ(player->currentTime(), player->currentItem()->duration());
    EXPECT_EQ(shownPicture(), 19);
}

TEST_F(MoviePlayerTest, FromBetweenTwoPicturesTheNextShowsWhenItIsDue)
{
    player->seekToTime(MediaTime::make(123, 100));
    player->play();
    clock.advance(0.065);
    EXPECT_EQ(shownPicture(), 12);
    clock.advance(0.01);
    EXPECT_EQ(shownPicture(), 13) << "at 1.3 s, not a whole picture after playing began";
}

TEST_F(MoviePlayerTest, PlaysToTheEndThenPausesThereAndPostsTheEndOnce)
{
    int ends = 0;
    double endedAt = 0;
    auto token = plat::NotificationCenter::defaultCenter().addObserver(
        plat::kPlayerItemDidPlayToEndTimeNotification, player->currentItem().get(), [&](const auto&) {
            ++ends;
            endedAt = clock.uptimeSeconds();
        });
    double start = clock.uptimeSeconds();
    player->play();
    clock.advance(3.0);
    plat::NotificationCenter::defaultCenter().removeObserver(token);
    EXPECT_EQ(ends, 1);
    EXPECT_NEAR(endedAt - start, 2.0, 1e-3);
    EXPECT_EQ(player->rate(), 0.0f);
    EXPECT_EQ(player->currentTime(), player->currentItem()->duration());
    EXPECT_EQ(shownPicture(), 19);
}

TEST_F(MoviePlayerTest, BackwardsAtDoubleSpeedStopsAtTheStartWithoutAnEnd)
{
    int ends = 0;
    auto token = plat::NotificationCenter::defaultCenter().addObserver(
        plat::kPlayerItemDidPlayToEndTimeNotification, player->currentItem().get(), [&](const auto&) { ++ends; });
    player->seekToTime(MediaTime::make(15, 10));
    player->setRate(-2.0f);
    clock.advance(0.26);
    EXPECT_NEAR(player->currentTime().seconds(), 0.98, 1e-6);
    EXPECT_EQ(shownPicture(), 9);
    clock.advance(0.23);
    EXPECT_EQ(shownPicture(), 5);
    clock.advance(1.0);
    EXPECT_EQ(player->rate(), 0.0f);
    EXPECT_EQ(player->currentTime(), MediaTime::zero());
    EXPECT_EQ(shownPicture(), 0);
    plat::NotificationCenter::defaultCenter().removeObserver(token);
    EXPECT_EQ(ends, 0);
}

TEST_F(MoviePlayerTest, SoundPlaysAtNormalSpeedAndIsSilentWhenFastOrBackwards)
{
    player->play();
    clock.advance(0.5);
    EXPECT_GT(speaker.peak(0.1, 0.5), 0.3);
    player->setRate(3.0f);
    double fastFrom = speaker.seconds();
    clock.advance(0.2);
    EXPECT_NEAR(player->currentTime().seconds(), 1.1, 1e-6);
    EXPECT_LT(speaker.peak(fastFrom + 0.03, speaker.seconds()), 0.01);
    player->setRate(-2.0f);
    double backFrom = speaker.seconds();
    clock.advance(0.2);
    EXPECT_NEAR(player->currentTime().seconds(), 0.7, 1e-6);
    EXPECT_LT(speaker.peak(backFrom + 0.03, speaker.seconds()), 0.01);
}

TEST_F(MoviePlayerTest, AHeldMovieStaysWhereItIsWhateverTheRateAndPlaysOnOnceLetGo)
{
    int ends = 0;
    auto token = plat::NotificationCenter::defaultCenter().addObserver(
        plat::kPlayerItemDidPlayToEndTimeNotification, player->currentItem().get(), [&](const auto&) { ++ends; });
    player->play();
    clock.advance(0.55);
    player->beginHold();
    player->beginHold();
    double heldFrom = speaker.seconds();
    clock.advance(3.0);
    EXPECT_NEAR(player->currentTime().seconds(), 0.55, 1e-6);
    EXPECT_EQ(shownPicture(), 5);
    EXPECT_LT(speaker.peak(heldFrom + 0.03, speaker.seconds()), 0.01);
    // Held, a seek and another rate still take.
    player->seekToTime(MediaTime::make(123, 100));
    player->setRate(-2.0f);
    clock.advance(1.0);
    EXPECT_EQ(shownPicture(), 12);
    EXPECT_EQ(player->rate(), -2.0f);
    player->endHold();
    clock.advance(0.2);
    EXPECT_NEAR(player->currentTime().seconds(), 1.23, 1e-6);
    player->endHold();
    clock.advance(0.2);
    EXPECT_NEAR(player->currentTime().seconds(), 0.83, 1e-6);
    clock.advance(1.0);
    plat::NotificationCenter::defaultCenter().removeObserver(token);
    EXPECT_EQ(player->currentTime(), MediaTime::zero());
    EXPECT_EQ(ends, 0);
}

TEST_F(MoviePlayerTest, PeriodicObserverFollowsPlaybackAndJumpsButNotAPause)
{
    std::vector<double> times;
    auto token = player->addPeriodicTimeObserverForInterval(
        MediaTime::make(1, 10), [&](const MediaTime& time) { times.push_back(time.seconds()); });
    player->play();
    clock.advance(0.35);
    // The start, then three intervals.
    ASSERT_EQ(times.size(), 4u);
    EXPECT_NEAR(times[3], 0.3, 1e-6);
    player->pause();
    clock.advance(0.01);
    size_t paused = times.size();
    clock.advance(1.0);
    EXPECT_EQ(times.size(), paused);
    player->seekToTime(MediaTime::make(1, 1));
    clock.advance(0.01);
    ASSERT_EQ(times.size(), paused + 1);
    EXPECT_DOUBLE_EQ(times.back(), 1.0);
    player->removeTimeObserver(token);
    player->play();
    clock.advance(0.5);
    EXPECT_EQ(times.size(), paused + 1);
}

class MoviePlayerFailureTest : public ::testing::Test {
protected:
    plat::test::ManualClockScope clock;
    plat::test::ListeningSpeaker speaker;
    plat::test::TemporaryFolder folder;
};

TEST_F(MoviePlayerFailureTest, AFileThatIsNoMovieFailsAtOnceAndNeverMoves)
{
    std::string text = plat::appendingPathComponent(folder.path(), "notes.mov");
    ASSERT_TRUE(plat::writeFileAtomically(text, std::string_view("notes")).ok());
    auto sound = plat::test::makeAACFile(folder.path(), "sound.m4a", 1.0);
    for (const std::string& path : {text, sound, plat::appendingPathComponent(folder.path(), "missing.mov")}) {
        auto player = MoviePlayer::playerWithURL(plat::URL::fileURLWithPath(path));
        EXPECT_EQ(player->status(), MoviePlayer::Status::Failed) << path;
        ASSERT_TRUE(player->error().has_value());
        EXPECT_FALSE(player->error()->localizedDescription().empty());
        EXPECT_EQ(player->currentPicture(), nullptr);
        player->play();
        clock.advance(1.0);
        EXPECT_EQ(player->currentTime(), MediaTime::zero());
    }
}

TEST_F(MoviePlayerFailureTest, ATruncatedMovieFailsWithoutACrash)
{
    auto path = plat::test::makeTestMovie(folder.path(), "movie.mov", 2.0, kFps, kWidth, kHeight);
    ASSERT_FALSE(path.empty());
    auto bytes = plat::readFile(path);
    ASSERT_TRUE(bytes.ok());
    // The index of a QuickTime file comes last: without it nothing can be played.
    std::string cut = plat::appendingPathComponent(folder.path(), "cut.mov");
    ASSERT_TRUE(plat::writeFileAtomically(
        cut, plat::Data(bytes.value().begin(), bytes.value().begin() + bytes.value().size() / 2))
                    .ok());
    auto player = MoviePlayer::playerWithURL(plat::URL::fileURLWithPath(cut));
    EXPECT_EQ(player->status(), MoviePlayer::Status::Failed);
    EXPECT_TRUE(player->error().has_value());
}

}  // namespace

namespace {

TEST_F(MoviePlayerFailureTest, AMovieCutShortBehindItsIndexFailsWhilePlayingWithTheFailureNotification)
{
    // The index first, so the file opens; its second half of pictures is gone.
    auto made = plat::test::runFFmpeg(folder.path(),
        {"-f", "lavfi", "-i", "testsrc2=size=160x96:rate=10:duration=4", "-c:v", "libx264", "-g", "5", "-pix_fmt",
            "yuv420p", "-movflags", "+faststart", "whole.mov"});
    ASSERT_EQ(made.exitCode, 0);
    auto bytes = plat::readFile(folder.path("whole.mov"));
    ASSERT_TRUE(bytes.ok());
    ASSERT_TRUE(plat::writeFileAtomically(
        folder.path("cut.mov"), plat::Data(bytes.value().begin(), bytes.value().begin() + bytes.value().size() / 2))
                    .ok());
    auto player = MoviePlayer::playerWithURL(plat::URL::fileURLWithPath(folder.path("cut.mov")));
    ASSERT_EQ(player->status(), MoviePlayer::Status::ReadyToPlay);
    int failures = 0;
    auto token
        = plat::NotificationCenter::defaultCenter().addObserver(plat::kPlayerItemFailedToPlayToEndTimeNotification,
            player->currentItem().get(), [&](const auto&) { ++failures; });
    player->play();
    clock.advance(4.5);
    plat::NotificationCenter::defaultCenter().removeObserver(token);
    EXPECT_EQ(failures, 1);
    EXPECT_EQ(player->status(), MoviePlayer::Status::Failed);
    EXPECT_TRUE(player->error().has_value());
    EXPECT_EQ(player->rate(), 0.0f);
    EXPECT_LT(player->currentTime().seconds(), 3.0) << "stopped where the pictures broke off";
}

}  // namespace

namespace {

// A movie of its own, as the failure tests make theirs.
using MoviePlayerPacing = MoviePlayerFailureTest;

TEST_F(MoviePlayerPacing, EveryPictureOfAThirtyPictureASecondMovieShowsInItsOwnStep)
{
    auto path = plat::test::makeTestMovie(folder.path(), "fast.mov", 1.0, 30, 160, 96);
    ASSERT_FALSE(path.empty());
    auto player = MoviePlayer::playerWithURL(plat::URL::fileURLWithPath(path));
    ASSERT_EQ(player->status(), MoviePlayer::Status::ReadyToPlay);
    int changes = 0;
    player->addPictureObserver([&] { ++changes; });
    player->play();
    // Held, so that a new picture never takes the freed one's address.
    std::shared_ptr<const plat::Image> last = player->currentPicture();
    int steps = 0;
    int stepsWithANewPicture = 0;
    // Steps end half-way between pictures: a picture due at a step's very end may fall either side.
    clock.advance(0.5 / 30);
    for (; steps < 40 && player->rate() != 0; ++steps) {
        clock.advance(1.0 / 30);
        if (player->currentPicture() != last) {
            last = player->currentPicture();
            ++stepsWithANewPicture;
        }
    }
    EXPECT_EQ(changes, 29) << "every picture after the first";
    EXPECT_EQ(stepsWithANewPicture, 29) << steps << " steps";
}

}  // namespace
