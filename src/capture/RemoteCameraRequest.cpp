#include "capture/RemoteCameraRequest.h"

#include "platform/foundation/DispatchQueue.h"
#include "platform/foundation/Semaphore.h"
#include "platform/graphics/Image.h"
#include "platform/net/URLConnection.h"
#include "platform/net/URLError.h"
#include "platform/net/URLRequest.h"
#include "platform/net/URLResponse.h"

namespace zt {

namespace {

// A guard for a clock that stands still while we wait on it (a test's
// manual clock): past the request's own time-out by this much real time,
// the wait ends as a time-out.
constexpr double kRealTimeGuardSeconds = 30.0;

// Collects one reply on the connection's queue and signals when it is over.
class ReplyCollector final : public plat::URLConnectionDelegate {
public:
    ReplyCollector(plat::Semaphore done, size_t maxBytes)
        : _done(std::move(done))
        , _maxBytes(maxBytes)
    {
    }

    void didReceiveResponse(
        plat::URLConnection& connection, const std::shared_ptr<const plat::URLResponse>& response) override
    {
        if (response->statusCode() < 200 || response->statusCode() > 299) {
            finish(connection,
                plat::makeURLError(plat::kURLErrorBadServerResponse,
                    "The remote camera answered " + std::to_string(response->statusCode()) + ".", urlOf(connection)));
            return;
        }
        if (response->expectedContentLength() > static_cast<int64_t>(_maxBytes)) {
            finish(connection, tooLarge(connection));
            return;
        }
        _body.clear();
    }
    void didReceiveData(plat::URLConnection& connection, const plat::Data& data) override
    {
        if (_finished)
            return;
        if (_body.size() + data.size() > _maxBytes) {
            finish(connection, tooLarge(connection));
            return;
        }
        _body.insert(_body.end(), data.begin(), data.end());
    }
    void didFinishLoading(plat::URLConnection&) override
    {
        if (!_finished) {
            _finished = true;
            _done.signal();
        }
    }
    void didFailWithError(plat::URLConnection&, const plat::Error& error) override
    {
        if (!_finished) {
            _error = error;
            _finished = true;
            _done.signal();
        }
    }

    plat::Result<plat::Data> result() const
    {
        if (_error)
            return *_error;
        return _body;
    }

private:
    static std::string urlOf(plat::URLConnection& connection)
    {
        return connection.currentRequest().url() ? connection.currentRequest().url()->absoluteString() : std::string();
    }
    plat::Error tooLarge(plat::URLConnection& connection) const
    {
        return plat::makeURLError(plat::kURLErrorDataLengthExceedsMaximum,
            "The remote camera's answer is larger than " + std::to_string(_maxBytes) + " bytes.", urlOf(connection));
    }
    void finish(plat::URLConnection& connection, plat::Error error)
    {
        connection.cancel();
        _error = std::move(error);
        _finished = true;
        _done.signal();
    }

    plat::Semaphore _done;
    size_t _maxBytes;
    plat::Data _body;
    std::optional<plat::Error> _error;
    bool _finished = false;
};

}  // namespace

std::optional<plat::URL> RemoteCameraRequest::requestURL(
    const plat::URL& base, const std::string& path, const std::string& query)
{
    plat::URL withPath = base.URLByAppendingPathComponent(path);
    if (query.empty())
        return withPath;
    const char* separator = base.query() ? "&" : "?";
    return plat::URL::URLWithString(withPath.absoluteString() + separator + query);
}

plat::Result<plat::Data> RemoteCameraRequest::get(const plat::URL& url, double timeoutSeconds, size_t maxBytes)
{
    plat::URLRequest request(url, plat::URLRequestCachePolicy::ReloadIgnoringLocalCacheData, timeoutSeconds);
    request.setHTTPShouldHandleCookies(false);
    plat::Semaphore done;
    auto collector = std::make_shared<ReplyCollector>(done, maxBytes);
    auto queue = plat::DispatchQueue::create("com.quorvane.remotecamera.request");
    auto connection = plat::URLConnection::create(request, collector, /*startImmediately=*/false);
    connection->setDelegateQueue(queue);
    connection->start();
    if (!done.wait(timeoutSeconds + kRealTimeGuardSeconds)) {
        queue->sync([&] { connection->cancel(); });
        return plat::makeURLError(plat::kURLErrorTimedOut, "The remote camera did not answer.", url.absoluteString());
    }
    plat::Result<plat::Data> result = plat::Data {};
    // The collector is only touched on its queue; read it there.
    queue->sync([&] { result = collector->result(); });
    return result;
}

plat::Result<std::shared_ptr<plat::Image>> RemoteCameraRequest::decodePicture(const plat::Data& data)
{
    auto picture = plat::Image::imageWithData(data);
    if (!picture)
        return plat::makeURLError(
            plat::kURLErrorCannotDecodeContentData, "The remote camera's picture does not decode.");
    return picture;
}

}  // namespace zt
