#include "platform/media/AudioSession.h"

#include <gtest/gtest.h>

#include "MediaTestFiles.h"
#include "PlaybackTestSupport.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/URL.h"
#include "platform/media/AudioPlayer.h"
#include "support/TemporarySandbox.h"

namespace {

class Session : public ::testing::Test {
protected:
    plat::AudioSession& session = plat::AudioSession::sharedInstance();
    plat::test::ManualClockScope clock;
    plat::test::ListeningSpeaker speaker;
    plat::test::TemporaryFolder folder;
};

}  // namespace

TEST_F(Session, StartsSoloAmbientAndTakesOnlyKnownCategories)
{
    EXPECT_EQ(session.category(), plat::kAudioSessionCategorySoloAmbient);
    std::optional<plat::Error> error;
    EXPECT_FALSE(session.setCategory("AVAudioSessionCategoryKaraoke", &error));
    ASSERT_TRUE(error);
    EXPECT_EQ(session.category(), plat::kAudioSessionCategorySoloAmbient);
    EXPECT_TRUE(session.setCategory(plat::kAudioSessionCategoryPlayback));
    EXPECT_EQ(session.category(), plat::kAudioSessionCategoryPlayback);
    EXPECT_EQ(session.sampleRate(), 44100);
}

TEST_F(Session, RecordingSilencesWhatPlaysWhileTimeGoesOn)
{
    auto player = plat::AudioPlayer::initWithContentsOfURL(
        plat::URL::fileURLWithPath(plat::test::makeSineWave(folder.path(), "tone.wav", 2.0, 0.5)))
                      .value();
    player->play();
    clock.advance(0.5);
    ASSERT_TRUE(session.setCategory(plat::kAudioSessionCategoryRecord));
    ASSERT_TRUE(session.setActive(true));
    clock.advance(0.5);
    EXPECT_TRUE(session.silencesPlayback());
    EXPECT_NEAR(player->currentTime(), 1.0, 1e-6);
    ASSERT_TRUE(session.setCategory(plat::kAudioSessionCategorySoloAmbient));
    clock.advance(0.5);
    EXPECT_NEAR(speaker.peak(0.1, 0.45), 0.5, 0.01);
    EXPECT_LT(speaker.peak(0.55, 0.95), 0.001);
    EXPECT_NEAR(speaker.peak(1.05, 1.45), 0.5, 0.01);
}

TEST_F(Session, TheMicrophoneQuestionIsAnsweredOnTheMainQueue)
{
    EXPECT_EQ(session.recordPermission(), plat::AudioSessionRecordPermission::Undetermined);
    std::optional<bool> answer;
    session.requestRecordPermission([&](bool granted) { answer = granted; });
    EXPECT_FALSE(answer);
    plat::RunLoop::main().drain();
    EXPECT_EQ(answer, true);
    EXPECT_EQ(session.recordPermission(), plat::AudioSessionRecordPermission::Granted);

    session.setRecordPermission(plat::AudioSessionRecordPermission::Denied);
    session.requestRecordPermission([&](bool granted) { answer = granted; });
    plat::RunLoop::main().drain();
    EXPECT_EQ(answer, false);
}
