#include <gtest/gtest.h>

#include "platform/foundation/Files.h"
#include "support/TemporarySandbox.h"
#include "videoservice/VSNamespaces.h"
#include "videoservice/VSXMLDocument.h"
#include "videoservice/YouTubeEntries.h"
#include "videoservice/YouTubeFeeds.h"

namespace zt {
namespace {

plat::Data readData(const std::string& name)
{
    auto bytes = plat::readFile(plat::test::sourcePath("tests/data/videoservice/" + name));
    EXPECT_TRUE(bytes.ok()) << name;
    return bytes.ok() ? bytes.value() : plat::Data();
}

// The class the service would pick for the root, then the parse.
VSObjectPtr parseReply(const plat::Data& data, std::shared_ptr<VSXMLDocument>* keep = nullptr)
{
    auto document = VSXMLDocument::initWithData(data);
    EXPECT_TRUE(document.ok());
    auto root = document.value()->rootElement();
    const VSClass* cls = VSObject::objectClassForXMLElement(*root, nullptr);
    EXPECT_NE(cls, nullptr);
    auto object = VSObject::objectWithXMLElement(*cls, root, nullptr);
    object->clearExtensionDeclarationsCache();
    object->setProperty(document.value(), "_XMLDocument");
    if (keep)
        *keep = document.value();
    return object;
}

std::string writtenText(const VSObject& object)
{
    auto data = object.XMLDocument()->XMLData();
    return std::string(data->begin(), data->end());
}

class VideoFeed : public ::testing::Test {
protected:
    void SetUp() override
    {
        feed = std::dynamic_pointer_cast<VSFeedYouTubeVideo>(parseReply(readData("video-feed.xml")));
        ASSERT_NE(feed, nullptr);
        ASSERT_EQ(feed->entries()->size(), 2u);
        video = std::dynamic_pointer_cast<VSEntryYouTubeVideo>(feed->firstEntry());
        ASSERT_NE(video, nullptr);
    }
    std::shared_ptr<VSFeedYouTubeVideo> feed;
    std::shared_ptr<VSEntryYouTubeVideo> video;
};

TEST_F(VideoFeed, EntriesTakeTheClassOfTheirOwnKind)
{
    EXPECT_EQ(&video->objectClass(), &VSEntryYouTubeVideo::staticClass());
    EXPECT_EQ(&feed->entryAtIndex(1)->objectClass(), &VSEntryYouTubePlaylist::staticClass());
    EXPECT_EQ(feed->serviceVersion(), "2.0");
}

TEST_F(VideoFeed, ReadsTheFeedsOpenSearchCountsAndLinks)
{
    EXPECT_EQ(feed->totalResults(), 1000);
    EXPECT_EQ(feed->itemsPerPage(), 2);
    EXPECT_EQ(feed->ETag(), "W/\"DkYGRH48fCp7I2A9WhFXEE8.\"");
    EXPECT_EQ(feed->nextLink()->href(), "https://gdata.youtube.com/feeds/api/videos?start-index=3&max-results=2&v=2");
    EXPECT_EQ(feed->logo(), "http://www.gstatic.com/youtube/img/logo.png");
    EXPECT_EQ(feed->authors().front()->URI(), "http://www.youtube.com/");
}

TEST_F(VideoFeed, ReadsWhatTheGalleryShows)
{
    auto group = video->mediaGroup();
    ASSERT_NE(group, nullptr);
    EXPECT_EQ(group->mediaTitle()->stringValue(), "Clay cat's day out");
    EXPECT_EQ(group->duration(), 125);
    EXPECT_EQ(group->mediaCredits().front()->stringValue(), "claymaker");
    EXPECT_EQ(group->mediaCredits().front()->youTubeCreditType(), "partner");
    EXPECT_EQ(group->mediaDescription()->stringValue(), "A cat made of clay, frame by frame.");
    EXPECT_EQ(group->highQualityThumbnail()->URLString(), "https://i.ytimg.com/vi/abc123XYZ/hqdefault.jpg");
    EXPECT_EQ(group->videoID(), "abc123XYZ");
    EXPECT_EQ(video->alternateLink()->href(), "https://www.youtube.com/watch?v=abc123XYZ&feature=youtube_gdata");
    EXPECT_EQ(video->statistics()->viewCount(), 1234);
}

TEST_F(VideoFeed, ReadsMediaGeoAndServiceElements)
{
    auto group = video->mediaGroup();
    EXPECT_EQ(group->mediaKeywords()->keywords(), (std::vector<std::string> {"clay", "cat", "stop motion"}));
    EXPECT_EQ(group->mediaContentWithFormatNumber(1)->URLString(), "rtsp://r1.example/abc.3gp");
    EXPECT_EQ(group->mediaContents().front()->isDefault(), true);
    EXPECT_EQ(group->mediaContents()[1]->isDefault(), std::nullopt);
    EXPECT_EQ(group->mediaThumbnails().front()->time()->timeOffsetInMilliseconds(), 62500);
    EXPECT_EQ(group->mediaThumbnails().front()->youTubeName(), "default");
    EXPECT_EQ(group->mediaRatings().front()->youTubeCountry(), "us");
    EXPECT_EQ(group->mediaRestrictions().front()->relationship(), "deny");
    EXPECT_EQ(group->aspectRatio(), "widescreen");
    EXPECT_EQ(group->uploadedDate()->RFC3339String(), "2013-05-02T10:20:30Z");
    auto where = std::dynamic_pointer_cast<VSGeoRSSWhere>(video->geoLocation());
    ASSERT_NE(where, nullptr);
    EXPECT_DOUBLE_EQ(where->latitude(), 45.256);
    EXPECT_DOUBLE_EQ(where->longitude(), -71.92);
    EXPECT_EQ(video->publicationState()->name(), "processing");
    EXPECT_EQ(video->comment()->feedLink()->countHint(), 12);
    EXPECT_EQ(video->recordedDate()->RFC3339String(), "2013-04-30");
    EXPECT_EQ(video->rating()->numberOfLikes(), 39);
    EXPECT_EQ(video->accessControls().size(), 2u);
    EXPECT_TRUE(video->isEmbeddable());
    EXPECT_EQ(youTubeToken(*video->selfLink())->stringValue(), "tok-1");
    EXPECT_EQ(
        video->videoResponsesLink()->href(), "https://gdata.youtube.com/feeds/api/videos/abc123XYZ/responses?v=2");
    auto gdRating = video->objectForExtensionClass<VSRating>();
    EXPECT_EQ(gdRating, nullptr);  // not declared by video entries: kept as unknown XML
}

TEST_F(VideoFeed, PlaylistEntryKeepsItsOwnElements)
{
    auto item = std::dynamic_pointer_cast<VSEntryYouTubePlaylist>(feed->entryAtIndex(1));
    EXPECT_EQ(item->position()->intValue(), 2);
    EXPECT_FALSE(item->isEmbeddable());
    EXPECT_EQ(item->location(), "Bern");
    EXPECT_TRUE(item->mediaGroup()->isPrivate());
    EXPECT_EQ(item->mediaGroup()->highQualityThumbnail(), nullptr);
    EXPECT_EQ(item->HTMLLink()->href(), "https://www.youtube.com/watch?v=plane");
    EXPECT_EQ(item->alternateLink()->type(), "application/atom+xml");
}

TEST_F(VideoFeed, WrittenAgainKeepsEveryElementAndReadsBackEqual)
{
    std::string text = writtenText(*feed);
    for (const char* kept : {"<yt:hd/>", "<media:license type=\"text/html\" href=\"http://www.youtube.com/t/terms\">",
             "yt:display=\"Clay Maker\"", "<yt:uploaderId>UCclay</yt:uploaderId>", "<yt:userId>U1</yt:userId>",
             "<gd:rating average=\"4.8\"", "<gml:pos>45.256 -71.92</gml:pos>", "<yt:token>tok-1</yt:token>",
             "favoriteCount=\"7\"", "<yt:duration seconds=\"125\"/>", "<yt:noembed/>"}) {
        EXPECT_NE(text.find(kept), std::string::npos) << kept << "\n" << text;
    }
    auto reread = std::dynamic_pointer_cast<VSFeedYouTubeVideo>(parseReply(plat::Data(text.begin(), text.end())));
    ASSERT_NE(reread, nullptr);
    EXPECT_TRUE(reread->isEqual(*feed));
    EXPECT_EQ(writtenText(*reread), text);
}

TEST(PlaylistFeed, ReadsItsOwnElementsAndBothPointEncodings)
{
    auto feed = std::dynamic_pointer_cast<VSFeedYouTubePlaylist>(parseReply(readData("playlist-feed.xml")));
    ASSERT_NE(feed, nullptr);
    EXPECT_EQ(feed->playlistID(), "PL1");
    EXPECT_TRUE(feed->isPrivate());
    EXPECT_EQ(feed->mediaGroup()->duration(), 300);
    EXPECT_EQ(feed->subtitle()->stringValue(), "Hand picked");
    auto first = std::dynamic_pointer_cast<VSEntryYouTubePlaylist>(feed->firstEntry());
    ASSERT_NE(first, nullptr);
    auto w3c = std::dynamic_pointer_cast<VSGeoW3CPoint>(first->geoLocation());
    ASSERT_NE(w3c, nullptr);
    EXPECT_DOUBLE_EQ(w3c->latitude(), 46.95);
    auto second = std::dynamic_pointer_cast<VSEntryYouTubeVideo>(feed->entryAtIndex(1));
    auto point = std::dynamic_pointer_cast<VSGeoRSSPoint>(second->geoLocation());
    ASSERT_NE(point, nullptr);
    EXPECT_DOUBLE_EQ(point->longitude(), -73.25);
    std::string text = writtenText(*feed);
    EXPECT_NE(text.find("<geo:Point><geo:lat>46.95</geo:lat><geo:long>7.45</geo:long></geo:Point>"), std::string::npos)
        << text;
    EXPECT_NE(text.find("<georss:point>45.5 -73.25</georss:point>"), std::string::npos) << text;
    auto reread = parseReply(plat::Data(text.begin(), text.end()));
    EXPECT_TRUE(reread->isEqual(*feed));
}

TEST(UserProfileEntry, ReadsTheProfileFieldsAndFeedLinks)
{
    auto profile = std::dynamic_pointer_cast<VSEntryYouTubeUserProfile>(parseReply(readData("user-profile-entry.xml")));
    ASSERT_NE(profile, nullptr);
    EXPECT_EQ(profile->age(), 33);
    EXPECT_EQ(profile->firstName(), "Clara");
    EXPECT_EQ(profile->hometown(), "Zürich");
    EXPECT_EQ(profile->username(), "claymaker");
    EXPECT_EQ(profile->channelType(), "Director");
    EXPECT_EQ(profile->uploadsFeedLink()->countHint(), 27);
    EXPECT_EQ(profile->playlistsFeedLink()->countHint(), std::nullopt);
    EXPECT_EQ(profile->inboxFeedLink(), nullptr);
    EXPECT_EQ(profile->featuredVideoLink()->href(), "https://gdata.youtube.com/feeds/api/videos/abc123XYZ?v=2");
    EXPECT_EQ(profile->thumbnail()->URLString(), "https://i.ytimg.com/i/clay/1.jpg");
    auto statistics = profile->statistics();
    EXPECT_EQ(statistics->subscriberCount(), 150);
    EXPECT_EQ(statistics->lastWebAccess()->RFC3339String(), "2013-06-17T22:10:00Z");
    // Zero counts are read but never written.
    EXPECT_EQ(statistics->viewCount(), 0);
    std::string text = writtenText(*profile);
    EXPECT_EQ(text.find("viewCount"), std::string::npos) << text;
    EXPECT_NE(text.find("subscriberCount=\"150\""), std::string::npos) << text;
    auto reread
        = std::dynamic_pointer_cast<VSEntryYouTubeUserProfile>(parseReply(plat::Data(text.begin(), text.end())));
    EXPECT_EQ(reread->statistics()->viewCount(), std::nullopt);
    EXPECT_EQ(reread->aboutMe(), "I animate.");
}

TEST(CommentFeed, CommentsReadTheirRatingAndSpamAndOtherKindsFallBack)
{
    auto feed = std::dynamic_pointer_cast<VSFeedYouTubeComment>(parseReply(readData("comment-feed.xml")));
    ASSERT_NE(feed, nullptr);
    ASSERT_EQ(feed->entries()->size(), 3u);
    auto first = std::dynamic_pointer_cast<VSEntryYouTubeComment>(feed->firstEntry());
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first->totalRating(), 3);
    EXPECT_FALSE(first->hasSpam());
    EXPECT_EQ(first->content()->stringValue(), "Lovely whiskers!");
    EXPECT_EQ(first->publishedDate()->offsetSeconds(), 7200);
    auto second = std::dynamic_pointer_cast<VSEntryYouTubeComment>(feed->entryAtIndex(1));
    EXPECT_TRUE(second->hasSpam());
    EXPECT_EQ(second->content()->stringValue(), "<a href=\"x\">cheap</a>");
    EXPECT_EQ(&feed->entryAtIndex(2)->objectClass(), &VSEntryBase::staticClass());
    EXPECT_TRUE(feed->canPost());
    EXPECT_EQ(feed->entriesWithCategoryKind(youtube::kindTerm("#comment")).size(), 2u);
}

TEST(YouTubeKinds, KindAttributeWinsOverTheCategories)
{
    VSFeedBase::registerFeedClass(VSFeedYouTubeFriend::staticClass(), std::nullopt, std::string("test#friendsKind"));
    std::string text = "<feed xmlns='http://www.w3.org/2005/Atom' xmlns:gd='http://schemas.google.com/g/2005' "
                       "gd:kind='test#friendsKind'><category scheme='http://schemas.google.com/g/2005#kind' "
                       "term='http://gdata.youtube.com/schemas/2007#video'/></feed>";
    auto feed = parseReply(plat::Data(text.begin(), text.end()));
    EXPECT_EQ(&feed->objectClass(), &VSFeedYouTubeFriend::staticClass());
}

TEST(YouTubeEntriesMade, NewEntriesCarryTheirKindCategoryOnly)
{
    auto video = VSEntryYouTubeVideo::videoEntry();
    ASSERT_EQ(video->categories().size(), 1u);
    EXPECT_EQ(video->kindCategory()->term(), "http://gdata.youtube.com/schemas/2007#video");
    auto plain = VSEntryBase::entry();
    EXPECT_TRUE(plain->categories().empty());
    EXPECT_EQ(plain->kind(), std::nullopt);
    auto upload = VSEntryYouTubeUpload::uploadEntryWithMediaGroup(VSMediaGroup::mediaGroup<VSYouTubeMediaGroup>(),
        std::make_shared<plat::Data>(plat::Data {1}), "video/mp4", "a");
    EXPECT_TRUE(upload->categories().empty());
    EXPECT_EQ(upload->uploadFileHandle(), nullptr);
}

TEST(YouTubeEntriesMade, EmbeddingPublicationStateAndIncompleteLiveWhereTheyBelong)
{
    auto video = VSEntryYouTubeVideo::videoEntry();
    video->setIsEmbeddable(false);
    EXPECT_FALSE(video->isEmbeddable());
    auto state = VSObject::object<VSYouTubePublicationState>();
    state->setName("rejected");
    video->setVSYouTubePublicationState(state);
    video->setIsIncomplete(true);
    EXPECT_TRUE(video->isIncomplete());
    EXPECT_EQ(video->publicationState()->name(), "rejected");
    std::string text = video->XMLElement()->XMLString().value_or("");
    EXPECT_NE(text.find("<yt:noembed/>"), std::string::npos) << text;
    EXPECT_NE(text.find("<app:control><yt:state name=\"rejected\"/><yt:incomplete/></app:control>"), std::string::npos)
        << text;
    video->setIsEmbeddable(true);
    EXPECT_TRUE(video->isEmbeddable());
}

TEST(YouTubeEntriesMade, RecordedDateIsWrittenAsADateAlone)
{
    auto video = VSEntryYouTubeVideo::videoEntry();
    auto recorded = VSDateTime::dateTimeWithRFC3339String("2013-04-30T10:20:30Z");
    video->setRecordedDate(&recorded);
    EXPECT_FALSE(recorded.hasTime());
    EXPECT_NE(video->XMLElement()->XMLString()->find("<yt:recorded>2013-04-30</yt:recorded>"), std::string::npos);
}

TEST(YouTubeEntriesMade, UserEventTypeReplacesItsCategories)
{
    auto event = VSEntryYouTubeUserEvent::userEventEntry();
    event->setUserEventType("VIDEO_RATED");
    event->setUserEventType("VIDEO_SHARED");
    EXPECT_EQ(event->userEventType(), "VIDEO_SHARED");
    event->setUserEventType(std::nullopt);
    EXPECT_EQ(event->userEventType(), std::nullopt);
    EXPECT_EQ(event->categories().size(), 1u);  // the kind category stays
}

TEST(YouTubeUpload, WrittenEntryHoldsTheGroupAndNoKind)
{
    auto group = VSMediaGroup::mediaGroup<VSYouTubeMediaGroup>();
    group->setMediaTitle(VSTextConstruct::textConstructWithString<VSMediaTitle>("My Plovix Movie"));
    group->setMediaDescription(VSTextConstruct::textConstructWithString<VSMediaDescription>("Made with clay"));
    auto category = VSMediaCategory::mediaCategoryWithString("Entertainment");
    category->setScheme(youtube::schemeNamed("/categories.cat"));
    group->addMediaCategory(category);
    group->setMediaKeywords(VSMediaKeywords::keywordsWithString("clay,  cat ,,stop motion"));
    group->setIsPrivate(false);
    auto upload = VSEntryYouTubeUpload::uploadEntryWithMediaGroup(
        group, std::make_shared<plat::Data>(plat::Data {0, 1, 2}), "video/quicktime", "movie.mov");
    std::string text = upload->XMLElement()->XMLString().value_or("");
    EXPECT_EQ(text.find("<category"), std::string::npos) << text;
    EXPECT_NE(text.find("<media:keywords>clay, cat, stop motion</media:keywords>"), std::string::npos) << text;
    EXPECT_NE(text.find("<media:category scheme=\"http://gdata.youtube.com/schemas/2007/categories.cat\">"
                        "Entertainment</media:category>"),
        std::string::npos)
        << text;
    EXPECT_EQ(text.find("private"), std::string::npos);
    EXPECT_NE(text.find("xmlns:yt=\"http://gdata.youtube.com/schemas/2007\""), std::string::npos);
    auto reread = VSXMLElement::elementWithXMLString(text);
    EXPECT_TRUE(reread.ok()) << text;
}

}  // namespace
}  // namespace zt
