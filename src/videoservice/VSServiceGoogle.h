#pragma once
#include <map>
#include <memory>
#include <optional>
#include <string>

#include "platform/foundation/Date.h"
#include "platform/foundation/URL.h"
#include "platform/foundation/Value.h"
#include "videoservice/VSServiceBase.h"

namespace zt {

class VSEntryBase;
class VSFeedBase;
class VSQuery;
class VSServiceTicket;

// Called when a sign-in on its own ends: (ticket, the error or nullopt).
using VSAuthenticationSelector = Selector<void(const VSServiceTicketPtr&, const std::optional<plat::Error>&)>;

// The authenticated service: signs the user in with ClientLogin, holds every
// request of a signed-in user back until a token is there, sends the token
// in "Authorization" (only to the host each request was made for), signs in
// again once when a request is refused with 401 or 403, and hands CAPTCHA
// challenges to the caller. At most one sign-in runs at a time; requests
// that need its token wait in its list and run in the order they joined.
// Main thread, like the engine.
class VSServiceGoogle : public VSServiceBase {
public:
    const char* className() const override { return "VSServiceGoogle"; }
    VSTicketClass ticketClass() const override;

    // --- class-level answers ---
    // The ClientLogin service name of the class; none here.
    virtual std::optional<std::string> classServiceID() const { return std::nullopt; }
    virtual std::optional<std::string> serviceRootURLString() const { return std::nullopt; }
    std::optional<std::string> authorizationScope() const { return serviceRootURLString(); }
    // Given to an entry that has no namespaces before it is inserted or updated.
    virtual VSXMLNamespaceMap standardServiceNamespaces() const;
    // Extra headers of the sign-in request.
    virtual std::map<std::string, std::string> customAuthenticationRequestHeaders() const { return {}; }

    // --- credentials and sign-in ---
    void setUserCredentialsWithUsername(
        const std::optional<std::string>& username, const std::optional<std::string>& password) override;
    // Sent with the next sign-in.
    void setCaptchaToken(const std::optional<std::string>& token, const std::optional<std::string>& answer);
    const std::optional<std::string>& captchaToken() const { return captchaToken_; }
    const std::optional<std::string>& captchaAnswer() const { return captchaAnswer_; }
    const std::optional<std::string>& authToken() const { return authToken_; }
    void setAuthToken(const std::optional<std::string>& token) { authToken_ = token; }
    const std::optional<std::string>& authSubToken() const { return authSubToken_; }
    void setAuthSubToken(const std::optional<std::string>& token) { authSubToken_ = token; }
    const std::optional<std::string>& accountType() const { return accountType_; }
    void setAccountType(const std::optional<std::string>& type) { accountType_ = type; }
    // The sign-in host; nullopt means the provider's account host.
    const std::optional<std::string>& signInDomain() const { return signInDomain_; }
    void setSignInDomain(const std::optional<std::string>& domain) { signInDomain_ = domain; }
    // The set one, else the class's.
    std::optional<std::string> serviceID() const { return serviceID_ ? serviceID_ : classServiceID(); }
    void setServiceID(const std::optional<std::string>& serviceID) { serviceID_ = serviceID; }
    bool shouldUseMethodOverrideHeader() const { return shouldUseMethodOverrideHeader_; }
    void setShouldUseMethodOverrideHeader(bool use) { shouldUseMethodOverrideHeader_ = use; }
    const std::shared_ptr<WSHTTPFetcher>& pendingAuthFetcher() const { return pendingAuthFetcher_; }
    const std::optional<plat::Date>& credentialDate() const { return credentialDate_; }
    // Counts the changes of the credentials; tickets compare it with theirs.
    uint64_t credentialGeneration() const { return _credentialGeneration; }

    // A sign-in without a request; nullptr when it could not begin.
    VSServiceTicketPtr authenticateWithDelegate(
        std::shared_ptr<SelectorTarget> delegate, VSAuthenticationSelector didAuthenticateSelector);
    // The ticket leaves its sign-in's waiting list; the last one to leave stops the sign-in.
    void stopAuthenticationForTicket(const std::shared_ptr<VSServiceTicket>& ticket);

    // --- authenticated operations ---
    virtual VSServiceTicketPtr fetchAuthenticatedObjectWithURL(const std::optional<plat::URL>& objectURL,
        const VSClass* objectClass, const VSObjectPtr& objectToPost, const std::optional<std::string>& ETag,
        const std::optional<std::string>& httpMethod, std::shared_ptr<SelectorTarget> delegate,
        VSFinishedSelector finishedSelector, VSCompletionHandler completionHandler);

    VSServiceTicketPtr fetchFeedWithURL(
        const plat::URL& feedURL, std::shared_ptr<SelectorTarget> delegate, VSFinishedSelector finishedSelector);
    VSServiceTicketPtr fetchFeedWithURL(const plat::URL& feedURL, const VSClass* feedClass,
        std::shared_ptr<SelectorTarget> delegate, VSFinishedSelector finishedSelector);
    VSServiceTicketPtr fetchFeedWithURL(const plat::URL& feedURL, const VSClass* feedClass,
        const std::optional<std::string>& ETag, std::shared_ptr<SelectorTarget> delegate,
        VSFinishedSelector finishedSelector);
    VSServiceTicketPtr fetchFeedWithURL(const plat::URL& feedURL, VSCompletionHandler handler);
    VSServiceTicketPtr fetchEntryWithURL(
        const plat::URL& entryURL, std::shared_ptr<SelectorTarget> delegate, VSFinishedSelector finishedSelector);
    VSServiceTicketPtr fetchEntryWithURL(const plat::URL& entryURL, const VSClass* entryClass,
        std::shared_ptr<SelectorTarget> delegate, VSFinishedSelector finishedSelector);
    VSServiceTicketPtr fetchEntryWithURL(const plat::URL& entryURL, const VSClass* entryClass,
        const std::optional<std::string>& ETag, std::shared_ptr<SelectorTarget> delegate,
        VSFinishedSelector finishedSelector);
    VSServiceTicketPtr fetchEntryWithURL(const plat::URL& entryURL, VSCompletionHandler handler);
    VSServiceTicketPtr fetchEntryWithURL(
        const plat::URL& entryURL, const VSClass* entryClass, VSCompletionHandler handler);
    VSServiceTicketPtr fetchFeedWithQuery(
        const VSQuery& query, std::shared_ptr<SelectorTarget> delegate, VSFinishedSelector finishedSelector);
    VSServiceTicketPtr fetchFeedWithQuery(const VSQuery& query, const VSClass* feedClass,
        std::shared_ptr<SelectorTarget> delegate, VSFinishedSelector finishedSelector);
    VSServiceTicketPtr fetchFeedWithQuery(const VSQuery& query, VSCompletionHandler handler);
    VSServiceTicketPtr fetchEntryByInsertingEntry(const std::shared_ptr<VSEntryBase>& entry, const plat::URL& feedURL,
        std::shared_ptr<SelectorTarget> delegate, VSFinishedSelector finishedSelector);
    VSServiceTicketPtr fetchEntryByInsertingEntry(
        const std::shared_ptr<VSEntryBase>& entry, const plat::URL& feedURL, VSCompletionHandler handler);
    VSServiceTicketPtr fetchEntryByUpdatingEntry(const std::shared_ptr<VSEntryBase>& entry,
        std::shared_ptr<SelectorTarget> delegate, VSFinishedSelector finishedSelector);
    VSServiceTicketPtr fetchEntryByUpdatingEntry(const std::shared_ptr<VSEntryBase>& entry, const plat::URL& entryURL,
        std::shared_ptr<SelectorTarget> delegate, VSFinishedSelector finishedSelector);
    VSServiceTicketPtr fetchEntryByUpdatingEntry(
        const std::shared_ptr<VSEntryBase>& entry, VSCompletionHandler handler);
    VSServiceTicketPtr fetchEntryByUpdatingEntry(
        const std::shared_ptr<VSEntryBase>& entry, const plat::URL& entryURL, VSCompletionHandler handler);
    VSServiceTicketPtr deleteEntry(const std::shared_ptr<VSEntryBase>& entry, std::shared_ptr<SelectorTarget> delegate,
        VSFinishedSelector finishedSelector);
    VSServiceTicketPtr deleteEntry(const std::shared_ptr<VSEntryBase>& entry, VSCompletionHandler handler);
    VSServiceTicketPtr deleteResourceURL(const plat::URL& resourceURL, const std::optional<std::string>& ETag,
        std::shared_ptr<SelectorTarget> delegate, VSFinishedSelector finishedSelector);
    VSServiceTicketPtr deleteResourceURL(
        const plat::URL& resourceURL, const std::optional<std::string>& ETag, VSCompletionHandler handler);
    VSServiceTicketPtr fetchFeedWithBatchFeed(const std::shared_ptr<VSFeedBase>& batchFeed,
        const plat::URL& batchFeedURL, std::shared_ptr<SelectorTarget> delegate, VSFinishedSelector finishedSelector);
    VSServiceTicketPtr fetchFeedWithBatchFeed(
        const std::shared_ptr<VSFeedBase>& batchFeed, const plat::URL& batchFeedURL, VSCompletionHandler handler);
    VSServiceTicketPtr fetchFeedWithBatchFeed(const std::shared_ptr<VSFeedBase>& batchFeed,
        const plat::URL& batchFeedURL, std::shared_ptr<SelectorTarget> delegate, VSFinishedSelector finishedSelector,
        VSCompletionHandler handler);

    // --- requests and replies ---
    using VSServiceBase::requestForURL;
    // The engine's request, then the method override and the token.
    plat::URLRequest requestForURL(const plat::URL& url, const std::optional<std::string>& ETag,
        const std::optional<std::string>& httpMethod, const VSServiceTicketPtr& ticket) override;
    // Signs in again once when a request with a recorded retry is refused.
    void objectFetcher(WSHTTPFetcher& fetcher, const std::optional<plat::Data>& data,
        const std::optional<plat::Error>& error) override;
    void authFetcher(
        WSHTTPFetcher& fetcher, const std::optional<plat::Data>& data, const std::optional<plat::Error>& error);
    void authFetcherFailedWithError(
        WSHTTPFetcher& fetcher, const plat::Error& error, const std::optional<plat::Data>& data);
    bool authFetcherWillRetry(WSHTTPFetcher& fetcher, bool suggestedWillRetry, const plat::Error& error);
    void standaloneAuthFetcher(
        WSHTTPFetcher& fetcher, const std::optional<plat::Data>& data, const std::optional<plat::Error>& error);
    // The service error for a refused sign-in, with the reply's fields.
    plat::Error errorForAuthFetcherStatus(int64_t status, const std::optional<plat::Data>& data) const;

protected:
    VSServiceTicketPtr deferUntilAuthenticationForInvocation(const VSServiceInvocationPtr& invocation);
    VSServiceTicketPtr authenticateThenInvoke(const VSServiceInvocationPtr& invocation);
    std::shared_ptr<WSHTTPFetcher> authenticationFetcher();
    void addNamespacesIfNoneToObject(const VSObjectPtr& object) const;

    std::optional<std::string> captchaToken_;
    std::optional<std::string> captchaAnswer_;
    std::optional<std::string> authToken_;
    std::optional<std::string> authSubToken_;
    std::optional<std::string> accountType_;
    std::optional<std::string> signInDomain_;
    std::optional<std::string> serviceID_;
    std::shared_ptr<WSHTTPFetcher> pendingAuthFetcher_;
    std::optional<plat::Date> credentialDate_;
    bool shouldUseMethodOverrideHeader_ = false;

private:
    uint64_t _credentialGeneration = 0;
};

// Readers of a sign-in error's user info.
std::optional<std::string> authenticationError(const plat::Dictionary& userInfo);  // "Error"
std::optional<std::string> authenticationInfo(const plat::Dictionary& userInfo);  // "Info"
std::optional<std::string> captchaToken(const plat::Dictionary& userInfo);  // "CaptchaToken"
// From "CaptchaFullUrl"; nullopt when it is absent or empty.
std::optional<plat::URL> captchaURL(const plat::Dictionary& userInfo);

}  // namespace zt
