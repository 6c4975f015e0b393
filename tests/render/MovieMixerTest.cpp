#include "render/MovieMixer.h"

#include "RenderTestSupport.h"
#include "document/AudioClip.h"
#include "platform/media/AudioMix.h"
#include "platform/media/MediaConstants.h"
#include "platform/media/MutableComposition.h"
#include "support/MediaTools.h"

namespace {

using plat::MediaTime;

class ClipPlacing : public zt::test::RenderProject {
protected:
    void SetUp() override
    {
        RenderProject::SetUp();
        // One stored picture makes the folder; placing sound needs only the list.
        frames.push_back(addFlatPicture("A", {10, 10, 10, 255}, 32, 18));
        auto& list = project->getFrameList();
        for (const char* id : {"B", "C", "D", "E", "F", "G", "H", "I"}) {
            frames.emplace_back(zt::FrameTypePicture, id);
            list.insertFrame(frames.back(), list.getCaptureIndex());
        }
    }
    std::shared_ptr<zt::AudioClip> clip(std::optional<std::string> anchor, int position, double seconds,
        const std::string& file = "sound.wav", float volume = 1.0f)
    {
        auto made = std::make_shared<zt::AudioClip>();
        made->setLinkToFrameUID(std::move(anchor));
        made->setLinkToPosition(position);
        made->setStart(MediaTime::zero());
        made->setDuration(MediaTime::makeWithSeconds(seconds, 44100));
        made->setVolume(volume);
        made->setUrl(plat::URL::fileURLWithPath("/elsewhere/before/the/move/" + file));
        return made;
    }
    std::string makeSound(const std::string& name, double seconds)
    {
        auto made = plat::test::runFFmpeg(*project->getProjectPath(),
            {"-f", "lavfi", "-i", "sine=frequency=440:sample_rate=44100:duration=" + std::to_string(seconds), "-c:a",
                "pcm_s16le", projectFile(name)});
        EXPECT_EQ(made.exitCode, 0) << made.output;
        return projectFile(name);
    }

    std::vector<zt::Frame> frames;
    zt::MovieMixer mixer {project};
};

TEST_F(ClipPlacing, AnAnchoredClipStartsAtItsFramePlusItsOffset)
{
    auto anchored = clip(frames[4].UID(), 0, 1.0);
    mixer.calculateAudioClipTimeRangeInMovieForClip(*anchored);
    EXPECT_EQ(anchored->timeRangeInMovie().start, MediaTime::make(4, 5));
    EXPECT_EQ(anchored->timeRangeInMovie().end(), MediaTime::makeWithSeconds(1.8, 600));
    EXPECT_EQ(anchored->startFrameIndex(), 4);
    EXPECT_EQ(anchored->endFrameIndex(), 8);

    auto absolute = clip(std::nullopt, 10, 0.5);
    mixer.calculateAudioClipTimeRangeInMovieForClip(*absolute);
    EXPECT_EQ(absolute->startFrameIndex(), 10);
    EXPECT_EQ(absolute->endFrameIndex(), 12);  // ceiling of 2.5 frames, less one

    auto offset = clip(frames[2].UID(), 3, 0.2);
    mixer.calculateAudioClipTimeRangeInMovieForClip(*offset);
    EXPECT_EQ(offset->startFrameIndex(), 5);
    EXPECT_EQ(offset->endFrameIndex(), 5);
}

TEST_F(ClipPlacing, AClipWhoseFrameIsGoneStaysAsItWas)
{
    auto orphan = clip(std::string("NO-SUCH-UID"), 2, 1.0);
    orphan->setStartFrameIndex(77);
    mixer.calculateAudioClipTimeRangeInMovieForClip(*orphan);
    EXPECT_EQ(orphan->startFrameIndex(), 77);
    EXPECT_FALSE(orphan->timeRangeInMovie().isValid());
}

TEST_F(ClipPlacing, ClipsRunningPastTheEndAreCutAndClipsAfterItLeftOut)
{
    makeSound("sound.wav", 1.0);
    zt::MovieMixer::ClipList tracks {{clip(std::nullopt, 7, 1.0), clip(std::nullopt, 12, 1.0)}};
    std::shared_ptr<plat::MutableComposition> composition;
    std::shared_ptr<plat::AudioMix> mix;
    EXPECT_TRUE(mixer.prepareAVMutableComposition(&composition, &mix, tracks, MediaTime::make(2, 1), nullptr));
    EXPECT_EQ(tracks[0][0]->duration(), MediaTime::makeWithSeconds(0.6, 600));
    EXPECT_EQ(tracks[0][0]->timeRangeInMovie().duration, MediaTime::makeWithSeconds(0.6, 600));
    EXPECT_LT(tracks[0][1]->duration(), MediaTime::zero());
    ASSERT_EQ(composition->tracks().size(), 1u);
    // Silence up to 1.4 s, then 0.6 s of the file (found by its name in the project folder).
    auto segments = composition->tracks()[0]->segments();
    ASSERT_EQ(segments.size(), 2u);
    EXPECT_TRUE(segments[0].isEmpty());
    EXPECT_EQ(*segments[1].sourcePath, projectFile("sound.wav"));
    EXPECT_EQ(segments[1].target.start, MediaTime::makeWithSeconds(1.4, 600));
    EXPECT_EQ(composition->duration(), MediaTime::make(2, 1));
    EXPECT_EQ(mix->inputParameters().size(), 1u);
}

TEST_F(ClipPlacing, EveryTrackListGetsATrackAndEveryClipAVolumeRecord)
{
    makeSound("one.wav", 0.4);
    makeSound("two.wav", 0.4);
    zt::MovieMixer::ClipList tracks {
        {clip(std::nullopt, 0, 0.4, "one.wav", 0.3f), clip(std::nullopt, 4, 0.4, "two.wav", 0.8f)}, {},
        {clip(std::nullopt, 1, 0.4, "missing.wav")}};
    std::shared_ptr<plat::MutableComposition> composition;
    std::shared_ptr<plat::AudioMix> mix;
    ASSERT_TRUE(mixer.prepareAVMutableComposition(&composition, &mix, tracks, MediaTime::make(3, 1), nullptr));
    ASSERT_EQ(composition->tracks().size(), 3u);
    EXPECT_TRUE(composition->tracks()[1]->segments().empty());
    EXPECT_TRUE(composition->tracks()[2]->segments().empty());  // its file is missing
    ASSERT_EQ(mix->inputParameters().size(), 2u);
    int32_t trackID = composition->tracks()[0]->trackID();
    EXPECT_EQ(mix->inputParameters()[0]->trackID(), trackID);
    EXPECT_EQ(mix->inputParameters()[1]->trackID(), trackID);
    auto volumes = mix->volumePointsForTrackID(trackID);
    ASSERT_EQ(volumes.size(), 2u);
    EXPECT_FLOAT_EQ(volumes[0].volume, 0.3f);
    EXPECT_EQ(volumes[1].time, MediaTime::make(4, 5));
    EXPECT_FLOAT_EQ(volumes[1].volume, 0.8f);
}

// Where each track's sound lies: (start, end) in seconds of every stretch that is not silence.
std::vector<std::vector<std::pair<double, double>>> soundsOf(const plat::MutableComposition& composition)
{
    std::vector<std::vector<std::pair<double, double>>> tracks;
    for (const auto& track : composition.tracks()) {
        tracks.emplace_back();
        for (const auto& segment : track->segments())
            if (!segment.isEmpty())
                tracks.back().emplace_back(segment.target.start.seconds(), segment.target.end().seconds());
    }
    return tracks;
}

using Sounds = std::vector<std::vector<std::pair<double, double>>>;

// An insert moves what lies later on its track: a clip listed before an
// earlier one of its lane must keep its place, and the list its order.
TEST_F(ClipPlacing, AClipListedBeforeAnEarlierOneOfItsLaneKeepsItsPlace)
{
    makeSound("sound.wav", 1.0);
    auto late = clip(std::nullopt, 7, 1.0);
    auto early = clip(std::nullopt, 0, 1.0);
    zt::MovieMixer::ClipList tracks {{late, early}};
    std::shared_ptr<plat::MutableComposition> composition;
    ASSERT_TRUE(mixer.prepareAVMutableComposition(&composition, nullptr, tracks, MediaTime::make(2, 1), nullptr));
    EXPECT_EQ(soundsOf(*composition), (Sounds {{{0.0, 1.0}, {1.4, 2.0}}}));
    EXPECT_EQ(composition->duration(), MediaTime::make(2, 1));
    EXPECT_EQ(tracks[0], (std::vector {late, early}));
}

// Clips of one lane that overlap (stored so by an older version, say) are
// both heard whole at their places, each at its own volume.
TEST_F(ClipPlacing, OverlappingClipsOfALaneAreBothHeardWhole)
{
    makeSound("sound.wav", 1.0);
    zt::MovieMixer::ClipList tracks {{clip(std::nullopt, 3, 1.0, "sound.wav", 0.8f),
        clip(std::nullopt, 0, 1.0, "sound.wav", 0.3f), clip(std::nullopt, 5, 0.4, "sound.wav", 0.5f)}};
    std::shared_ptr<plat::MutableComposition> composition;
    std::shared_ptr<plat::AudioMix> mix;
    ASSERT_TRUE(mixer.prepareAVMutableComposition(&composition, &mix, tracks, MediaTime::make(3, 1), nullptr));
    const Sounds sounds = soundsOf(*composition);
    EXPECT_EQ(sounds, (Sounds {{{0.0, 1.0}, {1.0, 1.4}}, {{0.6, 1.6}}}));
    ASSERT_EQ(sounds.size(), 2u);
    const float volumes[] = {0.3f, 0.8f};
    for (size_t t = 0; t < 2; ++t) {
        auto points = mix->volumePointsForTrackID(composition->tracks()[t]->trackID());
        ASSERT_FALSE(points.empty());
        EXPECT_FLOAT_EQ(points.front().volume, volumes[t]) << t;
    }
}

}  // namespace
