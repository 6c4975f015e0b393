#include <gtest/gtest.h>

#include "WebTestSupport.h"
#include "platform/foundation/RunLoop.h"
#include "web/WSCookieStorage.h"
#include "web/WSHTTPFetchHistory.h"
#include "web/WSHTTPFetcherService.h"
#include "web/WSURLCache.h"

using plat::test::HTTPTestReply;
using plat::test::HTTPTestRequest;
using plat::test::HTTPTestServer;
using zt::WSHTTPFetcher;

namespace {

class FetcherService : public zt::test::FetcherTest {
protected:
    std::shared_ptr<zt::WSHTTPFetcherService> service = std::make_shared<zt::WSHTTPFetcherService>();
};

plat::HTTPCookie cookie(std::string name, std::string domain, std::string path = "/", bool secure = false,
    std::optional<plat::Date> expires = std::nullopt)
{
    plat::HTTPCookie::Properties properties;
    properties.name = std::move(name);
    properties.value = "v";
    properties.domain = std::move(domain);
    properties.path = std::move(path);
    properties.secure = secure;
    properties.expiresDate = expires;
    return plat::HTTPCookie(properties);
}

plat::URL url(const char* text)
{
    return *plat::URL::URLWithString(text);
}

}  // namespace

TEST_F(FetcherService, GivesItsSettingsToNewFetchers)
{
    service->setUserAgent("Zantrope/1.0");
    service->setTimeout(15);
    service->setCredential(plat::URLCredential::credentialWithUser("u", "p"));
    auto fetcher = service->fetcherWithURLString("http://127.0.0.1/x");
    EXPECT_EQ(fetcher->mutableRequest()->valueForHTTPHeaderField("User-Agent"), "Zantrope/1.0");
    EXPECT_EQ(fetcher->mutableRequest()->timeoutInterval(), 15);
    EXPECT_EQ(fetcher->cookieStorageMethod(), zt::kWSHTTPFetcherCookieStorageMethodFetchHistory);
    EXPECT_EQ(fetcher->cookieStorage(), service->fetchHistory()->cookieStorage());
    EXPECT_EQ(fetcher->credential()->user(), "u");
    EXPECT_EQ(fetcher->service().get(), service.get());
}

TEST_F(FetcherService, AdmitsALimitedNumberPerHostAndStartsTheLowestPriorityNext)
{
    // No reply comes, so once the server has a request its connection hears
    // nothing more: were a reply to reach the main queue while the clock is
    // being moved, it would count as progress at the later time and put the
    // time-out off.
    HTTPTestServer server([](const HTTPTestRequest&) {
        HTTPTestReply reply;
        reply.delivery = HTTPTestReply::Delivery::StallBeforeHead;
        return reply;
    });
    service->setMaxRunningFetchersPerHost(1);
    std::vector<std::string> finishedOrder;
    std::vector<std::shared_ptr<WSHTTPFetcher>> fetchers;
    for (auto [path, priority] :
        std::vector<std::pair<std::string, int64_t>> {{"/first", 0}, {"/late", 5}, {"/urgent", -1}, {"/early", 5}}) {
        auto fetcher = service->fetcherWithURLString(server.url(path));
        fetcher->setServicePriority(priority);
        fetcher->beginFetchWithCompletionHandler(
            [&finishedOrder, path](const auto&, const auto&) { finishedOrder.push_back(path); });
        fetchers.push_back(fetcher);
    }
    EXPECT_EQ(service->numberOfRunningFetchers(), 1u);
    EXPECT_EQ(service->numberOfDelayedFetchers(), 3u);
    EXPECT_TRUE(fetchers[3]->isFetching());
    // Each fetch ends when it times out, and the next is let in.
    for (int i = 0; i < 4; ++i) {
        ASSERT_TRUE(plat::test::runMainLoopUntil([&] { return server.requestCount() >= static_cast<size_t>(i + 1); }));
        ASSERT_EQ(server.requestCount(), static_cast<size_t>(i + 1));
        clock.advance(60);
    }
    EXPECT_EQ(finishedOrder, (std::vector<std::string> {"/first", "/urgent", "/late", "/early"}));
    EXPECT_EQ(service->numberOfFetchers(), 0u);
    server.release();
}

TEST_F(FetcherService, FetcherStoppedWhileWaitingNeverStarts)
{
    HTTPTestServer server([](const HTTPTestRequest&) {
        HTTPTestReply reply;
        reply.delivery = HTTPTestReply::Delivery::StallBeforeHead;
        return reply;
    });
    service->setMaxRunningFetchersPerHost(1);
    auto running = service->fetcherWithURLString(server.url("/a"));
    auto waiting = service->fetcherWithURLString(server.url("/b"));
    bool waitingFinished = false;
    running->beginFetchWithCompletionHandler([](const auto&, const auto&) {});
    waiting->beginFetchWithCompletionHandler([&](const auto&, const auto&) { waitingFinished = true; });
    waiting->stopFetching();
    EXPECT_EQ(service->numberOfDelayedFetchers(), 0u);
    running->stopFetching();
    server.release();
    plat::RunLoop::main().drain();
    EXPECT_FALSE(waitingFinished);
    EXPECT_EQ(service->numberOfFetchers(), 0u);
    EXPECT_LE(server.requestCount(), 1u);
}

TEST_F(FetcherService, ZeroLimitAndHostlessRequestsAreNeverDelayed)
{
    service->setMaxRunningFetchersPerHost(0);
    auto fetcher = WSHTTPFetcher::fetcherWithURLString("http://127.0.0.1:1/");
    for (int i = 0; i < 20; ++i)
        EXPECT_TRUE(service->fetcherShouldBeginFetching(WSHTTPFetcher::fetcherWithURLString("http://127.0.0.1:1/")));
    service->setMaxRunningFetchersPerHost(1);
    EXPECT_TRUE(service->fetcherShouldBeginFetching(WSHTTPFetcher::fetcherWithURLString("file:///tmp/x")));
}

TEST(WSCookieStorageRules, DomainMustMatchByLabelNotBySuffix)
{
    zt::WSCookieStorage storage;
    storage.setCookies({cookie("a", "example.com"), cookie("b", ".example.com")});
    auto forBad = storage.cookiesForURL(url("http://badexample.com/"));
    EXPECT_FALSE(forBad);
    auto forSub = storage.cookiesForURL(url("http://www.example.com/"));
    ASSERT_TRUE(forSub);
    ASSERT_EQ(forSub->size(), 1u);
    EXPECT_EQ(forSub->at(0).name(), "b");
    EXPECT_EQ(storage.cookiesForURL(url("http://example.com/"))->size(), 2u);
}

TEST(WSCookieStorageRules, PathSecureAndLocalhost)
{
    zt::WSCookieStorage storage;
    storage.setCookies({cookie("path", "example.com", "/account"), cookie("secure", "example.com", "/", true),
        cookie("local", "localhost.local")});
    EXPECT_EQ(storage.cookiesForURL(url("http://example.com/accounts/x"))->at(0).name(), "path");
    EXPECT_EQ(storage.cookiesForURL(url("https://example.com/"))->at(0).name(), "secure");
    EXPECT_FALSE(storage.cookiesForURL(url("http://example.com/")));
    EXPECT_EQ(storage.cookiesForURL(url("http://localhost/"))->at(0).name(), "local");
}

TEST(WSCookieStorageRules, ExpiredCookieDeletesItsTwinAndIncompleteOnesAreRefused)
{
    zt::WSCookieStorage storage;
    storage.setCookies({cookie("a", "example.com"), cookie("", "example.com")});
    EXPECT_EQ(storage.cookies().size(), 1u);
    storage.setCookies({cookie("a", "example.com", "/", false, plat::Date::now().addingTimeInterval(-1))});
    EXPECT_TRUE(storage.cookies().empty());
}

TEST(WSURLCacheRules, BodyAsLargeAsTheCapacityIsNotKeptAndDropsTheOldEntry)
{
    zt::WSURLCache cache(100);
    plat::URLRequest request(plat::URL::URLWithString("http://h/a"));
    auto response = std::make_shared<plat::URLResponse>(*request.url(), 200, plat::HTTPHeaders {{"Etag", "x"}});
    cache.storeCachedResponse(std::make_shared<zt::WSCachedURLResponse>(response, plat::Data(99)), request);
    EXPECT_EQ(cache.totalDataSize(), 99u);
    cache.storeCachedResponse(std::make_shared<zt::WSCachedURLResponse>(response, plat::Data(100)), request);
    EXPECT_FALSE(cache.cachedResponseForRequest(request));
    EXPECT_EQ(cache.totalDataSize(), 0u);
}

TEST(WSURLCacheRules, EntriesThatKeepOnlyAnETagArePrunedOldestFirst)
{
    // Remembering ETags without bodies still keeps a response per URL: the
    // cache must not grow with every URL ever fetched.
    plat::test::ManualClockScope clock;
    zt::WSHTTPFetchHistory history(2000, /*shouldCacheETaggedData=*/false);
    history.setShouldRememberETags(true);
    std::vector<plat::URLRequest> requests;
    for (int i = 0; i < 200; ++i) {
        plat::URLRequest request(plat::URL::URLWithString("http://h/feeds/" + std::to_string(i)));
        auto response = std::make_shared<plat::URLResponse>(*request.url(), 200,
            plat::HTTPHeaders {
                {"Etag", "\"etag-" + std::to_string(i) + "\""}, {"Content-Type", "application/atom+xml"}});
        history.updateFetchHistoryWithRequest(request, response, plat::Data(100, 'x'));
        requests.push_back(request);
        clock.advance(1);
    }
    const auto& cache = *history.etaggedDataCache();
    EXPECT_LT(cache.responses().size(), 200u);
    EXPECT_GT(cache.responses().size(), 10u);
    EXPECT_EQ(cache.totalDataSize(), 0u);
    EXPECT_EQ(history.cachedETagForRequest(requests.back()), "\"etag-199\"");
    EXPECT_FALSE(history.cachedETagForRequest(requests.front()));
}

TEST(WSURLCacheRules, ReservedEntriesSurvivePruningForTheReservationInterval)
{
    plat::test::ManualClockScope clock;
    zt::WSHTTPFetchHistory history(100, /*shouldCacheETaggedData=*/true);
    auto store = [&](const char* path) {
        plat::URLRequest request(plat::URL::URLWithString(std::string("http://h") + path));
        auto response = std::make_shared<plat::URLResponse>(*request.url(), 200, plat::HTTPHeaders {{"Etag", path}});
        history.updateFetchHistoryWithRequest(request, response, plat::Data(60));
        return request;
    };
    plat::URLRequest a = store("/a");
    plat::URLRequest conditional = a;
    history.updateRequest(conditional, /*isHTTPGet=*/true);  // reserves /a
    EXPECT_EQ(conditional.valueForHTTPHeaderField("If-None-Match"), "/a");
    clock.advance(1);
    plat::URLRequest b = store("/b");  // over capacity: /a is older but reserved, so /b goes
    EXPECT_TRUE(history.etaggedDataCache()->cachedResponseForRequest(a));
    EXPECT_FALSE(history.etaggedDataCache()->cachedResponseForRequest(b));
    clock.advance(60);
    store("/c");
    EXPECT_FALSE(history.etaggedDataCache()->cachedResponseForRequest(a));
}

TEST(FetchHistoryRules, CallersConditionWinsAndStatusesDecideWhatIsKept)
{
    zt::WSHTTPFetchHistory history(1000, /*shouldCacheETaggedData=*/true);
    plat::URLRequest request(plat::URL::URLWithString("http://h/feed"));
    auto respond = [&](int64_t status, plat::HTTPHeaders headers) {
        history.updateFetchHistoryWithRequest(
            request, std::make_shared<plat::URLResponse>(*request.url(), status, headers), plat::Data {'x'});
    };
    respond(200, {{"Etag", "e1"}});
    respond(304, {});
    EXPECT_EQ(history.cachedETagForRequest(request), "e1");
    respond(404, {});
    EXPECT_FALSE(history.cachedETagForRequest(request));
    respond(200, {{"Etag", "e2"}});
    plat::URLRequest own = request;
    own.setValue("mine", "If-None-Match");
    history.updateRequest(own, /*isHTTPGet=*/true);
    EXPECT_EQ(own.valueForHTTPHeaderField("If-None-Match"), "mine");
    EXPECT_FALSE(history.cachedETagForRequest(request));
}
