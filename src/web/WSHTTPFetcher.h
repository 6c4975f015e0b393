#pragma once
#include <any>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "platform/foundation/Error.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/Value.h"
#include "platform/net/HTTPCookie.h"
#include "platform/net/URLAuthentication.h"
#include "platform/net/URLRequest.h"
#include "platform/net/URLResponse.h"
#include "web/Selector.h"

namespace plat {
class Bundle;
class InputStream;
class Timer;
class URLConnection;
class URLConnectionDelegate;
}  // namespace plat

namespace zt {

class WSFileHandle;
class WSHTTPFetcher;

// Error domains shared with the video service client, which compares
// against the status domain.
inline constexpr const char* kWSHTTPFetcherErrorDomain = "com.quorvane.WSHTTPFetcher";
inline constexpr const char* kWSHTTPFetcherStatusDomain = "com.quorvane.WSHTTPStatus";
inline constexpr const char* kWSHTTPFetcherErrorChallengeKey = "challenge";
inline constexpr const char* kWSHTTPFetcherStatusDataKey = "data";

enum : int64_t {
    kWSHTTPFetcherErrorDownloadFailed = -1,
    kWSHTTPFetcherErrorAuthenticationChallengeFailed = -2,
    kWSHTTPFetcherErrorChunkUploadFailed = -3,
    kWSHTTPFetcherErrorFileHandleException = -4,
    kWSHTTPFetcherErrorBackgroundExpiration = -6,
};

inline constexpr const char* kWSHTTPFetcherStartedNotification = "kWSHTTPFetcherStartedNotification";
inline constexpr const char* kWSHTTPFetcherStoppedNotification = "kWSHTTPFetcherStoppedNotification";
inline constexpr const char* kWSHTTPFetcherRetryDelayStartedNotification
    = "kWSHTTPFetcherRetryDelayStartedNotification";
inline constexpr const char* kWSHTTPFetcherRetryDelayStoppedNotification
    = "kWSHTTPFetcherRetryDelayStoppedNotification";

enum : int64_t {
    kWSHTTPFetcherCookieStorageMethodStatic = 0,
    kWSHTTPFetcherCookieStorageMethodFetchHistory = 1,
    kWSHTTPFetcherCookieStorageMethodSystemDefault = 2,
    kWSHTTPFetcherCookieStorageMethodNone = 3,
};

// Free caller values of a fetcher.
using WSPropertyDictionary = std::map<std::string, std::any, std::less<>>;

class WSCookieStorageProtocol {
public:
    virtual ~WSCookieStorageProtocol() = default;
    // Empty when no cookie matches.
    virtual std::optional<std::vector<plat::HTTPCookie>> cookiesForURL(const plat::URL& url) = 0;
    virtual void setCookies(const std::vector<plat::HTTPCookie>& cookies) = 0;
};

class WSHTTPFetchHistoryProtocol {
public:
    virtual ~WSHTTPFetchHistoryProtocol() = default;
    virtual void updateRequest(plat::URLRequest& request, bool isHTTPGet) = 0;
    virtual bool shouldCacheETaggedData() const = 0;
    virtual std::optional<plat::Data> cachedDataForRequest(const plat::URLRequest& request) = 0;
    virtual std::shared_ptr<WSCookieStorageProtocol> cookieStorage() const = 0;
    virtual void updateFetchHistoryWithRequest(const plat::URLRequest& request,
        const std::shared_ptr<const plat::URLResponse>& response, const std::optional<plat::Data>& downloadedData)
        = 0;
    virtual void removeCachedDataForRequest(const plat::URLRequest& request) = 0;
};

class WSHTTPFetcherServiceProtocol {
public:
    virtual ~WSHTTPFetcherServiceProtocol() = default;
    // True: start now; false: the service queued the fetcher and starts it later.
    virtual bool fetcherShouldBeginFetching(const std::shared_ptr<WSHTTPFetcher>& fetcher) = 0;
    virtual void fetcherDidStop(const std::shared_ptr<WSHTTPFetcher>& fetcher) = 0;
    virtual std::shared_ptr<WSHTTPFetcher> fetcherWithRequest(const plat::URLRequest& request) = 0;
    virtual bool isDelayingFetcher(const WSHTTPFetcher& fetcher) = 0;
};

// Signs requests before they are sent. The system has none; the hooks let one
// be supplied. Optional operations answer "not implemented" by default.
class WSFetcherAuthorizationProtocol {
public:
    virtual ~WSFetcherAuthorizationProtocol() = default;
    virtual bool isAuthorizedRequest(const plat::URLRequest& request) = 0;
    // Starts authorizing; answers later with fetcher->authorizerFinished().
    // False when the authorizer has no such operation.
    virtual bool authorizeRequest(std::shared_ptr<plat::URLRequest> request, std::shared_ptr<WSHTTPFetcher> fetcher);
    virtual bool isAuthorizingRequest(const plat::URLRequest& request) = 0;
    virtual void stopAuthorization() = 0;
    // Whether a refreshed authorization will be available; empty when not implemented.
    virtual std::optional<bool> primeForRefresh();
    // Empty when not implemented.
    virtual std::optional<WSHTTPFetcherServiceProtocol*> fetcherService();
    // False when not implemented.
    virtual bool setFetcherService(WSHTTPFetcherServiceProtocol* service);
};

// One HTTP request with its body, callbacks, retries, cookies and ETag
// handling, over the URL loading system's connection. A fetcher lives on the
// main thread (the thread with the run loop): the connection's messages, the
// retry timer and every callback arrive there.
class WSHTTPFetcher : public SelectorTarget, public std::enable_shared_from_this<WSHTTPFetcher> {
protected:
    struct Passkey {
        explicit Passkey() = default;
    };

public:
    using FinishedSelector
        = Selector<void(WSHTTPFetcher&, const std::optional<plat::Data>&, const std::optional<plat::Error>&)>;
    using SentDataSelector = Selector<void(WSHTTPFetcher&, int64_t, int64_t, int64_t)>;
    using ReceivedDataSelector = Selector<void(WSHTTPFetcher&, const plat::Data&)>;
    using RetrySelector = Selector<bool(WSHTTPFetcher&, bool, const plat::Error&)>;
    using CompletionBlock = std::function<void(const std::optional<plat::Data>&, const std::optional<plat::Error>&)>;
    using SentDataBlock = std::function<void(int64_t, int64_t, int64_t)>;
    using ReceivedDataBlock = std::function<void(const plat::Data&)>;
    using RetryBlock = std::function<bool(bool, const plat::Error&)>;

    // Makes the connection of a fetch, unstarted, for its request and
    // delegate; empty when it cannot. The kind of connection every fetcher uses.
    using ConnectionClass = std::function<std::shared_ptr<plat::URLConnection>(
        const plat::URLRequest&, std::shared_ptr<plat::URLConnectionDelegate>)>;

    // In-memory and file downloads stop with kURLErrorDataLengthExceedsMaximum
    // beyond this unless setMaximumDownloadLength says otherwise.
    static constexpr uint64_t kDefaultMaximumDownloadLength = 512ull * 1024 * 1024;

    static std::shared_ptr<WSHTTPFetcher> fetcherWithRequest(const std::optional<plat::URLRequest>& request);
    static std::shared_ptr<WSHTTPFetcher> fetcherWithURL(const plat::URL& url);
    static std::shared_ptr<WSHTTPFetcher> fetcherWithURLString(const std::string& text);

    WSHTTPFetcher(Passkey, const std::optional<plat::URLRequest>& request);
    ~WSHTTPFetcher() override;
    WSHTTPFetcher(const WSHTTPFetcher&) = delete;
    WSHTTPFetcher& operator=(const WSHTTPFetcher&) = delete;

    // "<class> <address> (<URL>)".
    std::string description() const;
    virtual const char* className() const { return "WSHTTPFetcher"; }

    // --- beginning and ending (the upload fetcher extends these) ---
    virtual bool beginFetchWithDelegate(std::shared_ptr<SelectorTarget> delegate, FinishedSelector finishedSelector);
    virtual bool beginFetchWithCompletionHandler(CompletionBlock handler);
    virtual void stopFetching();
    bool isFetching() const;
    // Runs the main run loop in slices of 0.001 s until the fetch ended and
    // released its callbacks, or until the time passes on plat::Clock.
    bool waitForCompletionWithTimeout(double seconds);

    // --- request and body ---
    std::shared_ptr<plat::URLRequest> mutableRequest() const { return request_; }
    void setMutableRequest(const std::optional<plat::URLRequest>& request);
    const std::optional<plat::Data>& postData() const { return postData_; }
    void setPostData(std::optional<plat::Data> data) { postData_ = std::move(data); }
    const std::shared_ptr<plat::InputStream>& postStream() const { return postStream_; }
    void setPostStream(std::shared_ptr<plat::InputStream> stream) { postStream_ = std::move(stream); }

    // --- credentials, cookies, history, authorizer, service ---
    const std::optional<plat::URLCredential>& credential() const { return credential_; }
    void setCredential(std::optional<plat::URLCredential> credential) { credential_ = std::move(credential); }
    const std::optional<plat::URLCredential>& proxyCredential() const { return proxyCredential_; }
    void setProxyCredential(std::optional<plat::URLCredential> credential) { proxyCredential_ = std::move(credential); }
    int64_t cookieStorageMethod() const { return cookieStorageMethod_; }
    void setCookieStorageMethod(int64_t method);
    const std::shared_ptr<WSCookieStorageProtocol>& cookieStorage() const { return cookieStorage_; }
    const std::shared_ptr<WSHTTPFetchHistoryProtocol>& fetchHistory() const { return fetchHistory_; }
    void setFetchHistory(std::shared_ptr<WSHTTPFetchHistoryProtocol> history);
    const std::shared_ptr<WSFetcherAuthorizationProtocol>& authorizer() const { return authorizer_; }
    void setAuthorizer(std::shared_ptr<WSFetcherAuthorizationProtocol> authorizer)
    {
        authorizer_ = std::move(authorizer);
    }
    // Not retained: the service holds its fetchers while they run.
    std::shared_ptr<WSHTTPFetcherServiceProtocol> service() const { return service_.lock(); }
    void setService(std::weak_ptr<WSHTTPFetcherServiceProtocol> service) { service_ = std::move(service); }
    const std::optional<std::string>& serviceHost() const { return serviceHost_; }
    void setServiceHost(std::optional<std::string> host) { serviceHost_ = std::move(host); }
    int64_t servicePriority() const { return servicePriority_; }
    void setServicePriority(int64_t priority) { servicePriority_ = priority; }
    const std::optional<std::thread::id>& thread() const { return thread_; }
    void setThread(std::optional<std::thread::id> thread) { thread_ = thread; }

    // --- callbacks ---
    const std::shared_ptr<SelectorTarget>& delegate() const { return delegate_; }
    void setDelegate(std::shared_ptr<SelectorTarget> delegate) { delegate_ = std::move(delegate); }
    bool shouldFetchInBackground() const { return shouldFetchInBackground_; }
    void setShouldFetchInBackground(bool value) { shouldFetchInBackground_ = value; }
    virtual SentDataSelector sentDataSelector() const { return sentDataSel_; }
    virtual void setSentDataSelector(SentDataSelector selector) { sentDataSel_ = std::move(selector); }
    const ReceivedDataSelector& receivedDataSelector() const { return receivedDataSel_; }
    void setReceivedDataSelector(ReceivedDataSelector selector) { receivedDataSel_ = std::move(selector); }
    const RetrySelector& retrySelector() const { return retrySel_; }
    void setRetrySelector(RetrySelector selector) { retrySel_ = std::move(selector); }
    const CompletionBlock& completionBlock() const { return completionBlock_; }
    void setCompletionBlock(CompletionBlock block) { completionBlock_ = std::move(block); }
    const SentDataBlock& sentDataBlock() const { return sentDataBlock_; }
    void setSentDataBlock(SentDataBlock block) { sentDataBlock_ = std::move(block); }
    const ReceivedDataBlock& receivedDataBlock() const { return receivedDataBlock_; }
    void setReceivedDataBlock(ReceivedDataBlock block) { receivedDataBlock_ = std::move(block); }
    const RetryBlock& retryBlock() const { return retryBlock_; }
    void setRetryBlock(RetryBlock block) { retryBlock_ = std::move(block); }

    // --- retries ---
    bool isRetryEnabled() const { return isRetryEnabled_; }
    void setRetryEnabled(bool enabled);
    double maxRetryInterval() const { return maxRetryInterval_; }
    void setMaxRetryInterval(double seconds);
    double minRetryInterval() const { return minRetryInterval_; }
    void setMinRetryInterval(double seconds);
    double retryFactor() const { return retryFactor_; }
    void setRetryFactor(double factor) { retryFactor_ = factor; }
    uint64_t retryCount() const { return retryCount_; }
    double nextRetryInterval() const;

    // --- response ---
    virtual int64_t statusCode() const;
    virtual std::optional<plat::HTTPHeaders> responseHeaders() const;
    const std::shared_ptr<const plat::URLResponse>& response() const { return response_; }
    void setResponse(std::shared_ptr<const plat::URLResponse> response) { response_ = std::move(response); }
    const std::optional<plat::Data>& downloadedData() const { return downloadedData_; }
    void setDownloadedData(std::optional<plat::Data> data) { downloadedData_ = std::move(data); }
    uint64_t downloadedLength() const { return downloadedLength_; }
    const std::optional<std::string>& downloadPath() const { return downloadPath_; }
    void setDownloadPath(std::optional<std::string> path) { downloadPath_ = std::move(path); }
    const std::optional<std::string>& temporaryDownloadPath() const { return temporaryDownloadPath_; }
    const std::shared_ptr<WSFileHandle>& downloadFileHandle() const { return downloadFileHandle_; }
    uint64_t maximumDownloadLength() const { return maximumDownloadLength_; }
    void setMaximumDownloadLength(uint64_t bytes) { maximumDownloadLength_ = bytes; }

    // --- free values ---
    const std::vector<std::string>& runLoopModes() const { return runLoopModes_; }
    void setRunLoopModes(std::vector<std::string> modes) { runLoopModes_ = std::move(modes); }
    const std::optional<std::string>& comment() const { return comment_; }
    void setComment(std::optional<std::string> comment) { comment_ = std::move(comment); }
    // The comment formatted as plat::formatLine formats ("{}" per argument); no format clears it.
    template <typename... Args>
    void setCommentWithFormat(std::optional<std::string_view> format, const Args&... arguments)
    {
        setComment(format ? std::optional<std::string>(plat::formatLine(*format, arguments...)) : std::nullopt);
    }
    const std::optional<std::string>& log() const { return log_; }
    void setLog(std::optional<std::string> log) { log_ = std::move(log); }
    const std::shared_ptr<void>& userData() const { return userData_; }
    void setUserData(std::shared_ptr<void> data) { userData_ = std::move(data); }
    const std::optional<WSPropertyDictionary>& properties() const { return properties_; }
    void setProperties(std::optional<WSPropertyDictionary> properties) { properties_ = std::move(properties); }
    // An empty value removes the key.
    void setProperty(std::any value, const std::string& key);
    std::any propertyForKey(std::string_view key) const;
    void addPropertiesFromDictionary(const WSPropertyDictionary& dictionary);

    // --- class-wide ---
    // The platform's URL connection unless another was set; setting none restores it.
    static ConnectionClass connectionClass();
    static void setConnectionClass(ConnectionClass connectionClass);
    static std::shared_ptr<WSCookieStorageProtocol> staticCookieStorage();
    static bool doesSupportSentDataCallback();

    // --- the admission and authorization hooks ---
    // The begin step, as the service starts a fetcher it delayed.
    bool beginFetchMayDelay(bool mayDelay, bool mayAuthorize);
    void authorizerFinished(WSFetcherAuthorizationProtocol& authorizer, const plat::URLRequest& request,
        const std::optional<plat::Error>& error);
    // What runs when the fetch's background task expires: the fetch ends with
    // kWSHTTPFetcherErrorBackgroundExpiration.
    void backgroundFetchExpired();

    // --- logging hooks (WSHTTPFetcherLogging.cpp) ---
    void setupStreamLogging();
    bool logCapturePostStream();
    void inputStreamReadIntoBuffer(plat::InputStream& stream, const uint8_t* buffer, uint64_t length);
    void logFetchWithError(const std::optional<plat::Error>& error);
    void logNowWithError(const std::optional<plat::Error>& error) { logFetchWithError(error); }
    std::optional<std::string> formattedStringFromData(
        const plat::Data& data, const std::optional<std::string>& contentType, plat::Value* json) const;
    std::optional<std::string> stringFromStreamData(
        const plat::Data& data, const std::optional<std::string>& contentType) const;
    static bool isLoggingEnabled();
    static void setLoggingEnabled(bool enabled);
    static bool isLoggingToFileEnabled();
    static void setLoggingToFileEnabled(bool enabled);
    static std::optional<std::string> loggingDirectory();
    static void setLoggingDirectory(std::optional<std::string> path);
    static std::string loggingProcessName();
    static void setLoggingProcessName(std::optional<std::string> name);
    static std::string loggingDateStamp();
    static void setLoggingDateStamp(std::optional<std::string> stamp);

protected:
    class ConnectionDelegate;
    friend class ConnectionDelegate;

    // The base releases its callbacks when a fetch ends; the upload fetcher keeps them.
    virtual bool shouldReleaseCallbacksUponCompletion() const { return true; }
    virtual void connectionDidFinishLoading();
    virtual void connectionDidFail(const plat::Error& error);
    void stopFetchReleasingCallbacks(bool shouldReleaseCallbacks);
    void releaseCallbacks();
    void invokeFinishedCallbacks(const std::optional<plat::Data>& data, const std::optional<plat::Error>& error);
    void failToBeginFetchWithError(const std::optional<plat::Error>& error);
    bool shouldRetryNowForStatus(int64_t status, const std::optional<plat::Error>& error);
    void beginRetryTimer();
    void retryTimerFired();
    void destroyRetryTimer();
    void sendStopNotificationIfNeeded();
    void addCookiesToRequest(plat::URLRequest& request);
    void handleCookiesForResponse(const plat::URLResponse& response);
    std::optional<plat::URLRequest> willSendRequest(
        const plat::URLRequest& request, const std::shared_ptr<const plat::URLResponse>& redirectResponse);
    void didReceiveAuthenticationChallenge(const plat::URLAuthenticationChallenge& challenge);
    void didReceiveResponse(const std::shared_ptr<const plat::URLResponse>& response);
    virtual void didSendBodyData(int64_t bytesWritten, int64_t totalBytesWritten, int64_t totalBytesExpectedToWrite);
    void didReceiveData(const plat::Data& data);
    plat::Error statusError(int64_t status, const std::optional<plat::Data>& body) const;
    void removeTemporaryDownloadFile();
    bool createTemporaryDownloadFile(std::optional<plat::Error>& error);
    void beginBackgroundTask();
    void endBackgroundTask();
    std::optional<plat::Error> downloadLimitError(uint64_t length) const;

    // Fields in the order the fetcher keeps them.
    std::shared_ptr<plat::URLRequest> request_;
    std::shared_ptr<plat::URLConnection> connection_;
    std::optional<plat::Data> downloadedData_;
    std::optional<std::string> downloadPath_;
    std::optional<std::string> temporaryDownloadPath_;
    std::shared_ptr<WSFileHandle> downloadFileHandle_;
    uint64_t downloadedLength_ = 0;
    std::optional<plat::URLCredential> credential_;
    std::optional<plat::URLCredential> proxyCredential_;
    std::optional<plat::Data> postData_;
    std::shared_ptr<plat::InputStream> postStream_;
    std::optional<plat::Data> loggedStreamData_;
    std::shared_ptr<const plat::URLResponse> response_;
    std::shared_ptr<SelectorTarget> delegate_;
    FinishedSelector finishedSel_;
    SentDataSelector sentDataSel_;
    ReceivedDataSelector receivedDataSel_;
    CompletionBlock completionBlock_;
    ReceivedDataBlock receivedDataBlock_;
    SentDataBlock sentDataBlock_;
    RetryBlock retryBlock_;
    bool hasConnectionEnded_ = false;
    bool isCancellingChallenge_ = false;
    bool isStopNotificationNeeded_ = false;
    bool shouldFetchInBackground_ = false;
    uint64_t backgroundTaskIdentifer_ = 0;
    std::shared_ptr<void> userData_;
    std::optional<WSPropertyDictionary> properties_;
    std::vector<std::string> runLoopModes_;
    std::shared_ptr<WSHTTPFetchHistoryProtocol> fetchHistory_;
    int64_t cookieStorageMethod_ = kWSHTTPFetcherCookieStorageMethodStatic;
    std::shared_ptr<WSCookieStorageProtocol> cookieStorage_;
    std::shared_ptr<WSFetcherAuthorizationProtocol> authorizer_;
    std::weak_ptr<WSHTTPFetcherServiceProtocol> service_;
    std::optional<std::string> serviceHost_;
    int64_t servicePriority_ = 0;
    std::optional<std::thread::id> thread_;
    bool isRetryEnabled_ = false;
    RetrySelector retrySel_;
    std::shared_ptr<plat::Timer> retryTimer_;
    uint64_t retryCount_ = 0;
    double maxRetryInterval_ = -1.0;
    double minRetryInterval_ = 0;
    double retryFactor_ = 2.0;
    double lastRetryInterval_ = 0;
    bool hasAttemptedAuthRefresh_ = false;
    std::optional<std::string> comment_;
    std::optional<std::string> log_;

    // Ours: where credentials may go (the host the fetch began with) and the download cap.
    std::string expectedHost_;
    uint64_t maximumDownloadLength_ = kDefaultMaximumDownloadLength;
};

// A debugging check of a delegate's callback signature; the selector types
// make that a compile-time matter here, so it does nothing.
template <typename... Anything> void checkCallbackSelectorArguments(const Anything&...) { }

// nullopt for nullopt; otherwise blanks become "_" and whitespace, line
// breaks and the HTTP separators ()<>@,;:\"/[]?={} are removed.
std::optional<std::string> sanitizeUserAgentToken(const std::optional<std::string>& token);
// "<device model>/<system version>", computed once.
std::string deviceModelAndSystemVersion();
// "<bundle identifier or proc_<process>>[/<short version>]", computed once;
// nullptr means the main bundle.
std::string applicationIdentifierForBundle(const plat::Bundle* bundle);

}  // namespace zt
