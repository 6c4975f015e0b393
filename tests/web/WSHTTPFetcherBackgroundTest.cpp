#include <gtest/gtest.h>

#include "WebTestSupport.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/net/URLConnection.h"
#include "platform/ui/Application.h"

using plat::test::HTTPTestReply;
using plat::test::HTTPTestRequest;
using plat::test::HTTPTestServer;
using zt::WSHTTPFetcher;

namespace {

// Fetches with the application object in a known state: in the foreground,
// with no background tasks.
class BackgroundFetch : public zt::test::FetcherTest {
protected:
    void SetUp() override { app.resetForTesting(); }
    void TearDown() override
    {
        app.resetForTesting();
        FetcherTest::TearDown();
    }

    plat::Application& app = plat::Application::sharedApplication();
};

// Every fetcher begun in the scope makes its connection with the given maker.
class ConnectionClassScope {
public:
    explicit ConnectionClassScope(WSHTTPFetcher::ConnectionClass connectionClass)
    {
        WSHTTPFetcher::setConnectionClass(std::move(connectionClass));
    }
    ~ConnectionClassScope() { WSHTTPFetcher::setConnectionClass(nullptr); }
    ConnectionClassScope(const ConnectionClassScope&) = delete;
    ConnectionClassScope& operator=(const ConnectionClassScope&) = delete;
};

HTTPTestReply silence(const HTTPTestRequest&)
{
    HTTPTestReply reply;
    reply.delivery = HTTPTestReply::Delivery::StallBeforeHead;
    return reply;
}

}  // namespace

TEST_F(BackgroundFetch, AFetchStillRunningWhenTheBackgroundTimeRunsOutEndsWithItsOwnError)
{
    HTTPTestServer server(silence);
    auto fetcher = WSHTTPFetcher::fetcherWithURLString(server.url("/slow"));
    fetcher->mutableRequest()->setTimeoutInterval(600);
    fetcher->setShouldFetchInBackground(true);
    size_t stops = 0;
    auto token = plat::NotificationCenter::defaultCenter().addObserver(
        zt::kWSHTTPFetcherStoppedNotification, nullptr, [&](const plat::Notification&) { ++stops; });
    auto outcome = begin(fetcher);
    EXPECT_EQ(app.backgroundTaskCount(), 1u);
    ASSERT_TRUE(plat::test::runMainLoopUntil([&] { return server.requestCount() >= 1; }));
    app.enterBackground();
    // The system allows 180 s in the background.
    clock.advance(179.9);
    EXPECT_FALSE(outcome->finished);
    clock.advance(0.2);
    ASSERT_TRUE(outcome->finished);
    ASSERT_TRUE(outcome->error);
    EXPECT_EQ(outcome->error->domain(), zt::kWSHTTPFetcherErrorDomain);
    EXPECT_EQ(outcome->error->code(), zt::kWSHTTPFetcherErrorBackgroundExpiration);
    EXPECT_FALSE(outcome->data);
    EXPECT_FALSE(fetcher->isFetching());
    EXPECT_FALSE(fetcher->completionBlock());
    EXPECT_EQ(stops, 1u);
    EXPECT_EQ(app.backgroundTaskCount(), 0u);
    server.release();
}

TEST_F(BackgroundFetch, AFetchThatEndsInTimeEndsItsTaskAndOnlyFetchesAskedToRunInTheBackgroundBeginOne)
{
    HTTPTestServer server([](const HTTPTestRequest&) { return HTTPTestReply::withBody(200, "done"); });
    auto background = WSHTTPFetcher::fetcherWithURLString(server.url("/a"));
    background->setShouldFetchInBackground(true);
    auto outcome = begin(background);
    EXPECT_EQ(app.backgroundTaskCount(), 1u);
    ASSERT_TRUE(plat::test::runMainLoopUntil([&] { return outcome->finished; }));
    EXPECT_FALSE(outcome->error);
    EXPECT_EQ(app.backgroundTaskCount(), 0u);

    auto foreground = WSHTTPFetcher::fetcherWithURLString(server.url("/b"));
    auto plain = begin(foreground);
    EXPECT_EQ(app.backgroundTaskCount(), 0u);
    ASSERT_TRUE(plat::test::runMainLoopUntil([&] { return plain->finished; }));
    app.enterBackground();
    clock.advance(180.0);  // the background time runs out
    EXPECT_FALSE(plain->error);
}

TEST_F(BackgroundFetch, StoppingAFetchEndsItsTask)
{
    HTTPTestServer server(silence);
    auto fetcher = WSHTTPFetcher::fetcherWithURLString(server.url("/slow"));
    fetcher->setShouldFetchInBackground(true);
    auto outcome = begin(fetcher);
    EXPECT_EQ(app.backgroundTaskCount(), 1u);
    fetcher->stopFetching();
    EXPECT_EQ(app.backgroundTaskCount(), 0u);
    app.enterBackground();
    clock.advance(180.0);  // the background time runs out
    EXPECT_FALSE(outcome->finished);
    server.release();
}

TEST_F(BackgroundFetch, TheChosenConnectionClassMakesEveryConnectionUntilItIsCleared)
{
    HTTPTestServer server([](const HTTPTestRequest&) { return HTTPTestReply::withBody(200, "made"); });
    std::vector<std::string> made;
    {
        ConnectionClassScope scope(
            [&](const plat::URLRequest& request, std::shared_ptr<plat::URLConnectionDelegate> delegate) {
                made.push_back(request.url()->path());
                return plat::URLConnection::create(request, std::move(delegate), /*startImmediately=*/false);
            });
        EXPECT_EQ(fetch(WSHTTPFetcher::fetcherWithURLString(server.url("/a")))->text(), "made");
    }
    EXPECT_EQ(fetch(WSHTTPFetcher::fetcherWithURLString(server.url("/b")))->text(), "made");
    EXPECT_EQ(made, (std::vector<std::string> {"/a"}));
}

TEST_F(BackgroundFetch, AConnectionClassThatMakesNoConnectionFailsTheBeginning)
{
    ConnectionClassScope scope([](const plat::URLRequest&, std::shared_ptr<plat::URLConnectionDelegate>) {
        return std::shared_ptr<plat::URLConnection>();
    });
    auto fetcher = WSHTTPFetcher::fetcherWithURLString("http://127.0.0.1:9/never");
    fetcher->setShouldFetchInBackground(true);
    std::optional<plat::Error> error;
    EXPECT_FALSE(fetcher->beginFetchWithCompletionHandler([&](const auto&, const auto& failure) { error = failure; }));
    ASSERT_TRUE(error);
    EXPECT_EQ(error->domain(), zt::kWSHTTPFetcherErrorDomain);
    EXPECT_EQ(error->code(), zt::kWSHTTPFetcherErrorDownloadFailed);
    EXPECT_FALSE(fetcher->isFetching());
    EXPECT_EQ(app.backgroundTaskCount(), 0u);
}
