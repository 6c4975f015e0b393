#include "videoservice/VSServiceGoogle.h"
#include "ServiceTestSupport.h"
#include "platform/net/URLError.h"
#include "videoservice/VSAuthenticationFetcher.h"
#include "videoservice/VSEntryBase.h"
#include "videoservice/VSFeedBase.h"

namespace zt {
namespace {

using test::FakeVideoService;
using test::finishedSelector;
using test::urlOf;

// A signed-in service of the provider with a service name of its own.
class PhotoService : public VSServiceGoogle {
public:
    std::optional<std::string> classServiceID() const override { return "lh2"; }
};

class SignIn : public test::ServiceTest {
protected:
    void SetUp() override
    {
        service->setSignInDomain(fake.signInDomain());
        service->setUserCredentialsWithUsername(FakeVideoService::kUsername, FakeVideoService::kPassword);
    }
    VSServiceTicketPtr fetchUploads()
    {
        return service->fetchFeedWithURL(
            urlOf(fake.url("/feeds/api/users/default/uploads")), delegate, finishedSelector());
    }
    std::optional<std::string> authorizationOf(const plat::test::HTTPTestRequest& request)
    {
        return request.header("Authorization");
    }
    std::shared_ptr<PhotoService> service = VSServiceBase::service<PhotoService>();
};

// --- the sign-in request ---

TEST(SignInRequest, FormEscapesReservedCharactersAndKeepsUnreservedOnes)
{
    auto fetcher = VSAuthenticationFetcher::authTokenFetcherWithUsername("maker@example.com", "p&ss=w+rd/1-._~",
        "youtube", "Frame_Maker/2.1", std::nullopt, std::nullopt, {{"logintoken", "T 1"}}, {{"X-Test", "1"}});
    ASSERT_TRUE(fetcher);
    auto request = fetcher->mutableRequest();
    EXPECT_EQ(request->url()->absoluteString(), "https://www.google.com/accounts/ClientLogin");
    EXPECT_EQ(request->valueForHTTPHeaderField("X-Test"), "1");
    EXPECT_EQ(test::textOf(*fetcher->postData()),
        "Email=maker%40example.com&Passwd=p%26ss%3Dw%2Brd%2F1-._~&source=Frame_Maker%2F2.1&service=youtube"
        "&accountType=HOSTED_OR_GOOGLE&logintoken=T%201");
    EXPECT_TRUE(fetcher->isRetryEnabled());
    EXPECT_EQ(fetcher->credential()->user(), "maker@example.com");
}

TEST(SignInRequest, LocalHostIsPlainHTTPAndEmptyCredentialsMakeNoFetcher)
{
    auto fetcher = VSAuthenticationFetcher::authTokenFetcherWithUsername(
        "a", "b", "youtube", "app", "localhost:8080", "GOOGLE", {}, {});
    ASSERT_TRUE(fetcher);
    EXPECT_EQ(fetcher->mutableRequest()->url()->absoluteString(), "http://localhost:8080/accounts/ClientLogin");
    EXPECT_NE(test::textOf(*fetcher->postData()).find("&accountType=GOOGLE"), std::string::npos);
    EXPECT_FALSE(VSAuthenticationFetcher::authTokenFetcherWithUsername(
        "a", "", "youtube", "app", std::nullopt, std::nullopt, {}, {}));
    EXPECT_FALSE(VSAuthenticationFetcher::authTokenFetcherWithUsername(
        "", "b", "youtube", "app", std::nullopt, std::nullopt, {}, {}));
}

// --- signing in before requests ---

TEST_F(SignIn, TwoRequestsWithoutATokenShareOneSignIn)
{
    auto first = fetchUploads();
    auto second = fetchUploads();
    ASSERT_TRUE(first && second);
    EXPECT_EQ(first->currentFetcher(), service->pendingAuthFetcher());
    ASSERT_TRUE(waitForCalls(2));
    EXPECT_EQ(fake.signInCount(), 1u);
    for (const auto& call : delegate->calls) {
        EXPECT_FALSE(call.error);
        EXPECT_TRUE(std::dynamic_pointer_cast<VSFeedBase>(call.object));
    }
    auto feeds = fake.requestsTo("/feeds/api/users/default/uploads");
    ASSERT_EQ(feeds.size(), 2u);
    EXPECT_EQ(authorizationOf(feeds[0]), "GoogleLogin auth=TOKEN-1");
    EXPECT_EQ(authorizationOf(feeds[1]), "GoogleLogin auth=TOKEN-1");
    EXPECT_EQ(service->authToken(), "TOKEN-1");
    EXPECT_FALSE(service->pendingAuthFetcher());

    auto signInRequest = fake.requestsTo("/accounts/ClientLogin").front();
    auto fields = test::formFields(signInRequest.body);
    EXPECT_EQ(fields["Email"], FakeVideoService::kUsername);
    EXPECT_EQ(fields["Passwd"], FakeVideoService::kPassword);
    EXPECT_EQ(fields["service"], "lh2");
    EXPECT_EQ(fields["accountType"], "HOSTED_OR_GOOGLE");
    EXPECT_EQ(fields["source"], service->defaultApplicationIdentifier());
}

TEST_F(SignIn, LaterRequestsUseTheTokenWithoutSigningInAgain)
{
    fetchUploads();
    ASSERT_TRUE(waitForCalls(1));
    fetchUploads();
    ASSERT_TRUE(waitForCalls(2));
    EXPECT_EQ(fake.signInCount(), 1u);
    EXPECT_FALSE(delegate->calls[1].error);
}

TEST_F(SignIn, WithoutAUserNameARequestGoesOutAtOnceUnsigned)
{
    service->setUserCredentialsWithUsername(std::nullopt, std::nullopt);
    service->fetchFeedWithURL(urlOf(fake.url("/feeds/api/videos")), delegate, finishedSelector());
    ASSERT_TRUE(waitForCalls(1));
    EXPECT_FALSE(delegate->calls.front().error);
    EXPECT_EQ(fake.signInCount(), 0u);
    EXPECT_FALSE(authorizationOf(fake.requestsTo("/feeds/api/videos").front()));
}

TEST_F(SignIn, EmptyPasswordFailsWithoutASignIn)
{
    service->setUserCredentialsWithUsername(FakeVideoService::kUsername, "");
    EXPECT_FALSE(fetchUploads());
    ASSERT_EQ(delegate->calls.size(), 1u);
    const auto& error = delegate->calls.front().error;
    ASSERT_TRUE(error);
    EXPECT_EQ(error->domain(), kVSServiceErrorDomain);
    EXPECT_EQ(error->code(), kVSServiceErrorEmptyCredentials);
    EXPECT_EQ(error->userInfo().getString(kVSErrorTextKey), "empty username/password");
    EXPECT_EQ(fake.signInCount(), 0u);
}

// --- refused sign-ins ---

TEST_F(SignIn, ReplyWithoutATokenFailsEveryWaitingRequestWith403)
{
    fake.setSignInReply(FakeVideoService::SignInReply::NoToken);
    fetchUploads();
    fetchUploads();
    ASSERT_TRUE(waitForCalls(2));
    for (const auto& call : delegate->calls) {
        ASSERT_TRUE(call.error);
        EXPECT_EQ(call.error->domain(), kVSServiceErrorDomain);
        EXPECT_EQ(call.error->code(), 403);
        EXPECT_EQ(call.error->userInfo().getString("SID"), "DQAAAGgA7Zg");
        EXPECT_TRUE(call.ticket->hasCalledCallback());
    }
    EXPECT_EQ(fake.signInCount(), 1u);
    EXPECT_TRUE(fake.requestsTo("/feeds/").empty());
    EXPECT_FALSE(service->authToken());
}

TEST_F(SignIn, RefusalCarriesTheReplysCodeWordAndReason)
{
    fake.setSignInReply(FakeVideoService::SignInReply::BadAuthentication);
    fetchUploads();
    ASSERT_TRUE(waitForCalls(1));
    const auto& error = delegate->calls.front().error;
    ASSERT_TRUE(error);
    EXPECT_EQ(error->code(), 403);
    EXPECT_EQ(authenticationError(error->userInfo()), "BadAuthentication");
    EXPECT_EQ(authenticationInfo(error->userInfo()), "InvalidSecondFactor");
    EXPECT_EQ(error->userInfo().getString(kVSErrorTextKey), "BadAuthentication");
    EXPECT_EQ(error->userInfo().getString(plat::kLocalizedFailureReasonErrorKey), "InvalidSecondFactor");
}

TEST_F(SignIn, ConnectionFailureOfTheSignInIsPassedOnUnchanged)
{
    fake.setSignInReply(FakeVideoService::SignInReply::Drop);
    fetchUploads();
    ASSERT_TRUE(waitForCalls(1));
    const auto& error = delegate->calls.front().error;
    ASSERT_TRUE(error);
    EXPECT_EQ(error->domain(), plat::kURLErrorDomain);
}

TEST_F(SignIn, CaptchaChallengeIsAnsweredAtTheNextSignIn)
{
    fake.setSignInReply(FakeVideoService::SignInReply::Captcha);
    fetchUploads();
    ASSERT_TRUE(waitForCalls(1));
    const auto& error = delegate->calls.front().error;
    ASSERT_TRUE(error);
    EXPECT_EQ(error->code(), 403);
    EXPECT_EQ(authenticationError(error->userInfo()), "CaptchaRequired");
    auto token = captchaToken(error->userInfo());
    auto url = captchaURL(error->userInfo());
    ASSERT_TRUE(token && url);
    EXPECT_EQ(url->absoluteString(), "http://" + fake.signInDomain() + "/accounts/Captcha?ctoken=CT-77");

    service->setCaptchaToken(*token, FakeVideoService::kCaptchaAnswer);
    fetchUploads();
    ASSERT_TRUE(waitForCalls(2));
    EXPECT_FALSE(delegate->calls[1].error);
    auto fields = test::formFields(fake.requestsTo("/accounts/ClientLogin").back().body);
    EXPECT_EQ(fields["logintoken"], "CT-77");
    EXPECT_EQ(fields["logincaptcha"], "frogs");
}

TEST_F(SignIn, AbsoluteCaptchaAddressIsKept)
{
    fake.setSignInReply(FakeVideoService::SignInReply::Captcha);
    fake.setCaptchaURL("https://captcha.example/images/77.jpg");
    fetchUploads();
    ASSERT_TRUE(waitForCalls(1));
    auto url = captchaURL(delegate->calls.front().error->userInfo());
    ASSERT_TRUE(url);
    EXPECT_EQ(url->absoluteString(), "https://captcha.example/images/77.jpg");
}

TEST(SignInError, RelativeCaptchaAddressUsesTheDefaultSignInHost)
{
    auto service = VSServiceBase::service<PhotoService>();
    const std::string reply = "Error=CaptchaRequired\nCaptchaToken=CT-77\nCaptchaUrl=Captcha?ctoken=CT-77\n";
    auto error = service->errorForAuthFetcherStatus(403, plat::Data(reply.begin(), reply.end()));
    EXPECT_EQ(error.domain(), kVSServiceErrorDomain);
    EXPECT_EQ(error.userInfo().getString("CaptchaFullUrl"), "https://www.google.com/accounts/Captcha?ctoken=CT-77");
    auto empty = service->errorForAuthFetcherStatus(403, plat::Data());
    EXPECT_TRUE(empty.userInfo().empty());
    EXPECT_FALSE(captchaURL(empty.userInfo()));
}

// --- signing in again ---

TEST_F(SignIn, RefusedTokenSignsInAgainOnceOnTheSameTicket)
{
    fetchUploads();
    ASSERT_TRUE(waitForCalls(1));
    fake.expireToken("TOKEN-1");
    auto ticket = fetchUploads();
    ASSERT_TRUE(waitForCalls(2));
    plat::RunLoop::main().drain();
    ASSERT_EQ(delegate->calls.size(), 2u);
    EXPECT_EQ(delegate->calls[1].ticket, ticket);
    EXPECT_FALSE(delegate->calls[1].error);
    EXPECT_EQ(fake.signInCount(), 2u);
    auto feeds = fake.requestsTo("/feeds/api/users/default/uploads");
    ASSERT_EQ(feeds.size(), 3u);
    EXPECT_EQ(authorizationOf(feeds[1]), "GoogleLogin auth=TOKEN-1");
    EXPECT_EQ(authorizationOf(feeds[2]), "GoogleLogin auth=TOKEN-2");
    EXPECT_EQ(service->authToken(), "TOKEN-2");
}

TEST_F(SignIn, SecondRefusalAfterSigningInAgainIsDelivered)
{
    fetchUploads();
    ASSERT_TRUE(waitForCalls(1));
    fake.expireToken("TOKEN-1");
    fake.expireToken("TOKEN-2");
    fetchUploads();
    ASSERT_TRUE(waitForCalls(2));
    plat::RunLoop::main().drain();
    ASSERT_EQ(delegate->calls.size(), 2u);
    const auto& error = delegate->calls[1].error;
    ASSERT_TRUE(error);
    EXPECT_EQ(error->domain(), kWSHTTPFetcherStatusDomain);
    EXPECT_EQ(error->code(), 401);
    EXPECT_EQ(fake.signInCount(), 2u);
}

TEST_F(SignIn, SameCredentialsKeepTheTokenAnotherPasswordDropsIt)
{
    fetchUploads();
    ASSERT_TRUE(waitForCalls(1));
    const auto stamp = service->credentialGeneration();
    service->setUserCredentialsWithUsername(FakeVideoService::kUsername, FakeVideoService::kPassword);
    EXPECT_EQ(service->authToken(), "TOKEN-1");
    EXPECT_EQ(service->credentialGeneration(), stamp);
    service->setUserCredentialsWithUsername(FakeVideoService::kUsername, "another");
    EXPECT_FALSE(service->authToken());
    EXPECT_GT(service->credentialGeneration(), stamp);
}

TEST_F(SignIn, RequestMadeUnderOldCredentialsDoesNotSignInAgain)
{
    fetchUploads();
    ASSERT_TRUE(waitForCalls(1));
    fake.expireToken("TOKEN-1");
    fetchUploads();
    // Changed in the same instant on the clock: the ticket still tells the two apart.
    service->setUserCredentialsWithUsername("someone@example.com", "other");
    ASSERT_TRUE(waitForCalls(2));
    ASSERT_TRUE(delegate->calls[1].error);
    EXPECT_EQ(delegate->calls[1].error->code(), 401);
    EXPECT_EQ(fake.signInCount(), 1u);
}

// --- cancelling while waiting ---

TEST_F(SignIn, CancellingOneOfTwoWaitingTicketsLeavesTheSignInForTheOther)
{
    fake.setSignInReply(FakeVideoService::SignInReply::Stall);
    auto first = fetchUploads();
    auto second = fetchUploads();
    ASSERT_TRUE(plat::test::runMainLoopUntil([&] { return fake.signInCount() >= 1; }));
    auto signInFetcher = service->pendingAuthFetcher();
    first->cancelTicket();
    EXPECT_TRUE(signInFetcher->isFetching());
    EXPECT_EQ(service->pendingAuthFetcher(), signInFetcher);
    second->cancelTicket();
    EXPECT_FALSE(signInFetcher->isFetching());
    EXPECT_FALSE(service->pendingAuthFetcher());
    fake.server.release();
    plat::RunLoop::main().drain();
    EXPECT_TRUE(delegate->calls.empty());
}

TEST_F(SignIn, TicketLeftWaitingHearsHowTheSignInEnded)
{
    fake.setSignInReply(FakeVideoService::SignInReply::Stall);
    auto first = fetchUploads();
    auto second = fetchUploads();
    ASSERT_TRUE(plat::test::runMainLoopUntil([&] { return fake.signInCount() >= 1; }));
    first->cancelTicket();
    fake.setSignInReply(FakeVideoService::SignInReply::Token);
    fake.server.release();
    // The stalled sign-in closes without a reply; the one left waiting hears of it.
    ASSERT_TRUE(waitForCalls(1));
    plat::RunLoop::main().drain();
    ASSERT_EQ(delegate->calls.size(), 1u);
    EXPECT_EQ(delegate->calls.front().ticket, second);
}

// --- a sign-in on its own, the token's reach, the method override ---

TEST_F(SignIn, StandaloneSignInHandsTheTokenToServiceAndTicket)
{
    struct Receiver : SelectorTarget {
        void done(const VSServiceTicketPtr& ticket, const std::optional<plat::Error>& error)
        {
            results.emplace_back(ticket, error);
        }
        std::vector<std::pair<VSServiceTicketPtr, std::optional<plat::Error>>> results;
    };
    auto receiver = std::make_shared<Receiver>();
    auto ticket = service->authenticateWithDelegate(receiver, &Receiver::done);
    ASSERT_TRUE(ticket);
    ASSERT_TRUE(plat::test::runMainLoopUntil([&] { return !receiver->results.empty(); }));
    EXPECT_EQ(receiver->results.front().first, ticket);
    EXPECT_FALSE(receiver->results.front().second);
    EXPECT_EQ(service->authToken(), "TOKEN-1");
    EXPECT_EQ(std::static_pointer_cast<VSServiceTicket>(ticket)->authToken(), "TOKEN-1");
    EXPECT_FALSE(std::static_pointer_cast<VSServiceTicket>(ticket)->authFetcher());
}

TEST_F(SignIn, TokenStaysWithTheServicesHostWhenANextLinkLeavesIt)
{
    service->setServiceShouldFollowNextLinks(true);
    fake.setNextLinksLeaveHost(true);
    service->fetchFeedWithURL(
        urlOf(fake.url("/feeds/api/videos?start-index=1&max-results=2")), delegate, finishedSelector());
    ASSERT_TRUE(waitForCalls(1));
    EXPECT_FALSE(delegate->calls.front().error);
    auto pages = fake.requestsTo("/feeds/api/videos");
    ASSERT_EQ(pages.size(), 3u);
    EXPECT_EQ(pages[0].header("Host"), "127.0.0.1:" + std::to_string(fake.server.port()));
    EXPECT_EQ(authorizationOf(pages[0]), "GoogleLogin auth=TOKEN-1");
    for (size_t index = 1; index < pages.size(); ++index) {
        EXPECT_EQ(pages[index].header("Host"), fake.signInDomain());
        EXPECT_FALSE(authorizationOf(pages[index])) << index;
    }
    auto feed = std::dynamic_pointer_cast<VSFeedBase>(delegate->calls.front().object);
    ASSERT_TRUE(feed && feed->entries());
    EXPECT_EQ(feed->entries()->size(), 5u);
}

// --- entry operations ---

TEST_F(SignIn, UpdatePutsTheEntryToItsEditLinkWithItsETag)
{
    auto entry = VSEntryBase::entry();
    entry->setTitleWithString("Renamed study");
    entry->setETag("\"E5\"");
    entry->addLink(
        VSLink::linkWithRel("edit", "application/atom+xml", fake.url("/feeds/api/users/default/uploads/vid1")));
    service->fetchEntryByUpdatingEntry(entry, delegate, finishedSelector());
    ASSERT_TRUE(waitForCalls(1));
    const auto& call = delegate->calls.front();
    ASSERT_FALSE(call.error);
    auto updated = std::dynamic_pointer_cast<VSEntryBase>(call.object);
    ASSERT_TRUE(updated);
    EXPECT_EQ(updated->title()->stringValue(), "Renamed study");
    auto put = fake.requestsTo("/feeds/api/users/default/uploads/vid1").front();
    EXPECT_EQ(put.method, "PUT");
    EXPECT_EQ(put.header("If-Match"), "\"E5\"");
    EXPECT_EQ(put.header("Authorization"), "GoogleLogin auth=TOKEN-1");
    EXPECT_EQ(call.ticket->postedObject(), entry);
}

TEST_F(SignIn, DeleteSucceedsWithAnEmptyReply)
{
    auto entry = VSEntryBase::entry();
    entry->setETag("W/\"E5\"");
    entry->addLink(
        VSLink::linkWithRel("edit", "application/atom+xml", fake.url("/feeds/api/users/default/uploads/vid1")));
    auto ticket = service->deleteEntry(entry, delegate, finishedSelector());
    ASSERT_TRUE(ticket);
    EXPECT_EQ(ticket->postedObject(), entry);
    ASSERT_TRUE(waitForCalls(1));
    const auto& call = delegate->calls.front();
    EXPECT_FALSE(call.error);
    EXPECT_FALSE(call.object);
    auto request = fake.requestsTo("/feeds/api/users/default/uploads/vid1").front();
    EXPECT_EQ(request.method, "DELETE");
    EXPECT_FALSE(request.header("If-Match"));  // a weak ETag promises nothing
}

TEST_F(SignIn, BatchFeedGetsItsNamespacesAndKeepsUnknownElements)
{
    service->setShouldServiceFeedsIgnoreUnknowns(true);
    auto batch = VSFeedBase::feed();
    auto item = VSEntryBase::entry();
    item->setBatchIDWithString("item-1");
    batch->addEntry(item);
    auto ticket
        = service->fetchFeedWithBatchFeed(batch, urlOf(fake.url("/feeds/api/batch")), delegate, finishedSelector());
    ASSERT_TRUE(ticket);
    EXPECT_FALSE(ticket->shouldFeedsIgnoreUnknowns());
    ASSERT_TRUE(waitForCalls(1));
    const auto& call = delegate->calls.front();
    ASSERT_FALSE(call.error);
    auto reply = std::dynamic_pointer_cast<VSFeedBase>(call.object);
    ASSERT_TRUE(reply && reply->entries());
    EXPECT_EQ(reply->entries()->size(), 2u);
    EXPECT_FALSE(reply->unknownChildren().empty());
    auto post = fake.requestsTo("/feeds/api/batch").front();
    EXPECT_EQ(post.method, "POST");
    EXPECT_NE(post.body.find("xmlns:batch=\"http://schemas.google.com/gdata/batch\""), std::string::npos);
    EXPECT_NE(post.body.find("xmlns:gd=\"http://schemas.google.com/g/2005\""), std::string::npos);
    EXPECT_NE(post.body.find("<batch:id>item-1</batch:id>"), std::string::npos);
}

TEST_F(SignIn, MethodOverrideSendsOtherMethodsAsPost)
{
    service->setShouldUseMethodOverrideHeader(true);
    service->setAuthToken("T9");
    auto request = service->requestForURL(urlOf("https://gdata.example/feeds/x"), std::nullopt, "DELETE");
    EXPECT_EQ(request.HTTPMethod(), "POST");
    EXPECT_EQ(request.valueForHTTPHeaderField("X-HTTP-Method-Override"), "DELETE");
    EXPECT_EQ(request.valueForHTTPHeaderField("Authorization"), "GoogleLogin auth=T9");
    auto post = service->requestForURL(urlOf("https://gdata.example/feeds/x"), std::nullopt, "POST");
    EXPECT_FALSE(post.valueForHTTPHeaderField("X-HTTP-Method-Override"));
}

}  // namespace
}  // namespace zt
