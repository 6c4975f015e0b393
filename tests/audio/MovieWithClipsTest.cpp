#include <cmath>
#include <complex>
#include <numbers>

#include "AudioTestSupport.h"
#include "render/ZantropeMovieRenderer.h"

namespace {

using zt::AudioClip;
using zt::test::movieType;

constexpr int kRate = 44100;
constexpr double kToneLevel = 0.125;  // ffmpeg's sine

// The level of one frequency in a stretch of the samples (one bin of a Fourier transform).
double levelOf(const std::vector<int16_t>& samples, double frequency, double fromSeconds, double toSeconds)
{
    auto first = static_cast<size_t>(fromSeconds * kRate);
    auto last = std::min(samples.size(), static_cast<size_t>(toSeconds * kRate));
    std::complex<double> sum;
    for (size_t i = first; i < last; ++i) {
        double phase = 2 * std::numbers::pi * frequency * static_cast<double>(i) / kRate;
        sum += samples[i] / 32768.0 * std::complex<double>(std::cos(phase), -std::sin(phase));
    }
    return 2.0 * std::abs(sum) / static_cast<double>(last - first);
}

// Twenty frames (four seconds at 5 fps) with sound effects, a recording and music placed by the controller.
class MovieWithClips : public zt::test::AudioProject {
protected:
    std::vector<int16_t> exportSound(std::map<std::string, std::string>* audioStream = nullptr)
    {
        auto renderer = std::make_shared<zt::ZantropeMovieRenderer>(project);
        EXPECT_TRUE(exportAndWait(*renderer, movieType({320, 180})));
        EXPECT_EQ(renderer->status(), zt::MovieRendererStatusCompleted);
        if (!renderer->exportURL())
            return {};
        std::string path = renderer->exportURL()->path();
        if (audioStream)
            *audioStream = plat::test::probeMedia(path).stream("audio");
        return plat::test::decodeAudioWithFFmpeg(sounds.path(), path, kRate, 1);
    }
};

}  // namespace

// Frame i's picture shows from (i + 1) / 5 s (the first picture is shown
// twice), and so does the sound placed at frame i.
TEST_F(MovieWithClips, TheMoviesSoundHoldsEveryClipAtItsPlace)
{
    ASSERT_EQ(addTone(0.6, 2, AudioClip::SoundEffect, std::nullopt, 440)->track(), 0);  // 0.6 s to 1.2 s
    ASSERT_EQ(addTone(1.0, 10, AudioClip::SoundEffect, std::nullopt, 880)->track(), 0);  // 2.2 s to 3.2 s
    auto voice = addFile(tone("record-2015-06-01-12-00-00.caf", 1.0, 660, "pcm_s16be"), 3, AudioClip::VoiceOver);
    ASSERT_EQ(voice->track(), 1);  // 0.8 s to 1.8 s
    ASSERT_TRUE(addFile(tone("music.wav", 10.0, 220), 0, AudioClip::Music));  // cut at the movie's end

    std::map<std::string, std::string> stream;
    auto samples = exportSound(&stream);
    EXPECT_NEAR(std::stod(stream["duration"]), 4.2, 1e-6);
    EXPECT_EQ(samples.size(), 42u * kRate / 10);

    struct Stretch {
        double from, to;
        bool music220, a440, b880, voice660;
    };
    const Stretch stretches[] = {
        {0.02, 0.18, false, false, false, false},
        {0.25, 0.55, true, false, false, false},
        {0.65, 0.75, true, true, false, false},
        {0.85, 1.15, true, true, false, true},
        {1.3, 1.7, true, false, false, true},
        {2.3, 3.1, true, false, true, false},
        {3.3, 4.1, true, false, false, false},
    };
    for (const Stretch& s : stretches) {
        SCOPED_TRACE(std::to_string(s.from) + " s");
        EXPECT_NEAR(levelOf(samples, 220, s.from, s.to), s.music220 ? kToneLevel : 0, 0.01);
        EXPECT_NEAR(levelOf(samples, 440, s.from, s.to), s.a440 ? kToneLevel : 0, 0.01);
        EXPECT_NEAR(levelOf(samples, 880, s.from, s.to), s.b880 ? kToneLevel : 0, 0.01);
        EXPECT_NEAR(levelOf(samples, 660, s.from, s.to), s.voice660 ? kToneLevel : 0, 0.01);
    }
}

TEST_F(MovieWithClips, ARemovedRecordingIsGoneFromTheNextMovie)
{
    addFile(tone("record-2015-06-01-12-00-00.caf", 1.0, 660, "pcm_s16be"), 3, AudioClip::VoiceOver);
    addTone(0.6, 12, AudioClip::SoundEffect, std::nullopt, 440);
    auto before = exportSound();
    EXPECT_NEAR(levelOf(before, 660, 0.9, 1.7), kToneLevel, 0.01);
    EXPECT_FALSE(needsRendering());
    controller->removeAudioFile("record-2015-06-01-12-00-00.caf");
    EXPECT_TRUE(needsRendering());
    auto after = exportSound();
    EXPECT_NEAR(levelOf(after, 660, 0.9, 1.7), 0, 0.01);
    EXPECT_NEAR(levelOf(after, 440, 2.7, 3.1), kToneLevel, 0.01);
}

// Earlier versions stored a sound added on the capture placeholder there: it
// is heard with the picture the movie shows before it, the last, from 4.0 s.
TEST_F(MovieWithClips, ASoundStoredOnTheCapturePlaceholderIsHeardWithThePictureBeforeIt)
{
    addTone(0.2, 5, AudioClip::SoundEffect, std::nullopt, 440);
    auto stored = project->getMetaData()->getDictionary("RecordMetaAudio")->getArray("TRACK_0")->at(0).asDictionary();
    stored->set("RecordAudioLinkToFrame", project->getFrameList().getFrameAtIndex(kPictures)->UID());
    ASSERT_TRUE(project->saveMetaDataToDisk().ok());
    EXPECT_NEAR(levelOf(exportSound(), 440, 4.02, 4.18), kToneLevel, 0.01);
}
