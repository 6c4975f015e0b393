#include <algorithm>
#include <cmath>

#include "AudioTestSupport.h"
#include "platform/media/AudioOutput.h"
#include "platform/media/Player.h"
#include "support/ManualClockScope.h"

namespace {

using plat::MediaTime;
using zt::AudioClip;

// What the silent speaker plays, kept as it is played. The tones are
// ffmpeg's sine at an eighth of full scale.
class PlaybackOfTheMix : public zt::test::AudioProject {
protected:
    void SetUp() override
    {
        AudioProject::SetUp();
        plat::AudioOutput::shared().setMonitor([this](const float* samples, int64_t count) {
            for (int64_t i = 0; i < count; ++i)
                left.push_back(samples[i * plat::AudioOutput::kChannels]);
        });
    }
    void TearDown() override
    {
        plat::AudioOutput::shared().setMonitor({});
        AudioProject::TearDown();
    }
    double peak(double fromSeconds, double toSeconds) const
    {
        double loudest = 0;
        for (size_t i = sample(fromSeconds); i < sample(toSeconds); ++i)
            loudest = std::max(loudest, static_cast<double>(std::fabs(left[i])));
        return loudest;
    }
    double pitch(double fromSeconds, double toSeconds) const
    {
        int crossings = 0;
        for (size_t i = sample(fromSeconds) + 1; i < sample(toSeconds); ++i)
            crossings += left[i - 1] < 0 && left[i] >= 0;
        return crossings / (toSeconds - fromSeconds);
    }
    size_t sample(double seconds) const
    {
        return std::min(left.size(), static_cast<size_t>(std::llround(seconds * plat::AudioOutput::kSampleRate)));
    }

    plat::test::ManualClockScope clock;
    std::vector<float> left;
};

}  // namespace

TEST_F(PlaybackOfTheMix, PausedThereIsNoTime)
{
    EXPECT_FALSE(controller->getCurentTimeIndex().isValid());
    addTone(1.0, 5);
    controller->playAtTimeIndex(0.2f, 1.0f);
    EXPECT_TRUE(controller->getCurentTimeIndex().isValid());
    controller->stop();
    EXPECT_FALSE(controller->getCurentTimeIndex().isValid());
}

TEST_F(PlaybackOfTheMix, PlaysTheClipsAtTheirPlacesInStepWithTheClock)
{
    addTone(1.0, 5, AudioClip::SoundEffect, std::nullopt, 440);  // 1.0 s to 2.0 s
    addTone(0.6, 5, AudioClip::SoundEffect, std::nullopt, 880);  // track 1, 1.0 s to 1.6 s
    controller->playAtTimeIndex(0.6f, 1.0f);
    clock.advance(0.3);
    EXPECT_NEAR(controller->getCurentTimeIndex().seconds(), 0.9, 1e-6);
    clock.advance(1.0);
    // Heard from 0.6 s of the movie: silence until the clips start at 1.0 s.
    EXPECT_LT(peak(0.0, 0.39), 0.001);
    EXPECT_GT(peak(0.45, 0.95), 0.2);  // the two tones add up, louder than either alone
    EXPECT_NEAR(pitch(1.05, 1.3), 440, 8);  // the higher one has ended
}

TEST_F(PlaybackOfTheMix, HalfSpeedPlaysTheMixAtHalfTheRateAndTheSamePitch)
{
    addTone(2.0, 0);
    controller->playAtTimeIndex(0.4f, 0.5f);
    EXPECT_EQ(controller->audioPlayer()->rate(), 0.5f);
    clock.advance(1.0);
    EXPECT_NEAR(controller->getCurentTimeIndex().seconds(), 0.9, 1e-6);
    EXPECT_NEAR(pitch(0.2, 0.9), 440, 8);
}

TEST_F(PlaybackOfTheMix, ReTimedClipsArePlayedWhereTheyNowAreAtTheNextPlay)
{
    addTone(0.4, 5);  // 1.0 s to 1.4 s
    auto player = controller->audioPlayer();
    auto& list = project->getFrameList();
    for (int i = 0; i < 5; ++i)
        list.insertFrame(zt::Frame(zt::FrameTypePicture, "early" + std::to_string(i)), 0);
    controller->recalculateAudioClipTimeRanges();
    EXPECT_EQ(controller->audioPlayer(), player);  // rebuilt lazily
    controller->playAtTimeIndex(1.0f, 1.0f);
    EXPECT_NE(controller->audioPlayer(), player);
    clock.advance(1.2);
    EXPECT_LT(peak(0.0, 0.95), 0.001);  // the clip now starts at 2.0 s
    EXPECT_NEAR(peak(1.05, 1.2), 0.125, 0.01);
}

TEST_F(PlaybackOfTheMix, TheMusicPlaysUnderTheClipsFromTheStart)
{
    addFile(tone("music.wav", 3.0, 220), 0, AudioClip::Music);
    controller->playAtTimeIndex(0.0f, 1.0f);
    clock.advance(0.5);
    EXPECT_NEAR(pitch(0.05, 0.45), 220, 6);
}

namespace {

class MixWithTheCapturePlaceholderMoved : public PlaybackOfTheMix, public ::testing::WithParamInterface<int> { };

}  // namespace

// The placeholder moved before the fourth picture takes no time: the sound
// of the fourth picture plays from 3 / fps s, where the movie shows it.
TEST_P(MixWithTheCapturePlaceholderMoved, ASoundAfterItPlaysWithItsPicture)
{
    setMetadata("RecordFPS", GetParam());
    project->getFrameList().removeFrameWithFrameType(zt::FrameTypeCapturePlaceholder);
    project->getFrameList().insertFrame(zt::Frame(zt::FrameTypeCapturePlaceholder), 3);
    addTone(0.4, 4);
    controller->playAtTimeIndex(0.0f, 1.0f);
    clock.advance(1.0);
    const auto heard = std::find_if(left.begin(), left.end(), [](float s) { return std::fabs(s) > 0.01f; });
    EXPECT_NEAR(static_cast<double>(heard - left.begin()) / plat::AudioOutput::kSampleRate, 3.0 / GetParam(), 0.005);
}

INSTANTIATE_TEST_SUITE_P(FramesPerSecond, MixWithTheCapturePlaceholderMoved, ::testing::Values(5, 10));

namespace {

class PreviewOfOneLane : public PlaybackOfTheMix, public ::testing::WithParamInterface<const char*> { };

}  // namespace

// The preview plays frame i from i / 5 s. Three sounds that fit one after
// another on lane 0, added in the order their letters give, must each play
// at its frame: none pushed later by one added before it.
TEST_P(PreviewOfOneLane, EachSoundPlaysWithItsFrameAndNoneLater)
{
    struct Sound {
        char name;
        double seconds;
        int64_t frame;
        int frequency;
    };
    const Sound lane[] = {{'A', 0.6, 2, 440}, {'B', 1.0, 10, 880}, {'C', 1.0, 17, 660}};
    for (char name : std::string(GetParam())) {
        const Sound& sound
            = *std::find_if(std::begin(lane), std::end(lane), [name](const Sound& s) { return s.name == name; });
        auto clip = addTone(sound.seconds, sound.frame, AudioClip::SoundEffect, std::nullopt, sound.frequency);
        ASSERT_TRUE(clip && clip->track() == 0) << name;
    }
    controller->playAtTimeIndex(0.0f, 1.0f);
    clock.advance(4.6);
    // C is cut to the room up to the end of the pictures: it plays to 4.0 s.
    struct Stretch {
        double from, to, frequency;
    };
    const Stretch stretches[] = {{0.02, 0.38, 0}, {0.42, 0.98, 440}, {1.02, 1.98, 0}, {2.02, 2.98, 880},
        {3.02, 3.38, 0}, {3.42, 3.98, 660}, {4.02, 4.58, 0}};
    for (const Stretch& s : stretches) {
        SCOPED_TRACE(std::to_string(s.from) + " s");
        if (s.frequency == 0)
            EXPECT_LT(peak(s.from, s.to), 0.001);
        else
            EXPECT_NEAR(pitch(s.from, s.to), s.frequency, 8);
    }
}

INSTANTIATE_TEST_SUITE_P(AddedInOrder, PreviewOfOneLane, ::testing::Values("CBA", "ACB", "BAC"));
