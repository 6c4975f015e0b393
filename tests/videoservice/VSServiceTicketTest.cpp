#include <chrono>
#include <semaphore>

#include "ServiceTestSupport.h"
#include "platform/foundation/DispatchQueue.h"
#include "videoservice/VSEntryBase.h"
#include "videoservice/VSFeedBase.h"
#include "videoservice/VSNamespaces.h"
#include "videoservice/VSParseOperation.h"
#include "videoservice/VSServiceTicket.h"

namespace zt {

// A feed whose parse waits until the test lets it go on.
class GatedFeed : public VSFeedBase {
    VS_DECLARE_CLASS(GatedFeed)

public:
    static std::binary_semaphore& entered()
    {
        static std::binary_semaphore semaphore {0};
        return semaphore;
    }
    static std::binary_semaphore& released()
    {
        static std::binary_semaphore semaphore {0};
        return semaphore;
    }
    void initFeedWithXMLElement(const VSXMLElementPtr&) override
    {
        entered().release();
        // A generous bound: the test releases it at once, and a hang must not outlive the test.
        (void)released().try_acquire_for(std::chrono::seconds(30));
    }
};
VS_DEFINE_CLASS(GatedFeed, VSFeedBase, kVSNamespaceAtom, kVSNamespaceAtomPrefix, "feed")

namespace {

using test::finishedSelector;
using test::urlOf;

class ServiceTicket : public test::ServiceTest {
protected:
    std::shared_ptr<VSServiceBase> service = VSServiceBase::service();
};

TEST_F(ServiceTicket, CancelledWhileItsReplyIsParsedCallsNothingBack)
{
    auto queue = plat::DispatchQueue::create("test.parse");
    service->setOperationQueue(queue);
    service->setServiceSurrogates({{&VSFeedBase::staticClass(), &GatedFeed::staticClass()}});
    std::weak_ptr<VSServiceBase> weakService = service;
    auto ticket = service->fetchPublicFeedWithURL(
        urlOf(fake.url("/feeds/api/videos")), &VSFeedBase::staticClass(), delegate, finishedSelector());
    ASSERT_TRUE(ticket);
    ASSERT_TRUE(plat::test::runMainLoopUntil([&] { return ticket->parseOperation() != nullptr; }));
    auto operation = ticket->parseOperation();
    ASSERT_TRUE(GatedFeed::entered().try_acquire_for(std::chrono::seconds(30)));
    ticket->cancelTicket();
    GatedFeed::released().release();
    queue->sync([] {});  // the parse has ended
    plat::RunLoop::main().drain();
    EXPECT_TRUE(operation->isCancelled());
    EXPECT_FALSE(ticket->parseOperation());
    EXPECT_TRUE(delegate->calls.empty());
    EXPECT_FALSE(ticket->hasCalledCallback());
    EXPECT_FALSE(ticket->service());
    service.reset();
    EXPECT_TRUE(weakService.expired());
}

TEST_F(ServiceTicket, CancelledBeforeTheReplyStopsTheFetch)
{
    auto ticket
        = service->fetchPublicFeedWithURL(urlOf(fake.url("/feeds/api/stall")), nullptr, delegate, finishedSelector());
    ASSERT_TRUE(plat::test::runMainLoopUntil([&] { return fake.requestsTo("/feeds/api/stall").size() >= 1; }));
    auto fetcher = ticket->objectFetcher();
    ticket->cancelTicket();
    EXPECT_FALSE(fetcher->isFetching());
    EXPECT_FALSE(fetcher->properties());
    EXPECT_FALSE(ticket->objectFetcher());
    fake.server.release();
    plat::RunLoop::main().drain();
    EXPECT_TRUE(delegate->calls.empty());
}

TEST_F(ServiceTicket, OutcomeIsKeptOnTheTicket)
{
    auto good
        = service->fetchPublicFeedWithURL(urlOf(fake.url("/feeds/api/videos")), nullptr, delegate, finishedSelector());
    auto bad
        = service->fetchPublicFeedWithURL(urlOf(fake.url("/feeds/api/teapot")), nullptr, delegate, finishedSelector());
    ASSERT_TRUE(waitForCalls(2));
    EXPECT_TRUE(good->fetchedObject());
    EXPECT_FALSE(good->fetchError());
    EXPECT_FALSE(bad->fetchedObject());
    ASSERT_TRUE(bad->fetchError());
    EXPECT_EQ(bad->fetchError()->code(), 418);
    EXPECT_EQ(bad->statusCode(), 418);
}

TEST_F(ServiceTicket, PauseOnAPlainFetchDoesNothing)
{
    auto ticket
        = service->fetchPublicFeedWithURL(urlOf(fake.url("/feeds/api/videos")), nullptr, delegate, finishedSelector());
    ticket->pauseUpload();
    EXPECT_FALSE(ticket->isUploadPaused());
    ASSERT_TRUE(waitForCalls(1));
    EXPECT_FALSE(delegate->calls.front().error);
}

TEST_F(ServiceTicket, ProgressCallbackSetLaterReachesTheRunningFetcher)
{
    auto ticket
        = service->fetchPublicFeedWithURL(urlOf(fake.url("/feeds/api/stall")), nullptr, delegate, finishedSelector());
    ASSERT_TRUE(ticket);
    EXPECT_FALSE(ticket->objectFetcher()->sentDataSelector());
    ticket->setUploadProgressSelector(&test::RecordingDelegate::ticketProgress);
    EXPECT_TRUE(ticket->objectFetcher()->sentDataSelector().respondsTo(*service));
    ticket->cancelTicket();
    fake.server.release();
}

TEST_F(ServiceTicket, SettingsAreCopiedWhenTheTicketIsMade)
{
    service->setServiceShouldFollowNextLinks(true);
    service->setServiceProperty(std::string("gallery"), "screen");
    service->setServiceMaxRetryInterval(30);
    auto ticket = VSServiceTicketBase::ticketForService(service);
    service->setServiceShouldFollowNextLinks(false);
    service->setServiceProperty(std::any(), "screen");
    EXPECT_TRUE(ticket->shouldFollowNextLinks());
    EXPECT_EQ(std::any_cast<std::string>(ticket->propertyForKey("screen")), "gallery");
    EXPECT_EQ(ticket->maxRetryInterval(), 30);
    ticket->setProperty(std::any(), "screen");
    EXPECT_FALSE(ticket->propertyForKey("screen").has_value());
}

TEST(ServiceTicketFeeds, LaterPagesGiveTheirEntriesToTheFirst)
{
    auto service = VSServiceBase::service();
    auto ticket = VSServiceTicketBase::ticketForService(service);
    auto first = VSFeedBase::feed();
    first->addEntry(VSEntryBase::entry());
    auto second = VSFeedBase::feed();
    auto moved = VSEntryBase::entry();
    moved->setTitleWithString("page two");
    second->addEntry(moved);
    second->addEntry(VSEntryBase::entry());
    ticket->accumulateFeed(first);
    ticket->accumulateFeed(second);
    EXPECT_EQ(ticket->accumulatedFeed(), first);
    ASSERT_EQ(first->entries()->size(), 3u);
    EXPECT_EQ(first->entries()->at(1), moved);
    EXPECT_EQ(moved->parent(), first);
}

TEST(ServiceTicketOrigin, OnlyTheSameHostPortAndSecurityCount)
{
    auto ticket = VSServiceTicketBase::ticketForService(VSServiceBase::service());
    EXPECT_TRUE(ticket->isWithinOrigin(urlOf("https://elsewhere.example/")));
    ticket->setOriginURL(urlOf("https://gdata.example/feeds/api/videos"));
    EXPECT_TRUE(ticket->isWithinOrigin(urlOf("https://GDATA.example:443/feeds/api/videos?start-index=3")));
    EXPECT_FALSE(ticket->isWithinOrigin(urlOf("https://gdata.example.evil/feeds")));
    EXPECT_FALSE(ticket->isWithinOrigin(urlOf("https://gdata.example:8443/feeds")));
    EXPECT_FALSE(ticket->isWithinOrigin(urlOf("http://gdata.example/feeds")));
}

TEST(ServiceTicketDescription, NamesTheClassServiceAndFetcher)
{
    auto ticket = VSServiceTicketBase::ticketForService(VSServiceBase::service());
    const std::string text = ticket->description();
    EXPECT_EQ(text.rfind("VSServiceTicketBase 0x", 0), 0u) << text;
    EXPECT_NE(text.find("{service:VSServiceBase currentFetcher:(null) userData:(null)}"), std::string::npos) << text;
}

}  // namespace
}  // namespace zt
