#include "platform/media/SystemSound.h"

#include <gtest/gtest.h>

#include "MediaTestFiles.h"
#include "PlaybackTestSupport.h"
#include "platform/foundation/Bundle.h"
#include "platform/foundation/URL.h"
#include "support/TemporarySandbox.h"

namespace {

class SystemSounds : public ::testing::Test {
protected:
    plat::test::ManualClockScope clock;
    plat::test::ListeningSpeaker speaker;
    plat::test::TemporaryFolder folder;
};

}  // namespace

TEST_F(SystemSounds, TheAppsOwnSoundsAreMadeAndPlayed)
{
    for (const char* name : {"camera3.wav", "beep.aiff", "trash.aiff"}) {
        SCOPED_TRACE(name);
        auto path = plat::Bundle::mainBundle().pathForResource(name, "");
        ASSERT_TRUE(path);
        plat::SystemSoundID sound = 0;
        ASSERT_EQ(plat::AudioServicesCreateSystemSoundID(plat::URL::fileURLWithPath(*path), &sound),
            plat::kAudioServicesNoError);
        speaker.heard.clear();
        plat::AudioServicesPlaySystemSound(sound);
        clock.advance(1.0);
        // A short sound, and loud enough to be heard.
        EXPECT_GT(speaker.peak(0, 0.1), 0.2);
        EXPECT_LT(speaker.seconds(), 0.7);
        EXPECT_EQ(plat::AudioServicesDisposeSystemSoundID(sound), plat::kAudioServicesNoError);
    }
}

TEST_F(SystemSounds, PlayOnTopOfEachOtherAndEndByThemselves)
{
    plat::SystemSoundID sound = 0;
    ASSERT_EQ(plat::AudioServicesCreateSystemSoundID(
                  plat::URL::fileURLWithPath(plat::test::makeSineWave(folder.path(), "tone.wav", 0.5, 0.4)), &sound),
        plat::kAudioServicesNoError);
    plat::AudioServicesPlaySystemSound(sound);
    plat::AudioServicesPlaySystemSound(sound);
    clock.advance(0.3);
    EXPECT_NEAR(speaker.peak(0.05, 0.3), 0.8, 0.01);
    clock.advance(0.3);
    size_t heard = speaker.heard.size();
    clock.advance(1);
    EXPECT_EQ(speaker.heard.size(), heard);
}

TEST_F(SystemSounds, ADisposedSoundNoLongerPlays)
{
    plat::SystemSoundID sound = 0;
    ASSERT_EQ(plat::AudioServicesCreateSystemSoundID(
                  plat::URL::fileURLWithPath(plat::test::makeSineWave(folder.path(), "tone.wav", 0.2, 0.4)), &sound),
        plat::kAudioServicesNoError);
    EXPECT_EQ(plat::AudioServicesDisposeSystemSoundID(sound), plat::kAudioServicesNoError);
    EXPECT_NE(plat::AudioServicesDisposeSystemSoundID(sound), plat::kAudioServicesNoError);
    plat::AudioServicesPlaySystemSound(sound);
    clock.advance(0.5);
    EXPECT_TRUE(speaker.heard.empty());
}

TEST_F(SystemSounds, LongFilesAndFilesWithoutSoundAreRefused)
{
    plat::SystemSoundID sound = 77;
    std::string longTone = plat::test::makeSineWave(folder.path(), "long.wav", 31, 0.4);
    EXPECT_EQ(plat::AudioServicesCreateSystemSoundID(plat::URL::fileURLWithPath(longTone), &sound),
        plat::kAudioServicesSystemSoundUnspecifiedError);
    EXPECT_EQ(plat::AudioServicesCreateSystemSoundID(plat::URL::fileURLWithPath(folder.path("none.aiff")), &sound),
        plat::kAudioServicesSystemSoundUnspecifiedError);
    EXPECT_EQ(sound, 77u);
}
