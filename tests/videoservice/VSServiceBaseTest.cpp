#include <atomic>
#include <semaphore>

#include "ServiceTestSupport.h"
#include "platform/foundation/DispatchQueue.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/Text.h"
#include "platform/net/URLError.h"
#include "support/HTTPTestServer.h"
#include "videoservice/VSEntryBase.h"
#include "videoservice/VSFeedBase.h"
#include "videoservice/VSNamespaces.h"
#include "videoservice/VSXMLElement.h"
#include "web/WSHTTPFetcher.h"

namespace zt {

// A feed class that notes where it was parsed; given as a surrogate.
class ThreadNotingFeed : public VSFeedBase {
    VS_DECLARE_CLASS(ThreadNotingFeed)

public:
    void initFeedWithXMLElement(const VSXMLElementPtr&) override { parsedOnMainThread = plat::isMainThread(); }
    bool parsedOnMainThread = true;
};
VS_DEFINE_CLASS(ThreadNotingFeed, VSFeedBase, kVSNamespaceAtom, kVSNamespaceAtomPrefix, "feed")

namespace {

using test::FakeVideoService;
using test::finishedSelector;
using test::urlOf;

class ServiceEngine : public test::ServiceTest {
protected:
    std::shared_ptr<VSServiceBase> service = VSServiceBase::service();

    VSServiceTicketPtr fetchFeed(const std::string& path, const VSClass* feedClass = nullptr)
    {
        return service->fetchPublicFeedWithURL(urlOf(fake.url(path)), feedClass, delegate, finishedSelector());
    }
    const test::RecordingDelegate::Call& onlyCall()
    {
        EXPECT_TRUE(waitForCalls(1));
        plat::RunLoop::main().drain();
        EXPECT_EQ(delegate->calls.size(), 1u);
        return delegate->calls.front();
    }
};

std::optional<std::string> headerOf(const plat::URLRequest& request, const char* name)
{
    return request.valueForHTTPHeaderField(name);
}

// --- requests ---

TEST_F(ServiceEngine, ETagPreconditionsFollowTheMethod)
{
    const auto url = urlOf("https://gdata.example/feeds/api/videos/vid1");
    auto get = service->requestForURL(url, "\"A1\"", std::nullopt);
    EXPECT_EQ(headerOf(get, "If-None-Match"), "\"A1\"");
    auto weakPut = service->requestForURL(url, "W/\"A1\"", "PUT");
    EXPECT_FALSE(headerOf(weakPut, "If-Match"));
    EXPECT_FALSE(headerOf(weakPut, "If-None-Match"));
    auto patch = service->requestForURL(url, "\"A1\"", "patch");
    EXPECT_EQ(headerOf(patch, "If-Match"), "\"A1\"");
    auto post = service->requestForURL(url, "\"A1\"", "POST");
    EXPECT_FALSE(headerOf(post, "If-Match"));
    EXPECT_FALSE(headerOf(post, "If-None-Match"));
    EXPECT_EQ(post.HTTPMethod(), "POST");
    EXPECT_EQ(post.timeoutInterval(), 60.0);
}

TEST_F(ServiceEngine, VersionGivenInTheQueryWinsOverTheHeader)
{
    service->setServiceVersion("2.0");
    auto leading = service->requestForURL(urlOf("https://gdata.example/feeds?v=2"), std::nullopt, std::nullopt);
    EXPECT_FALSE(headerOf(leading, "GData-Version"));
    auto later = service->requestForURL(urlOf("https://gdata.example/feeds?alt=atom&v=2"), std::nullopt, std::nullopt);
    EXPECT_FALSE(headerOf(later, "GData-Version"));
    auto none = service->requestForURL(urlOf("https://gdata.example/feeds?alt=atom&dev=1"), std::nullopt, std::nullopt);
    EXPECT_EQ(headerOf(none, "GData-Version"), "2.0");
}

TEST_F(ServiceEngine, UserAgentNamesTheAppTheLibraryAndTheSystem)
{
    const std::string suffix = " ZantropeVS/1.12 " + deviceModelAndSystemVersion() + " (gzip)";
    const std::string appIdentifier = service->defaultApplicationIdentifier();
    EXPECT_EQ(service->requestUserAgent(), appIdentifier + suffix);
    service->setUserAgent("MyCompany-Placeholder-1.0");
    EXPECT_EQ(service->requestUserAgent(), appIdentifier + suffix);
    service->setUserAgent("Frame Maker (beta)");
    EXPECT_EQ(service->userAgent(), "Frame_Maker_beta");
    EXPECT_EQ(service->requestUserAgent(), "Frame_Maker_beta" + suffix);
    service->setExactUserAgent("framemaker zantropevs/9");
    EXPECT_EQ(service->requestUserAgent(), "framemaker zantropevs/9");
}

TEST_F(ServiceEngine, StandardChunkSizeBecomesOneMebibyteAndOthersStay)
{
    EXPECT_EQ(service->serviceUploadChunkSize(), 0u);
    service->setServiceUploadChunkSize(kVSStandardUploadChunkSize);
    EXPECT_EQ(service->serviceUploadChunkSize(), 1'048'576u);
    service->setServiceUploadChunkSize(10'000);
    EXPECT_EQ(service->serviceUploadChunkSize(), 10'000u);
}

TEST_F(ServiceEngine, ObjectRequestTakesTheEntrysETagAndContentType)
{
    auto entry = VSEntryBase::entry();
    entry->setETag("\"E7\"");
    const auto url = urlOf("https://gdata.example/feeds/api/videos/vid1");
    auto put = service->objectRequestForURL(url, entry, std::nullopt, "PUT", nullptr);
    EXPECT_EQ(headerOf(put, "If-Match"), "\"E7\"");
    EXPECT_EQ(headerOf(put, "Content-Type"), "application/atom+xml; charset=utf-8");
    EXPECT_EQ(headerOf(put, "Accept"), "application/atom+xml, text/xml");
    EXPECT_EQ(headerOf(put, "Cache-Control"), "no-cache");
    auto patch = service->objectRequestForURL(url, entry, std::nullopt, "PATCH", nullptr);
    EXPECT_EQ(headerOf(patch, "Content-Type"), "application/xml; charset=utf-8");
}

TEST_F(ServiceEngine, PasswordIsKeptMaskedAndHandedOutWhole)
{
    service->setUserCredentialsWithUsername("maker", std::string("se\0cret", 7));
    EXPECT_EQ(service->password(), "se");
    service->setUserCredentialsWithUsername("maker", "p@ss");
    EXPECT_EQ(service->password(), "p@ss");
    service->setUserCredentialsWithUsername(std::nullopt, std::nullopt);
    EXPECT_FALSE(service->password());
}

// --- fetching and parsing ---

TEST_F(ServiceEngine, FeedIsParsedOnTheQueueAndDeliveredOnTheMainThread)
{
    service->setServiceSurrogates({{&VSFeedBase::staticClass(), &ThreadNotingFeed::staticClass()}});
    int started = 0;
    int stopped = 0;
    auto startToken = plat::NotificationCenter::defaultCenter().addObserver(
        kVSServiceTicketParsingStartedNotification, nullptr, [&](const plat::Notification&) { ++started; });
    auto stopToken = plat::NotificationCenter::defaultCenter().addObserver(
        kVSServiceTicketParsingStoppedNotification, nullptr, [&](const plat::Notification&) { ++stopped; });
    auto ticket = fetchFeed("/feeds/api/videos?start-index=1&max-results=2", &VSFeedBase::staticClass());
    ASSERT_TRUE(ticket);
    const auto& call = onlyCall();
    EXPECT_TRUE(call.onMainThread);
    EXPECT_EQ(call.ticket, ticket);
    auto feed = std::dynamic_pointer_cast<ThreadNotingFeed>(call.object);
    ASSERT_TRUE(feed);
    EXPECT_FALSE(feed->parsedOnMainThread);
    EXPECT_EQ(feed->entries()->size(), 2u);
    EXPECT_EQ(feed->totalResults(), 5);
    EXPECT_TRUE(feed->propertyForKey("_XMLDocument").has_value());
    EXPECT_EQ(started, 1);
    EXPECT_EQ(stopped, 1);
    EXPECT_TRUE(ticket->hasCalledCallback());
    EXPECT_EQ(ticket->fetchedObject(), call.object);
    EXPECT_FALSE(ticket->currentFetcher());
    EXPECT_EQ(ticket->statusCode(), 200);
}

TEST_F(ServiceEngine, WithoutAQueueTheReplyIsParsedOnTheMainThread)
{
    service->setOperationQueue(nullptr);
    service->setServiceSurrogates({{&VSFeedBase::staticClass(), &ThreadNotingFeed::staticClass()}});
    fetchFeed("/feeds/api/videos", &VSFeedBase::staticClass());
    auto feed = std::dynamic_pointer_cast<ThreadNotingFeed>(onlyCall().object);
    ASSERT_TRUE(feed);
    EXPECT_TRUE(feed->parsedOnMainThread);
}

TEST_F(ServiceEngine, NextLinksAreFollowedIntoOneFeedWithoutANextLink)
{
    service->setServiceShouldFollowNextLinks(true);
    auto ticket = fetchFeed("/feeds/api/videos?start-index=1&max-results=2");
    auto feed = std::dynamic_pointer_cast<VSFeedBase>(onlyCall().object);
    ASSERT_TRUE(feed);
    ASSERT_EQ(feed->entries()->size(), 5u);
    EXPECT_EQ(feed->entries()->at(4)->title()->stringValue(), "Frame study 5");
    EXPECT_EQ(feed->entries()->at(4)->parent(), feed);
    EXPECT_FALSE(feed->nextLink());
    EXPECT_EQ(fake.requestsTo("/feeds/api/videos").size(), 3u);
    EXPECT_EQ(ticket->nextLinksFollowedCounter(), 2u);
}

TEST_F(ServiceEngine, PublicBatchFeedGetsTheNamespacesItLacksOnce)
{
    auto batch = VSFeedBase::feed();
    batch->addNamespaces({{kVSNamespaceBatchPrefix, kVSNamespaceBatch}});
    auto item = VSEntryBase::entry();
    item->setBatchIDWithString("item-1");
    batch->addEntry(item);
    auto ticket = service->fetchPublicFeedWithBatchFeed(
        batch, urlOf(fake.url("/feeds/api/batch")), delegate, finishedSelector());
    ASSERT_TRUE(ticket);
    EXPECT_FALSE(ticket->shouldFeedsIgnoreUnknowns());
    EXPECT_FALSE(onlyCall().error);
    auto post = fake.requestsTo("/feeds/api/batch").front();
    EXPECT_EQ(post.method, "POST");
    EXPECT_NE(post.body.find("xmlns:gd=\"http://schemas.google.com/g/2005\""), std::string::npos);
    size_t batchDeclaration = post.body.find("xmlns:batch=");
    ASSERT_NE(batchDeclaration, std::string::npos);
    EXPECT_EQ(post.body.find("xmlns:batch=", batchDeclaration + 1), std::string::npos);
    EXPECT_NE(post.body.find("<batch:id>item-1</batch:id>"), std::string::npos);
}

TEST_F(ServiceEngine, NextLinkThatCannotBeFetchedEndsTheTicketOnlyOnce)
{
    // The server's next link names a scheme no fetcher can load: the fetch of
    // that page fails before it starts, and the ticket must still call back once.
    plat::test::HTTPTestServer server([](const plat::test::HTTPTestRequest&) {
        return plat::test::HTTPTestReply::withBody(
            200, test::videoFeedXML(1, 2, "ftp://127.0.0.1/feeds/api/videos?start-index=3"), "application/atom+xml");
    });
    service->setServiceShouldFollowNextLinks(true);
    auto ticket = service->fetchPublicFeedWithURL(
        urlOf(server.url("/feeds/api/videos")), nullptr, delegate, finishedSelector());
    ASSERT_TRUE(ticket);
    ASSERT_TRUE(waitForCalls(1));
    plat::RunLoop::main().drain();
    ASSERT_EQ(delegate->calls.size(), 1u);
    EXPECT_TRUE(delegate->calls.front().error);
    EXPECT_FALSE(delegate->calls.front().object);
    EXPECT_TRUE(ticket->hasCalledCallback());
    EXPECT_EQ(server.requestCount(), 1u);
}

TEST_F(ServiceEngine, PasswordForChallengesStaysWithTheRequestedHost)
{
    service->setUserCredentialsWithUsername("maker", "p@ss");
    auto local = fetchFeed("/feeds/api/videos/vid1");
    ASSERT_TRUE(local);
    ASSERT_TRUE(local->objectFetcher()->credential());
    EXPECT_EQ(local->objectFetcher()->credential()->password(), "p@ss");
    ASSERT_TRUE(waitForCalls(1));

    service->setServiceShouldFollowNextLinks(true);
    fake.setNextLinksLeaveHost(true);
    auto paged = fetchFeed("/feeds/api/videos");
    ASSERT_TRUE(waitForCalls(2));
    EXPECT_EQ(paged->nextLinksFollowedCounter(), 2u);
    EXPECT_EQ(paged->objectFetcher()->mutableRequest()->url()->host(), "localhost");
    EXPECT_FALSE(paged->objectFetcher()->credential());
}

TEST_F(ServiceEngine, WithoutFollowingOnlyTheFirstPageComes)
{
    fetchFeed("/feeds/api/videos?start-index=1&max-results=2");
    auto feed = std::dynamic_pointer_cast<VSFeedBase>(onlyCall().object);
    ASSERT_TRUE(feed);
    EXPECT_EQ(feed->entries()->size(), 2u);
    EXPECT_TRUE(feed->nextLink());
    EXPECT_EQ(fake.requestsTo("/feeds/api/videos").size(), 1u);
}

TEST_F(ServiceEngine, FollowingStopsAfterTwentySixMorePages)
{
    service->setServiceShouldFollowNextLinks(true);
    fetchFeed("/feeds/api/endless");
    auto feed = std::dynamic_pointer_cast<VSFeedBase>(onlyCall().object);
    ASSERT_TRUE(feed);
    EXPECT_EQ(fake.requestsTo("/feeds/api/endless").size(), 27u);
    EXPECT_EQ(feed->entries()->size(), 27u);
}

TEST_F(ServiceEngine, EmptySuccessBodyDeliversNeitherObjectNorError)
{
    fetchFeed("/feeds/api/empty");
    const auto& call = onlyCall();
    EXPECT_FALSE(call.object);
    EXPECT_FALSE(call.error);
}

TEST_F(ServiceEngine, EntryIsParsedInTheClassOfItsKind)
{
    service->fetchPublicEntryWithURL(urlOf(fake.url("/feeds/api/videos/vid1")), nullptr,
        [&](const VSServiceTicketPtr& ticket, const VSObjectPtr& object, const std::optional<plat::Error>& error) {
            delegate->ticketFinished(ticket, object, error);
        });
    const auto& call = onlyCall();
    ASSERT_TRUE(call.object);
    EXPECT_STREQ(call.object->objectClass().name, "VSEntryYouTubeVideo");
    EXPECT_EQ(std::dynamic_pointer_cast<VSEntryBase>(call.object)->ETag(), "W/\"A0cHQn47eCp7I2A9WhFXEE8.\"");
}

TEST_F(ServiceEngine, BothDelegateAndHandlerAreCalledSelectorFirst)
{
    std::vector<std::string> order;
    auto recorder = std::make_shared<test::RecordingDelegate>();
    auto ticket = service->fetchObjectWithURL(
        urlOf(fake.url("/feeds/api/videos")), nullptr, nullptr, std::nullopt, std::nullopt, recorder,
        VSFinishedSelector([&](SelectorTarget&, const VSServiceTicketPtr&, const VSObjectPtr&,
                               const std::optional<plat::Error>&) { order.push_back("selector"); }),
        [&](const VSServiceTicketPtr&, const VSObjectPtr&, const std::optional<plat::Error>&) {
            order.push_back("handler");
        },
        {}, nullptr);
    ASSERT_TRUE(ticket);
    ASSERT_TRUE(plat::test::runMainLoopUntil([&] { return order.size() >= 2; }));
    EXPECT_EQ(order, (std::vector<std::string> {"selector", "handler"}));
}

TEST_F(ServiceEngine, NoURLAndNoUploadLocationStartsNothing)
{
    EXPECT_FALSE(service->fetchObjectWithURL(std::nullopt, nullptr, nullptr, std::nullopt, std::nullopt, delegate,
        finishedSelector(), nullptr, {}, nullptr));
    plat::RunLoop::main().drain();
    EXPECT_TRUE(delegate->calls.empty());
}

// --- replies that are not what was asked for ---

TEST_F(ServiceEngine, MalformedXMLIsTheParsersError)
{
    fetchFeed("/feeds/api/malformed");
    const auto& call = onlyCall();
    EXPECT_FALSE(call.object);
    ASSERT_TRUE(call.error);
    EXPECT_EQ(call.error->domain(), kVSXMLErrorDomain);
    EXPECT_EQ(call.ticket->fetchError()->domain(), kVSXMLErrorDomain);
    EXPECT_FALSE(call.ticket->fetchedObject());
}

TEST_F(ServiceEngine, ReplyLargerThanTheParserTakesIsNotDownloaded)
{
    fetchFeed("/feeds/api/oversized");
    const auto& call = onlyCall();
    EXPECT_FALSE(call.object);
    ASSERT_TRUE(call.error);
    EXPECT_EQ(call.error->code(), plat::kURLErrorDataLengthExceedsMaximum);
}

TEST_F(ServiceEngine, JSONReplyIsTheParsersError)
{
    fetchFeed("/feeds/api/json");
    const auto& call = onlyCall();
    EXPECT_FALSE(call.object);
    ASSERT_TRUE(call.error);
    EXPECT_EQ(call.error->domain(), kVSXMLErrorDomain);
}

TEST_F(ServiceEngine, WellFormedPageOfAnotherVocabularyIsCode100)
{
    fetchFeed("/feeds/api/html");
    const auto& call = onlyCall();
    EXPECT_FALSE(call.object);
    ASSERT_TRUE(call.error);
    EXPECT_EQ(call.error->domain(), kVSServiceErrorDomain);
    EXPECT_EQ(call.error->code(), kVSServiceErrorParsingFailed);
}

TEST_F(ServiceEngine, ErrorDocumentWithSuccessStatusIsCode100)
{
    fetchFeed("/feeds/api/wrongroot");
    const auto& call = onlyCall();
    ASSERT_TRUE(call.error);
    EXPECT_EQ(call.error->code(), kVSServiceErrorParsingFailed);
}

TEST_F(ServiceEngine, FeedWhereAnEntryWasExpectedIsCode100)
{
    service->fetchPublicEntryWithURL(
        urlOf(fake.url("/feeds/api/videos")), &VSEntryBase::staticClass(), delegate, finishedSelector());
    const auto& call = onlyCall();
    EXPECT_FALSE(call.object);
    ASSERT_TRUE(call.error);
    EXPECT_EQ(call.error->code(), kVSServiceErrorParsingFailed);
}

TEST_F(ServiceEngine, ErrorDocumentReplyCarriesTheServerErrors)
{
    fetchFeed("/feeds/api/error");
    const auto& call = onlyCall();
    ASSERT_TRUE(call.error);
    EXPECT_EQ(call.error->domain(), kWSHTTPFetcherStatusDomain);
    EXPECT_EQ(call.error->code(), 400);
    const auto& info = call.error->userInfo();
    auto records = info.getArray(kVSServerErrorsKey);
    ASSERT_TRUE(records);
    ASSERT_EQ(records->count(), 2u);
    EXPECT_EQ(records->at(1).asDictionary()->getString("code"), "too_many_recent_calls");
    EXPECT_EQ(info.getString(kVSErrorTextKey), "yt:validation error too_long: \"Title is too long\"");
    EXPECT_EQ(
        info.getString(plat::kLocalizedFailureReasonErrorKey), "(yt:validation error too_long: \"Title is too long\")");
    EXPECT_EQ(call.ticket->fetchError()->code(), 400);
}

TEST_F(ServiceEngine, UnexpectedStatusIsAStatusError)
{
    fetchFeed("/feeds/api/teapot");
    const auto& call = onlyCall();
    EXPECT_FALSE(call.object);
    ASSERT_TRUE(call.error);
    EXPECT_EQ(call.error->domain(), kWSHTTPFetcherStatusDomain);
    EXPECT_EQ(call.error->code(), 418);
    auto body = call.error->userInfo().getData(kWSHTTPFetcherStatusDataKey);
    ASSERT_TRUE(body);
    EXPECT_EQ(test::textOf(*body), "short and stout");
}

TEST(ServiceErrorUserInfo, PlainTextBodyBecomesTheMessageWhenNothingElseIsKnown)
{
    const std::string body = "Quota exceeded";
    auto info = VSServiceBase::userInfoForErrorResponseData(
        plat::Data(body.begin(), body.end()), "text/plain", plat::Dictionary());
    EXPECT_EQ(info.getString(kVSErrorTextKey), "Quota exceeded");
    EXPECT_EQ(info.getString(plat::kLocalizedFailureReasonErrorKey), "(Quota exceeded)");
    const std::string invalid = "\xff\xfe bad";
    auto binary = VSServiceBase::userInfoForErrorResponseData(
        plat::Data(invalid.begin(), invalid.end()), "text/plain", plat::Dictionary());
    EXPECT_TRUE(binary.empty());
}

TEST(ServiceErrorUserInfo, ErrorContentTypeWithBrokenXMLKeepsThePreviousInfo)
{
    const std::string body = "<errors><error>";
    auto info = VSServiceBase::userInfoForErrorResponseData(plat::Data(body.begin(), body.end()),
        "Application/vnd.google.gdata.error+xml; charset=UTF-8", plat::Dictionary {{"data", "kept"}});
    EXPECT_EQ(info.getString("data"), "kept");
    EXPECT_FALSE(info.contains(kVSServerErrorsKey));
    EXPECT_FALSE(info.contains(kVSErrorTextKey));
}

// --- retries and waiting ---

TEST_F(ServiceEngine, TransientFailureIsRetriedOnTheClockAfterAskingTheDelegate)
{
    fake.failFlakyFeed(1);
    service->setServiceRetryEnabled(true);
    service->setServiceRetrySelector(&test::RecordingDelegate::ticketShouldRetry);
    size_t retryDelays = 0;
    auto token = plat::NotificationCenter::defaultCenter().addObserver(
        kWSHTTPFetcherRetryDelayStartedNotification, nullptr, [&](const plat::Notification&) { ++retryDelays; });
    fetchFeed("/feeds/api/flaky");
    ASSERT_TRUE(plat::test::runMainLoopUntil([&] { return retryDelays >= 1; }));
    EXPECT_TRUE(delegate->calls.empty());
    ASSERT_EQ(delegate->retryQuestions.size(), 1u);
    EXPECT_EQ(delegate->retryQuestions[0], std::make_pair(true, int64_t(503)));
    clock.advance(2.0);  // the first back-off lies between 1 and 2 seconds
    const auto& call = onlyCall();
    EXPECT_FALSE(call.error);
    EXPECT_TRUE(call.object);
    EXPECT_EQ(fake.requestsTo("/feeds/api/flaky").size(), 2u);
}

TEST_F(ServiceEngine, DelegateCanRefuseARetry)
{
    fake.failFlakyFeed(1);
    service->setServiceRetryEnabled(true);
    service->setServiceRetrySelector(&test::RecordingDelegate::ticketShouldRetry);
    delegate->answerToRetry = false;
    fetchFeed("/feeds/api/flaky");
    const auto& call = onlyCall();
    ASSERT_TRUE(call.error);
    EXPECT_EQ(call.error->code(), 503);
    EXPECT_EQ(fake.requestsTo("/feeds/api/flaky").size(), 1u);
}

TEST_F(ServiceEngine, WaitingRunsOutOnTheClockWithCode101)
{
    auto ticket = fetchFeed("/feeds/api/stall");
    ASSERT_TRUE(ticket);
    VSObjectPtr object;
    std::optional<plat::Error> error;
    EXPECT_FALSE(service->waitForTicket(ticket, 5.0, &object, &error));
    ASSERT_TRUE(error);
    EXPECT_EQ(error->domain(), kVSServiceErrorDomain);
    EXPECT_EQ(error->code(), kVSServiceErrorWaitTimedOut);
    EXPECT_FALSE(ticket->hasCalledCallback());
    ticket->cancelTicket();
    fake.server.release();
}

TEST_F(ServiceEngine, WaitingForAnEndedTicketHandsOutItsObject)
{
    auto ticket = fetchFeed("/feeds/api/videos");
    ASSERT_TRUE(waitForCalls(1));
    VSObjectPtr object;
    std::optional<plat::Error> error;
    EXPECT_TRUE(service->waitForTicket(ticket, 1.0, &object, &error));
    EXPECT_FALSE(error);
    EXPECT_EQ(object, delegate->calls.front().object);
}

}  // namespace
}  // namespace zt
