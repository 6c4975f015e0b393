#pragma once
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/foundation/Error.h"
#include "platform/foundation/Value.h"
#include "platform/net/URLAuthentication.h"
#include "platform/net/URLCache.h"
#include "platform/net/URLRequest.h"
#include "platform/net/URLResponse.h"

namespace plat {

class DispatchQueue;
class InputStream;
class URLConnection;

// What a connection tells and asks its delegate, on the connection's run loop
// (the main run loop) or delegate queue. Every operation has the platform's
// default behaviour.
class URLConnectionDelegate {
public:
    virtual ~URLConnectionDelegate() = default;

    // The request to send next. A redirect response comes with a redirect;
    // empty stops following it and delivers that response instead.
    virtual std::optional<URLRequest> willSendRequest(URLConnection& connection, const URLRequest& request,
        const std::shared_ptr<const URLResponse>& redirectResponse);
    // Whether didReceiveAuthenticationChallenge hears of challenges for the
    // space; others get the default handling. By default every space but server trust.
    virtual bool canAuthenticateAgainstProtectionSpace(URLConnection& connection, const URLProtectionSpace& space);
    // Answer through challenge.sender(), now or later. By default: the default handling.
    virtual void didReceiveAuthenticationChallenge(
        URLConnection& connection, const URLAuthenticationChallenge& challenge);
    virtual void didReceiveResponse(URLConnection& connection, const std::shared_ptr<const URLResponse>& response);
    virtual void didReceiveData(URLConnection& connection, const Data& data);
    virtual void didSendBodyData(
        URLConnection& connection, int64_t bytesWritten, int64_t totalBytesWritten, int64_t totalBytesExpectedToWrite);
    // A fresh body stream when the request must be sent again; empty fails it.
    virtual std::shared_ptr<InputStream> needNewBodyStream(URLConnection& connection, const URLRequest& request);
    // What the URL cache keeps of the response; empty keeps nothing.
    virtual std::optional<CachedURLResponse> willCacheResponse(
        URLConnection& connection, const CachedURLResponse& cached);
    virtual void didFinishLoading(URLConnection& connection);
    virtual void didFailWithError(URLConnection& connection, const Error& error);
};

// One URL load, as the platform's URL connection: follows redirects through
// its delegate, answers authentication challenges (basic and digest; server
// trust), keeps and sends cookies of the shared cookie storage when the
// request asks for that, uses the shared URL cache by the request's policy
// and fails after the request's time-out without progress, measured on
// plat::Clock (as a host not found while service discovery still looks for
// a host of the local domain). The transfer runs on the network thread; the delegate hears
// of it on the main run loop unless a delegate queue is set. The connection
// keeps itself and its delegate alive until it finishes, fails or is cancelled.
// Create, start and cancel on the main thread (or the delegate queue).
class URLConnection : public std::enable_shared_from_this<URLConnection> {
    struct Passkey {
        explicit Passkey() = default;
    };

public:
    static constexpr int kMaxRedirects = 16;
    // Held bodies of redirects and challenges beyond this are dropped.
    static constexpr size_t kMaxHeldBodyBytes = 1024 * 1024;
    // A synchronous request's body beyond this fails with kURLErrorDataLengthExceedsMaximum.
    static constexpr size_t kMaxSynchronousBodyBytes = 64 * 1024 * 1024;

    // Created and started.
    static std::shared_ptr<URLConnection> connectionWithRequest(
        const URLRequest& request, std::shared_ptr<URLConnectionDelegate> delegate);
    static std::shared_ptr<URLConnection> create(
        const URLRequest& request, std::shared_ptr<URLConnectionDelegate> delegate, bool startImmediately);
    // Loads on the calling thread (any thread but a delegate queue's) and returns the body.
    static std::optional<Data> sendSynchronousRequest(
        const URLRequest& request, std::shared_ptr<const URLResponse>* response, std::optional<Error>* error);
    static bool canHandleRequest(const URLRequest& request);

    URLConnection(Passkey, const URLRequest& request, std::shared_ptr<URLConnectionDelegate> delegate);
    ~URLConnection();

    // The main run loop has one mode: scheduling only records it.
    void scheduleInRunLoop(const std::string& mode);
    void unscheduleFromRunLoop(const std::string& mode);
    const std::vector<std::string>& runLoopModes() const { return _modes; }
    // Before start: deliver to this queue instead of the main run loop.
    void setDelegateQueue(std::shared_ptr<DispatchQueue> queue);

    void start();
    // No delegate message follows.
    void cancel();

    const URLRequest& originalRequest() const { return _originalRequest; }
    const URLRequest& currentRequest() const { return _currentRequest; }

private:
    class Sink;
    class ChallengeSender;
    friend class Sink;
    friend class ChallengeSender;
    enum class Phase { Idle, Loading, AwaitingChallenge, Finished };
    enum class Held { None, Redirect, Challenge };

    void post(std::function<void()> block);
    void postAfter(double delaySeconds, std::function<void()> block);
    void startOnQueue();
    bool serveFromCache();
    void beginTransfer();
    void handleHostFound(uint64_t generation);
    void handleHead(uint64_t generation, int64_t statusCode, std::string httpVersion, HTTPHeaders headers);
    void handleData(uint64_t generation, Data data);
    void handleSent(uint64_t generation, int64_t totalSent, int64_t totalExpected);
    void handleFinished(uint64_t generation, std::optional<Error> error, bool certificateUntrusted);
    void followRedirect();
    void presentChallenge(URLProtectionSpace space);
    void deliverHeldResponse();
    void finish();
    void fail(const Error& error);
    void release();
    void touch();
    void scheduleTimeoutCheck(double delaySeconds);
    void checkTimeout();

    void answerWithCredential(const URLCredential& credential);
    void answerWithoutCredential();
    void answerByCancelling();
    void answerByDefault();

    URLRequest _originalRequest;
    URLRequest _currentRequest;
    std::shared_ptr<URLConnectionDelegate> _delegate;
    std::shared_ptr<DispatchQueue> _delegateQueue;
    std::vector<std::string> _modes;
    std::shared_ptr<URLConnection> _keepAlive;
    Phase _phase = Phase::Idle;

    uint64_t _generation = 0;
    uint64_t _transferId = 0;
    std::shared_ptr<Sink> _sink;
    int64_t _lastTotalSent = 0;
    bool _bodyStreamUsed = false;
    bool _allowUntrusted = false;

    std::shared_ptr<const URLResponse> _response;
    Held _held = Held::None;
    Data _heldBody;
    int _redirectCount = 0;

    std::shared_ptr<ChallengeSender> _challengeSender;
    std::optional<URLProtectionSpace> _challengeSpace;
    std::string _challengeHeaderValue;  // the "WWW-Authenticate" being answered
    std::map<URLProtectionSpace, int64_t> _failureCounts;
    std::map<URLProtectionSpace, URLCredential> _usedCredentials;
    std::optional<std::string> _authorization;  // sent with the next transfers

    bool _cacheable = false;
    Data _cacheBody;

    double _lastActivityUptime = 0;
    bool _findingHost = false;  // the transfer waits for service discovery to find its host
    bool _timeoutCheckScheduled = false;
};

}  // namespace plat
