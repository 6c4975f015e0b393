#include <gtest/gtest.h>

#include <regex>
#include <sys/stat.h>

#include "WebTestSupport.h"
#include "platform/foundation/DispatchQueue.h"
#include "platform/foundation/Files.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/Paths.h"
#include "platform/foundation/Sandbox.h"
#include "platform/net/InputStream.h"
#include "platform/net/URLError.h"
#include "web/WSHTTPFetchHistory.h"
#include "web/WSHTTPFetcherService.h"

using plat::test::HTTPTestReply;
using plat::test::HTTPTestRequest;
using plat::test::HTTPTestServer;
using zt::WSHTTPFetcher;

namespace {

class HTTPFetcher : public zt::test::FetcherTest {
protected:
    std::shared_ptr<WSHTTPFetcher> fetcherFor(const std::string& url)
    {
        return WSHTTPFetcher::fetcherWithURLString(url);
    }

    size_t count(const char* notification)
    {
        size_t n = 0;
        for (const auto& name : notifications)
            n += name == notification;
        return n;
    }

    void SetUp() override
    {
        for (const char* name : {zt::kWSHTTPFetcherStartedNotification, zt::kWSHTTPFetcherStoppedNotification,
                 zt::kWSHTTPFetcherRetryDelayStartedNotification, zt::kWSHTTPFetcherRetryDelayStoppedNotification})
            tokens.push_back(plat::NotificationCenter::defaultCenter().addObserver(
                name, nullptr, [this](const plat::Notification& n) { notifications.push_back(n.name); }));
    }

    std::vector<std::string> notifications;
    std::vector<plat::ObserverToken> tokens;
};

HTTPTestReply digestChallenge()
{
    return HTTPTestReply::withBody(401, "who?")
        .header("WWW-Authenticate", "Digest realm=\"r\", qop=\"auth\", nonce=\"n0\"");
}

// Signs each request with the next numbered token, answering later as an
// authorizer that asks a server would; after a 401 it offers a fresh token
// when told to.
class TokenAuthorizer : public zt::WSFetcherAuthorizationProtocol,
                        public std::enable_shared_from_this<TokenAuthorizer> {
public:
    explicit TokenAuthorizer(bool canRefresh)
        : _canRefresh(canRefresh)
    {
    }

    bool isAuthorizedRequest(const plat::URLRequest& request) override
    {
        return request.valueForHTTPHeaderField("Authorization").has_value();
    }
    bool authorizeRequest(std::shared_ptr<plat::URLRequest> request, std::shared_ptr<WSHTTPFetcher> fetcher) override
    {
        request->setValue("Bearer token" + std::to_string(++tokensIssued), "Authorization");
        plat::DispatchQueue::mainQueue().async([self = shared_from_this(), request, fetcher] {
            fetcher->authorizerFinished(*self, *request, std::nullopt);
        });
        return true;
    }
    bool isAuthorizingRequest(const plat::URLRequest&) override { return false; }
    void stopAuthorization() override { }
    std::optional<bool> primeForRefresh() override
    {
        ++refreshesPrimed;
        return _canRefresh;
    }

    int tokensIssued = 0;
    int refreshesPrimed = 0;

private:
    bool _canRefresh;
};

}  // namespace

TEST_F(HTTPFetcher, FetchesABodyAndPostsStartAndStopOnce)
{
    HTTPTestServer server([](const HTTPTestRequest&) { return HTTPTestReply::withBody(200, "feed"); });
    auto fetcher = fetcherFor(server.url("/feed"));
    auto outcome = fetch(fetcher);
    EXPECT_FALSE(outcome->error);
    EXPECT_EQ(outcome->text(), "feed");
    EXPECT_EQ(fetcher->statusCode(), 200);
    EXPECT_EQ(count(zt::kWSHTTPFetcherStartedNotification), 1u);
    EXPECT_EQ(count(zt::kWSHTTPFetcherStoppedNotification), 1u);
    EXPECT_FALSE(fetcher->isFetching());
}

TEST_F(HTTPFetcher, StatusesOf300AndAboveAreErrorsCarryingTheBody)
{
    HTTPTestServer server([](const HTTPTestRequest& request) {
        return request.target == "/299" ? HTTPTestReply::withBody(299, "fine")
                                        : HTTPTestReply::withBody(404, "missing");
    });
    auto good = fetch(fetcherFor(server.url("/299")));
    EXPECT_FALSE(good->error);
    auto bad = fetch(fetcherFor(server.url("/x")));
    ASSERT_TRUE(bad->error);
    EXPECT_EQ(bad->error->domain(), zt::kWSHTTPFetcherStatusDomain);
    EXPECT_EQ(bad->error->code(), 404);
    EXPECT_EQ(zt::test::bodyText(*bad->error->userInfo().getData("data")), "missing");
}

TEST_F(HTTPFetcher, PostDataOnARequestWithoutMethodIsSentAsPost)
{
    HTTPTestServer server([](const HTTPTestRequest& request) {
        return HTTPTestReply::withBody(200, request.method + " " + request.body);
    });
    auto fetcher = fetcherFor(server.url("/"));
    fetcher->setPostData(plat::Data {'a', 'b'});
    EXPECT_EQ(fetch(fetcher)->text(), "POST ab");
}

TEST_F(HTTPFetcher, StoppingCallsNoFinishedCallbackAndPostsStopOnce)
{
    HTTPTestServer server([](const HTTPTestRequest&) {
        HTTPTestReply reply;
        reply.delivery = HTTPTestReply::Delivery::StallBeforeHead;
        return reply;
    });
    auto fetcher = fetcherFor(server.url("/"));
    auto outcome = begin(fetcher);
    ASSERT_TRUE(plat::test::runMainLoopUntil([&] { return server.requestCount() >= 1; }));
    fetcher->stopFetching();
    server.release();
    clock.advance(120);
    EXPECT_FALSE(outcome->finished);
    EXPECT_EQ(count(zt::kWSHTTPFetcherStoppedNotification), 1u);
}

TEST_F(HTTPFetcher, RedirectKeepsTheFetchersHeaders)
{
    HTTPTestServer server([](const HTTPTestRequest& request) {
        if (request.target == "/a")
            return HTTPTestReply::redirect(302, "/b");
        return HTTPTestReply::withBody(200, request.header("X-GData-Key").value_or("-"));
    });
    auto fetcher = fetcherFor(server.url("/a"));
    fetcher->mutableRequest()->setValue("key=1", "X-GData-Key");
    EXPECT_EQ(fetch(fetcher)->text(), "key=1");
    EXPECT_EQ(fetcher->mutableRequest()->url()->path(), "/b");
}

TEST_F(HTTPFetcher, RedirectFromHttpToHttpsKeepsHttps)
{
    // A plain server where the secure one would be: what arrives there is a
    // TLS greeting it cannot read, so the fetch stays on the redirected request.
    HTTPTestServer secure([](const HTTPTestRequest&) { return HTTPTestReply::withBody(500, "not TLS"); });
    const std::string target = "https://127.0.0.1:" + std::to_string(secure.port()) + "/b?x=1";
    HTTPTestServer server([&](const HTTPTestRequest&) { return HTTPTestReply::redirect(302, target); });
    auto fetcher = fetcherFor(server.url("/a"));
    fetcher->mutableRequest()->setValue("key=1", "X-GData-Key");
    auto outcome = begin(fetcher);
    ASSERT_TRUE(plat::test::runMainLoopUntil(
        [&] { return fetcher->mutableRequest()->url()->scheme() == "https" || outcome->finished; }));
    EXPECT_EQ(fetcher->mutableRequest()->url()->absoluteString(), target);
    EXPECT_EQ(fetcher->mutableRequest()->valueForHTTPHeaderField("X-GData-Key"), "key=1");
    EXPECT_EQ(fetcher->response()->statusCode(), 302);
    fetcher->stopFetching();
    EXPECT_EQ(secure.requestCount(), 0u);
}

TEST_F(HTTPFetcher, RedirectToAnotherHostDropsAuthorizationAndCredentials)
{
    std::unique_ptr<HTTPTestServer> other = std::make_unique<HTTPTestServer>([](const HTTPTestRequest& request) {
        if (!request.header("Authorization"))
            return digestChallenge();
        return HTTPTestReply::withBody(200, "leaked");
    });
    HTTPTestServer server(
        [&](const HTTPTestRequest&) { return HTTPTestReply::redirect(302, other->localhostURL("/steal")); });
    auto fetcher = fetcherFor(server.url("/"));
    fetcher->mutableRequest()->setValue("GoogleLogin auth=secret", "Authorization");
    fetcher->setCredential(plat::URLCredential::credentialWithUser("ann", "pw"));
    auto outcome = fetch(fetcher);
    ASSERT_TRUE(outcome->error);
    EXPECT_EQ(outcome->error->code(), zt::kWSHTTPFetcherErrorAuthenticationChallengeFailed);
    ASSERT_GE(other->requestCount(), 1u);
    for (const auto& request : other->requests())
        EXPECT_FALSE(request.header("Authorization"));
    EXPECT_FALSE(fetcher->credential());
}

TEST_F(HTTPFetcher, DigestChallengeIsAnsweredWithTheFetchersCredential)
{
    HTTPTestServer server([](const HTTPTestRequest& request) {
        if (!request.header("Authorization"))
            return digestChallenge();
        return HTTPTestReply::withBody(200, "inside");
    });
    auto fetcher = fetcherFor(server.url("/"));
    fetcher->setCredential(plat::URLCredential::credentialWithUser("ann", "pw", plat::URLCredentialPersistence::None));
    EXPECT_EQ(fetch(fetcher)->text(), "inside");
}

TEST_F(HTTPFetcher, PasswordIsNeverSentInClearOverHttp)
{
    HTTPTestServer server([](const HTTPTestRequest& request) {
        if (!request.header("Authorization"))
            return HTTPTestReply::withBody(401, "no").header("WWW-Authenticate", "Basic realm=\"r\"");
        return HTTPTestReply::withBody(200, "sent in clear");
    });
    auto fetcher = fetcherFor(server.url("/"));
    fetcher->setCredential(plat::URLCredential::credentialWithUser("ann", "pw"));
    auto outcome = fetch(fetcher);
    ASSERT_TRUE(outcome->error);
    EXPECT_EQ(outcome->error->domain(), zt::kWSHTTPFetcherErrorDomain);
    EXPECT_EQ(outcome->error->code(), zt::kWSHTTPFetcherErrorAuthenticationChallengeFailed);
    EXPECT_EQ(server.requestCount(), 1u);
}

TEST_F(HTTPFetcher, WrongPasswordIsTriedThreeTimesThenTheChallengeFails)
{
    HTTPTestServer server([](const HTTPTestRequest&) { return digestChallenge(); });
    auto fetcher = fetcherFor(server.url("/"));
    fetcher->setCredential(plat::URLCredential::credentialWithUser("ann", "bad", plat::URLCredentialPersistence::None));
    auto outcome = fetch(fetcher);
    ASSERT_TRUE(outcome->error);
    EXPECT_EQ(outcome->error->code(), zt::kWSHTTPFetcherErrorAuthenticationChallengeFailed);
    EXPECT_EQ(outcome->error->userInfo().getDictionary("challenge")->getInt64("previousFailureCount"), 3);
    EXPECT_EQ(server.requestCount(), 4u);
}

TEST_F(HTTPFetcher, CookiesOfTheStaticStoreGoToTheirHostOnly)
{
    HTTPTestServer server([](const HTTPTestRequest& request) {
        if (request.target == "/set")
            return HTTPTestReply::withBody(200, "").header("Set-Cookie", "token=abc; Path=/");
        return HTTPTestReply::withBody(200, request.header("Cookie").value_or("none"));
    });
    fetch(fetcherFor(server.url("/set")));
    EXPECT_EQ(fetch(fetcherFor(server.url("/get")))->text(), "token=abc");
    EXPECT_EQ(fetch(fetcherFor(server.localhostURL("/get")))->text(), "none");
    EXPECT_TRUE(plat::HTTPCookieStorage::sharedHTTPCookieStorage().cookies().empty());
    auto noCookies = fetcherFor(server.url("/get"));
    noCookies->setCookieStorageMethod(zt::kWSHTTPFetcherCookieStorageMethodNone);
    EXPECT_EQ(fetch(noCookies)->text(), "none");
    static_cast<zt::WSCookieStorage&>(*WSHTTPFetcher::staticCookieStorage()).removeAllCookies();
}

TEST_F(HTTPFetcher, ETaggedBodyIsReusedOnNotModified)
{
    HTTPTestServer server([](const HTTPTestRequest& request) {
        if (request.header("If-None-Match") == "\"v1\"")
            return HTTPTestReply::withBody(304, "");
        return HTTPTestReply::withBody(200, "<feed/>", "application/atom+xml").header("ETag", "\"v1\"");
    });
    auto history = std::make_shared<zt::WSHTTPFetchHistory>(1024 * 1024, /*shouldCacheETaggedData=*/true);
    auto first = fetcherFor(server.url("/feed"));
    first->setFetchHistory(history);
    EXPECT_EQ(fetch(first)->text(), "<feed/>");
    auto second = fetcherFor(server.url("/feed"));
    second->setFetchHistory(history);
    auto outcome = fetch(second);
    EXPECT_FALSE(outcome->error);
    EXPECT_EQ(outcome->text(), "<feed/>");
    EXPECT_EQ(second->statusCode(), 304);
    EXPECT_EQ(server.requests()[1].header("If-None-Match"), "\"v1\"");
}

TEST_F(HTTPFetcher, NotModifiedWithoutCachedBodyIsAFailure)
{
    HTTPTestServer server([](const HTTPTestRequest& request) {
        if (request.header("If-None-Match"))
            return HTTPTestReply::withBody(304, "");
        return HTTPTestReply::withBody(200, "body").header("ETag", "\"v1\"");
    });
    auto history = std::make_shared<zt::WSHTTPFetchHistory>();
    history->setShouldRememberETags(true);
    for (int i = 0; i < 2; ++i) {
        auto fetcher = fetcherFor(server.url("/"));
        fetcher->setFetchHistory(history);
        auto outcome = fetch(fetcher);
        if (i == 1) {
            ASSERT_TRUE(outcome->error);
            EXPECT_EQ(outcome->error->code(), 304);
        }
    }
}

TEST_F(HTTPFetcher, MethodOverrideGetCountsAsAGetForETagsAndTheRetryCeiling)
{
    HTTPTestServer server(
        [](const HTTPTestRequest&) { return HTTPTestReply::withBody(200, "feed").header("ETag", "\"v1\""); });
    auto history = std::make_shared<zt::WSHTTPFetchHistory>();
    history->setShouldRememberETags(true);
    auto fetchAs = [&](const char* method, std::optional<std::string> override) {
        auto fetcher = fetcherFor(server.url("/feed"));
        fetcher->setFetchHistory(history);
        fetcher->mutableRequest()->setHTTPMethod(method);
        fetcher->mutableRequest()->setValue(override, "X-HTTP-Method-Override");
        fetcher->setRetryEnabled(true);
        EXPECT_FALSE(fetch(fetcher)->error);
        return fetcher;
    };
    fetchAs("GET", std::nullopt);
    auto overridden = fetchAs("POST", "GET");
    auto posted = fetchAs("POST", std::nullopt);
    auto deleted = fetchAs("GET", "DELETE");
    const auto requests = server.requests();
    ASSERT_EQ(requests.size(), 4u);
    EXPECT_EQ(requests[1].method, "POST");
    EXPECT_EQ(requests[1].header("If-None-Match"), "\"v1\"");
    EXPECT_EQ(overridden->maxRetryInterval(), 60.0);
    EXPECT_FALSE(requests[2].header("If-None-Match"));
    EXPECT_EQ(posted->maxRetryInterval(), 600.0);
    // The override names the method, whatever the request line says.
    EXPECT_FALSE(requests[3].header("If-None-Match"));
    EXPECT_EQ(deleted->maxRetryInterval(), 600.0);
}

TEST_F(HTTPFetcher, UnauthorizedIsRetriedOnceWithAFreshAuthorizationEvenWithRetriesOff)
{
    HTTPTestServer server([](const HTTPTestRequest&) { return HTTPTestReply::withBody(401, "expired"); });
    auto authorizer = std::make_shared<TokenAuthorizer>(/*canRefresh=*/true);
    auto fetcher = fetcherFor(server.url("/uploads"));
    fetcher->setAuthorizer(authorizer);
    auto outcome = begin(fetcher);
    ASSERT_TRUE(plat::test::runMainLoopUntil(
        [&] { return count(zt::kWSHTTPFetcherRetryDelayStartedNotification) >= 1 || outcome->finished; }));
    EXPECT_FALSE(outcome->finished);
    clock.advance(0.001);  // with retries off the refresh waits no back-off
    ASSERT_TRUE(plat::test::runMainLoopUntil([&] { return outcome->finished; }));
    ASSERT_TRUE(outcome->error);
    EXPECT_EQ(outcome->error->domain(), zt::kWSHTTPFetcherStatusDomain);
    EXPECT_EQ(outcome->error->code(), 401);
    EXPECT_EQ(authorizer->refreshesPrimed, 1);
    const auto requests = server.requests();
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(requests[0].header("Authorization"), "Bearer token1");
    EXPECT_EQ(requests[1].header("Authorization"), "Bearer token2");
    EXPECT_EQ(fetcher->retryCount(), 1u);
}

TEST_F(HTTPFetcher, UnauthorizedIsFinalWhenTheAuthorizerHasNoFreshAuthorization)
{
    HTTPTestServer server([](const HTTPTestRequest&) { return HTTPTestReply::withBody(401, "expired"); });
    auto authorizer = std::make_shared<TokenAuthorizer>(/*canRefresh=*/false);
    auto fetcher = fetcherFor(server.url("/uploads"));
    fetcher->setAuthorizer(authorizer);
    auto outcome = fetch(fetcher);
    ASSERT_TRUE(outcome->error);
    EXPECT_EQ(outcome->error->code(), 401);
    EXPECT_EQ(authorizer->refreshesPrimed, 1);
    EXPECT_EQ(server.requestCount(), 1u);
    EXPECT_EQ(count(zt::kWSHTTPFetcherRetryDelayStartedNotification), 0u);
}

TEST_F(HTTPFetcher, ServerErrorsAreRetriedWithDoublingIntervalsUntilTheCeiling)
{
    HTTPTestServer server([](const HTTPTestRequest&) { return HTTPTestReply::withBody(503, "busy"); });
    auto fetcher = fetcherFor(server.url("/"));
    fetcher->setRetryEnabled(true);
    fetcher->setMinRetryInterval(1.0);
    fetcher->setMaxRetryInterval(60.0);
    auto outcome = begin(fetcher);
    // The reply to a retry may arrive while the clock is still being advanced,
    // so the delays are counted from the start rather than per step.
    size_t delays = 0;
    for (double interval : {1.0, 2.0, 4.0, 8.0, 16.0, 32.0}) {
        ++delays;
        ASSERT_TRUE(plat::test::runMainLoopUntil(
            [&] { return count(zt::kWSHTTPFetcherRetryDelayStartedNotification) >= delays; }));
        clock.advance(interval - 0.01);
        EXPECT_EQ(count(zt::kWSHTTPFetcherRetryDelayStoppedNotification), delays - 1);
        clock.advance(0.01);
    }
    ASSERT_TRUE(plat::test::runMainLoopUntil([&] { return outcome->finished; }));
    EXPECT_EQ(outcome->error->code(), 503);
    EXPECT_EQ(fetcher->retryCount(), 6u);
    EXPECT_EQ(server.requestCount(), 7u);
}

TEST_F(HTTPFetcher, OtherServerErrorsAreNotRetried)
{
    HTTPTestServer server([](const HTTPTestRequest&) { return HTTPTestReply::withBody(500, "broken"); });
    auto fetcher = fetcherFor(server.url("/"));
    fetcher->setRetryEnabled(true);
    auto outcome = fetch(fetcher);
    EXPECT_EQ(outcome->error->code(), 500);
    EXPECT_EQ(server.requestCount(), 1u);
}

TEST_F(HTTPFetcher, TimedOutRequestIsRetriedOnTheClock)
{
    std::atomic<int> requests {0};
    HTTPTestServer server([&](const HTTPTestRequest&) {
        if (++requests == 1) {
            HTTPTestReply reply;
            reply.delivery = HTTPTestReply::Delivery::StallBeforeHead;
            return reply;
        }
        return HTTPTestReply::withBody(200, "second time");
    });
    auto fetcher = fetcherFor(server.url("/"));
    fetcher->mutableRequest()->setTimeoutInterval(10);
    fetcher->setRetryEnabled(true);
    fetcher->setMinRetryInterval(1.0);
    auto outcome = begin(fetcher);
    ASSERT_TRUE(plat::test::runMainLoopUntil([&] { return server.requestCount() >= 1; }));
    clock.advance(10);
    EXPECT_EQ(count(zt::kWSHTTPFetcherRetryDelayStartedNotification), 1u);
    clock.advance(1);
    ASSERT_TRUE(plat::test::runMainLoopUntil([&] { return outcome->finished; }));
    EXPECT_EQ(outcome->text(), "second time");
    server.release();
}

TEST_F(HTTPFetcher, ReadStreamBodyIsNotRetriedButFails)
{
    // A stream body cannot be sent again: a retry would announce its length
    // and send nothing, and the server would wait for the body until the
    // request timed out.
    std::atomic<int> requests {0};
    HTTPTestServer server([&](const HTTPTestRequest& request) {
        if (++requests == 1)
            return HTTPTestReply::withBody(503, "busy");
        return HTTPTestReply::withBody(200, "got " + request.body);
    });
    const std::string body = "<entry>frames</entry>";
    auto fetcher = fetcherFor(server.url("/upload"));
    fetcher->setPostStream(plat::InputStream::inputStreamWithData(plat::Data(body.begin(), body.end())));
    fetcher->mutableRequest()->setValue(std::to_string(body.size()), "Content-Length");
    fetcher->setRetryEnabled(true);
    fetcher->setMinRetryInterval(1.0);
    auto outcome = begin(fetcher);
    ASSERT_TRUE(plat::test::runMainLoopUntil(
        [&] { return count(zt::kWSHTTPFetcherRetryDelayStartedNotification) >= 1 || outcome->finished; }));
    clock.advance(1);
    ASSERT_TRUE(plat::test::runMainLoopUntil([&] { return outcome->finished; }, 10));
    ASSERT_TRUE(outcome->error);
    EXPECT_EQ(outcome->error->code(), 503);
    EXPECT_EQ(count(zt::kWSHTTPFetcherRetryDelayStartedNotification), 0u);
    EXPECT_EQ(server.requestCount(), 1u);
}

TEST_F(HTTPFetcher, RetryBlockHasTheLastWord)
{
    HTTPTestServer server([](const HTTPTestRequest&) { return HTTPTestReply::withBody(503, "busy"); });
    auto fetcher = fetcherFor(server.url("/"));
    fetcher->setRetryEnabled(true);
    std::vector<bool> suggestions;
    fetcher->setRetryBlock([&](bool suggested, const plat::Error&) {
        suggestions.push_back(suggested);
        return false;
    });
    EXPECT_EQ(fetch(fetcher)->error->code(), 503);
    EXPECT_EQ(suggestions, (std::vector<bool> {true}));
}

TEST_F(HTTPFetcher, DownloadToFileReplacesTheDestinationOnSuccess)
{
    HTTPTestServer server([](const HTTPTestRequest&) { return HTTPTestReply::withBody(200, "movie bytes"); });
    const std::string destination = sandbox.path("Documents/movie.mov");
    ASSERT_TRUE(plat::writeFileAtomically(destination, std::string_view("old")).ok());
    auto fetcher = fetcherFor(server.url("/movie"));
    fetcher->setDownloadPath(destination);
    std::optional<uint32_t> temporaryMode;
    std::string temporaryName;
    fetcher->setReceivedDataBlock([&](const plat::Data&) {
        struct stat status { };
        if (fetcher->temporaryDownloadPath() && ::stat(fetcher->temporaryDownloadPath()->c_str(), &status) == 0) {
            temporaryMode = status.st_mode & 0777;
            temporaryName = plat::lastPathComponent(*fetcher->temporaryDownloadPath());
        }
    });
    auto outcome = fetch(fetcher);
    EXPECT_FALSE(outcome->error);
    EXPECT_FALSE(outcome->data);
    EXPECT_EQ(zt::test::bodyText(plat::readFile(destination).value()), "movie bytes");
    EXPECT_EQ(temporaryMode, 0600u);
    EXPECT_TRUE(std::regex_match(temporaryName, std::regex("wshttpfetcher_[0-9]+_[0-9]+"))) << temporaryName;
    EXPECT_TRUE(plat::contentsOfDirectory(plat::Sandbox::current()->temporaryDirectory()).value().empty());
}

TEST_F(HTTPFetcher, FailedDownloadLeavesNoFileBehind)
{
    HTTPTestServer server([](const HTTPTestRequest&) {
        auto reply = HTTPTestReply::withBody(200, "half a mov");
        reply.delivery = HTTPTestReply::Delivery::Truncated;
        reply.truncatedExtra = 1000;
        return reply;
    });
    const std::string destination = sandbox.path("Documents/movie.mov");
    auto fetcher = fetcherFor(server.url("/movie"));
    fetcher->setDownloadPath(destination);
    auto outcome = fetch(fetcher);
    ASSERT_TRUE(outcome->error);
    EXPECT_EQ(outcome->error->code(), plat::kURLErrorNetworkConnectionLost);
    EXPECT_FALSE(plat::fileExists(destination));
    EXPECT_TRUE(plat::contentsOfDirectory(plat::Sandbox::current()->temporaryDirectory()).value().empty());
}

TEST_F(HTTPFetcher, EndlessBodyFailsAtTheDownloadLimit)
{
    HTTPTestServer server([](const HTTPTestRequest&) {
        auto reply = HTTPTestReply::withBody(200, std::string(4096, 'x'));
        reply.delivery = HTTPTestReply::Delivery::Endless;
        return reply;
    });
    auto fetcher = fetcherFor(server.url("/"));
    fetcher->setMaximumDownloadLength(1024 * 1024);
    auto outcome = fetch(fetcher);
    ASSERT_TRUE(outcome->error);
    EXPECT_EQ(outcome->error->code(), plat::kURLErrorDataLengthExceedsMaximum);
    EXPECT_FALSE(outcome->data);
}

TEST_F(HTTPFetcher, DeclaredLengthOverTheLimitFailsAtOnce)
{
    HTTPTestServer server([](const HTTPTestRequest&) {
        auto reply = HTTPTestReply::withBody(200, "tiny");
        reply.delivery = HTTPTestReply::Delivery::Truncated;
        reply.truncatedExtra = 10'000'000;
        return reply;
    });
    auto fetcher = fetcherFor(server.url("/"));
    fetcher->setMaximumDownloadLength(1000);
    EXPECT_EQ(fetch(fetcher)->error->code(), plat::kURLErrorDataLengthExceedsMaximum);
}

TEST(UserAgent, TokensLoseSeparatorsAndBlanksBecomeUnderscores)
{
    EXPECT_EQ(zt::sanitizeUserAgentToken("My App (beta); v1/2"), "My_App_beta_v12");
    EXPECT_EQ(zt::sanitizeUserAgentToken(std::nullopt), std::nullopt);
    EXPECT_NE(zt::deviceModelAndSystemVersion().find('/'), std::string::npos);
}
