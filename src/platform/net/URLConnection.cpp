#include "platform/net/URLConnection.h"

#include <atomic>

#include "platform/foundation/Clock.h"
#include "platform/foundation/DispatchQueue.h"
#include "platform/foundation/Semaphore.h"
#include "platform/foundation/UUID.h"
#include "platform/net/CurlEngine.h"
#include "platform/net/HTTPAuthenticationScheme.h"
#include "platform/net/HTTPCookieStorage.h"
#include "platform/net/InputStream.h"
#include "platform/net/ServiceDiscovery.h"
#include "platform/net/URLError.h"

namespace plat {

namespace {

bool isSupportedScheme(const std::string& scheme)
{
    return scheme == "http" || scheme == "https";
}

bool isRedirectStatus(int64_t status)
{
    // 308 is no redirect here: resumable uploads answer it with a "Range".
    return status == 301 || status == 302 || status == 303 || status == 307;
}

int effectivePort(const URL& url)
{
    if (url.port())
        return *url.port();
    return url.scheme() == "https" ? 443 : 80;
}

bool sameOrigin(const URL& left, const URL& right)
{
    return left.scheme() == right.scheme() && left.host() == right.host()
        && effectivePort(left) == effectivePort(right);
}

std::string requestTarget(const URL& url)
{
    std::string target = url.encodedPath().empty() ? "/" : url.encodedPath();
    if (url.query())
        target += "?" + *url.query();
    return target;
}

double uptimeNow()
{
    return Clock::current().uptimeSeconds();
}

// The strongest challenge that the stand-in can answer: digest, then basic.
std::optional<detail::AuthenticateChallenge> answerableChallenge(const std::string& headerValue)
{
    std::optional<detail::AuthenticateChallenge> basic;
    for (auto& challenge : detail::parseAuthenticateHeader(headerValue)) {
        if (challenge.scheme == "digest" && challenge.parameters.contains("nonce"))
            return challenge;
        if (challenge.scheme == "basic" && !basic)
            basic = challenge;
    }
    return basic;
}

std::string joinedAuthenticateValues(const HTTPHeaders& headers)
{
    std::string joined;
    for (const auto& value : headers.values("WWW-Authenticate")) {
        if (!joined.empty())
            joined += ", ";
        joined += value;
    }
    return joined;
}

}  // namespace

// --- default delegate behaviour ---

std::optional<URLRequest> URLConnectionDelegate::willSendRequest(
    URLConnection&, const URLRequest& request, const std::shared_ptr<const URLResponse>&)
{
    return request;
}

bool URLConnectionDelegate::canAuthenticateAgainstProtectionSpace(URLConnection&, const URLProtectionSpace& space)
{
    return space.authenticationMethod() != kURLAuthenticationMethodServerTrust;
}

void URLConnectionDelegate::didReceiveAuthenticationChallenge(
    URLConnection&, const URLAuthenticationChallenge& challenge)
{
    if (auto sender = challenge.sender())
        sender->performDefaultHandling(challenge);
}

void URLConnectionDelegate::didReceiveResponse(URLConnection&, const std::shared_ptr<const URLResponse>&) { }
void URLConnectionDelegate::didReceiveData(URLConnection&, const Data&) { }
void URLConnectionDelegate::didSendBodyData(URLConnection&, int64_t, int64_t, int64_t) { }

std::shared_ptr<InputStream> URLConnectionDelegate::needNewBodyStream(URLConnection&, const URLRequest&)
{
    return nullptr;
}

std::optional<CachedURLResponse> URLConnectionDelegate::willCacheResponse(
    URLConnection&, const CachedURLResponse& cached)
{
    return cached;
}

void URLConnectionDelegate::didFinishLoading(URLConnection&) { }
void URLConnectionDelegate::didFailWithError(URLConnection&, const Error&) { }

// --- the engine's side: hands every event to the delegate queue ---

class URLConnection::Sink final : public detail::TransferSink {
public:
    Sink(std::weak_ptr<URLConnection> connection, uint64_t generation, std::shared_ptr<DispatchQueue> queue)
        : _connection(std::move(connection))
        , _generation(generation)
        , _queue(std::move(queue))
    {
    }

    void transferReceivedHead(int64_t statusCode, const std::string& httpVersion, const HTTPHeaders& headers) override
    {
        post([statusCode, httpVersion, headers](
                 URLConnection& c, uint64_t g) { c.handleHead(g, statusCode, httpVersion, headers); });
    }

    void transferReceivedData(const uint8_t* bytes, size_t length) override
    {
        _pending.fetch_add(static_cast<int64_t>(length));
        Data data(bytes, bytes + length);
        post([data = std::move(data)](URLConnection& c, uint64_t g) mutable { c.handleData(g, std::move(data)); });
    }

    void transferSentBody(int64_t totalSent, int64_t totalExpected) override
    {
        post([totalSent, totalExpected](URLConnection& c, uint64_t g) { c.handleSent(g, totalSent, totalExpected); });
    }

    void transferFinished(std::optional<Error> error, bool certificateUntrusted) override
    {
        post([error, certificateUntrusted](
                 URLConnection& c, uint64_t g) { c.handleFinished(g, error, certificateUntrusted); });
    }

    void transferResolvedHost() override
    {
        post([](URLConnection& c, uint64_t g) { c.handleHostFound(g); });
    }

    int64_t pendingBytes() const override { return _pending.load(); }

    // Returns whether the engine may have paused the transfer for these bytes.
    bool consumed(size_t length)
    {
        int64_t before = _pending.fetch_sub(static_cast<int64_t>(length));
        return before > detail::CurlEngine::kMaxPendingBytes;
    }

private:
    template <typename Handler> void post(Handler handler)
    {
        auto block = [connection = _connection, generation = _generation, handler = std::move(handler)]() mutable {
            if (auto strong = connection.lock())
                handler(*strong, generation);
        };
        if (_queue)
            _queue->async(std::move(block));
        else
            DispatchQueue::mainQueue().async(std::move(block));
    }

    std::weak_ptr<URLConnection> _connection;
    const uint64_t _generation;
    std::shared_ptr<DispatchQueue> _queue;
    std::atomic<int64_t> _pending {0};
};

class URLConnection::ChallengeSender final : public URLAuthenticationChallengeSender {
public:
    explicit ChallengeSender(std::weak_ptr<URLConnection> connection)
        : _connection(std::move(connection))
    {
    }
    void useCredential(const URLCredential& credential, const URLAuthenticationChallenge&) override
    {
        if (auto c = _connection.lock())
            c->answerWithCredential(credential);
    }
    void continueWithoutCredential(const URLAuthenticationChallenge&) override
    {
        if (auto c = _connection.lock())
            c->answerWithoutCredential();
    }
    void cancelAuthenticationChallenge(const URLAuthenticationChallenge&) override
    {
        if (auto c = _connection.lock())
            c->answerByCancelling();
    }
    void performDefaultHandling(const URLAuthenticationChallenge&) override
    {
        if (auto c = _connection.lock())
            c->answerByDefault();
    }

private:
    std::weak_ptr<URLConnection> _connection;
};

// --- creation ---

std::shared_ptr<URLConnection> URLConnection::connectionWithRequest(
    const URLRequest& request, std::shared_ptr<URLConnectionDelegate> delegate)
{
    return create(request, std::move(delegate), /*startImmediately=*/true);
}

std::shared_ptr<URLConnection> URLConnection::create(
    const URLRequest& request, std::shared_ptr<URLConnectionDelegate> delegate, bool startImmediately)
{
    auto connection = std::make_shared<URLConnection>(Passkey(), request, std::move(delegate));
    if (startImmediately)
        connection->start();
    return connection;
}

URLConnection::URLConnection(Passkey, const URLRequest& request, std::shared_ptr<URLConnectionDelegate> delegate)
    : _originalRequest(request)
    , _currentRequest(request)
    , _delegate(delegate ? std::move(delegate) : std::make_shared<URLConnectionDelegate>())
{
}

URLConnection::~URLConnection()
{
    if (_transferId != 0 && _phase == Phase::Loading)
        detail::CurlEngine::shared().cancel(_transferId);
}

bool URLConnection::canHandleRequest(const URLRequest& request)
{
    return request.url() && isSupportedScheme(request.url()->scheme()) && !request.url()->host().empty();
}

void URLConnection::scheduleInRunLoop(const std::string& mode)
{
    if (std::find(_modes.begin(), _modes.end(), mode) == _modes.end())
        _modes.push_back(mode);
}

void URLConnection::unscheduleFromRunLoop(const std::string& mode)
{
    std::erase(_modes, mode);
}

void URLConnection::setDelegateQueue(std::shared_ptr<DispatchQueue> queue)
{
    _delegateQueue = std::move(queue);
}

void URLConnection::post(std::function<void()> block)
{
    if (_delegateQueue)
        _delegateQueue->async(std::move(block));
    else
        DispatchQueue::mainQueue().async(std::move(block));
}

void URLConnection::postAfter(double delaySeconds, std::function<void()> block)
{
    if (_delegateQueue)
        _delegateQueue->after(delaySeconds, std::move(block));
    else
        DispatchQueue::mainQueue().after(delaySeconds, std::move(block));
}

void URLConnection::start()
{
    if (_phase != Phase::Idle)
        return;
    _phase = Phase::Loading;
    _keepAlive = shared_from_this();
    if (_delegateQueue && !_delegateQueue->isCurrent()) {
        _delegateQueue->async([self = shared_from_this()] { self->startOnQueue(); });
        return;
    }
    startOnQueue();
}

void URLConnection::startOnQueue()
{
    if (_phase != Phase::Loading)
        return;
    if (serveFromCache())
        return;
    beginTransfer();
}

bool URLConnection::serveFromCache()
{
    const auto policy = _currentRequest.cachePolicy();
    if (policy == URLRequestCachePolicy::ReloadIgnoringLocalCacheData || _currentRequest.HTTPMethod() != "GET")
        return false;
    auto cached = URLCache::sharedURLCache().cachedResponseForRequest(_currentRequest);
    const bool usable
        = cached && (policy != URLRequestCachePolicy::UseProtocolCachePolicy || cached->isFreshAt(Date::now()));
    if (!usable) {
        if (policy != URLRequestCachePolicy::ReturnCacheDataDontLoad)
            return false;
        post([self = shared_from_this()] {
            if (self->_phase == Phase::Loading)
                self->fail(makeURLError(kURLErrorResourceUnavailable, "The requested resource is not in the cache.",
                    self->_currentRequest.url() ? self->_currentRequest.url()->absoluteString() : std::string()));
        });
        return true;
    }
    post([self = shared_from_this(), cached = std::move(*cached)] {
        if (self->_phase != Phase::Loading)
            return;
        self->_response = cached.response();
        self->_delegate->didReceiveResponse(*self, cached.response());
        if (self->_phase == Phase::Loading && !cached.data().empty())
            self->_delegate->didReceiveData(*self, cached.data());
        if (self->_phase == Phase::Loading)
            self->finish();
    });
    return true;
}

void URLConnection::beginTransfer()
{
    const auto& url = _currentRequest.url();
    if (!url) {
        post([self = shared_from_this()] {
            if (self->_phase == Phase::Loading)
                self->fail(makeURLError(kURLErrorBadURL, "bad URL"));
        });
        return;
    }
    if (!canHandleRequest(_currentRequest)) {
        post([self = shared_from_this(), text = url->absoluteString()] {
            if (self->_phase == Phase::Loading)
                self->fail(makeURLError(kURLErrorUnsupportedURL, "unsupported URL", text));
        });
        return;
    }
    if (_currentRequest.HTTPBodyStream()) {
        if (_bodyStreamUsed) {
            auto stream = _delegate->needNewBodyStream(*this, _currentRequest);
            if (_phase != Phase::Loading)
                return;
            if (!stream) {
                fail(makeURLError(kURLErrorRequestBodyStreamExhausted, "The request body stream was used up.",
                    url->absoluteString()));
                return;
            }
            _currentRequest.setHTTPBodyStream(stream);
        }
        _bodyStreamUsed = true;
    }

    detail::TransferRequest transfer;
    transfer.url = url->absoluteString();
    if (size_t hash = transfer.url.find('#'); hash != std::string::npos)
        transfer.url.resize(hash);
    transfer.method = _currentRequest.HTTPMethod();
    transfer.headers = _currentRequest.allHTTPHeaderFields();
    transfer.body = _currentRequest.HTTPBody();
    transfer.bodyStream = _currentRequest.HTTPBodyStream();
    if (transfer.bodyStream) {
        if (auto length = transfer.headers.value("Content-Length"))
            transfer.bodyStreamLength = parseHeaderInteger(*length);
    }
    transfer.allowUntrustedServer = _allowUntrusted;
    // The local domain is multicast DNS's alone, and the system's resolver
    // often cannot ask it (no mDNS module in its configuration).
    _findingHost = detail::isLocalDomainHostName(url->host());
    if (_findingHost)
        transfer.localHostName = url->host();
    if (_currentRequest.HTTPShouldHandleCookies() && !transfer.headers.contains("Cookie")) {
        auto cookies = HTTPCookieStorage::sharedHTTPCookieStorage().cookiesForURL(*url);
        if (auto value = HTTPCookie::requestHeaderFieldsWithCookies(cookies).value("Cookie"))
            transfer.headers.set("Cookie", *value);
    }
    if (_authorization)
        transfer.headers.set("Authorization", *_authorization);

    ++_generation;
    _held = Held::None;
    _heldBody.clear();
    _response.reset();
    _lastTotalSent = 0;
    _cacheable = false;
    _cacheBody.clear();
    _sink = std::make_shared<Sink>(weak_from_this(), _generation, _delegateQueue);
    _transferId = detail::CurlEngine::shared().start(std::move(transfer), _sink);
    touch();
}

void URLConnection::touch()
{
    _lastActivityUptime = uptimeNow();
    if (!_timeoutCheckScheduled) {
        double timeout = _currentRequest.timeoutInterval() > 0 ? _currentRequest.timeoutInterval()
                                                               : URLRequest::kDefaultTimeoutSeconds;
        scheduleTimeoutCheck(timeout);
    }
}

void URLConnection::scheduleTimeoutCheck(double delaySeconds)
{
    _timeoutCheckScheduled = true;
    postAfter(delaySeconds, [weakSelf = weak_from_this()] {
        if (auto self = weakSelf.lock())
            self->checkTimeout();
    });
}

void URLConnection::checkTimeout()
{
    _timeoutCheckScheduled = false;
    if (_phase != Phase::Loading)
        return;
    const double timeout = _currentRequest.timeoutInterval() > 0 ? _currentRequest.timeoutInterval()
                                                                 : URLRequest::kDefaultTimeoutSeconds;
    const double idle = uptimeNow() - _lastActivityUptime;
    if (idle < timeout) {
        scheduleTimeoutCheck(timeout - idle);
        return;
    }
    if (_findingHost) {
        fail(makeURLError(kURLErrorCannotFindHost,
            "A server with the specified hostname could not be found. (no answer for " + _currentRequest.url()->host()
                + " on the local network)",
            _currentRequest.url()->absoluteString()));
        return;
    }
    fail(makeURLError(kURLErrorTimedOut, "The request timed out.",
        _currentRequest.url() ? _currentRequest.url()->absoluteString() : std::string()));
}

void URLConnection::handleHostFound(uint64_t generation)
{
    if (generation != _generation || _phase != Phase::Loading)
        return;
    _findingHost = false;
    touch();
}

void URLConnection::handleHead(uint64_t generation, int64_t statusCode, std::string httpVersion, HTTPHeaders headers)
{
    if (generation != _generation || _phase != Phase::Loading)
        return;
    auto self = shared_from_this();
    touch();
    const URL& url = *_currentRequest.url();
    _response = std::make_shared<const URLResponse>(url, statusCode, std::move(headers), std::move(httpVersion));
    const auto& fields = _response->allHeaderFields();
    if (_currentRequest.HTTPShouldHandleCookies())
        HTTPCookieStorage::sharedHTTPCookieStorage().setCookies(
            HTTPCookie::cookiesWithResponseHeaderFields(fields, url));

    if (isRedirectStatus(statusCode) && fields.contains("Location")) {
        _held = Held::Redirect;
        return;
    }
    if (statusCode == 401 && answerableChallenge(joinedAuthenticateValues(fields))) {
        _held = Held::Challenge;
        return;
    }
    _cacheable = _currentRequest.HTTPMethod() == "GET" && statusCode == 200;
    _delegate->didReceiveResponse(*this, _response);
}

void URLConnection::handleData(uint64_t generation, Data data)
{
    if (_sink && generation == _generation && _sink->consumed(data.size()))
        detail::CurlEngine::shared().resume(_transferId);
    if (generation != _generation || _phase != Phase::Loading)
        return;
    auto self = shared_from_this();
    touch();
    if (_held != Held::None) {
        size_t room = kMaxHeldBodyBytes - std::min(kMaxHeldBodyBytes, _heldBody.size());
        _heldBody.insert(
            _heldBody.end(), data.begin(), data.begin() + static_cast<std::ptrdiff_t>(std::min(room, data.size())));
        if (data.size() > room) {
            // Nobody reads the rest of a body that is only held: stop receiving it.
            detail::CurlEngine::shared().cancel(_transferId);
            handleFinished(generation, std::nullopt, false);
        }
        return;
    }
    if (_cacheable) {
        const uint64_t limit = URLCache::sharedURLCache().memoryCapacity() / 20;
        if (_cacheBody.size() + data.size() > limit) {
            _cacheable = false;
            _cacheBody = Data();
        } else {
            _cacheBody.insert(_cacheBody.end(), data.begin(), data.end());
        }
    }
    _delegate->didReceiveData(*this, data);
}

void URLConnection::handleSent(uint64_t generation, int64_t totalSent, int64_t totalExpected)
{
    if (generation != _generation || _phase != Phase::Loading)
        return;
    auto self = shared_from_this();
    touch();
    const int64_t now = totalSent - _lastTotalSent;
    _lastTotalSent = totalSent;
    _delegate->didSendBodyData(*this, now, totalSent, totalExpected);
}

void URLConnection::handleFinished(uint64_t generation, std::optional<Error> error, bool certificateUntrusted)
{
    if (generation != _generation || _phase != Phase::Loading)
        return;
    auto self = shared_from_this();
    ++_generation;  // nothing more of this transfer counts
    _transferId = 0;
    if (error) {
        if (certificateUntrusted && !_allowUntrusted) {
            const URL& url = *_currentRequest.url();
            presentChallenge(URLProtectionSpace(
                url.host(), effectivePort(url), url.scheme(), "", kURLAuthenticationMethodServerTrust));
            return;
        }
        fail(*error);
        return;
    }
    switch (_held) {
    case Held::Redirect:
        followRedirect();
        return;
    case Held::Challenge: {
        const URL& url = *_currentRequest.url();
        _challengeHeaderValue = joinedAuthenticateValues(_response->allHeaderFields());
        auto challenge = answerableChallenge(_challengeHeaderValue);
        auto realm = challenge->parameters.find("realm");
        presentChallenge(URLProtectionSpace(url.host(), effectivePort(url), url.scheme(),
            realm == challenge->parameters.end() ? "" : realm->second,
            challenge->scheme == "digest" ? kURLAuthenticationMethodHTTPDigest : kURLAuthenticationMethodHTTPBasic));
        return;
    }
    case Held::None:
        finish();
        return;
    }
}

void URLConnection::followRedirect()
{
    const URL& current = *_currentRequest.url();
    const std::string failing = current.absoluteString();
    if (++_redirectCount > kMaxRedirects) {
        fail(makeURLError(kURLErrorHTTPTooManyRedirects, "too many HTTP redirects", failing));
        return;
    }
    auto target = URL::URLWithString(*_response->allHeaderFields().value("Location"), current);
    if (!target || (target->host().empty() && isSupportedScheme(target->scheme()))) {
        fail(makeURLError(kURLErrorRedirectToNonExistentLocation,
            "The server redirected to a location that cannot be read.", failing));
        return;
    }
    if (!isSupportedScheme(target->scheme())) {
        fail(makeURLError(
            kURLErrorUnsupportedURL, "The server redirected to an unsupported URL.", target->absoluteString()));
        return;
    }
    URLRequest proposed = _currentRequest;
    proposed.setURL(*target);
    const int64_t status = _response->statusCode();
    if (status == 303 || ((status == 301 || status == 302) && _currentRequest.HTTPMethod() == "POST")) {
        proposed.setHTTPMethod("GET");
        proposed.setHTTPBody(std::nullopt);
        proposed.setHTTPBodyStream(nullptr);
        proposed.setValue(std::nullopt, "Content-Type");
        proposed.setValue(std::nullopt, "Content-Length");
    }
    if (!sameOrigin(current, *target)) {
        // Credentials belong to the origin that asked for them.
        proposed.setValue(std::nullopt, "Authorization");
        _authorization.reset();
    }
    auto next = _delegate->willSendRequest(*this, proposed, _response);
    if (_phase != Phase::Loading)
        return;
    if (!next) {
        deliverHeldResponse();
        return;
    }
    _currentRequest = std::move(*next);
    beginTransfer();
}

void URLConnection::presentChallenge(URLProtectionSpace space)
{
    _phase = Phase::AwaitingChallenge;
    _challengeSpace = space;
    const int64_t failures = _failureCounts[space];
    std::optional<URLCredential> proposed;
    if (failures > 0) {
        if (auto used = _usedCredentials.find(space); used != _usedCredentials.end())
            proposed = used->second;
    } else {
        proposed = URLCredentialStorage::sharedCredentialStorage().defaultCredentialForProtectionSpace(space);
    }
    _challengeSender = std::make_shared<ChallengeSender>(weak_from_this());
    URLAuthenticationChallenge challenge(space, proposed, failures, _response, _challengeSender);
    if (_delegate->canAuthenticateAgainstProtectionSpace(*this, space))
        _delegate->didReceiveAuthenticationChallenge(*this, challenge);
    else
        answerByDefault();
}

void URLConnection::answerWithCredential(const URLCredential& credential)
{
    if (_phase != Phase::AwaitingChallenge)
        return;
    auto self = shared_from_this();
    const URLProtectionSpace space = *_challengeSpace;
    if (space.authenticationMethod() == kURLAuthenticationMethodServerTrust) {
        if (!credential.isTrust()) {
            answerWithoutCredential();
            return;
        }
        _allowUntrusted = true;
        _phase = Phase::Loading;
        beginTransfer();
        return;
    }
    auto challenge = answerableChallenge(_challengeHeaderValue);
    if (!credential.hasPassword() || !challenge) {
        answerWithoutCredential();
        return;
    }
    ++_failureCounts[space];
    _usedCredentials.insert_or_assign(space, credential);
    URLCredentialStorage::sharedCredentialStorage().setCredential(credential, space);
    _authorization = detail::authorizationForChallenge(*challenge, credential.user(), credential.password(),
        _currentRequest.HTTPMethod(), requestTarget(*_currentRequest.url()), UUID().UUIDString());
    _phase = Phase::Loading;
    beginTransfer();
}

void URLConnection::answerWithoutCredential()
{
    if (_phase != Phase::AwaitingChallenge)
        return;
    auto self = shared_from_this();
    _phase = Phase::Loading;
    if (_challengeSpace->authenticationMethod() == kURLAuthenticationMethodServerTrust) {
        fail(makeURLError(kURLErrorServerCertificateUntrusted, "The certificate for this server is invalid.",
            _currentRequest.url()->absoluteString()));
        return;
    }
    deliverHeldResponse();
}

void URLConnection::answerByCancelling()
{
    if (_phase != Phase::AwaitingChallenge)
        return;
    auto self = shared_from_this();
    _phase = Phase::Loading;
    fail(makeURLError(
        kURLErrorUserCancelledAuthentication, "cancelled authentication", _currentRequest.url()->absoluteString()));
}

void URLConnection::answerByDefault()
{
    if (_phase != Phase::AwaitingChallenge)
        return;
    const URLProtectionSpace space = *_challengeSpace;
    if (space.authenticationMethod() != kURLAuthenticationMethodServerTrust && _failureCounts[space] == 0) {
        if (auto stored = URLCredentialStorage::sharedCredentialStorage().defaultCredentialForProtectionSpace(space)) {
            answerWithCredential(*stored);
            return;
        }
    }
    answerWithoutCredential();
}

void URLConnection::deliverHeldResponse()
{
    _held = Held::None;
    Data body = std::move(_heldBody);
    _heldBody.clear();
    _delegate->didReceiveResponse(*this, _response);
    if (_phase == Phase::Loading && !body.empty())
        _delegate->didReceiveData(*this, body);
    if (_phase == Phase::Loading)
        finish();
}

void URLConnection::finish()
{
    auto self = shared_from_this();
    if (_cacheable && _response) {
        CachedURLResponse cached(_response, std::move(_cacheBody));
        auto kept = _delegate->willCacheResponse(*this, cached);
        if (kept && _phase == Phase::Loading)
            URLCache::sharedURLCache().storeCachedResponse(*kept, _currentRequest);
    }
    if (_phase != Phase::Loading)
        return;
    _phase = Phase::Finished;
    _delegate->didFinishLoading(*this);
    release();
}

void URLConnection::fail(const Error& error)
{
    auto self = shared_from_this();
    if (_transferId != 0) {
        detail::CurlEngine::shared().cancel(_transferId);
        _transferId = 0;
    }
    ++_generation;
    _phase = Phase::Finished;
    _delegate->didFailWithError(*this, error);
    release();
}

void URLConnection::cancel()
{
    if (_phase == Phase::Finished)
        return;
    auto self = shared_from_this();
    if (_transferId != 0) {
        detail::CurlEngine::shared().cancel(_transferId);
        _transferId = 0;
    }
    ++_generation;
    _phase = Phase::Finished;
    release();
}

void URLConnection::release()
{
    // Let go of the delegate (it usually owns us) only after its last message.
    _delegate = std::make_shared<URLConnectionDelegate>();
    _challengeSender.reset();
    _sink.reset();
    _keepAlive.reset();
}

// --- synchronous requests ---

namespace {

class SynchronousCollector final : public URLConnectionDelegate {
public:
    explicit SynchronousCollector(Semaphore done)
        : _done(std::move(done))
    {
    }
    void didReceiveResponse(URLConnection&, const std::shared_ptr<const URLResponse>& response) override
    {
        _response = response;
        _data.clear();
    }
    void didReceiveData(URLConnection& connection, const Data& data) override
    {
        if (_data.size() + data.size() > URLConnection::kMaxSynchronousBodyBytes) {
            connection.cancel();
            _error = makeURLError(kURLErrorDataLengthExceedsMaximum, "resource exceeds maximum size",
                connection.currentRequest().url()->absoluteString());
            _done.signal();
            return;
        }
        _data.insert(_data.end(), data.begin(), data.end());
    }
    void didFinishLoading(URLConnection&) override { _done.signal(); }
    void didFailWithError(URLConnection&, const Error& error) override
    {
        _error = error;
        _done.signal();
    }

    std::shared_ptr<const URLResponse> _response;
    Data _data;
    std::optional<Error> _error;

private:
    Semaphore _done;
};

}  // namespace

std::optional<Data> URLConnection::sendSynchronousRequest(
    const URLRequest& request, std::shared_ptr<const URLResponse>* response, std::optional<Error>* error)
{
    Semaphore done;
    auto collector = std::make_shared<SynchronousCollector>(done);
    auto queue = DispatchQueue::create("plat.net.synchronous-request");
    auto connection = create(request, collector, /*startImmediately=*/false);
    connection->setDelegateQueue(queue);
    connection->start();
    done.wait();
    std::optional<Data> result;
    // The collector is only touched on the queue; read it there.
    queue->sync([&] {
        if (response)
            *response = collector->_response;
        if (error)
            *error = collector->_error;
        if (!collector->_error)
            result = std::move(collector->_data);
    });
    return result;
}

}  // namespace plat
