#include "platform/media/AudioPlayer.h"

#include <gtest/gtest.h>

#include "MediaTestFiles.h"
#include "PlaybackTestSupport.h"
#include "platform/foundation/Files.h"
#include "platform/foundation/URL.h"
#include "support/TemporarySandbox.h"

namespace {

struct Finishes : plat::AudioPlayerDelegate {
    void audioPlayerDidFinishPlaying(plat::AudioPlayer& player, bool successfully) override
    {
        (void)player;
        results.push_back(successfully);
        finishedAt = plat::Clock::current().uptimeSeconds();
    }
    std::vector<bool> results;
    double finishedAt = 0;
};

class AudioPlayerOnTheClock : public ::testing::Test {
protected:
    void SetUp() override
    {
        path = plat::test::makeSineWave(folder.path(), "tone.wav", 1.0, 0.5);
        ASSERT_FALSE(path.empty());
        auto made = plat::AudioPlayer::initWithContentsOfURL(plat::URL::fileURLWithPath(path));
        ASSERT_TRUE(made.ok());
        player = made.value();
        player->setDelegate(delegate);
    }

    plat::test::ManualClockScope clock;
    plat::test::ListeningSpeaker speaker;
    plat::test::TemporaryFolder folder;
    std::string path;
    std::shared_ptr<plat::AudioPlayer> player;
    std::shared_ptr<Finishes> delegate = std::make_shared<Finishes>();
};

}  // namespace

TEST_F(AudioPlayerOnTheClock, TimePassesAsTheClockMovesAndTheSoundIsHeard)
{
    EXPECT_DOUBLE_EQ(player->duration(), 1.0);
    ASSERT_TRUE(player->play());
    EXPECT_TRUE(player->isPlaying());
    clock.advance(0.25);
    EXPECT_NEAR(player->currentTime(), 0.25, 1e-6);
    clock.advance(0.5);
    EXPECT_NEAR(player->currentTime(), 0.75, 1e-6);
    EXPECT_NEAR(speaker.seconds(), 0.75, 1e-3);
    EXPECT_NEAR(speaker.peak(0.1, 0.7), 0.5, 0.01);
    EXPECT_NEAR(speaker.pitch(0.1, 0.7), 440, 5);
}

TEST_F(AudioPlayerOnTheClock, TheDelegateHearsOfTheEndOnceAndTheNextPlayStartsOver)
{
    player->play();
    clock.advance(0.98);
    EXPECT_TRUE(delegate->results.empty());
    clock.advance(0.1);
    ASSERT_EQ(delegate->results, std::vector<bool> {true});
    EXPECT_NEAR(delegate->finishedAt - plat::test::ManualClockScope::kStartUptimeSeconds, 1.0, 0.03);
    EXPECT_FALSE(player->isPlaying());
    EXPECT_EQ(player->currentTime(), 0);
    clock.advance(2);
    EXPECT_EQ(delegate->results.size(), 1u);
    player->play();
    clock.advance(0.5);
    EXPECT_NEAR(player->currentTime(), 0.5, 1e-6);
}

TEST_F(AudioPlayerOnTheClock, PauseAndStopKeepThePosition)
{
    player->play();
    clock.advance(0.3);
    player->pause();
    clock.advance(5);
    EXPECT_NEAR(player->currentTime(), 0.3, 1e-6);
    EXPECT_TRUE(delegate->results.empty());
    player->play();
    clock.advance(0.2);
    player->stop();
    EXPECT_NEAR(player->currentTime(), 0.5, 1e-6);
    player->setCurrentTime(0.9);
    player->play();
    clock.advance(0.15);
    EXPECT_EQ(delegate->results.size(), 1u);
}

TEST_F(AudioPlayerOnTheClock, HalfRateTakesTwiceAsLongAtTheSamePitch)
{
    player->setEnableRate(true);
    player->setRate(0.5f);
    player->play();
    clock.advance(1.0);
    EXPECT_NEAR(player->currentTime(), 0.5, 1e-6);
    EXPECT_NEAR(speaker.pitch(0.2, 0.9), 440, 8);
    clock.advance(0.9);
    EXPECT_TRUE(delegate->results.empty());
    clock.advance(0.3);
    EXPECT_EQ(delegate->results.size(), 1u);
}

TEST_F(AudioPlayerOnTheClock, RateNeedsEnablingAsOnThePlatform)
{
    player->setRate(0.5f);
    player->play();
    clock.advance(0.4);
    EXPECT_NEAR(player->currentTime(), 0.4, 1e-6);
}

TEST_F(AudioPlayerOnTheClock, LoopsPlayTheSoundAgainBeforeTheEnd)
{
    player->setNumberOfLoops(2);
    player->play();
    clock.advance(2.5);
    EXPECT_TRUE(delegate->results.empty());
    EXPECT_NEAR(player->currentTime(), 0.5, 1e-6);
    EXPECT_NEAR(speaker.peak(1.2, 1.8), 0.5, 0.01);
    clock.advance(0.6);
    EXPECT_EQ(delegate->results.size(), 1u);
}

TEST_F(AudioPlayerOnTheClock, VolumeScalesWhatIsHeard)
{
    player->setVolume(0.5f);
    player->play();
    clock.advance(0.5);
    EXPECT_NEAR(speaker.peak(0.1, 0.5), 0.25, 0.01);
}

TEST_F(AudioPlayerOnTheClock, TwoPlayersAreMixed)
{
    auto second = plat::AudioPlayer::initWithContentsOfURL(plat::URL::fileURLWithPath(path));
    ASSERT_TRUE(second.ok());
    player->play();
    second.value()->play();
    clock.advance(0.5);
    EXPECT_NEAR(speaker.peak(0.1, 0.5), 1.0, 0.01);
}

TEST_F(AudioPlayerOnTheClock, APlayerThatGoesAwayFallsSilent)
{
    player->play();
    clock.advance(0.2);
    player.reset();
    clock.advance(0.3);
    EXPECT_NEAR(speaker.peak(0.0, 0.19), 0.5, 0.01);
    EXPECT_NEAR(speaker.seconds(), 0.2, 1e-3);
    EXPECT_FALSE(plat::AudioOutput::shared().playsToSoundDevice());
    size_t heard = speaker.heard.size();
    clock.advance(0.3);
    EXPECT_EQ(speaker.heard.size(), heard);  // nothing plays, so nothing is paced
}

TEST_F(AudioPlayerOnTheClock, FilesWithoutSoundAreRefused)
{
    std::string text = plat::appendingPathComponent(folder.path(), "notes.wav");
    ASSERT_TRUE(plat::writeFileAtomically(text, std::string_view("not a sound at all")).ok());
    auto refused = plat::AudioPlayer::initWithContentsOfURL(plat::URL::fileURLWithPath(text));
    ASSERT_FALSE(refused.ok());
    EXPECT_EQ(refused.error().domain(), plat::kOSStatusErrorDomain);
    EXPECT_EQ(refused.error().code(), plat::kAudioFileUnsupportedFileTypeError);
    EXPECT_FALSE(plat::AudioPlayer::initWithContentsOfURL(plat::URL::fileURLWithPath(folder.path("missing.wav"))).ok());
}
