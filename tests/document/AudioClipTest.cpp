#include "document/AudioClip.h"

#include <gtest/gtest.h>

namespace {

using plat::MediaTime;

TEST(AudioClip, ANewClipHasAUidAndNothingElse)
{
    zt::AudioClip clip;
    EXPECT_EQ(clip.UID().size(), 36u);
    EXPECT_FALSE(clip.url().has_value());
    EXPECT_FALSE(clip.start().isValid());
    EXPECT_EQ(clip.volume(), 0.0f);
    EXPECT_FALSE(clip.isOn());
    EXPECT_NE(clip.UID(), zt::AudioClip().UID());
}

TEST(AudioClip, RecordsRoundTripThroughEncode)
{
    zt::AudioClip clip;
    clip.setUrl(plat::URL::fileURLWithPath("/sandbox/Documents/.plovix-1/audio-1.m4a"));
    clip.setName("Voice 1");
    clip.setStart(MediaTime::make(441, 44100));
    clip.setDuration(MediaTime::make(3, 1));
    clip.setTotalDuration(MediaTime::make(600, 100));
    clip.setVolume(0.75f);
    clip.setType(zt::AudioClip::VoiceOver);
    clip.setLinkToFrameUID("FRAME-UID");
    clip.setLinkToPosition(-2);
    clip.setIsOn(true);
    clip.setFileID("F1");
    clip.setOriginalFilename("take.caf");

    plat::Dictionary record = clip.encode();
    // A file is stored by its bare name.
    EXPECT_EQ(record.getString("RecordAudioURL"), "audio-1.m4a");
    EXPECT_EQ(record.getBool("RecordAudioVolumeMute"), true);

    auto back = zt::AudioClip::initClipWithMetaData(record);
    EXPECT_EQ(back.UID(), clip.UID());
    ASSERT_TRUE(back.url().has_value());
    EXPECT_TRUE(back.url()->isFileURL());
    EXPECT_EQ(back.url()->lastPathComponent(), "audio-1.m4a");
    EXPECT_EQ(back.name(), "Voice 1");
    EXPECT_EQ(back.start(), MediaTime::make(1, 100));
    EXPECT_EQ(back.start().timescale, 44100);
    EXPECT_EQ(back.duration(), MediaTime::make(3, 1));
    EXPECT_EQ(back.totalDuration(), MediaTime::make(6, 1));
    EXPECT_EQ(back.volume(), 0.75f);
    EXPECT_EQ(back.type(), zt::AudioClip::VoiceOver);
    EXPECT_EQ(back.linkToFrameUID(), "FRAME-UID");
    EXPECT_EQ(back.linkToPosition(), -2);
    EXPECT_FALSE(back.isOn());  // reading never restores it
    EXPECT_EQ(back.fileID(), "F1");
    EXPECT_EQ(back.originalFilename(), "take.caf");
}

TEST(AudioClip, OptionalFieldsAreWrittenOnlyWhenSet)
{
    auto keys = zt::AudioClip().encode().keys();
    EXPECT_EQ(keys,
        (std::vector<std::string> {"RecordAudioDuration", "RecordAudioLength", "RecordAudioLinkToPosition",
            "RecordAudioStart", "RecordAudioType", "RecordAudioUID", "RecordAudioVolume", "RecordAudioVolumeMute"}));
}

TEST(AudioClip, NonFileUrlsAreStoredWhole)
{
    zt::AudioClip clip;
    clip.setUrl(plat::URL::URLWithString("ipod-library://item/item.m4a?id=42"));
    EXPECT_EQ(clip.encode().getString("RecordAudioURL"), "ipod-library://item/item.m4a?id=42");
}

TEST(AudioClip, ARecordWithoutUidGetsANewOneEachTime)
{
    plat::Dictionary record {{"RecordAudioName", "x"}};
    auto first = zt::AudioClip::initClipWithMetaData(record);
    auto second = zt::AudioClip::initClipWithMetaData(record);
    EXPECT_EQ(first.UID().size(), 36u);
    EXPECT_NE(first.UID(), second.UID());
}

TEST(AudioClip, AMissingOrNegativeStartReadsAsZero)
{
    EXPECT_EQ(zt::AudioClip::initClipWithMetaData({}).start(), MediaTime::zero());
    plat::Dictionary negative {{"RecordAudioStart", MediaTime::make(-5, 10).copyAsDictionary()}};
    EXPECT_EQ(zt::AudioClip::initClipWithMetaData(negative).start(), MediaTime::zero());
    plat::Dictionary damaged {{"RecordAudioStart", "soon"}};
    EXPECT_EQ(zt::AudioClip::initClipWithMetaData(damaged).start(), MediaTime::zero());
    // Missing durations stay invalid.
    EXPECT_FALSE(zt::AudioClip::initClipWithMetaData({}).duration().isValid());
}

TEST(AudioClip, FieldsOfTheWrongTypeReadAsAbsent)
{
    plat::Dictionary record {{"RecordAudioName", 5}, {"RecordAudioURL", plat::Array {}}, {"RecordAudioType", "music"},
        {"RecordAudioVolume", "loud"}, {"RecordAudioLinkToPosition", 1e12}};
    auto clip = zt::AudioClip::initClipWithMetaData(record);
    EXPECT_FALSE(clip.name().has_value());
    EXPECT_FALSE(clip.url().has_value());
    EXPECT_EQ(clip.type(), 0);
    EXPECT_EQ(clip.volume(), 0.0f);
    EXPECT_EQ(clip.linkToPosition(), std::numeric_limits<int>::max());
}

TEST(AudioClip, PlaysWithinItsRangeInTheMovie)
{
    zt::AudioClip clip;
    clip.setTimeRangeInMovie(plat::MediaTimeRange::make(MediaTime::make(1, 1), MediaTime::make(2, 1)));
    EXPECT_FALSE(clip.isAudioPlayingAtTime(MediaTime::make(999, 1000)));
    EXPECT_TRUE(clip.isAudioPlayingAtTime(MediaTime::make(1, 1)));
    EXPECT_TRUE(clip.isAudioPlayingAtTime(MediaTime::make(29, 10)));
    EXPECT_FALSE(clip.isAudioPlayingAtTime(MediaTime::make(3, 1)));
}

}  // namespace
