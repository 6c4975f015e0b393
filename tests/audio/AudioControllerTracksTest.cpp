#include "AudioTestSupport.h"
#include "document/FrameList.h"
#include "platform/foundation/Files.h"

namespace {

using plat::MediaTime;
using zt::AudioClip;
using zt::test::seconds;

class ClipPlacement : public zt::test::AudioProject { };

}  // namespace

TEST_F(ClipPlacement, AProjectWithoutClipsLoadsThreeEmptyTracksAndSavesAllThree)
{
    for (const auto& track : controller->audioTracks())
        EXPECT_TRUE(track.empty());
    controller->saveAudioData();
    auto stored = storedAudio();
    for (const char* key : {"TRACK_0", "TRACK_1", "TRACK_2"}) {
        ASSERT_TRUE(stored.getArray(key)) << key;
        EXPECT_TRUE(stored.getArray(key)->empty());
    }
}

TEST_F(ClipPlacement, ASoundThatFitsGoesWholeOnTrackZeroAndIsStored)
{
    setNeedsRendering(false);
    auto clip = addTone(1.5, 3);
    ASSERT_TRUE(clip);
    EXPECT_EQ(clip->track(), 0);
    EXPECT_EQ(clip->duration(), seconds(1.5));
    EXPECT_EQ(clip->totalDuration(), seconds(1.5));
    EXPECT_EQ(clip->startFrameIndex(), 3);
    EXPECT_EQ(clip->endFrameIndex(), 10);
    EXPECT_EQ(clip->name(), "tone1");
    EXPECT_EQ(clip->linkToFrameUID(), frames[3].UID());
    EXPECT_EQ(clip->url()->lastPathComponent(), "tone1.wav");
    EXPECT_EQ(clip->fileID(), "tone1.wav");
    EXPECT_TRUE(clip->isOn());
    EXPECT_TRUE(inProject("tone1.wav"));
    EXPECT_TRUE(needsRendering());
    auto stored = storedAudio().getArray("TRACK_0");
    ASSERT_TRUE(stored);
    ASSERT_EQ(stored->count(), 1u);
    auto record = stored->at(0).asDictionary();
    EXPECT_EQ(record->getString("RecordAudioURL"), "tone1.wav");
    EXPECT_EQ(record->getString("RecordAudioLinkToFrame"), frames[3].UID());
    EXPECT_EQ(record->getDouble("RecordAudioVolume"), 1.0);
}

TEST_F(ClipPlacement, ASoundTooLongForTrackZeroGoesWholeOnTrackOneWhenItFitsThere)
{
    // Track 0 is taken from frame 5 on, track 1 from frame 10 on.
    ASSERT_EQ(addTone(2.0, 5)->track(), 0);
    ASSERT_EQ(addTone(0.4, 10)->track(), 1);
    auto clip = addTone(1.5, 0);
    ASSERT_TRUE(clip);
    EXPECT_EQ(clip->track(), 1);
    EXPECT_EQ(clip->duration(), seconds(1.5));
}

TEST_F(ClipPlacement, ASoundThatFitsNowhereTakesTheTrackWithMoreRoomAndIsCut)
{
    // Track 0 is free for frames 0 to 4 (1.0 s), track 1 for frames 0 to 2 (0.6 s).
    ASSERT_EQ(addTone(0.4, 5)->track(), 0);
    ASSERT_EQ(addTone(1.0, 3)->track(), 1);  // frames 3 and 4 of track 0 would not hold it
    auto clip = addTone(1.5, 0);
    ASSERT_TRUE(clip);
    EXPECT_EQ(clip->track(), 0);
    EXPECT_EQ(clip->duration(), MediaTime::make(5, 5));
    EXPECT_EQ(clip->totalDuration(), seconds(1.5));
}

TEST_F(ClipPlacement, EqualRoomOnBothTracksChoosesTrackZero)
{
    ASSERT_EQ(addTone(0.4, 5)->track(), 0);
    ASSERT_EQ(addTone(0.4, 5)->track(), 1);
    auto clip = addTone(1.5, 0);
    ASSERT_TRUE(clip);
    EXPECT_EQ(clip->track(), 0);
    EXPECT_EQ(clip->duration(), MediaTime::make(5, 5));
}

TEST_F(ClipPlacement, AFrameWhereBothTracksPlayRefusesTheClipAndCopiesNothing)
{
    addTone(1.0, 4);
    addTone(1.0, 4);
    std::string file = tone("late.wav", 0.5);
    setNeedsRendering(false);
    EXPECT_FALSE(addFile(file, 5));
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_EQ(errors[0].domain(), "AudioController");
    EXPECT_EQ(errors[0].code(), 240);
    EXPECT_EQ(errors[0].localizedDescription(), "Too many clips already exist at playhead.");
    EXPECT_FALSE(inProject("late.wav"));
    EXPECT_FALSE(needsRendering());
    int64_t track = -1;
    MediaTime room = MediaTime::make(42, 1);
    EXPECT_FALSE(controller->checkTrackSpaceForClipDuration(seconds(1), &track, &room, 5));
    EXPECT_EQ(track, -1);  // the outs are left alone
    EXPECT_EQ(room, MediaTime::make(42, 1));
}

TEST_F(ClipPlacement, AFrameOutsideTheListHasNoRoom)
{
    int64_t count = project->getFrameList().count();
    EXPECT_EQ(
        controller->calculateMaxDurationAvailableForTrack(controller->audioTracks()[0], count), MediaTime::zero());
    EXPECT_EQ(controller->calculateMaxDurationAvailableForTrack(controller->audioTracks()[0], -2), MediaTime::zero());
    EXPECT_FALSE(addTone(0.4, count));
    EXPECT_EQ(errors.size(), 1u);
}

TEST_F(ClipPlacement, WithOnlyTheCapturePlaceholderASoundIsRefusedAndThePersonTold)
{
    for (int i = 0; i < kPictures; ++i)
        removeFrame(0);
    addTone(0.4, 0);
    ASSERT_EQ(errors.size(), 1u) << "nothing to hear it with";
    EXPECT_EQ(errors[0].code(), 3);
}

TEST_F(ClipPlacement, AVoiceRecordingIsNamedByItsLength)
{
    std::string recording = tone("record-2014-05-01-10-00-00.caf", 7.0, 300, "pcm_s16be");
    auto clip = addFile(recording, 0, AudioClip::VoiceOver);
    ASSERT_TRUE(clip);
    EXPECT_EQ(clip->name(), "00:07");
    EXPECT_EQ(clip->type(), AudioClip::VoiceOver);
    EXPECT_TRUE(inProject("record-2014-05-01-10-00-00.caf"));
    EXPECT_EQ(addTone(0.4, 10, AudioClip::SoundEffect, "Boing")->name(), "Boing");
}

TEST_F(ClipPlacement, ADifferentSoundOfATakenNameIsCopiedUnderANewNameAndTheSameSoundIsShared)
{
    std::string first = tone("boom.wav", 0.4, 200);
    ASSERT_TRUE(addFile(first, 0));
    plat::test::TemporaryFolder elsewhere;
    std::string other = elsewhere.path("boom.wav");
    ASSERT_EQ(plat::test::runFFmpeg(elsewhere.path(),
                  {"-f", "lavfi", "-i", "sine=frequency=900:duration=0.4", "-c:a", "pcm_s16le", other})
                  .exitCode,
        0);
    auto second = addFile(other, 3);
    ASSERT_TRUE(second);
    EXPECT_EQ(second->url()->lastPathComponent(), "boom-2.wav");
    EXPECT_EQ(plat::readFile(projectFile("boom-2.wav")).value(), plat::readFile(other).value());
    auto again = addFile(first, 6);
    ASSERT_TRUE(again);
    EXPECT_EQ(again->url()->lastPathComponent(), "boom.wav");
    // A sound picked from the project folder itself is used where it lies.
    auto inPlace = addFile(projectFile("boom-2.wav"), 9);
    ASSERT_TRUE(inPlace);
    EXPECT_EQ(inPlace->url()->lastPathComponent(), "boom-2.wav");
    EXPECT_FALSE(inProject("boom-3.wav"));
}

TEST_F(ClipPlacement, QueriesByFrameFindTheClipsThatSoundThere)
{
    auto first = addTone(1.0, 2);  // frames 2 to 6 on track 0
    auto second = addTone(1.0, 4);  // frames 4 to 8 on track 1
    auto sounding = controller->getAudioForFrameAtIndex(5);
    ASSERT_EQ(sounding.size(), 2u);
    EXPECT_EQ(sounding[0], first);
    EXPECT_EQ(sounding[1], second);
    EXPECT_TRUE(controller->getAudioForFrameAtIndex(9).empty());
    EXPECT_EQ(controller->getAudioClipForFrameAtIndex(6, int64_t {0}), first);
    EXPECT_FALSE(controller->getAudioClipForFrameAtIndex(7, int64_t {0}));
    EXPECT_FALSE(controller->getAudioClipForFrameAtIndex(5, int64_t {3}));
    EXPECT_FALSE(controller->getAudioClipForFrameAtIndex(5, int64_t {-1}));
    EXPECT_EQ(controller->getAudioTrackIndexForClip(*second), 1);
    EXPECT_EQ(controller->getAudioTrackIndexForClip(AudioClip()), plat::kNotFound);
}

TEST_F(ClipPlacement, BackgroundMusicLiesOnTrackTwoFromTheStartAndIsNeverCut)
{
    std::string music = tone("song.wav", 30.0, 220);
    auto clip = addFile(music, 7, AudioClip::Music);
    ASSERT_TRUE(clip);
    EXPECT_EQ(clip->track(), 2);
    EXPECT_FALSE(clip->linkToFrameUID());
    EXPECT_EQ(clip->duration(), seconds(30));
    EXPECT_EQ(clip->timeRangeInMovie().start, MediaTime::zero());
    EXPECT_TRUE(controller->hasBackgroundMusic());
    removeFrame(0);
    controller->recalculateAudioClipDurations();
    EXPECT_EQ(clip->duration(), seconds(30));
    controller->removeBackgoundMusic();
    EXPECT_FALSE(controller->hasBackgroundMusic());
    EXPECT_FALSE(inProject("song.wav"));
}

TEST_F(ClipPlacement, MP3AndM4ASoundsBecomeClipsOfTheirLength)
{
    auto mp3 = addFile(tone("song.mp3", 2.0, 440, "libmp3lame"), 0);
    ASSERT_TRUE(mp3);
    EXPECT_NEAR(mp3->duration().seconds(), 2.0, 0.06);
    auto m4a = addFile(tone("song.m4a", 1.0, 440, "aac"), 12);
    ASSERT_TRUE(m4a);
    EXPECT_NEAR(m4a->duration().seconds(), 1.0, 0.06);
    EXPECT_TRUE(inProject("song.mp3"));
    EXPECT_TRUE(inProject("song.m4a"));
    EXPECT_TRUE(errors.empty());
}
