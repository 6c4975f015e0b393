#include "AudioTestSupport.h"
#include "document/FrameList.h"
#include "platform/foundation/Files.h"
#include "platform/foundation/PropertyList.h"
#include "platform/media/Player.h"
#include "platform/media/PlayerItem.h"

namespace {

using plat::MediaTime;
using zt::AudioClip;
using zt::test::seconds;

class ClipEdits : public zt::test::AudioProject {
protected:
    void reload() { controller = std::make_shared<zt::AudioController>(project); }
    // The stored record of the clip's track with a field changed.
    void storeClipRecord(int track, plat::Dictionary record)
    {
        plat::Dictionary audio {{"TRACK_0", plat::Array()}, {"TRACK_1", plat::Array()}, {"TRACK_2", plat::Array()}};
        audio.set("TRACK_" + std::to_string(track), plat::Array {std::move(record)});
        setMetadata("RecordMetaAudio", audio);
    }
};

}  // namespace

TEST_F(ClipEdits, FramesAddedBeforeAClipMoveIt)
{
    auto clip = addTone(1.0, 4);
    auto& list = project->getFrameList();
    list.insertFrame(zt::Frame(zt::FrameTypePicture, "new1"), 0);
    list.insertFrame(zt::Frame(zt::FrameTypePicture, "new2"), 0);
    auto stored = storedAudio();
    controller->recalculateAudioClipTimeRanges();
    EXPECT_EQ(clip->startFrameIndex(), 6);
    EXPECT_EQ(clip->timeRangeInMovie().start, MediaTime::make(6, 5));
    EXPECT_TRUE(controller->isAudioMixChanged());
    EXPECT_EQ(storedAudio(), stored);  // nothing saved
}

TEST_F(ClipEdits, DeletingFramesAfterAClipsStartCutsItToTheNextClip)
{
    auto cut = addTone(1.5, 2);  // frames 2 to 9, track 0
    auto next = addTone(0.4, 10);
    ASSERT_EQ(cut->track(), 0);
    ASSERT_EQ(next->track(), 0);
    removeFrame(6);
    removeFrame(5);
    controller->recalculateAudioClipDurations();
    EXPECT_EQ(cut->duration(), MediaTime::make(6, 5));
    EXPECT_EQ(next->startFrameIndex(), 8);
    EXPECT_TRUE(controller->isAudioMixChanged());
    // Room that comes back does not lengthen the clip again.
    project->getFrameList().insertFrame(zt::Frame(zt::FrameTypePicture, "back"), 4);
    controller->recalculateAudioClipTimeRanges();
    controller->recalculateAudioClipDurations();
    EXPECT_EQ(cut->duration(), MediaTime::make(6, 5));
    auto record = storedAudio().getArray("TRACK_0")->at(0).asDictionary();
    EXPECT_EQ(AudioClip::getCMTimeFromDictonary(record->getDictionary("RecordAudioDuration")), MediaTime::make(6, 5));
}

TEST_F(ClipEdits, DeletingTheFrameAClipStartsAtRemovesTheClipAndItsFile)
{
    auto clip = addTone(1.0, 4);
    setNeedsRendering(false);
    removeFrame(4);
    controller->recalculateAudioClipDurations();
    EXPECT_TRUE(controller->audioTracks()[0].empty());
    EXPECT_FALSE(inProject("tone1.wav"));
    EXPECT_TRUE(needsRendering());
    EXPECT_TRUE(storedAudio().getArray("TRACK_0")->empty());
}

TEST_F(ClipEdits, AClipAtTheLastEntryKeepsItsFrameWhenRefittedAndSurvivesTheNextLoad)
{
    int64_t last = project->getFrameList().count() - 1;
    auto clip = addTone(0.2, last);
    ASSERT_TRUE(clip);
    controller->recalculateAudioClipDurations();
    EXPECT_EQ(clip->duration(), MediaTime::make(1, 5));
    controller->updateAudioClip(clip);
    EXPECT_EQ(clip->duration(), MediaTime::make(1, 5));
    reload();
    ASSERT_EQ(controller->audioTracks()[0].size(), 1u);
    EXPECT_EQ(controller->audioTracks()[0][0]->duration(), MediaTime::make(1, 5));
}

TEST_F(ClipEdits, AClipStoredOnThePlaceholderKeepsItsLengthWhenNoPictureIsLeftBesideIt)
{
    auto clip = addTone(1.0, 4);
    clip->setLinkToFrameUID(
        project->getFrameList().getFrameAtIndex(kPictures)->UID());  // as earlier versions stored it
    for (int i = 0; i < kPictures; ++i)
        removeFrame(0);
    controller->recalculateAudioClipDurations();
    EXPECT_EQ(clip->duration(), MediaTime::make(5, 5));
}

TEST_F(ClipEdits, AClipCutByTheEndOfTheListKeepsTheFramesUpToIt)
{
    auto clip = addTone(2.0, 15);  // pictures 15 to 19 hold 1.0 s
    EXPECT_EQ(clip->duration(), MediaTime::make(5, 5));
    for (int64_t index = project->getFrameList().count() - 2; index > 16; --index)
        removeFrame(index);
    controller->recalculateAudioClipDurations();
    EXPECT_EQ(clip->duration(), MediaTime::make(2, 5));  // pictures 15 and 16: the placeholder is not in the movie
    reload();
    EXPECT_EQ(controller->audioTracks()[0].size(), 1u);
}

TEST_F(ClipEdits, AnEditedClipIsCutToItsRoomAndMovesToTrackOneWhenTrackZeroCannotHoldIt)
{
    auto clip = addTone(3.0, 2);
    ASSERT_EQ(clip->track(), 0);
    clip->setDuration(MediaTime::make(2, 5));
    controller->updateAudioClip(clip);
    auto blocker = addTone(0.4, 6);  // track 0 from frame 6
    ASSERT_EQ(blocker->track(), 0);
    // Lengthened past the blocker: track 1 has room for it.
    clip->setDuration(seconds(2.0));
    controller->updateAudioClip(clip);
    EXPECT_EQ(clip->track(), 1);
    EXPECT_EQ(controller->audioTracks()[1].size(), 1u);
    EXPECT_EQ(controller->audioTracks()[0].size(), 1u);
    EXPECT_EQ(clip->duration(), seconds(2.0));
    // Longer than the file: cut to the room that holds the file.
    clip->setDuration(seconds(30.0));
    controller->updateAudioClip(clip);
    EXPECT_EQ(clip->duration(), MediaTime::make(18, 5));
    EXPECT_EQ(AudioClip::getCMTimeFromDictonary(
                  storedAudio().getArray("TRACK_1")->at(0).asDictionary()->getDictionary("RecordAudioDuration")),
        MediaTime::make(18, 5));
}

TEST_F(ClipEdits, RemovingASoundKeepsAFileAnotherClipStillUses)
{
    std::string file = tone("shared.wav", 0.4);
    auto first = addFile(file, 0);
    auto second = addFile(file, 5);
    setNeedsRendering(false);
    controller->removeAudioClip(first);
    EXPECT_TRUE(inProject("shared.wav"));
    EXPECT_TRUE(needsRendering());
    EXPECT_TRUE(controller->isAudioFileStillInUse("shared.wav"));
    controller->removeAudioClip(second);
    EXPECT_FALSE(inProject("shared.wav"));
    EXPECT_FALSE(controller->isAudioFileStillInUse("shared.wav"));
}

TEST_F(ClipEdits, RemovingAVoiceRecordingKeepsItsFile)
{
    auto clip = addFile(tone("record-2014-05-01-10-00-00.caf", 1.0, 300, "pcm_s16be"), 0, AudioClip::VoiceOver);
    controller->removeAudioClip(clip);
    EXPECT_TRUE(controller->audioTracks()[0].empty());
    EXPECT_TRUE(inProject("record-2014-05-01-10-00-00.caf"));
}

TEST_F(ClipEdits, RemovingARecordingsFileTakesItsClipsOffAndRebuildsThePlayer)
{
    std::string recording = tone("record-2014-05-01-10-00-00.caf", 1.0, 300, "pcm_s16be");
    addFile(recording, 0, AudioClip::VoiceOver);
    addFile(recording, 0, AudioClip::VoiceOver);
    auto other = addTone(0.4, 8);
    auto player = controller->audioPlayer();
    setNeedsRendering(false);
    controller->removeAudioFile("record-2014-05-01-10-00-00.caf");
    EXPECT_TRUE(controller->audioTracks()[1].empty());
    EXPECT_EQ(controller->audioTracks()[0].size(), 1u);
    EXPECT_FALSE(inProject("record-2014-05-01-10-00-00.caf"));
    EXPECT_TRUE(needsRendering());
    // The mix no longer holds the recording: a new player over it.
    EXPECT_NE(controller->audioPlayer(), player);
    EXPECT_FALSE(controller->isAudioMixChanged());
    EXPECT_EQ(controller->audioPlayer()->currentItem()->duration(), MediaTime::make(8, 5) + seconds(0.4));
}

TEST_F(ClipEdits, ReplacingTheMusicKeepsTheOldFileWhileAnotherClipUsesIt)
{
    std::string song = tone("song.wav", 3.0, 220);
    auto music = addFile(song, 0, AudioClip::Music);
    auto effect = addFile(projectFile("song.wav"), 4);  // the same file as a sound
    ASSERT_TRUE(effect);
    auto next = addFile(tone("other.wav", 2.0, 330), 0, AudioClip::Music);
    ASSERT_TRUE(next);
    EXPECT_EQ(controller->audioTracks()[2].size(), 1u);
    EXPECT_TRUE(inProject("song.wav"));
    // Picking the music that plays already keeps its file too.
    auto same = addFile(projectFile("other.wav"), 0, AudioClip::Music);
    ASSERT_TRUE(same);
    EXPECT_TRUE(inProject("other.wav"));
    controller->removeAudioClip(effect);
    EXPECT_FALSE(inProject("song.wav"));
}

TEST_F(ClipEdits, StoredClipsThatCannotPlayAreDroppedAtLoad)
{
    auto clip = addTone(1.0, 4);
    plat::Dictionary good = clip->encode();
    struct Case {
        const char* what;
        std::function<void(plat::Dictionary&)> damage;
    };
    std::vector<Case> cases {
        {"anchor gone", [](plat::Dictionary& r) { r.set("RecordAudioLinkToFrame", "NO-SUCH-FRAME"); }},
        {"anchor gone, with an offset",
            [](plat::Dictionary& r) {
                r.set("RecordAudioLinkToFrame", "NO-SUCH-FRAME");
                r.set("RecordAudioLinkToPosition", -3);
            }},
        {"before the first frame", [](plat::Dictionary& r) { r.set("RecordAudioLinkToPosition", -10); }},
        {"no length",
            [](plat::Dictionary& r) {
                r.set("RecordAudioDuration", AudioClip::getDictionaryFromCMTime(MediaTime::zero()));
            }},
        {"no duration at all", [](plat::Dictionary& r) { r.remove("RecordAudioDuration"); }},
    };
    for (const Case& each : cases) {
        SCOPED_TRACE(each.what);
        plat::Dictionary record = good.deepCopy();
        each.damage(record);
        storeClipRecord(0, record);
        reload();
        EXPECT_TRUE(controller->audioTracks()[0].empty());
    }
    storeClipRecord(0, good);
    reload();
    EXPECT_EQ(controller->audioTracks()[0].size(), 1u);
}

TEST_F(ClipEdits, AClipRecordNamingTheProjectsOwnFilesNeverDeletesThem)
{
    auto clip = addTone(1.0, 4);
    plat::Dictionary record = clip->encode();
    record.set("RecordAudioURL", "plovix.meta");
    storeClipRecord(0, record);
    reload();
    ASSERT_EQ(controller->audioTracks()[0].size(), 1u);
    controller->removeAudioClip(controller->audioTracks()[0][0]);
    EXPECT_TRUE(inProject("plovix.meta"));
    controller->removeAudioFile("frames.meta");
    EXPECT_TRUE(inProject("frames.meta"));
    controller->removeAudioFile("../plovix.meta");
    EXPECT_TRUE(inProject("plovix.meta"));
}

TEST_F(ClipEdits, ATrackEntryItselfCanBeUpdatedAndRemoved)
{
    addTone(1.0, 2);
    addTone(0.4, 8);
    controller->updateAudioClip(controller->audioTracks()[0][0]);
    controller->removeAudioClip(controller->audioTracks()[0][0]);
    ASSERT_EQ(controller->audioTracks()[0].size(), 1u);
    EXPECT_EQ(controller->audioTracks()[0][0]->startFrameIndex(), 8);
    addFile(tone("music.wav", 2.0, 220), 0, AudioClip::Music);
    controller->removeBackgoundMusic();
    EXPECT_FALSE(controller->hasBackgroundMusic());
    EXPECT_FALSE(inProject("music.wav"));
}
