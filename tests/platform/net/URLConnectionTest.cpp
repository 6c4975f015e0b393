#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "platform/foundation/DispatchQueue.h"
#include "platform/net/HTTPCookieStorage.h"
#include "platform/net/InputStream.h"
#include "platform/net/NetServiceRegistry.h"
#include "platform/net/ServiceDiscovery.h"
#include "platform/net/URLCache.h"
#include "platform/net/URLConnection.h"
#include "platform/net/URLError.h"
#include "support/HTTPTestServer.h"
#include "support/ManualClockScope.h"
#include "support/RunLoopWaiting.h"

using plat::test::HTTPTestReply;
using plat::test::HTTPTestRequest;
using plat::test::HTTPTestServer;

namespace {

// Records what a connection tells its delegate, in order.
class RecordingDelegate : public plat::URLConnectionDelegate {
public:
    std::vector<std::string> events;
    std::shared_ptr<const plat::URLResponse> response;
    std::string body;
    std::optional<plat::Error> error;
    bool done = false;
    std::vector<std::shared_ptr<const plat::URLResponse>> redirects;
    std::optional<plat::URLCredential> answer;
    std::vector<int64_t> challengeFailureCounts;
    std::optional<size_t> cancelAfterBytes;
    int64_t totalSent = 0;

    std::optional<plat::URLRequest> willSendRequest(plat::URLConnection&, const plat::URLRequest& request,
        const std::shared_ptr<const plat::URLResponse>& redirectResponse) override
    {
        if (redirectResponse) {
            redirects.push_back(redirectResponse);
            events.push_back("redirect");
        }
        return request;
    }
    void didReceiveAuthenticationChallenge(
        plat::URLConnection&, const plat::URLAuthenticationChallenge& challenge) override
    {
        events.push_back("challenge");
        challengeFailureCounts.push_back(challenge.previousFailureCount());
        if (answer && challenge.previousFailureCount() == 0)
            challenge.sender()->useCredential(*answer, challenge);
        else
            challenge.sender()->continueWithoutCredential(challenge);
    }
    void didReceiveResponse(plat::URLConnection&, const std::shared_ptr<const plat::URLResponse>& r) override
    {
        events.push_back("response");
        response = r;
        body.clear();
    }
    void didReceiveData(plat::URLConnection& connection, const plat::Data& data) override
    {
        body.append(data.begin(), data.end());
        if (cancelAfterBytes && body.size() >= *cancelAfterBytes) {
            connection.cancel();
            events.push_back("cancelled");
            done = true;
        }
    }
    void didSendBodyData(plat::URLConnection&, int64_t, int64_t total, int64_t) override { totalSent = total; }
    void didFinishLoading(plat::URLConnection&) override
    {
        events.push_back("finish");
        done = true;
    }
    void didFailWithError(plat::URLConnection&, const plat::Error& e) override
    {
        events.push_back("fail");
        error = e;
        done = true;
    }
};

class URLConnectionTest : public ::testing::Test {
protected:
    void TearDown() override
    {
        plat::HTTPCookieStorage::sharedHTTPCookieStorage().removeAllCookies();
        plat::URLCredentialStorage::sharedCredentialStorage().removeAllCredentials();
        plat::URLCache::sharedURLCache().removeAllCachedResponses();
    }

    std::shared_ptr<RecordingDelegate> load(const std::string& url)
    {
        return load(plat::URLRequest(plat::URL::URLWithString(url)));
    }

    std::shared_ptr<RecordingDelegate> load(
        const plat::URLRequest& request, std::shared_ptr<RecordingDelegate> delegate = nullptr)
    {
        if (!delegate)
            delegate = std::make_shared<RecordingDelegate>();
        plat::URLConnection::connectionWithRequest(request, delegate);
        EXPECT_TRUE(plat::test::runMainLoopUntil([&] { return delegate->done; }));
        return delegate;
    }

    plat::test::ManualClockScope clock;
};

}  // namespace

TEST_F(URLConnectionTest, LoadsStatusHeadersAndBody)
{
    HTTPTestServer server([](const HTTPTestRequest&) {
        return HTTPTestReply::withBody(200, "hello", "text/plain; charset=utf-8").header("X-Extra", "1");
    });
    auto delegate = load(server.url("/greeting?x=1"));
    EXPECT_EQ(delegate->events, (std::vector<std::string> {"response", "finish"}));
    EXPECT_EQ(delegate->response->statusCode(), 200);
    EXPECT_EQ(delegate->response->MIMEType(), "text/plain");
    EXPECT_EQ(delegate->response->textEncodingName(), "utf-8");
    EXPECT_EQ(delegate->response->expectedContentLength(), 5);
    EXPECT_EQ(delegate->response->allHeaderFields().value("x-extra"), "1");
    EXPECT_EQ(delegate->body, "hello");
    EXPECT_EQ(server.requests().at(0).target, "/greeting?x=1");
}

TEST_F(URLConnectionTest, ChunkedBodyArrivesWhole)
{
    std::string text(100000, 'z');
    HTTPTestServer server([&](const HTTPTestRequest&) {
        auto reply = HTTPTestReply::withBody(200, text);
        reply.delivery = HTTPTestReply::Delivery::Chunked;
        return reply;
    });
    auto delegate = load(server.url("/"));
    EXPECT_EQ(delegate->body, text);
    EXPECT_EQ(delegate->response->expectedContentLength(), plat::URLResponse::kUnknownLength);
}

TEST_F(URLConnectionTest, ServerErrorStatusIsAResponseNotAFailure)
{
    HTTPTestServer server([](const HTTPTestRequest&) { return HTTPTestReply::withBody(503, "busy"); });
    auto delegate = load(server.url("/"));
    EXPECT_FALSE(delegate->error);
    EXPECT_EQ(delegate->response->statusCode(), 503);
    EXPECT_EQ(delegate->body, "busy");
}

TEST_F(URLConnectionTest, RedirectIsFollowedWithTheRequestsHeaders)
{
    HTTPTestServer server([](const HTTPTestRequest& request) {
        if (request.target == "/old")
            return HTTPTestReply::redirect(302, "/new");
        return HTTPTestReply::withBody(200, "moved here");
    });
    plat::URLRequest request(plat::URL::URLWithString(server.url("/old")));
    request.setValue("yes", "X-Custom");
    auto delegate = load(request);
    EXPECT_EQ(delegate->events, (std::vector<std::string> {"redirect", "response", "finish"}));
    EXPECT_EQ(delegate->redirects.at(0)->statusCode(), 302);
    EXPECT_EQ(delegate->body, "moved here");
    ASSERT_EQ(server.requestCount(), 2u);
    EXPECT_EQ(server.requests()[1].header("X-Custom"), "yes");
}

TEST_F(URLConnectionTest, RedirectToAnotherHostDropsAuthorization)
{
    std::unique_ptr<HTTPTestServer> other;
    other = std::make_unique<HTTPTestServer>(
        [](const HTTPTestRequest&) { return HTTPTestReply::withBody(200, "there"); });
    HTTPTestServer server(
        [&](const HTTPTestRequest&) { return HTTPTestReply::redirect(307, other->localhostURL("/x")); });
    plat::URLRequest request(plat::URL::URLWithString(server.url("/")));
    request.setValue("Bearer secret", "Authorization");
    auto delegate = load(request);
    EXPECT_EQ(delegate->body, "there");
    ASSERT_EQ(other->requestCount(), 1u);
    EXPECT_FALSE(other->requests()[0].header("Authorization"));
}

TEST_F(URLConnectionTest, PostBecomesGetAfter303)
{
    HTTPTestServer server([](const HTTPTestRequest& request) {
        if (request.method == "POST")
            return HTTPTestReply::redirect(303, "/result");
        return HTTPTestReply::withBody(200, request.method);
    });
    plat::URLRequest request(plat::URL::URLWithString(server.url("/form")));
    request.setHTTPMethod("POST");
    request.setHTTPBody(plat::Data {'a', '=', '1'});
    auto delegate = load(request);
    EXPECT_EQ(delegate->body, "GET");
    EXPECT_EQ(server.requests()[0].body, "a=1");
}

TEST_F(URLConnectionTest, RedirectLoopFailsAfterTheLimit)
{
    HTTPTestServer server([](const HTTPTestRequest&) { return HTTPTestReply::redirect(302, "/loop"); });
    auto delegate = load(server.url("/loop"));
    ASSERT_TRUE(delegate->error);
    EXPECT_EQ(delegate->error->domain(), plat::kURLErrorDomain);
    EXPECT_EQ(delegate->error->code(), plat::kURLErrorHTTPTooManyRedirects);
    EXPECT_EQ(server.requestCount(), static_cast<size_t>(plat::URLConnection::kMaxRedirects + 1));
}

TEST_F(URLConnectionTest, RedirectToAnotherSchemeFails)
{
    HTTPTestServer server([](const HTTPTestRequest&) { return HTTPTestReply::redirect(301, "file:///etc/passwd"); });
    auto delegate = load(server.url("/"));
    ASSERT_TRUE(delegate->error);
    EXPECT_EQ(delegate->error->code(), plat::kURLErrorUnsupportedURL);
}

TEST_F(URLConnectionTest, DigestChallengeIsAnsweredFromTheCredentialStorage)
{
    HTTPTestServer server([](const HTTPTestRequest& request) {
        auto authorization = request.header("Authorization");
        if (!authorization || authorization->find("Digest username=\"ann\"") != 0)
            return HTTPTestReply::withBody(401, "who?")
                .header("WWW-Authenticate", "Digest realm=\"films\", qop=\"auth\", nonce=\"abc123\", opaque=\"xyz\"");
        return HTTPTestReply::withBody(200, "welcome");
    });
    auto url = *plat::URL::URLWithString(server.url("/private"));
    plat::URLCredentialStorage::sharedCredentialStorage().setCredential(
        plat::URLCredential::credentialWithUser("ann", "pw"),
        plat::URLProtectionSpace(
            "127.0.0.1", server.port(), "http", "films", plat::kURLAuthenticationMethodHTTPDigest));
    plat::URLRequest request(url);
    auto delegate = std::make_shared<RecordingDelegate>();
    class DefaultHandling : public RecordingDelegate {
    public:
        void didReceiveAuthenticationChallenge(
            plat::URLConnection& c, const plat::URLAuthenticationChallenge& ch) override
        {
            events.push_back("challenge");
            EXPECT_EQ(ch.protectionSpace().realm(), "films");
            EXPECT_TRUE(ch.protectionSpace().receivesCredentialSecurely());
            URLConnectionDelegate::didReceiveAuthenticationChallenge(c, ch);
        }
    };
    auto handling = load(request, std::make_shared<DefaultHandling>());
    EXPECT_EQ(handling->body, "welcome");
    EXPECT_EQ(handling->events, (std::vector<std::string> {"challenge", "response", "finish"}));
    auto sent = server.requests().at(1).header("Authorization");
    ASSERT_TRUE(sent);
    EXPECT_NE(sent->find("uri=\"/private\""), std::string::npos);
    EXPECT_NE(sent->find("opaque=\"xyz\""), std::string::npos);
}

TEST_F(URLConnectionTest, WrongPasswordCountsAFailureAndEndsWithThe401)
{
    HTTPTestServer server([](const HTTPTestRequest&) {
        return HTTPTestReply::withBody(401, "no").header("WWW-Authenticate", "Basic realm=\"x\"");
    });
    auto delegate = std::make_shared<RecordingDelegate>();
    delegate->answer = plat::URLCredential::credentialWithUser("ann", "wrong", plat::URLCredentialPersistence::None);
    load(plat::URLRequest(plat::URL::URLWithString(server.url("/"))), delegate);
    EXPECT_EQ(delegate->challengeFailureCounts, (std::vector<int64_t> {0, 1}));
    EXPECT_EQ(delegate->response->statusCode(), 401);
    EXPECT_EQ(delegate->body, "no");
    EXPECT_EQ(server.requests().at(1).header("Authorization"), "Basic YW5uOndyb25n");
}

TEST_F(URLConnectionTest, TruncatedBodyIsALostConnection)
{
    HTTPTestServer server([](const HTTPTestRequest&) {
        auto reply = HTTPTestReply::withBody(200, "partial");
        reply.delivery = HTTPTestReply::Delivery::Truncated;
        reply.truncatedExtra = 100;
        return reply;
    });
    auto delegate = load(server.url("/"));
    ASSERT_TRUE(delegate->error);
    EXPECT_EQ(delegate->error->code(), plat::kURLErrorNetworkConnectionLost);
}

TEST_F(URLConnectionTest, AbsurdlyLargeHeadIsABadServerResponse)
{
    HTTPTestServer server([](const HTTPTestRequest&) {
        auto reply = HTTPTestReply::withBody(200, "x");
        for (int i = 0; i < 400; ++i)
            reply.header("X-Filler-" + std::to_string(i), std::string(1000, 'f'));
        return reply;
    });
    auto delegate = load(server.url("/"));
    ASSERT_TRUE(delegate->error);
    EXPECT_EQ(delegate->error->code(), plat::kURLErrorBadServerResponse);
}

TEST_F(URLConnectionTest, ConnectionRefusedFails)
{
    int port = 0;
    {
        HTTPTestServer gone([](const HTTPTestRequest&) { return HTTPTestReply(); });
        port = gone.port();
    }
    auto delegate = load("http://127.0.0.1:" + std::to_string(port) + "/");
    ASSERT_TRUE(delegate->error);
    EXPECT_EQ(delegate->error->code(), plat::kURLErrorCannotConnectToHost);
}

TEST_F(URLConnectionTest, SilentServerTimesOutOnTheClock)
{
    HTTPTestServer server([](const HTTPTestRequest&) {
        HTTPTestReply reply;
        reply.delivery = HTTPTestReply::Delivery::StallBeforeHead;
        return reply;
    });
    plat::URLRequest request(plat::URL::URLWithString(server.url("/")));
    request.setTimeoutInterval(30);
    auto delegate = std::make_shared<RecordingDelegate>();
    auto connection = plat::URLConnection::connectionWithRequest(request, delegate);
    ASSERT_TRUE(plat::test::runMainLoopUntil([&] { return server.requestCount() >= 1; }));
    clock.advance(29);
    EXPECT_FALSE(delegate->done);
    clock.advance(1);
    ASSERT_TRUE(delegate->error);
    EXPECT_EQ(delegate->error->code(), plat::kURLErrorTimedOut);
}

TEST_F(URLConnectionTest, EndlessBodyStaysBoundedUntilTheDelegateStops)
{
    HTTPTestServer server([](const HTTPTestRequest&) {
        auto reply = HTTPTestReply::withBody(200, std::string(65536, 'e'));
        reply.delivery = HTTPTestReply::Delivery::Endless;
        return reply;
    });
    auto delegate = std::make_shared<RecordingDelegate>();
    delegate->cancelAfterBytes = 8 * 1024 * 1024;
    load(plat::URLRequest(plat::URL::URLWithString(server.url("/"))), delegate);
    EXPECT_EQ(delegate->events.back(), "cancelled");
    EXPECT_GE(delegate->body.size(), 8u * 1024 * 1024);
}

TEST_F(URLConnectionTest, CookiesAreKeptAndSentToTheirHostOnly)
{
    HTTPTestServer server([](const HTTPTestRequest& request) {
        if (request.target == "/login")
            return HTTPTestReply::withBody(200, "ok")
                .header("Set-Cookie", "session=42; Path=/")
                .header("Set-Cookie", "stolen=1; Domain=example.com");
        return HTTPTestReply::withBody(200, request.header("Cookie").value_or("none"));
    });
    load(server.url("/login"));
    EXPECT_EQ(load(server.url("/page"))->body, "session=42");
    EXPECT_EQ(load(server.localhostURL("/page"))->body, "none");
    plat::URLRequest withoutCookies(plat::URL::URLWithString(server.url("/page")));
    withoutCookies.setHTTPShouldHandleCookies(false);
    EXPECT_EQ(load(withoutCookies)->body, "none");
}

TEST_F(URLConnectionTest, StreamedBodyIsSentChunkedWithProgress)
{
    HTTPTestServer server([](const HTTPTestRequest& request) {
        return HTTPTestReply::withBody(200, request.header("Transfer-Encoding").value_or("-") + ":" + request.body);
    });
    plat::URLRequest request(plat::URL::URLWithString(server.url("/upload")));
    request.setHTTPMethod("PUT");
    request.setHTTPBodyStream(plat::InputStream::inputStreamWithData(plat::Data {'d', 'a', 't', 'a'}));
    auto delegate = load(request);
    EXPECT_EQ(delegate->body, "chunked:data");
    EXPECT_EQ(server.requests()[0].method, "PUT");
    EXPECT_EQ(delegate->totalSent, 4);
}

TEST_F(URLConnectionTest, CachePolicyServesAStoredResponseWithoutTheNetwork)
{
    HTTPTestServer server([](const HTTPTestRequest&) { return HTTPTestReply::withBody(200, "picture"); });
    plat::URLRequest request(
        plat::URL::URLWithString(server.url("/thumb.jpg")), plat::URLRequestCachePolicy::ReturnCacheDataElseLoad);
    EXPECT_EQ(load(request)->body, "picture");
    EXPECT_EQ(load(request)->body, "picture");
    EXPECT_EQ(server.requestCount(), 1u);
    request.setCachePolicy(plat::URLRequestCachePolicy::UseProtocolCachePolicy);
    EXPECT_EQ(load(request)->body, "picture");  // no freshness given: asks again
    EXPECT_EQ(server.requestCount(), 2u);
}

TEST_F(URLConnectionTest, SynchronousRequestWorksFromAnyThread)
{
    HTTPTestServer server([](const HTTPTestRequest&) { return HTTPTestReply::withBody(201, "made"); });
    std::optional<plat::Data> body;
    std::shared_ptr<const plat::URLResponse> response;
    std::optional<plat::Error> error;
    std::thread worker([&] {
        body = plat::URLConnection::sendSynchronousRequest(
            plat::URLRequest(plat::URL::URLWithString(server.url("/"))), &response, &error);
    });
    worker.join();
    ASSERT_TRUE(body);
    EXPECT_EQ(std::string(body->begin(), body->end()), "made");
    EXPECT_EQ(response->statusCode(), 201);
    EXPECT_FALSE(error);
}

TEST_F(URLConnectionTest, CancelledConnectionSaysNothingMore)
{
    HTTPTestServer server([](const HTTPTestRequest&) {
        auto reply = HTTPTestReply::withBody(200, "late");
        reply.delivery = HTTPTestReply::Delivery::StallBeforeHead;
        return reply;
    });
    auto delegate = std::make_shared<RecordingDelegate>();
    auto connection = plat::URLConnection::connectionWithRequest(
        plat::URLRequest(plat::URL::URLWithString(server.url("/"))), delegate);
    ASSERT_TRUE(plat::test::runMainLoopUntil([&] { return server.requestCount() >= 1; }));
    connection->cancel();
    server.release();
    clock.advance(120);
    EXPECT_TRUE(delegate->events.empty());
}

// Hosts of the local domain are found through service discovery (here the
// in-process registry, as on a machine without an Avahi daemon), never
// through the system's resolver, which has no multicast DNS here.
class LocalHostNameLoading : public URLConnectionTest {
protected:
    LocalHostNameLoading()
    {
        plat::ServiceDiscovery::setBackend(plat::ServiceDiscoveryBackend::InProcess);
        plat::NetServiceRegistry::shared().removeAllForTesting();
    }
    ~LocalHostNameLoading() override
    {
        plat::NetServiceRegistry::shared().removeAllForTesting();
        plat::ServiceDiscovery::setBackend(plat::ServiceDiscoveryBackend::Automatic);
    }
    static void announceCamera(const std::string& hostName, int port, bool resolvable)
    {
        plat::NetServiceRegistry::shared().announce(
            {"Camera", "_QUORVANE_REMOTE_CAMERA._tcp.", "local.", hostName, port, resolvable});
    }
};

TEST_F(LocalHostNameLoading, ALocalHostIsReachedAtItsDiscoveredAddressUnderItsOwnName)
{
    auto frame = [](const HTTPTestRequest&) { return HTTPTestReply::withBody(200, "frame"); };
    HTTPTestServer server(frame);
    HTTPTestServer v6Server(frame, HTTPTestServer::Loopback::IPv6);
    announceCamera("zantrope-camera.local.", server.port(), /*resolvable=*/true);
    // A host found only at an IPv6 address.
    plat::NetServiceRegistry::shared().announce(
        {"V6 Camera", "_QUORVANE_REMOTE_CAMERA._tcp.", "local.", "v6-camera.local.", v6Server.port(), true, "::1"});
    const std::string port = std::to_string(server.port());
    const std::string v6Port = std::to_string(v6Server.port());
    struct Case {
        std::string url;
        const HTTPTestServer* answering;  // null: the request fails
        std::string hostField;  // what the server hears the request was for, without the port
        std::string failure;  // the reason the error gives
    };
    const Case cases[] = {
        {"http://zantrope-camera.local.:" + port + "/", &server, "zantrope-camera.local.", ""},
        {"http://Zantrope-Camera.local:" + port + "/", &server, "Zantrope-Camera.local", ""},
        {"http://v6-camera.local:" + v6Port + "/", &v6Server, "v6-camera.local", ""},
        {"http://nobody-here.local.:" + port + "/", nullptr, "",
            "(service discovery did not find nobody-here.local.: error -72002)"},
        {server.localhostURL("/"), &server, "localhost", ""},  // not in the local domain: the system's resolver
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.url);
        const size_t before = server.requestCount() + v6Server.requestCount();
        auto delegate = load(c.url);
        if (!c.answering) {
            ASSERT_TRUE(delegate->error);
            EXPECT_EQ(delegate->error->code(), plat::kURLErrorCannotFindHost);
            EXPECT_NE(delegate->error->localizedDescription().find(c.failure), std::string::npos)
                << delegate->error->localizedDescription();
            EXPECT_EQ(server.requestCount() + v6Server.requestCount(), before);
            continue;
        }
        ASSERT_FALSE(delegate->error) << delegate->error->localizedDescription();
        EXPECT_EQ(delegate->body, "frame");
        const std::string heardPort = c.answering == &v6Server ? v6Port : port;
        EXPECT_EQ(c.answering->requests().back().header("Host").value_or(""), c.hostField + ":" + heardPort);
    }
}

TEST_F(LocalHostNameLoading, ALocalHostThatNeverAnswersIsNotFoundAfterTheRequestsTimeout)
{
    announceCamera("gone-camera.local.", 8080, /*resolvable=*/false);
    plat::URLRequest request(plat::URL::URLWithString("http://gone-camera.local.:8080/"));
    request.setTimeoutInterval(10);
    auto delegate = std::make_shared<RecordingDelegate>();
    auto connection = plat::URLConnection::connectionWithRequest(request, delegate);
    clock.advance(9.9);
    EXPECT_FALSE(delegate->done);
    clock.advance(0.1);
    ASSERT_TRUE(delegate->error);
    EXPECT_EQ(delegate->error->code(), plat::kURLErrorCannotFindHost);
}

TEST(LocalDomainHostName, OnlyNamesUnderLocalAreTheLocalDomains)
{
    const std::pair<const char*, bool> cases[] = {{"camera.local", true}, {"camera.local.", true},
        {"CAMERA.LOCAL", true}, {"a.b.local", true}, {"local", false}, {".local", false}, {"local.", false},
        {"mylocal", false}, {"camera.local.example.com", false}, {"localhost", false}, {"127.0.0.1", false}};
    for (const auto& [host, local] : cases)
        EXPECT_EQ(plat::detail::isLocalDomainHostName(host), local) << host;
}
