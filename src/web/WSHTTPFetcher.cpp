#include "web/WSHTTPFetcher.h"

#include <cerrno>
#include <fcntl.h>
#include <mutex>
#include <random>
#include <sys/utsname.h>
#include <unistd.h>
#include <utility>

#include "platform/foundation/Bundle.h"
#include "platform/foundation/Clock.h"
#include "platform/foundation/Files.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/Once.h"
#include "platform/foundation/Paths.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/Sandbox.h"
#include "platform/foundation/Text.h"
#include "platform/foundation/Timer.h"
#include "platform/net/HTTPCookieStorage.h"
#include "platform/net/InputStream.h"
#include "platform/net/URLConnection.h"
#include "platform/net/URLError.h"
#include "platform/ui/Application.h"
#include "web/WSCookieStorage.h"
#include "web/WSFileHandle.h"

namespace zt {

namespace {

// How many names a new temporary download file tries before giving up.
constexpr int kTemporaryFileAttempts = 16;

uint32_t randomUInt32()
{
    static thread_local std::mt19937 generator {std::random_device {}()};
    return static_cast<uint32_t>(generator());
}

plat::Dictionary challengeDescription(const plat::URLAuthenticationChallenge& challenge)
{
    const auto& space = challenge.protectionSpace();
    return plat::Dictionary {{"host", space.host()}, {"port", plat::Value(space.port())},
        {"protocol", space.protocol()}, {"realm", space.realm()},
        {"authenticationMethod", space.authenticationMethod()},
        {"previousFailureCount", plat::Value(challenge.previousFailureCount())}};
}

void postNotification(const char* name, const WSHTTPFetcher* fetcher)
{
    plat::NotificationCenter::defaultCenter().post(name, fetcher);
}

std::shared_ptr<plat::URLConnection> platformConnection(
    const plat::URLRequest& request, std::shared_ptr<plat::URLConnectionDelegate> delegate)
{
    if (!plat::URLConnection::canHandleRequest(request))
        return nullptr;
    return plat::URLConnection::create(request, std::move(delegate), /*startImmediately=*/false);
}

// The class-wide choice of connection; fetchers may begin on any thread.
struct ConnectionClassSetting {
    std::mutex lock;
    WSHTTPFetcher::ConnectionClass connectionClass;  // guarded by lock; empty means the platform's
};

ConnectionClassSetting& connectionClassSetting()
{
    static ConnectionClassSetting setting;
    return setting;
}

}  // namespace

// --- authorizer defaults ---

bool WSFetcherAuthorizationProtocol::authorizeRequest(std::shared_ptr<plat::URLRequest>, std::shared_ptr<WSHTTPFetcher>)
{
    return false;
}

std::optional<bool> WSFetcherAuthorizationProtocol::primeForRefresh()
{
    return std::nullopt;
}

std::optional<WSHTTPFetcherServiceProtocol*> WSFetcherAuthorizationProtocol::fetcherService()
{
    return std::nullopt;
}

bool WSFetcherAuthorizationProtocol::setFetcherService(WSHTTPFetcherServiceProtocol*)
{
    return false;
}

// --- the connection's delegate: keeps the fetcher alive while its connection runs ---

class WSHTTPFetcher::ConnectionDelegate final : public plat::URLConnectionDelegate {
public:
    explicit ConnectionDelegate(std::shared_ptr<WSHTTPFetcher> fetcher)
        : _fetcher(std::move(fetcher))
    {
    }

    std::optional<plat::URLRequest> willSendRequest(plat::URLConnection& connection, const plat::URLRequest& request,
        const std::shared_ptr<const plat::URLResponse>& redirectResponse) override
    {
        if (!isCurrent(connection))
            return request;
        return _fetcher->willSendRequest(request, redirectResponse);
    }
    void didReceiveAuthenticationChallenge(
        plat::URLConnection& connection, const plat::URLAuthenticationChallenge& challenge) override
    {
        if (isCurrent(connection))
            _fetcher->didReceiveAuthenticationChallenge(challenge);
        else if (auto sender = challenge.sender())
            sender->cancelAuthenticationChallenge(challenge);
    }
    void didReceiveResponse(
        plat::URLConnection& connection, const std::shared_ptr<const plat::URLResponse>& response) override
    {
        if (isCurrent(connection))
            _fetcher->didReceiveResponse(response);
    }
    void didReceiveData(plat::URLConnection& connection, const plat::Data& data) override
    {
        if (isCurrent(connection))
            _fetcher->didReceiveData(data);
    }
    void didSendBodyData(plat::URLConnection& connection, int64_t now, int64_t total, int64_t expected) override
    {
        if (isCurrent(connection))
            _fetcher->didSendBodyData(now, total, expected);
    }
    void didFinishLoading(plat::URLConnection& connection) override
    {
        if (isCurrent(connection))
            _fetcher->connectionDidFinishLoading();
    }
    void didFailWithError(plat::URLConnection& connection, const plat::Error& error) override
    {
        if (isCurrent(connection))
            _fetcher->connectionDidFail(error);
    }

private:
    bool isCurrent(const plat::URLConnection& connection) const { return _fetcher->connection_.get() == &connection; }
    std::shared_ptr<WSHTTPFetcher> _fetcher;
};

// --- creation ---

std::shared_ptr<WSHTTPFetcher> WSHTTPFetcher::fetcherWithRequest(const std::optional<plat::URLRequest>& request)
{
    return std::make_shared<WSHTTPFetcher>(Passkey(), request);
}

std::shared_ptr<WSHTTPFetcher> WSHTTPFetcher::fetcherWithURL(const plat::URL& url)
{
    return fetcherWithRequest(plat::URLRequest(url));
}

std::shared_ptr<WSHTTPFetcher> WSHTTPFetcher::fetcherWithURLString(const std::string& text)
{
    return fetcherWithRequest(plat::URLRequest(plat::URL::URLWithString(text)));
}

WSHTTPFetcher::WSHTTPFetcher(Passkey, const std::optional<plat::URLRequest>& request)
{
    setMutableRequest(request);
    setCookieStorageMethod(staticCookieStorage() ? kWSHTTPFetcherCookieStorageMethodStatic
                                                 : kWSHTTPFetcherCookieStorageMethodSystemDefault);
}

WSHTTPFetcher::~WSHTTPFetcher()
{
    if (retryTimer_)
        retryTimer_->invalidate();
    downloadFileHandle_.reset();
    if (temporaryDownloadPath_)
        (void)plat::removeItem(*temporaryDownloadPath_);
}

std::string WSHTTPFetcher::description() const
{
    std::string url = request_ && request_->url() ? request_->url()->absoluteString() : "(null)";
    return plat::formatLine("{} {} ({})", className(), static_cast<const void*>(this), url);
}

void WSHTTPFetcher::setMutableRequest(const std::optional<plat::URLRequest>& request)
{
    request_ = request ? std::make_shared<plat::URLRequest>(*request) : nullptr;
}

std::shared_ptr<WSCookieStorageProtocol> WSHTTPFetcher::staticCookieStorage()
{
    static std::shared_ptr<WSCookieStorageProtocol> storage = std::make_shared<WSCookieStorage>();
    return storage;
}

WSHTTPFetcher::ConnectionClass WSHTTPFetcher::connectionClass()
{
    auto& setting = connectionClassSetting();
    std::lock_guard guard(setting.lock);
    if (setting.connectionClass)
        return setting.connectionClass;
    return platformConnection;
}

void WSHTTPFetcher::setConnectionClass(ConnectionClass connectionClass)
{
    auto& setting = connectionClassSetting();
    std::lock_guard guard(setting.lock);
    setting.connectionClass = std::move(connectionClass);
}

bool WSHTTPFetcher::doesSupportSentDataCallback()
{
    return true;  // the URL loading stand-in reports body progress
}

// --- properties ---

void WSHTTPFetcher::setCookieStorageMethod(int64_t method)
{
    cookieStorageMethod_ = method;
    if (method == kWSHTTPFetcherCookieStorageMethodSystemDefault) {
        if (request_)
            request_->setHTTPShouldHandleCookies(true);
        cookieStorage_.reset();
        return;
    }
    if (request_)
        request_->setHTTPShouldHandleCookies(false);
    if (method == kWSHTTPFetcherCookieStorageMethodStatic) {
        cookieStorage_ = staticCookieStorage();
        if (!cookieStorage_)
            plat::log("cookie storage requires WSHTTPFetchHistory");
    } else if (method == kWSHTTPFetcherCookieStorageMethodFetchHistory) {
        // Without a history there are no cookies to use.
        cookieStorage_ = fetchHistory_ ? fetchHistory_->cookieStorage() : nullptr;
    } else {
        cookieStorage_.reset();
    }
}

void WSHTTPFetcher::setFetchHistory(std::shared_ptr<WSHTTPFetchHistoryProtocol> history)
{
    fetchHistory_ = std::move(history);
    if (fetchHistory_)
        setCookieStorageMethod(kWSHTTPFetcherCookieStorageMethodFetchHistory);
    else if (cookieStorageMethod_ == kWSHTTPFetcherCookieStorageMethodFetchHistory)
        setCookieStorageMethod(kWSHTTPFetcherCookieStorageMethodStatic);
}

void WSHTTPFetcher::setRetryEnabled(bool enabled)
{
    if (enabled && !isRetryEnabled_) {
        setMinRetryInterval(0.0);
        maxRetryInterval_ = -1.0;
        retryFactor_ = 2.0;
        lastRetryInterval_ = 0.0;
    }
    isRetryEnabled_ = enabled;
}

void WSHTTPFetcher::setMaxRetryInterval(double seconds)
{
    maxRetryInterval_ = seconds > 0 ? seconds : -1.0;
}

void WSHTTPFetcher::setMinRetryInterval(double seconds)
{
    if (seconds > 0) {
        minRetryInterval_ = seconds;
        return;
    }
    // A random 16-bit fraction above one second spreads the clients' retries.
    minRetryInterval_ = static_cast<double>(randomUInt32() & 0xFFFF) / 65535.0 + 1.0;
}

double WSHTTPFetcher::nextRetryInterval() const
{
    double interval = std::min(lastRetryInterval_ * retryFactor_, maxRetryInterval_);
    return std::max(interval, minRetryInterval_);
}

int64_t WSHTTPFetcher::statusCode() const
{
    return response_ ? response_->statusCode() : 0;
}

std::optional<plat::HTTPHeaders> WSHTTPFetcher::responseHeaders() const
{
    if (!response_)
        return std::nullopt;
    return response_->allHeaderFields();
}

void WSHTTPFetcher::setProperty(std::any value, const std::string& key)
{
    if (!value.has_value()) {
        if (properties_)
            properties_->erase(key);
        return;
    }
    if (!properties_)
        properties_.emplace();
    properties_->insert_or_assign(key, std::move(value));
}

std::any WSHTTPFetcher::propertyForKey(std::string_view key) const
{
    if (!properties_)
        return {};
    auto it = properties_->find(key);
    return it == properties_->end() ? std::any() : it->second;
}

void WSHTTPFetcher::addPropertiesFromDictionary(const WSPropertyDictionary& dictionary)
{
    if (!properties_) {
        properties_ = dictionary;
        return;
    }
    for (const auto& [key, value] : dictionary)
        properties_->insert_or_assign(key, value);
}

// --- beginning ---

bool WSHTTPFetcher::beginFetchWithDelegate(std::shared_ptr<SelectorTarget> delegate, FinishedSelector finishedSelector)
{
    delegate_ = std::move(delegate);
    finishedSel_ = std::move(finishedSelector);
    return beginFetchMayDelay(/*mayDelay=*/true, /*mayAuthorize=*/true);
}

bool WSHTTPFetcher::beginFetchWithCompletionHandler(CompletionBlock handler)
{
    completionBlock_ = std::move(handler);
    return beginFetchWithDelegate(delegate_, nullptr);
}

bool WSHTTPFetcher::beginFetchMayDelay(bool mayDelay, bool mayAuthorize)
{
    auto self = shared_from_this();
    if (connection_) {
        plat::log("WSHTTPFetcher {} is already fetching", description());
        failToBeginFetchWithError(std::nullopt);
        return false;
    }
    if (!request_ || !request_->url()) {
        plat::log("beginFetchWithDelegate requires a request");
        failToBeginFetchWithError(std::nullopt);
        return false;
    }
    downloadedData_.reset();
    downloadedLength_ = 0;
    expectedHost_ = plat::lowercaseString(request_->url()->host());

    if (auto service = service_.lock(); mayDelay && service && !service->fetcherShouldBeginFetching(self))
        return true;  // the service starts us later

    std::optional<std::string> effectiveMethod = request_->valueForHTTPHeaderField("X-HTTP-Method-Override");
    bool hasOverride = effectiveMethod.has_value();
    if (!effectiveMethod)
        effectiveMethod = request_->HTTPMethod();
    bool isEffectiveHTTPGet = *effectiveMethod == "GET" || (!hasOverride && effectiveMethod->empty());

    if (postData_ || postStream_) {
        if (isEffectiveHTTPGet)
            request_->setHTTPMethod("POST");
        if (postData_) {
            request_->setHTTPBody(postData_);
        } else {
            setupStreamLogging();
            request_->setHTTPBodyStream(postStream_);
        }
        isEffectiveHTTPGet = false;
    }

    if (mayAuthorize && authorizer_ && !authorizer_->isAuthorizedRequest(*request_)) {
        if (authorizer_->authorizeRequest(request_, self))
            return true;
        plat::log("invalid authorizer for fetch");
        return beginFetchMayDelay(/*mayDelay=*/false, /*mayAuthorize=*/false);
    }

    if (fetchHistory_)
        fetchHistory_->updateRequest(*request_, isEffectiveHTTPGet);

    if (isRetryEnabled_ && maxRetryInterval_ <= -1.0)
        maxRetryInterval_ = (isEffectiveHTTPGet || *effectiveMethod == "HEAD") ? 60.0 : 600.0;

    addCookiesToRequest(*request_);

    if (downloadPath_) {
        std::optional<plat::Error> fileError;
        if (!createTemporaryDownloadFile(fileError)) {
            failToBeginFetchWithError(fileError);
            return false;
        }
    }

    auto connection = connectionClass()(*request_, std::make_shared<ConnectionDelegate>(self));
    if (!connection) {
        plat::log("beginFetchWithDelegate could not create a connection");
        failToBeginFetchWithError(std::nullopt);
        return false;
    }
    connection_ = connection;
    for (const auto& mode : runLoopModes_)
        connection->scheduleInRunLoop(mode);
    hasConnectionEnded_ = false;
    if (!downloadFileHandle_)
        downloadedData_ = plat::Data();
    if (shouldFetchInBackground_)
        beginBackgroundTask();
    connection->start();

    postNotification(kWSHTTPFetcherStartedNotification, this);
    isStopNotificationNeeded_ = true;
    return true;
}

bool WSHTTPFetcher::createTemporaryDownloadFile(std::optional<plat::Error>& error)
{
    static std::atomic<uint32_t> counter {0};
    auto sandbox = plat::Sandbox::current();
    const std::string folder = sandbox->temporaryDirectory();
    auto made = plat::createDirectory(folder, plat::IntermediateDirectories::Yes);
    if (!made.ok()) {
        error = made.error();
        return false;
    }
    // The name is hard to guess, but only O_EXCL makes sure nobody else made
    // the file first; the owner alone may read what is downloaded.
    for (int attempt = 0; attempt < kTemporaryFileAttempts; ++attempt) {
        std::string path = plat::appendingPathComponent(
            folder, plat::formatLine("wshttpfetcher_{}_{}", counter.fetch_add(1) + 1, randomUInt32()));
        int descriptor = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0600);
        if (descriptor < 0) {
            if (errno == EEXIST)
                continue;
            error = plat::Error::posix(errno, "open", path);
            return false;
        }
        temporaryDownloadPath_ = path;
        downloadFileHandle_ = WSFileHandle::fileHandleWithDescriptor(descriptor, path);
        return true;
    }
    error = plat::Error::posix(EEXIST, "open", folder);
    return false;
}

void WSHTTPFetcher::authorizerFinished(
    WSFetcherAuthorizationProtocol&, const plat::URLRequest&, const std::optional<plat::Error>& error)
{
    if (error) {
        failToBeginFetchWithError(error);
        return;
    }
    beginFetchMayDelay(/*mayDelay=*/false, /*mayAuthorize=*/false);
}

void WSHTTPFetcher::failToBeginFetchWithError(const std::optional<plat::Error>& error)
{
    auto self = shared_from_this();
    plat::Error failure = error
        ? *error
        : plat::Error(kWSHTTPFetcherErrorDomain, kWSHTTPFetcherErrorDownloadFailed, "The fetch could not begin.");
    invokeFinishedCallbacks(std::nullopt, failure);
    releaseCallbacks();
    if (auto service = service_.lock())
        service->fetcherDidStop(self);
    authorizer_.reset();
    removeTemporaryDownloadFile();
}

// --- cookies ---

void WSHTTPFetcher::addCookiesToRequest(plat::URLRequest& request)
{
    if (cookieStorageMethod_ == kWSHTTPFetcherCookieStorageMethodSystemDefault
        || cookieStorageMethod_ == kWSHTTPFetcherCookieStorageMethodNone || !cookieStorage_ || !request.url())
        return;
    auto cookies = cookieStorage_->cookiesForURL(*request.url());
    if (!cookies)
        return;
    if (auto value = plat::HTTPCookie::requestHeaderFieldsWithCookies(*cookies).value("Cookie"))
        request.addValue(*value, "Cookie");
}

void WSHTTPFetcher::handleCookiesForResponse(const plat::URLResponse& response)
{
    if (cookieStorageMethod_ == kWSHTTPFetcherCookieStorageMethodSystemDefault
        || cookieStorageMethod_ == kWSHTTPFetcherCookieStorageMethodNone || !cookieStorage_)
        return;
    auto cookies = plat::HTTPCookie::cookiesWithResponseHeaderFields(response.allHeaderFields(), response.url());
    if (!cookies.empty())
        cookieStorage_->setCookies(cookies);
}

// --- the connection's messages ---

std::optional<plat::URLRequest> WSHTTPFetcher::willSendRequest(
    const plat::URLRequest& request, const std::shared_ptr<const plat::URLResponse>& redirectResponse)
{
    if (!redirectResponse)
        return request;
    auto self = shared_from_this();
    handleCookiesForResponse(*redirectResponse);

    plat::URLRequest redirected = *request_;
    const plat::URL& target = *request.url();
    const std::string currentScheme = plat::lowercaseString(request_->url()->scheme());
    std::string scheme = currentScheme;
    if (scheme == "http" && plat::lowercaseString(target.scheme()) == "https")
        scheme = "https";
    const std::string& text = target.absoluteString();
    std::string resourceSpecifier = text.substr(text.find(':') + 1);
    auto url = plat::URL::URLWithString(scheme + ":" + resourceSpecifier);
    if (!url)
        url = target;
    redirected.setURL(url);
    for (const auto& [name, value] : request.allHTTPHeaderFields().joinedFields())
        redirected.setValue(value, name);

    // Credentials belong to the host the fetch began with, and never go out
    // in clear after a secure start.
    const bool leavesHost = plat::lowercaseString(url->host()) != expectedHost_;
    const bool downgrades = currentScheme == "https" && plat::lowercaseString(url->scheme()) == "http";
    if (leavesHost || downgrades) {
        redirected.setValue(std::nullopt, "Authorization");
        credential_.reset();
        proxyCredential_.reset();
    }

    redirected.setValue(std::nullopt, "Cookie");
    addCookiesToRequest(redirected);
    response_ = redirectResponse;
    logNowWithError(std::nullopt);
    request_ = std::make_shared<plat::URLRequest>(redirected);
    return redirected;
}

void WSHTTPFetcher::didReceiveAuthenticationChallenge(const plat::URLAuthenticationChallenge& challenge)
{
    auto self = shared_from_this();
    auto sender = challenge.sender();
    const auto& space = challenge.protectionSpace();
    if (challenge.previousFailureCount() < 3 && sender) {
        std::optional<plat::URLCredential> credential = credential_;
        if (space.isProxy() && proxyCredential_)
            credential = proxyCredential_;
        // A password answers only the host the fetch was made for, and only
        // where it does not cross the wire in clear.
        if (credential && !space.isProxy() && plat::lowercaseString(space.host()) != expectedHost_)
            credential.reset();
        if (credential && credential->hasPassword() && !space.receivesCredentialSecurely())
            credential.reset();
        if (credential) {
            sender->useCredential(*credential, challenge);
            return;
        }
    }
    isCancellingChallenge_ = true;
    if (sender)
        sender->cancelAuthenticationChallenge(challenge);
    isCancellingChallenge_ = false;
    plat::Dictionary userInfo {{kWSHTTPFetcherErrorChallengeKey, challengeDescription(challenge)}};
    connectionDidFail(plat::Error(kWSHTTPFetcherErrorDomain, kWSHTTPFetcherErrorAuthenticationChallengeFailed,
        "The authentication challenge had no answer.", userInfo));
}

std::optional<plat::Error> WSHTTPFetcher::downloadLimitError(uint64_t length) const
{
    if (length <= maximumDownloadLength_)
        return std::nullopt;
    return plat::makeURLError(plat::kURLErrorDataLengthExceedsMaximum,
        plat::formatLine("The response is larger than {} bytes.", maximumDownloadLength_),
        request_ && request_->url() ? request_->url()->absoluteString() : std::string());
}

void WSHTTPFetcher::didReceiveResponse(const std::shared_ptr<const plat::URLResponse>& response)
{
    auto self = shared_from_this();
    if (downloadedData_)
        downloadedData_->clear();
    if (downloadFileHandle_) {
        if (auto truncated = downloadFileHandle_->truncateFileAtOffset(0); !truncated.ok())
            plat::log("WSHTTPFetcher: cannot truncate the download file: {}", truncated.error().description());
    }
    downloadedLength_ = 0;
    response_ = response;
    handleCookiesForResponse(*response);
    const int64_t expected = response->expectedContentLength();
    if (expected > 0) {
        if (auto error = downloadLimitError(static_cast<uint64_t>(expected)))
            connectionDidFail(*error);
    }
}

void WSHTTPFetcher::didSendBodyData(int64_t bytesWritten, int64_t totalBytesWritten, int64_t totalBytesExpectedToWrite)
{
    auto self = shared_from_this();
    SentDataSelector selector = sentDataSelector();
    if (delegate_ && selector.respondsTo(*delegate_))
        selector(*delegate_, *this, bytesWritten, totalBytesWritten, totalBytesExpectedToWrite);
    if (sentDataBlock_)
        sentDataBlock_(bytesWritten, totalBytesWritten, totalBytesExpectedToWrite);
}

void WSHTTPFetcher::didReceiveData(const plat::Data& data)
{
    auto self = shared_from_this();
    if (auto error = downloadLimitError(downloadedLength_ + data.size())) {
        connectionDidFail(*error);
        return;
    }
    if (downloadFileHandle_) {
        auto written = downloadFileHandle_->writeData(data);
        auto offset = written.ok() ? downloadFileHandle_->offsetInFile() : plat::Result<uint64_t>(written.error());
        if (!offset.ok()) {
            connectionDidFail(plat::Error(kWSHTTPFetcherStatusDomain, kWSHTTPFetcherErrorFileHandleException,
                offset.error().localizedDescription()));
            return;
        }
        downloadedLength_ = offset.value();
    } else {
        if (!downloadedData_)
            downloadedData_ = plat::Data();
        downloadedData_->insert(downloadedData_->end(), data.begin(), data.end());
        downloadedLength_ = downloadedData_->size();
    }
    const plat::Data& soFar = downloadedData_ ? *downloadedData_ : data;
    if (delegate_ && receivedDataSel_.respondsTo(*delegate_))
        receivedDataSel_(*delegate_, *this, soFar);
    if (receivedDataBlock_)
        receivedDataBlock_(soFar);
}

plat::Error WSHTTPFetcher::statusError(int64_t status, const std::optional<plat::Data>& body) const
{
    plat::Dictionary userInfo;
    if (body && !body->empty())
        userInfo.set(kWSHTTPFetcherStatusDataKey, *body);
    return plat::Error(kWSHTTPFetcherStatusDomain, status,
        plat::formatLine("The server answered with status {} ({}).", status,
            plat::URLResponse::localizedStringForStatusCode(status)),
        userInfo);
}

void WSHTTPFetcher::connectionDidFinishLoading()
{
    auto self = shared_from_this();
    hasConnectionEnded_ = true;
    if (fetchHistory_) {
        if (!downloadFileHandle_)
            fetchHistory_->updateFetchHistoryWithRequest(*request_, response_, downloadedData_);
        else
            fetchHistory_->removeCachedDataForRequest(*request_);
    }
    logNowWithError(std::nullopt);

    int64_t status = statusCode();
    if (status == 304 && fetchHistory_ && fetchHistory_->shouldCacheETaggedData()) {
        if (auto cached = fetchHistory_->cachedDataForRequest(*request_)) {
            if (downloadFileHandle_) {
                auto written = downloadFileHandle_->truncateFileAtOffset(0);
                if (written.ok())
                    written = downloadFileHandle_->writeData(*cached);
                if (written.ok()) {
                    downloadedLength_ = cached->size();
                    status = 200;
                } else {
                    status = kWSHTTPFetcherErrorFileHandleException;
                }
            } else {
                downloadedData_ = *cached;
                downloadedLength_ = cached->size();
                status = 200;
            }
        }
    }
    sendStopNotificationIfNeeded();

    std::optional<plat::Error> error;
    if (status >= 0 && status < 300) {
        if (downloadPath_ && downloadFileHandle_) {
            downloadFileHandle_->closeFile();
            downloadFileHandle_.reset();
            if (plat::fileExists(*downloadPath_))
                (void)plat::removeItem(*downloadPath_);
            auto moved = plat::moveItem(*temporaryDownloadPath_, *downloadPath_);
            if (moved.ok())
                temporaryDownloadPath_.reset();
            else
                error = moved.error();
        }
    } else {
        if (shouldRetryNowForStatus(status, std::nullopt)) {
            connection_.reset();
            beginRetryTimer();
            return;
        }
        error = statusError(status, downloadedData_);
    }
    invokeFinishedCallbacks(downloadedData_, error);
    stopFetchReleasingCallbacks(shouldReleaseCallbacksUponCompletion());
}

void WSHTTPFetcher::connectionDidFail(const plat::Error& error)
{
    if (!connection_ || isCancellingChallenge_)
        return;
    auto self = shared_from_this();
    hasConnectionEnded_ = true;
    logNowWithError(error);
    sendStopNotificationIfNeeded();
    if (shouldRetryNowForStatus(0, error)) {
        // The connection is over: forget it so the retry can make a new one.
        if (auto connection = std::move(connection_))
            connection->cancel();
        beginRetryTimer();
        return;
    }
    invokeFinishedCallbacks(std::nullopt, error);
    stopFetchReleasingCallbacks(/*shouldReleaseCallbacks=*/true);
}

void WSHTTPFetcher::invokeFinishedCallbacks(
    const std::optional<plat::Data>& data, const std::optional<plat::Error>& error)
{
    auto self = shared_from_this();
    if (delegate_ && finishedSel_.respondsTo(*delegate_))
        finishedSel_(*delegate_, *this, data, error);
    if (auto block = completionBlock_)
        block(data, error);
}

// --- retries ---

bool WSHTTPFetcher::shouldRetryNowForStatus(int64_t status, const std::optional<plat::Error>& error)
{
    // A body stream is read once: a second request would send what is left
    // of it, which is nothing, under the first one's length.
    if (postStream_ && postStream_->streamStatus() != plat::StreamStatus::NotOpen)
        return false;
    bool refreshed = false;
    if (authorizer_ && !hasAttemptedAuthRefresh_ && status == 401) {
        if (authorizer_->primeForRefresh().value_or(false)) {
            hasAttemptedAuthRefresh_ = true;
            request_->setValue(std::nullopt, "Authorization");
            refreshed = true;
        }
    }
    const bool canRetry = isRetryEnabled_ && nextRetryInterval() < maxRetryInterval_;
    if (!refreshed && !canRetry)
        return false;

    plat::Error failure = error ? *error : statusError(status, downloadedData_);
    bool willRetry = refreshed;
    if (!refreshed) {
        const bool isStatusDomain = failure.domain() == kWSHTTPFetcherStatusDomain;
        const bool isURLDomain = failure.domain() == plat::kURLErrorDomain;
        const int64_t code = failure.code();
        willRetry = (isStatusDomain && (code == 408 || code == 503 || code == 504))
            || (isURLDomain && (code == plat::kURLErrorTimedOut || code == plat::kURLErrorNetworkConnectionLost));
    }
    if (delegate_ && retrySel_.respondsTo(*delegate_))
        willRetry = retrySel_(*delegate_, *this, willRetry, failure);
    if (retryBlock_) {
        auto block = retryBlock_;
        willRetry = block(willRetry, failure);
    }
    return willRetry;
}

void WSHTTPFetcher::beginRetryTimer()
{
    auto self = shared_from_this();
    const double interval
        = std::min(nextRetryInterval(), maxRetryInterval_ > 0 ? maxRetryInterval_ : nextRetryInterval());
    destroyRetryTimer();
    lastRetryInterval_ = interval;
    // The timer holds the fetcher while it waits, as a fetch in flight is held by its connection.
    retryTimer_ = plat::Timer::scheduledTimerWithTimeInterval(
        interval, [self] { self->retryTimerFired(); }, /*repeats=*/false);
    postNotification(kWSHTTPFetcherRetryDelayStartedNotification, this);
}

void WSHTTPFetcher::retryTimerFired()
{
    auto self = shared_from_this();
    destroyRetryTimer();
    ++retryCount_;
    stopFetchReleasingCallbacks(/*shouldReleaseCallbacks=*/false);
    beginFetchWithDelegate(delegate_, finishedSel_);
}

void WSHTTPFetcher::destroyRetryTimer()
{
    if (!retryTimer_)
        return;
    auto timer = std::move(retryTimer_);
    timer->invalidate();
    postNotification(kWSHTTPFetcherRetryDelayStoppedNotification, this);
}

// --- stopping ---

void WSHTTPFetcher::stopFetching()
{
    stopFetchReleasingCallbacks(/*shouldReleaseCallbacks=*/true);
}

void WSHTTPFetcher::sendStopNotificationIfNeeded()
{
    if (!isStopNotificationNeeded_)
        return;
    isStopNotificationNeeded_ = false;
    postNotification(kWSHTTPFetcherStoppedNotification, this);
}

void WSHTTPFetcher::stopFetchReleasingCallbacks(bool shouldReleaseCallbacks)
{
    auto self = shared_from_this();
    destroyRetryTimer();
    // Cancelling an ended connection only makes it let go of its delegate, which holds us.
    if (auto connection = std::move(connection_))
        connection->cancel();
    sendStopNotificationIfNeeded();
    if (authorizer_)
        authorizer_->stopAuthorization();
    if (shouldReleaseCallbacks) {
        releaseCallbacks();
        authorizer_.reset();
    }
    if (auto service = service_.lock())
        service->fetcherDidStop(self);
    removeTemporaryDownloadFile();
    endBackgroundTask();
}

void WSHTTPFetcher::releaseCallbacks()
{
    delegate_.reset();
    completionBlock_ = nullptr;
    sentDataBlock_ = nullptr;
    receivedDataBlock_ = nullptr;
    retryBlock_ = nullptr;
}

void WSHTTPFetcher::removeTemporaryDownloadFile()
{
    downloadFileHandle_.reset();
    if (!temporaryDownloadPath_)
        return;
    if (plat::fileExists(*temporaryDownloadPath_)) {
        if (auto removed = plat::removeItem(*temporaryDownloadPath_); !removed.ok())
            plat::log("WSHTTPFetcher: cannot remove {}: {}", *temporaryDownloadPath_, removed.error().description());
    }
    temporaryDownloadPath_.reset();
}

// --- background ---

void WSHTTPFetcher::beginBackgroundTask()
{
    // The application calls the handler on the main thread, where the fetch
    // runs, so the expiry is handled at once. A handler that outlives its
    // fetch (or the fetch's task) only ends the task it was given for.
    auto identifier = std::make_shared<uint64_t>(plat::BackgroundTaskInvalid);
    *identifier = plat::Application::sharedApplication().beginBackgroundTaskWithExpirationHandler(
        [weakSelf = weak_from_this(), identifier] {
            auto self = weakSelf.lock();
            if (self && self->backgroundTaskIdentifer_ == *identifier)
                self->backgroundFetchExpired();
            else
                plat::Application::sharedApplication().endBackgroundTask(*identifier);
        });
    backgroundTaskIdentifer_ = *identifier;
}

void WSHTTPFetcher::endBackgroundTask()
{
    if (backgroundTaskIdentifer_ == plat::BackgroundTaskInvalid)
        return;
    plat::Application::sharedApplication().endBackgroundTask(
        std::exchange(backgroundTaskIdentifer_, plat::BackgroundTaskInvalid));
}

void WSHTTPFetcher::backgroundFetchExpired()
{
    auto self = shared_from_this();
    invokeFinishedCallbacks(std::nullopt,
        plat::Error(
            kWSHTTPFetcherErrorDomain, kWSHTTPFetcherErrorBackgroundExpiration, "The background task expired."));
    stopFetchReleasingCallbacks(/*shouldReleaseCallbacks=*/false);
    releaseCallbacks();
    authorizer_.reset();
}

bool WSHTTPFetcher::isFetching() const
{
    if (connection_ || retryTimer_)
        return true;
    if (authorizer_ && request_ && authorizer_->isAuthorizingRequest(*request_))
        return true;
    auto service = service_.lock();
    return service && service->isDelayingFetcher(*this);
}

bool WSHTTPFetcher::waitForCompletionWithTimeout(double seconds)
{
    auto& clock = plat::Clock::current();
    const double deadline = clock.uptimeSeconds() + seconds;
    constexpr double kSliceSeconds = 0.001;
    auto isDone = [&] { return (!connection_ || hasConnectionEnded_) && !completionBlock_ && !delegate_; };
    while (!isDone() && plat::Clock::current().uptimeSeconds() < deadline)
        plat::RunLoop::main().runUntil(plat::Clock::current().uptimeSeconds() + kSliceSeconds);
    return isDone();
}

// --- user agent ---

std::optional<std::string> sanitizeUserAgentToken(const std::optional<std::string>& token)
{
    if (!token)
        return std::nullopt;
    static const std::string kRemoved = " \t\n\r\v\f()<>@,;:\\\"/[]?={}";
    std::string sanitized;
    for (char c : *token) {
        if (c == ' ')
            c = '_';
        if (kRemoved.find(c) == std::string::npos)
            sanitized += c;
    }
    return sanitized;
}

std::string deviceModelAndSystemVersion()
{
    static const std::string value = [] {
        utsname name {};
        std::string model = "Linux";
        std::string version;
        if (::uname(&name) == 0) {
            model = name.sysname;
            version = name.release;
        }
        return *sanitizeUserAgentToken(model) + "/" + version;
    }();
    return value;
}

std::string applicationIdentifierForBundle(const plat::Bundle* bundle)
{
    static plat::OnceFlag once;
    static std::string value;
    plat::dispatchOnce(once, [&] {
        const plat::Bundle& chosen = bundle ? *bundle : plat::Bundle::mainBundle();
        std::string identifier = *sanitizeUserAgentToken(chosen.bundleIdentifier());
        if (identifier.empty()) {
            char path[4096] = {};
            ssize_t length = ::readlink("/proc/self/exe", path, sizeof path - 1);
            std::string process
                = length > 0 ? plat::lastPathComponent(std::string(path, static_cast<size_t>(length))) : "zantrope";
            identifier = "proc_" + *sanitizeUserAgentToken(process);
        }
        plat::Value version = chosen.objectForInfoDictionaryKey("CFBundleShortVersionString");
        if (!version.asString() || version.asString()->empty())
            version = chosen.objectForInfoDictionaryKey("CFBundleVersion");
        if (version.asString() && !version.asString()->empty())
            identifier += "/" + *sanitizeUserAgentToken(*version.asString());
        value = identifier;
    });
    return value;
}

}  // namespace zt
