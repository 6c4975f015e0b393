#include "videoservice/VSServiceGoogleYouTube.h"
#include "ServiceTestSupport.h"
#include "platform/foundation/NotificationCenter.h"
#include "videoservice/MediaElements.h"
#include "videoservice/VSQuery.h"
#include "videoservice/YouTubeElements.h"
#include "videoservice/YouTubeEntries.h"
#include "videoservice/YouTubeFeeds.h"

namespace zt {
namespace {

using test::FakeVideoService;
using test::finishedSelector;
using test::urlOf;

constexpr const char* kDeveloperTagScheme = "http://gdata.youtube.com/schemas/2007/developertags.cat";
constexpr const char* kCategoriesScheme = "http://gdata.youtube.com/schemas/2007/categories.cat";

std::string movieBytes(size_t length)
{
    std::string bytes(length, '\0');
    for (size_t i = 0; i < length; ++i)
        bytes[i] = static_cast<char>((i * 7 + i / 251) & 0xFF);
    return bytes;
}

std::string urlText(const std::optional<plat::URL>& url)
{
    return url ? url->absoluteString() : "(none)";
}

// --- addresses ---

TEST(YouTubeAddresses, FeedsHangBelowTheFeedRoot)
{
    EXPECT_EQ(urlText(VSServiceGoogleYouTube::youTubeURLForFeedID(std::nullopt)),
        "https://gdata.youtube.com/feeds/api/videos");
    EXPECT_EQ(urlText(VSServiceGoogleYouTube::youTubeURLForFeedID("JP/most_viewed")),
        "https://gdata.youtube.com/feeds/api/standardfeeds/JP/most_viewed");
    EXPECT_EQ(
        urlText(VSServiceGoogleYouTube::youTubeURLForChannelsFeeds()), "https://gdata.youtube.com/feeds/api/channels");
    EXPECT_EQ(urlText(VSServiceGoogleYouTube::youTubeURLForChannelStandardFeedID("most_subscribed")),
        "https://gdata.youtube.com/feeds/api/channelstandardfeeds/most_subscribed");
}

TEST(YouTubeAddresses, UserIdsAreEscapedAndAMissingUserFeedAddsNothing)
{
    EXPECT_EQ(urlText(VSServiceGoogleYouTube::youTubeURLForUserID("frame maker/2", std::nullopt)),
        "https://gdata.youtube.com/feeds/api/users/frame%20maker%2F2");
    EXPECT_EQ(urlText(VSServiceGoogleYouTube::youTubeURLForUserID("claymaker", "favorites")),
        "https://gdata.youtube.com/feeds/api/users/claymaker/favorites");
    EXPECT_EQ(urlText(VSServiceGoogleYouTube::youTubeActivityFeedURLForUserID("frame maker&co")),
        "https://gdata.youtube.com/feeds/api/events?author=frame+maker%26co");
}

TEST(YouTubeAddresses, UploadsGoBelowTheUploadRoot)
{
    EXPECT_EQ(urlText(VSServiceGoogleYouTube::youTubeUploadURLForUserID("default")),
        "https://uploads.gdata.youtube.com/resumable/feeds/api/users/default/uploads");
}

TEST(YouTubeRequests, DeveloperKeyAndVersionGoInTheHeaders)
{
    auto service = VSServiceBase::service<VSServiceGoogleYouTube>();
    const auto url = urlOf("https://gdata.youtube.com/feeds/api/videos");
    auto unkeyed = service->requestForURL(url, std::nullopt, std::nullopt);
    EXPECT_FALSE(unkeyed.valueForHTTPHeaderField("X-GData-Key"));
    EXPECT_EQ(unkeyed.valueForHTTPHeaderField("GData-Version"), "2.0");
    service->setYouTubeDeveloperKey(FakeVideoService::kDeveloperKey);
    auto keyed = service->requestForURL(url, std::nullopt, std::nullopt);
    EXPECT_EQ(keyed.valueForHTTPHeaderField("X-GData-Key"), "key=AI39si-developer_key");
    EXPECT_EQ(service->serviceUploadChunkSize(), 1'048'576u);
    EXPECT_EQ(service->customAuthenticationRequestHeaders().at("Content-Type"), "application/x-www-form-urlencoded");
}

// --- the service against the fake ---

class YouTubeService : public test::ServiceTest {
protected:
    void SetUp() override
    {
        service->setShouldCacheResponseData(true);
        service->setServiceShouldFollowNextLinks(true);
        service->setServiceRetryEnabled(true);
        service->setSignInDomain(fake.signInDomain());
        service->setUserCredentialsWithUsername(FakeVideoService::kUsername, FakeVideoService::kPassword);
        service->setYouTubeDeveloperKey(FakeVideoService::kDeveloperKey);
    }

    std::shared_ptr<VSEntryYouTubeUpload> uploadEntry(const std::string& movie)
    {
        auto group = VSObject::object<VSYouTubeMediaGroup>();
        group->setMediaTitle(VSTextConstruct::textConstructWithString<VSMediaTitle>("Clay cat's day out"));
        group->setMediaDescription(
            VSTextConstruct::textConstructWithString<VSMediaDescription>("A cat made of clay, frame by frame."));
        auto category = VSMediaCategory::mediaCategoryWithString("Film");
        category->setScheme(kCategoriesScheme);
        group->addMediaCategory(category);
        auto tag = VSMediaCategory::mediaCategoryWithString("zantrope");
        tag->setScheme(kDeveloperTagScheme);
        group->addMediaCategory(tag);
        group->setMediaKeywords(VSMediaKeywords::keywordsWithStrings({"clay", "cat", "stop motion"}));
        return VSEntryYouTubeUpload::uploadEntryWithMediaGroup(
            group, std::make_shared<const plat::Data>(movie.begin(), movie.end()), "video/quicktime", "clay cat.mov");
    }

    VSServiceTicketPtr upload(const std::shared_ptr<VSEntryYouTubeUpload>& entry)
    {
        service->setServiceUploadProgressSelector(&test::RecordingDelegate::ticketProgress);
        return service->fetchEntryByInsertingEntry(
            entry, urlOf(fake.url("/resumable/feeds/api/users/default/uploads")), delegate, finishedSelector());
    }

    std::shared_ptr<VSServiceGoogleYouTube> service = VSServiceBase::service<VSServiceGoogleYouTube>();
};

TEST_F(YouTubeService, MovieUploadSignsInPostsTheEntryAndSendsTheMovieInChunks)
{
    const std::string movie = movieBytes(2'500'000);
    auto ticket = upload(uploadEntry(movie));
    ASSERT_TRUE(ticket);
    ASSERT_TRUE(waitForCalls(1));
    const auto& call = delegate->calls.front();
    ASSERT_FALSE(call.error) << call.error->description();
    auto video = std::dynamic_pointer_cast<VSEntryYouTubeVideo>(call.object);
    ASSERT_TRUE(video);
    EXPECT_EQ(video->title()->stringValue(), "Clay cat's day out");
    EXPECT_EQ(call.ticket, ticket);
    EXPECT_FALSE(ticket->isUploadPaused());

    EXPECT_EQ(fake.signInCount(), 1u);
    EXPECT_EQ(test::formFields(fake.requestsTo("/accounts/ClientLogin").front().body)["service"], "youtube");
    auto posts = fake.requestsTo("/resumable/feeds/api/users/default/uploads");
    ASSERT_EQ(posts.size(), 1u);
    const auto& post = posts.front();
    EXPECT_EQ(post.method, "POST");
    EXPECT_EQ(post.header("Authorization"), "GoogleLogin auth=TOKEN-1");
    EXPECT_EQ(post.header("X-GData-Key"), "key=AI39si-developer_key");
    EXPECT_EQ(post.header("GData-Version"), "2.0");
    EXPECT_EQ(post.header("Content-Type"), "application/atom+xml; charset=utf-8");
    EXPECT_EQ(post.header("Slug"), "clay cat.mov");
    EXPECT_EQ(post.header("Content-Length"), std::to_string(post.body.size()));
    EXPECT_EQ(post.header("X-Upload-Content-Length"), "2500000");
    EXPECT_EQ(post.header("X-Upload-Content-Type"), "video/quicktime");
    EXPECT_NE(post.body.find("<media:keywords>clay, cat, stop motion</media:keywords>"), std::string::npos);
    EXPECT_NE(post.body.find(kDeveloperTagScheme), std::string::npos);
    EXPECT_NE(post.body.find("xmlns:yt="), std::string::npos);

    EXPECT_EQ(fake.uploadRanges(),
        (std::vector<std::string> {
            "bytes 0-1048575/2500000", "bytes 1048576-2097151/2500000", "bytes 2097152-2499999/2500000"}));
    EXPECT_EQ(fake.storedUpload(), movie);
    ASSERT_FALSE(delegate->progress.empty());
    for (size_t i = 1; i < delegate->progress.size(); ++i)
        EXPECT_GE(delegate->progress[i].first, delegate->progress[i - 1].first);
    EXPECT_EQ(delegate->progress.back().second, 2'500'000u + post.body.size());
    EXPECT_EQ(delegate->progress.back().first, delegate->progress.back().second);
}

TEST_F(YouTubeService, AChunkSizeUnderFiftyThousandBytesIsRaisedToIt)
{
    service->setServiceUploadChunkSize(10'000);
    const std::string movie = movieBytes(120'000);
    upload(uploadEntry(movie));
    ASSERT_TRUE(waitForCalls(1));
    ASSERT_FALSE(delegate->calls.front().error) << delegate->calls.front().error->description();
    EXPECT_EQ(fake.uploadRanges(),
        (std::vector<std::string> {"bytes 0-49999/120000", "bytes 50000-99999/120000", "bytes 100000-119999/120000"}));
    EXPECT_EQ(fake.storedUpload(), movie);
}

TEST_F(YouTubeService, InterruptedChunkIsResumedFromWhatTheServerHolds)
{
    fake.dropUploadChunk(2);
    size_t retryDelays = 0;
    auto token = plat::NotificationCenter::defaultCenter().addObserver(
        kWSHTTPFetcherRetryDelayStartedNotification, nullptr, [&](const plat::Notification&) { ++retryDelays; });
    const std::string movie = movieBytes(2'500'000);
    upload(uploadEntry(movie));
    ASSERT_TRUE(plat::test::runMainLoopUntil([&] { return retryDelays >= 1; }));
    EXPECT_TRUE(delegate->calls.empty());
    clock.advance(2.0);  // a chunk's first back-off lies between 1 and 2 seconds
    ASSERT_TRUE(waitForCalls(1));
    ASSERT_FALSE(delegate->calls.front().error);
    auto ranges = fake.uploadRanges();
    // Half of the second chunk arrived; the rest goes in one piece after the query.
    EXPECT_EQ(ranges,
        (std::vector<std::string> {"bytes 0-1048575/2500000", "bytes 1048576-2097151/2500000", "bytes */2500000",
            "bytes 1572864-2499999/2500000"}));
    EXPECT_EQ(fake.storedUpload(), movie);
}

TEST_F(YouTubeService, PausedUploadResumesAfterAskingTheServer)
{
    fake.stallUploadChunk(2);
    const std::string movie = movieBytes(2'500'000);
    auto ticket = upload(uploadEntry(movie));
    ASSERT_TRUE(plat::test::runMainLoopUntil([&] { return fake.uploadRanges().size() >= 2; }));
    ticket->pauseUpload();
    EXPECT_TRUE(ticket->isUploadPaused());
    fake.server.release();
    ticket->resumeUpload();
    EXPECT_FALSE(ticket->isUploadPaused());
    ASSERT_TRUE(waitForCalls(1));
    ASSERT_FALSE(delegate->calls.front().error);
    auto ranges = fake.uploadRanges();
    ASSERT_GE(ranges.size(), 4u);
    EXPECT_EQ(ranges[2], "bytes */2500000");
    EXPECT_EQ(ranges[3], "bytes 1048576-2097151/2500000");
    EXPECT_EQ(fake.storedUpload(), movie);
}

TEST_F(YouTubeService, RefusedUploadSignsInAgainAndStartsOver)
{
    service->fetchFeedWithURL(urlOf(fake.url("/feeds/api/users/default/uploads")), delegate, finishedSelector());
    ASSERT_TRUE(waitForCalls(1));
    fake.expireToken("TOKEN-1");
    const std::string movie = movieBytes(300'000);
    auto ticket = upload(uploadEntry(movie));
    ASSERT_TRUE(waitForCalls(2));
    plat::RunLoop::main().drain();
    ASSERT_EQ(delegate->calls.size(), 2u);
    EXPECT_EQ(delegate->calls[1].ticket, ticket);
    ASSERT_FALSE(delegate->calls[1].error);
    EXPECT_TRUE(std::dynamic_pointer_cast<VSEntryYouTubeVideo>(delegate->calls[1].object));
    auto posts = fake.requestsTo("/resumable/feeds/api/users/default/uploads");
    ASSERT_EQ(posts.size(), 2u);
    EXPECT_EQ(posts[1].header("Authorization"), "GoogleLogin auth=TOKEN-2");
    EXPECT_EQ(fake.storedUpload(), movie);
}

TEST_F(YouTubeService, WithoutChunksTheUploadIsOneMultipartDocument)
{
    service->setServiceUploadChunkSize(0);
    const std::string movie = movieBytes(70'000);
    service->fetchEntryByInsertingEntry(
        uploadEntry(movie), urlOf(fake.url("/feeds/api/users/default/uploads")), delegate, finishedSelector());
    ASSERT_TRUE(waitForCalls(1));
    const auto& call = delegate->calls.front();
    ASSERT_FALSE(call.error) << call.error->description();
    auto video = std::dynamic_pointer_cast<VSEntryYouTubeVideo>(call.object);
    ASSERT_TRUE(video);
    EXPECT_EQ(video->title()->stringValue(), "One piece");
    auto post = fake.requestsTo("/feeds/api/users/default/uploads").back();
    auto type = post.header("Content-Type").value_or("");
    ASSERT_EQ(type, "multipart/related; boundary=\"END_OF_PART\"");
    const std::string boundary = "END_OF_PART";
    EXPECT_EQ(post.header("MIME-Version"), "1.0");
    EXPECT_EQ(post.header("Slug"), "clay cat.mov");
    EXPECT_EQ(post.header("Content-Length"), std::to_string(post.body.size()));
    const std::string mediaHead
        = "\r\n--" + boundary + "\r\nContent-Transfer-Encoding: binary\r\nContent-Type: video/quicktime\r\n\r\n";
    auto mediaStart = post.body.find(mediaHead);
    ASSERT_NE(mediaStart, std::string::npos);
    EXPECT_EQ(post.body.substr(mediaStart + mediaHead.size(), movie.size()), movie);
    EXPECT_EQ(post.body.substr(post.body.size() - boundary.size() - 8), "\r\n--" + boundary + "--\r\n");
    EXPECT_NE(post.body.find("<media:title>Clay cat's day out</media:title>"), std::string::npos)
        << post.body.substr(0, 600);
}

TEST_F(YouTubeService, GalleryQueryReadsVideoFeedsWithoutSigningIn)
{
    service->setUserCredentialsWithUsername(std::nullopt, std::nullopt);
    service->setServiceShouldFollowNextLinks(false);
    auto query = VSQueryYouTube::youTubeQueryWithFeedURL(urlOf(fake.url("/feeds/api/videos")));
    query->addCategoryFilterWithScheme(kDeveloperTagScheme, "zantrope");
    query->setSafeSearch("strict");
    query->setOrderBy("viewCount");
    query->setStartIndex(1);
    query->setMaxResults(50);
    service->fetchFeedWithQuery(*query, delegate, finishedSelector());
    ASSERT_TRUE(waitForCalls(1));
    const auto& call = delegate->calls.front();
    ASSERT_FALSE(call.error);
    auto feed = std::dynamic_pointer_cast<VSFeedYouTubeVideo>(call.object);
    ASSERT_TRUE(feed && feed->entries());
    ASSERT_EQ(feed->entries()->size(), 2u);
    EXPECT_TRUE(std::dynamic_pointer_cast<VSEntryYouTubeVideo>(feed->entries()->front()));
    auto request = fake.requestsTo("/feeds/api/videos").front();
    EXPECT_EQ(request.target,
        "/feeds/api/videos/-/%7Bhttp%3A%2F%2Fgdata.youtube.com%2Fschemas%2F2007%2Fdevelopertags.cat%7Dzantrope"
        "?max-results=50&orderby=viewCount&safeSearch=strict&start-index=1");
    EXPECT_FALSE(request.header("Authorization"));
    EXPECT_EQ(request.header("X-GData-Key"), "key=AI39si-developer_key");
    EXPECT_EQ(fake.signInCount(), 0u);
}

TEST_F(YouTubeService, DeveloperKeyStaysWithTheServicesHostToo)
{
    fake.setNextLinksLeaveHost(true);
    service->fetchFeedWithURL(urlOf(fake.url("/feeds/api/videos")), delegate, finishedSelector());
    ASSERT_TRUE(waitForCalls(1));
    auto pages = fake.requestsTo("/feeds/api/videos");
    ASSERT_EQ(pages.size(), 3u);
    EXPECT_TRUE(pages[0].header("X-GData-Key"));
    EXPECT_FALSE(pages[1].header("X-GData-Key"));
    EXPECT_FALSE(pages[1].header("Authorization"));
    EXPECT_EQ(pages[1].header("GData-Version"), "2.0");
}

}  // namespace
}  // namespace zt
