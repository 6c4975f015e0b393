#include "platform/media/Player.h"

#include <gtest/gtest.h>

#include "MediaTestFiles.h"
#include "PlaybackTestSupport.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/media/AudioMix.h"
#include "platform/media/MediaConstants.h"
#include "platform/media/MutableComposition.h"
#include "platform/media/PlayerItem.h"
#include "support/TemporarySandbox.h"

namespace {

using plat::MediaTime;

// A two-second time line: the tone on one track from 0.5 s for one second,
// at the given volume.
class PlayerOverAComposition : public ::testing::Test {
protected:
    void SetUp() override
    {
        auto tone = plat::URLAsset::assetWithPath(plat::test::makeSineWave(folder.path(), "tone.wav", 1.0, 0.5));
        ASSERT_FALSE(tone->tracks().empty());
        auto track = composition->addMutableTrackWithMediaType(plat::kMediaTypeAudio, plat::kTrackIDInvalid);
        ASSERT_TRUE(track
                        ->insertTimeRange(plat::MediaTimeRange::make(MediaTime::zero(), tone->duration()),
                            *tone->tracks().front(), MediaTime::make(1, 2))
                        .ok());
        auto parameters = plat::AudioMixInputParameters::audioMixInputParameters();
        parameters->setTrackID(track->trackID());
        parameters->setVolume(0.5f, MediaTime::zero());
        mix->setInputParameters({parameters});
        item->setAudioMix(mix);
        player = plat::Player::playerWithPlayerItem(item);
    }

    plat::test::ManualClockScope clock;
    plat::test::ListeningSpeaker speaker;
    plat::test::TemporaryFolder folder;
    std::shared_ptr<plat::MutableComposition> composition = plat::MutableComposition::composition();
    std::shared_ptr<plat::AudioMix> mix = plat::AudioMix::audioMix();
    std::shared_ptr<plat::PlayerItem> item = plat::PlayerItem::playerItemWithAsset(composition);
    std::shared_ptr<plat::Player> player;
};

}  // namespace

TEST_F(PlayerOverAComposition, PlaysTheMixWithItsVolumesInStepWithTheClock)
{
    EXPECT_EQ(player->rate(), 0);
    player->play();
    EXPECT_EQ(player->rate(), 1);
    clock.advance(1.0);
    EXPECT_EQ(player->currentTime(), MediaTime::make(1, 1));
    EXPECT_LT(speaker.peak(0.0, 0.49), 0.001);
    EXPECT_NEAR(speaker.peak(0.55, 1.0), 0.25, 0.01);
}

TEST_F(PlayerOverAComposition, SeeksAtNanosecondsAndPlaysFromThere)
{
    player->seekToTime(MediaTime::make(1250000000, 1000000000));
    EXPECT_EQ(player->currentTime(), MediaTime::make(5, 4));
    player->setRate(0.5f);
    clock.advance(0.5);
    EXPECT_EQ(player->currentTime(), MediaTime::make(3, 2));
    EXPECT_NEAR(speaker.pitch(0.05, 0.45), 440, 10);
    player->pause();
    EXPECT_EQ(player->rate(), 0);
    clock.advance(1);
    EXPECT_EQ(player->currentTime(), MediaTime::make(3, 2));
}

TEST_F(PlayerOverAComposition, TheEndPausesThePlayerAndTellsTheItem)
{
    int ends = 0;
    auto token = plat::NotificationCenter::defaultCenter().addObserver(
        plat::kPlayerItemDidPlayToEndTimeNotification, item.get(), [&](const plat::Notification&) { ++ends; });
    player->seekToTime(MediaTime::make(1, 1));
    player->play();
    clock.advance(0.45);
    EXPECT_EQ(ends, 0);
    clock.advance(0.1);
    EXPECT_EQ(ends, 1);
    EXPECT_EQ(player->rate(), 0);
    EXPECT_EQ(player->currentTime(), MediaTime::make(3, 2));
    // Playing at the end ends again at once.
    player->play();
    clock.advance(0.05);
    EXPECT_EQ(ends, 2);
}

TEST_F(PlayerOverAComposition, AnEmptyCompositionEndsAtOnce)
{
    auto empty = plat::MutableComposition::composition();
    empty->addMutableTrackWithMediaType(plat::kMediaTypeAudio, plat::kTrackIDInvalid);
    auto emptyItem = plat::PlayerItem::playerItemWithAsset(empty);
    auto silent = plat::Player::playerWithPlayerItem(emptyItem);
    int ends = 0;
    auto token = plat::NotificationCenter::defaultCenter().addObserver(
        plat::kPlayerItemDidPlayToEndTimeNotification, emptyItem.get(), [&](const plat::Notification&) { ++ends; });
    silent->play();
    clock.advance(0.05);
    EXPECT_EQ(ends, 1);
    EXPECT_EQ(silent->rate(), 0);
    EXPECT_EQ(silent->currentTime(), MediaTime::zero());
}

TEST_F(PlayerOverAComposition, ANewMixTakesEffectAtTheNextSeek)
{
    player->seekToTime(MediaTime::make(1, 2));
    player->play();
    clock.advance(0.25);
    auto louder = plat::AudioMixInputParameters::audioMixInputParameters();
    louder->setTrackID(composition->tracks().front()->trackID());
    louder->setVolume(1.0f, MediaTime::zero());
    auto loud = plat::AudioMix::audioMix();
    loud->setInputParameters({louder});
    item->setAudioMix(loud);
    clock.advance(0.2);
    EXPECT_NEAR(speaker.peak(0.3, 0.45), 0.25, 0.01);
    player->seekToTime(MediaTime::make(1, 2));
    clock.advance(0.2);
    EXPECT_NEAR(speaker.peak(0.5, 0.65), 0.5, 0.01);
}
