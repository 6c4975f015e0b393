#pragma once
#include <any>
#include <cstdint>
#include <limits>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/foundation/Error.h"
#include "platform/foundation/URL.h"
#include "platform/foundation/Value.h"
#include "platform/net/URLRequest.h"
#include "videoservice/VSObject.h"
#include "videoservice/VSServiceTicket.h"
#include "web/Selector.h"

namespace plat {
class Bundle;
class DispatchQueue;
}  // namespace plat

namespace zt {

class VSFeedBase;
class VSParseOperation;
class VSQuery;
class VSServiceBase;
class WSHTTPFetcherService;

// The video service layer's error domain and codes.
inline constexpr const char* kVSServiceErrorDomain = "com.google.VSServiceDomain";
enum : int64_t {
    kVSServiceErrorEmptyCredentials = -1,  // sign-in without a user name or password
    kVSServiceErrorParsingFailed = -100,  // a reply body that yields no object
    kVSServiceErrorWaitTimedOut = -101,  // waitForTicket ran out of time
};
// Keys of a failure's user info.
inline constexpr const char* kVSServerErrorsKey = "serverErrors";
inline constexpr const char* kVSErrorTextKey = "error";

inline constexpr const char* kVSServiceTicketParsingStartedNotification = "kVSServiceTicketParsingStartedNotification";
inline constexpr const char* kVSServiceTicketParsingStoppedNotification = "kVSServiceTicketParsingStoppedNotification";

// The chunk size that stands for the platform's standard one.
inline constexpr uint64_t kVSStandardUploadChunkSize = std::numeric_limits<uint64_t>::max();
// The standard chunk sizes, with and without sent-data callbacks, and the least chunk ever sent.
inline constexpr uint64_t kVSUploadChunkSizeWithProgress = 1024 * 1024;
inline constexpr uint64_t kVSUploadChunkSizeWithoutProgress = 256 * 1024;
inline constexpr uint64_t kVSMinimumUploadChunkSize = 50'000;

// One call of the central fetch with all its arguments, kept so that the
// request can run again (after a sign-in) on the same ticket.
struct VSServiceInvocation {
    std::shared_ptr<VSServiceBase> service;
    std::optional<plat::URL> URL;
    const VSClass* objectClass = nullptr;
    VSObjectPtr objectToPost;
    std::optional<std::string> ETag;
    std::optional<std::string> httpMethod;
    std::shared_ptr<SelectorTarget> delegate;
    VSFinishedSelector finishedSelector;
    VSCompletionHandler completionHandler;
    // Non-owning: a recorded request may name itself here.
    std::weak_ptr<VSServiceInvocation> retryInvocation;
    VSServiceTicketPtr ticket;

    VSServiceTicketPtr invoke() const;
};
using VSServiceInvocationPtr = std::shared_ptr<VSServiceInvocation>;

// The class of a service's tickets: makes one for the service.
using VSTicketClass = VSServiceTicketPtr (*)(const std::shared_ptr<VSServiceBase>&);

// Turns one call (a feed fetch, an entry post...) into one HTTP exchange and
// one callback: builds the request, chooses how the body goes (XML, a
// multipart stream or a chunked resumable upload), starts a fetcher through
// its fetcher service, parses the reply on its operation queue and delivers
// the object or the error, with the ticket, on the main thread, which started
// the request and where every fetcher lives. Fetch operations and settings:
// main thread. Make one with VSServiceBase::service<T>().
class VSServiceBase : public SelectorTarget, public std::enable_shared_from_this<VSServiceBase> {
public:
    struct ParsedReply {
        VSObjectPtr object;
        std::optional<plat::Error> error;
    };

    template <typename T = VSServiceBase> static std::shared_ptr<T> service()
    {
        auto made = std::make_shared<T>();
        made->init();
        return made;
    }
    // A bare service; init() gives it its queue, fetcher service and chunk size.
    VSServiceBase();
    ~VSServiceBase() override;
    VSServiceBase(const VSServiceBase&) = delete;
    VSServiceBase& operator=(const VSServiceBase&) = delete;
    virtual void init();
    virtual const char* className() const { return "VSServiceBase"; }

    // --- class-level answers ---
    virtual VSTicketClass ticketClass() const;
    virtual std::optional<std::string> defaultServiceVersion() const { return std::nullopt; }
    virtual uint64_t defaultServiceUploadChunkSize() const { return 0; }
    // "<device model>/<system version>".
    static std::string systemVersionString();
    // The app's bundle: the client library is linked into it.
    virtual const plat::Bundle& owningBundle() const;
    std::string defaultApplicationIdentifier() const;

    // --- the central fetch: every other fetch ends here ---
    // nullptr when nothing started or the callback has already run.
    VSServiceTicketPtr fetchObjectWithURL(const std::optional<plat::URL>& URL, const VSClass* objectClass,
        const VSObjectPtr& objectToPost, const std::optional<std::string>& ETag,
        const std::optional<std::string>& httpMethod, std::shared_ptr<SelectorTarget> delegate,
        VSFinishedSelector finishedSelector, VSCompletionHandler completionHandler,
        std::weak_ptr<VSServiceInvocation> retryInvocationValue, VSServiceTicketPtr ticket);

    // --- unauthenticated fetches ---
    VSServiceTicketPtr fetchPublicFeedWithURL(const plat::URL& feedURL, const VSClass* feedClass,
        std::shared_ptr<SelectorTarget> delegate, VSFinishedSelector finishedSelector);
    VSServiceTicketPtr fetchPublicFeedWithURL(
        const plat::URL& feedURL, const VSClass* feedClass, VSCompletionHandler handler);
    VSServiceTicketPtr fetchPublicEntryWithURL(const plat::URL& entryURL, const VSClass* entryClass,
        std::shared_ptr<SelectorTarget> delegate, VSFinishedSelector finishedSelector);
    VSServiceTicketPtr fetchPublicEntryWithURL(
        const plat::URL& entryURL, const VSClass* entryClass, VSCompletionHandler handler);
    VSServiceTicketPtr fetchPublicFeedWithQuery(const VSQuery& query, const VSClass* feedClass,
        std::shared_ptr<SelectorTarget> delegate, VSFinishedSelector finishedSelector);
    VSServiceTicketPtr fetchPublicFeedWithQuery(
        const VSQuery& query, const VSClass* feedClass, VSCompletionHandler handler);
    VSServiceTicketPtr fetchPublicFeedWithBatchFeed(const std::shared_ptr<VSFeedBase>& batchFeed,
        const plat::URL& feedURL, std::shared_ptr<SelectorTarget> delegate, VSFinishedSelector finishedSelector);
    VSServiceTicketPtr fetchPublicFeedWithBatchFeed(
        const std::shared_ptr<VSFeedBase>& batchFeed, const plat::URL& feedURL, VSCompletionHandler handler);
    VSServiceTicketPtr fetchPublicFeedWithBatchFeed(const std::shared_ptr<VSFeedBase>& batchFeed,
        const plat::URL& feedURL, std::shared_ptr<SelectorTarget> delegate, VSFinishedSelector finishedSelector,
        VSCompletionHandler handler);

    // --- requests ---
    virtual plat::URLRequest requestForURL(const plat::URL& url, const std::optional<std::string>& ETag,
        const std::optional<std::string>& httpMethod, const VSServiceTicketPtr& ticket);
    plat::URLRequest requestForURL(
        const plat::URL& url, const std::optional<std::string>& ETag, const std::optional<std::string>& httpMethod)
    {
        return requestForURL(url, ETag, httpMethod, nullptr);
    }
    plat::URLRequest objectRequestForURL(const plat::URL& url, const VSObjectPtr& object,
        const std::optional<std::string>& ETag, const std::optional<std::string>& httpMethod,
        const VSServiceTicketPtr& ticket);
    std::string requestUserAgent() const;

    // --- the object fetchers' callbacks (the service is their delegate) ---
    virtual void objectFetcher(
        WSHTTPFetcher& fetcher, const std::optional<plat::Data>& data, const std::optional<plat::Error>& error);
    void objectFetcherDidSendBytes(
        WSHTTPFetcher& fetcher, int64_t bytesSent, int64_t totalBytesSent, int64_t totalBytesExpectedToSend);
    bool objectFetcherWillRetry(WSHTTPFetcher& fetcher, bool suggestedWillRetry, const plat::Error& error);

    // Runs the main run loop until the ticket called back or the time ran
    // out on plat::Clock; true when it ended without an error.
    bool waitForTicket(const VSServiceTicketPtr& ticket, double timeoutSeconds, VSObjectPtr* fetchedObject,
        std::optional<plat::Error>* error);

    // --- reply handling, on any thread (the parse and the fuzz target use them) ---
    // The object a reply body makes: of objectClass (or by its kind when
    // none is given), and only when the root element is the class's own.
    static ParsedReply parseObjectFromData(const plat::Data& data, const VSClass* objectClass,
        const std::optional<std::string>& serviceVersion, const VSSurrogates& surrogates,
        bool shouldFeedsIgnoreUnknowns, const VSParseOperation* operation = nullptr);
    // The user info of a failure: the previous one plus "serverErrors",
    // "error" and the failure reason read from the reply.
    static plat::Dictionary userInfoForErrorResponseData(const std::optional<plat::Data>& data,
        const std::optional<std::string>& contentType, const plat::Dictionary& previousUserInfo);
    static void invokeCallback(const VSFinishedSelector& selector, SelectorTarget* target,
        const VSServiceTicketPtr& ticket, const VSObjectPtr& object, const std::optional<plat::Error>& error);
    static bool invokeRetrySelector(const VSRetrySelector& selector, SelectorTarget* delegate,
        const VSServiceTicketPtr& ticket, bool willRetry, const plat::Error& error);

    // --- settings ---
    std::optional<std::string> serviceVersion() const;
    void setServiceVersion(const std::optional<std::string>& version) { serviceVersion_ = version; }
    const std::optional<std::string>& userAgent() const { return userAgent_; }
    // Stores the sanitized token; setExactUserAgent stores the text unchanged.
    void setUserAgent(const std::optional<std::string>& agent);
    void setExactUserAgent(const std::optional<std::string>& agent) { userAgent_ = agent; }
    const std::vector<std::string>& runLoopModes() const;
    void setRunLoopModes(std::vector<std::string> modes);
    bool shouldFetchInBackground() const;
    void setShouldFetchInBackground(bool value);
    virtual void setUserCredentialsWithUsername(
        const std::optional<std::string>& username, const std::optional<std::string>& password);
    const std::optional<std::string>& username() const { return username_; }
    // The password unmasked; nullopt when none is set.
    std::optional<std::string> password() const;
    const std::shared_ptr<WSFetcherAuthorizationProtocol>& authorizer() const;
    void setAuthorizer(std::shared_ptr<WSFetcherAuthorizationProtocol> authorizer);
    bool shouldCacheResponseData() const;
    void setShouldCacheResponseData(bool cache);
    uint64_t responseDataCacheCapacity() const;
    void setResponseDataCacheCapacity(uint64_t bytes);
    void clearResponseDataCache();
    const std::shared_ptr<WSHTTPFetcherService>& fetcherService() const { return fetcherService_; }
    void setFetcherService(std::shared_ptr<WSHTTPFetcherService> service) { fetcherService_ = std::move(service); }
    // nullptr parses replies on the main thread, at once.
    const std::shared_ptr<plat::DispatchQueue>& operationQueue() const { return operationQueue_; }
    void setOperationQueue(std::shared_ptr<plat::DispatchQueue> queue) { operationQueue_ = std::move(queue); }
    int64_t cookieStorageMethod() const { return cookieStorageMethod_; }
    void setCookieStorageMethod(int64_t method) { cookieStorageMethod_ = method; }
    bool serviceShouldFollowNextLinks() const { return serviceShouldFollowNextLinks_; }
    void setServiceShouldFollowNextLinks(bool follow) { serviceShouldFollowNextLinks_ = follow; }
    const std::any& serviceUserData() const { return serviceUserData_; }
    void setServiceUserData(std::any data) { serviceUserData_ = std::move(data); }
    const WSPropertyDictionary& serviceProperties() const { return serviceProperties_; }
    void setServiceProperties(const WSPropertyDictionary& properties) { serviceProperties_ = properties; }
    // An empty value removes the key.
    void setServiceProperty(std::any value, const std::string& key);
    std::any servicePropertyForKey(std::string_view key) const;
    const VSSurrogates& serviceSurrogates() const { return serviceSurrogates_; }
    void setServiceSurrogates(const VSSurrogates& surrogates) { serviceSurrogates_ = surrogates; }
    bool shouldServiceFeedsIgnoreUnknowns() const { return shouldServiceFeedsIgnoreUnknowns_; }
    void setShouldServiceFeedsIgnoreUnknowns(bool ignore) { shouldServiceFeedsIgnoreUnknowns_ = ignore; }
    const VSUploadProgressSelector& serviceUploadProgressSelector() const { return serviceUploadProgressSelector_; }
    void setServiceUploadProgressSelector(VSUploadProgressSelector selector)
    {
        serviceUploadProgressSelector_ = std::move(selector);
    }
    const VSUploadProgressHandler& serviceUploadProgressHandler() const { return serviceUploadProgressBlock_; }
    void setServiceUploadProgressHandler(VSUploadProgressHandler handler)
    {
        serviceUploadProgressBlock_ = std::move(handler);
    }
    uint64_t serviceUploadChunkSize() const { return uploadChunkSize_; }
    // kVSStandardUploadChunkSize stores the standard size; 0 never chunks.
    void setServiceUploadChunkSize(uint64_t bytes);
    bool isServiceRetryEnabled() const { return isServiceRetryEnabled_; }
    void setServiceRetryEnabled(bool enabled) { isServiceRetryEnabled_ = enabled; }
    const VSRetrySelector& serviceRetrySelector() const { return serviceRetrySEL_; }
    void setServiceRetrySelector(VSRetrySelector selector) { serviceRetrySEL_ = std::move(selector); }
    double serviceMaxRetryInterval() const { return serviceMaxRetryInterval_; }
    void setServiceMaxRetryInterval(double seconds) { serviceMaxRetryInterval_ = seconds; }

protected:
    // The failure path: the delivered error keeps the fetcher's domain and
    // code and gains what the reply says.
    void objectFetcherFailedWithData(
        WSHTTPFetcher& fetcher, const std::optional<plat::Data>& data, const plat::Error& error);
    void parseObjectFromDataOfFetcher(const std::shared_ptr<WSHTTPFetcher>& fetcher);
    void handleParsedObjectForFetcher(const std::shared_ptr<WSHTTPFetcher>& fetcher);
    bool fetchNextFeedWithURL(const plat::URL& nextFeedURL, std::shared_ptr<SelectorTarget> delegate,
        VSFinishedSelector finishedSelector, VSCompletionHandler completionHandler, const VSServiceTicketPtr& ticket);
    void invokeProgressCallbackForTicket(
        const VSServiceTicketPtr& ticket, uint64_t deliveredBytes, uint64_t totalBytes, SelectorTarget* delegate);
    // The user's password for HTTP challenges, only for the ticket's own host.
    virtual void addAuthenticationToFetcher(WSHTTPFetcher& fetcher);
    // A batch request names its operations in the batch namespace and its
    // entries in the GData ones: declares those the feed does not.
    static void addBatchNamespacesToFeed(VSFeedBase& batchFeed);

    std::shared_ptr<plat::DispatchQueue> operationQueue_;
    std::optional<std::string> serviceVersion_;
    std::optional<std::string> userAgent_;
    std::shared_ptr<WSHTTPFetcherService> fetcherService_;
    std::optional<std::string> username_;
    // Each byte exclusive-or'd with kPasswordMask; nullopt without a password.
    std::optional<std::vector<uint8_t>> password_;
    std::any serviceUserData_;
    WSPropertyDictionary serviceProperties_;
    VSSurrogates serviceSurrogates_;
    bool shouldServiceFeedsIgnoreUnknowns_ = false;
    VSUploadProgressSelector serviceUploadProgressSelector_;
    VSUploadProgressHandler serviceUploadProgressBlock_;
    uint64_t uploadChunkSize_ = 0;
    bool isServiceRetryEnabled_ = false;
    VSRetrySelector serviceRetrySEL_;
    double serviceMaxRetryInterval_ = 0;
    int64_t cookieStorageMethod_ = -1;
    bool serviceShouldFollowNextLinks_ = false;
};

// The engine's values in a fetcher's property dictionary, by key; empty when absent or of another type.
template <typename T> T fetcherProperty(const WSHTTPFetcher& fetcher, std::string_view key)
{
    std::any value = fetcher.propertyForKey(key);
    if (const T* typed = std::any_cast<T>(&value))
        return *typed;
    return T();
}

}  // namespace zt
