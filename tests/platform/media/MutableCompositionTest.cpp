#include "platform/media/MutableComposition.h"

#include <gtest/gtest.h>

#include "platform/media/MediaConstants.h"

namespace {

using plat::MediaTime;
using plat::MediaTimeRange;

// A file track of seconds seconds at 44.1 kHz, without a real file behind it.
std::shared_ptr<plat::AssetTrack> fileTrack(
    const std::string& name, int64_t seconds, const char* mediaType = plat::kMediaTypeAudio)
{
    plat::TrackSegment segment;
    segment.sourcePath = name;
    segment.streamIndex = 0;
    segment.source = MediaTimeRange::make(MediaTime::make(0, 44100), MediaTime::make(seconds * 44100, 44100));
    segment.target = segment.source;
    plat::AssetTrack::Properties properties;
    properties.trackID = 1;
    properties.mediaType = mediaType;
    return std::make_shared<plat::AssetTrack>(properties, std::vector<plat::TrackSegment> {segment});
}

MediaTimeRange seconds(double start, double duration)
{
    return MediaTimeRange::make(MediaTime::makeWithSeconds(start, 600), MediaTime::makeWithSeconds(duration, 600));
}

class CompositionInsert : public ::testing::Test {
protected:
    std::shared_ptr<plat::MutableComposition> composition = plat::MutableComposition::composition();
    std::shared_ptr<plat::CompositionTrack> track
        = composition->addMutableTrackWithMediaType(plat::kMediaTypeAudio, plat::kTrackIDInvalid);
};

TEST_F(CompositionInsert, InsertingPastTheEndLeavesAnEmptyGapBefore)
{
    ASSERT_TRUE(
        track->insertTimeRange(seconds(0.5, 1.0), *fileTrack("a.wav", 3), MediaTime::makeWithSeconds(0.8, 600)).ok());
    ASSERT_EQ(track->segments().size(), 2u);
    EXPECT_TRUE(track->segments()[0].isEmpty());
    EXPECT_EQ(track->segments()[0].target.duration, MediaTime::makeWithSeconds(0.8, 600));
    EXPECT_EQ(track->segments()[1].source.start, MediaTime::makeWithSeconds(0.5, 600));
    EXPECT_EQ(track->segments()[1].target.start, MediaTime::makeWithSeconds(0.8, 600));
    EXPECT_EQ(composition->duration(), MediaTime::makeWithSeconds(1.8, 600));
}

TEST_F(CompositionInsert, InsertingInsideAStretchSplitsItAndMovesTheRestLater)
{
    ASSERT_TRUE(track->insertTimeRange(seconds(0, 2), *fileTrack("a.wav", 3), MediaTime::zero()).ok());
    ASSERT_TRUE(
        track->insertTimeRange(seconds(0, 1), *fileTrack("b.wav", 3), MediaTime::makeWithSeconds(0.5, 600)).ok());
    const auto& parts = track->segments();
    ASSERT_EQ(parts.size(), 3u);
    EXPECT_EQ(*parts[0].sourcePath, "a.wav");
    EXPECT_EQ(parts[0].target, seconds(0, 0.5));
    EXPECT_EQ(*parts[1].sourcePath, "b.wav");
    EXPECT_EQ(parts[1].target, seconds(0.5, 1));
    EXPECT_EQ(*parts[2].sourcePath, "a.wav");
    EXPECT_EQ(parts[2].source, seconds(0.5, 1.5));
    EXPECT_EQ(parts[2].target, seconds(1.5, 1.5));
    EXPECT_EQ(composition->duration(), MediaTime::makeWithSeconds(3, 600));
}

TEST_F(CompositionInsert, RangesAreCutToTheSourceAndWrongInsertsFail)
{
    ASSERT_TRUE(track->insertTimeRange(seconds(2, 5), *fileTrack("a.wav", 3), MediaTime::zero()).ok());
    EXPECT_EQ(track->timeRange().duration, MediaTime::makeWithSeconds(1, 600));
    EXPECT_FALSE(track->insertTimeRange(seconds(4, 1), *fileTrack("a.wav", 3), MediaTime::zero()).ok());
    EXPECT_FALSE(
        track->insertTimeRange(seconds(0, 1), *fileTrack("v.mov", 3, plat::kMediaTypeVideo), MediaTime::zero()).ok());
    EXPECT_FALSE(track->insertTimeRange(MediaTimeRange(), *fileTrack("a.wav", 3), MediaTime::zero()).ok());
    EXPECT_EQ(track->segments().size(), 1u);
}

TEST_F(CompositionInsert, TracksGetTheirOwnIDs)
{
    auto second = composition->addMutableTrackWithMediaType(plat::kMediaTypeAudio, plat::kTrackIDInvalid);
    auto third = composition->addMutableTrackWithMediaType(plat::kMediaTypeAudio, track->trackID());
    EXPECT_NE(second->trackID(), track->trackID());
    EXPECT_NE(third->trackID(), track->trackID());
    EXPECT_NE(third->trackID(), second->trackID());
    EXPECT_EQ(composition->tracks().size(), 3u);
    // Empty tracks still count; the composition has no length yet.
    EXPECT_EQ(composition->duration(), MediaTime::zero());
}

}  // namespace
