#include "web/WIWebImageDownloader.h"

#include <algorithm>

#include "platform/foundation/DispatchQueue.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/graphics/Bitmap.h"
#include "platform/graphics/GraphicsContext.h"
#include "platform/graphics/Image.h"
#include "platform/graphics/IncrementalImageSource.h"
#include "platform/net/InputStream.h"
#include "platform/net/URLConnection.h"
#include "platform/net/URLError.h"
#include "platform/net/URLRequest.h"
#include "platform/net/URLResponse.h"
#include "web/WIImageScale.h"

namespace zt {

namespace {

constexpr int64_t kFirstErrorStatus = 400;
// Partial images decode every byte so far again: they are made at most
// about kPartialImagesPerDownload times, and not for every few bytes.
constexpr uint64_t kPartialImagesPerDownload = 32;
constexpr uint64_t kMinPartialImageStepBytes = 16 * 1024;

}  // namespace

void WIWebImageDownloaderDelegate::imageDownloaderDidFinish(WIWebImageDownloader&) { }

bool WIWebImageDownloaderDelegate::imageDownloaderDidUpdatePartialImage(
    WIWebImageDownloader&, const std::shared_ptr<plat::Image>&)
{
    return false;
}

void WIWebImageDownloaderDelegate::imageDownloaderDidFinishWithImage(
    WIWebImageDownloader&, const std::shared_ptr<plat::Image>&)
{
}

void WIWebImageDownloaderDelegate::imageDownloaderDidFailWithError(
    WIWebImageDownloader&, const std::optional<plat::Error>&)
{
}

// The connection keeps its delegate, and this delegate keeps the download,
// until the connection ends: a download nobody else holds still completes.
class WIWebImageDownloader::ConnectionDelegate final : public plat::URLConnectionDelegate {
public:
    explicit ConnectionDelegate(std::shared_ptr<WIWebImageDownloader> downloader)
        : _downloader(std::move(downloader))
    {
    }

    void didReceiveResponse(
        plat::URLConnection& connection, const std::shared_ptr<const plat::URLResponse>& response) override
    {
        if (isCurrent(connection))
            pinned()->connectionDidReceiveResponse(response);
    }
    void didReceiveData(plat::URLConnection& connection, const plat::Data& data) override
    {
        if (isCurrent(connection))
            pinned()->connectionDidReceiveData(data);
    }
    void didFinishLoading(plat::URLConnection& connection) override
    {
        if (isCurrent(connection))
            pinned()->connectionDidFinishLoading();
    }
    void didFailWithError(plat::URLConnection& connection, const plat::Error& error) override
    {
        if (isCurrent(connection))
            pinned()->connectionDidFailWithError(error);
    }
    // Nothing goes into the URL cache (a request may still be answered from it).
    std::optional<plat::CachedURLResponse> willCacheResponse(
        plat::URLConnection&, const plat::CachedURLResponse&) override
    {
        return std::nullopt;
    }

private:
    // Ending the connection from within a message releases this delegate:
    // the download must outlive the message.
    std::shared_ptr<WIWebImageDownloader> pinned() const { return _downloader; }
    bool isCurrent(const plat::URLConnection& connection) const
    {
        return _downloader->_connection.get() == &connection;
    }

    std::shared_ptr<WIWebImageDownloader> _downloader;
};

std::shared_ptr<WIWebImageDownloader> WIWebImageDownloader::downloaderWithURL(
    const plat::URL& url, const std::weak_ptr<WIWebImageDownloaderDelegate>& delegate)
{
    return downloaderWithURL(url, delegate, std::any(), /*lowPriority=*/false);
}

std::shared_ptr<WIWebImageDownloader> WIWebImageDownloader::downloaderWithURL(
    const plat::URL& url, const std::weak_ptr<WIWebImageDownloaderDelegate>& delegate, std::any userInfo)
{
    return downloaderWithURL(url, delegate, std::move(userInfo), /*lowPriority=*/false);
}

std::shared_ptr<WIWebImageDownloader> WIWebImageDownloader::downloaderWithURL(const plat::URL& url,
    const std::weak_ptr<WIWebImageDownloaderDelegate>& delegate, std::any userInfo, bool lowPriority)
{
    // There is no network activity indicator here to hook the notifications to.
    auto downloader = std::make_shared<WIWebImageDownloader>(Passkey(), url);
    downloader->setDelegate(delegate);
    downloader->setUserInfo(std::move(userInfo));
    downloader->setLowPriority(lowPriority);
    if (plat::isMainThread())
        downloader->start();
    else
        plat::DispatchQueue::mainQueue().sync([&] { downloader->start(); });
    return downloader;
}

void WIWebImageDownloader::setMaxConcurrentDownloads(uint64_t) { }

WIWebImageDownloader::WIWebImageDownloader(Passkey, plat::URL url)
    : _url(std::move(url))
{
}

WIWebImageDownloader::~WIWebImageDownloader() = default;

void WIWebImageDownloader::start()
{
    plat::assertOnQueue(plat::DispatchQueue::mainQueue());
    plat::URLRequest request(_url, plat::URLRequestCachePolicy::ReturnCacheDataElseLoad, kTimeoutSeconds);
    if (!plat::URLConnection::canHandleRequest(request)) {
        _startFailurePending = true;
        plat::DispatchQueue::mainQueue().async([weakSelf = weak_from_this()] {
            auto self = weakSelf.lock();
            if (!self || !self->_startFailurePending)
                return;
            self->_startFailurePending = false;
            if (auto delegate = self->delegate())
                delegate->imageDownloaderDidFailWithError(*self, std::nullopt);
        });
        return;
    }
    _connection = plat::URLConnection::create(
        request, std::make_shared<ConnectionDelegate>(shared_from_this()), /*startImmediately=*/false);
    if (!_lowPriority)
        _connection->scheduleInRunLoop(plat::kRunLoopCommonModes);
    _connection->start();
    plat::DispatchQueue::mainQueue().after(kMaxDownloadSeconds, [weakSelf = weak_from_this(), start = ++_starts] {
        if (auto self = weakSelf.lock())
            self->checkDownloadDeadline(start);
    });
    plat::NotificationCenter::defaultCenter().post(kWIWebImageDownloadStartNotification, this);
}

void WIWebImageDownloader::checkDownloadDeadline(uint64_t start)
{
    if (!_connection || start != _starts)
        return;
    failWhileLoading(plat::makeURLError(plat::kURLErrorTimedOut,
        plat::formatLine("The image took longer than {} seconds to arrive.", kMaxDownloadSeconds),
        _url.absoluteString()));
}

void WIWebImageDownloader::cancel()
{
    plat::assertOnQueue(plat::DispatchQueue::mainQueue());
    _startFailurePending = false;
    if (!_connection)
        return;
    auto connection = std::move(_connection);
    connection->cancel();
    postStopNotification(this);
}

void WIWebImageDownloader::postStopNotification(const void* object)
{
    plat::NotificationCenter::defaultCenter().post(kWIWebImageDownloadStopNotification, object);
}

void WIWebImageDownloader::failWhileLoading(const plat::Error& error)
{
    auto self = shared_from_this();
    if (auto connection = std::move(_connection))
        connection->cancel();
    postStopNotification(nullptr);
    plat::Data().swap(_imageData);
    if (auto delegate = this->delegate())
        delegate->imageDownloaderDidFailWithError(*this, error);
}

void WIWebImageDownloader::connectionDidReceiveResponse(const std::shared_ptr<const plat::URLResponse>& response)
{
    const int64_t status = response->statusCode();
    if (status >= kFirstErrorStatus) {
        failWhileLoading(plat::Error(plat::kURLErrorDomain, status,
            plat::formatLine("The image server answered {} ({}).", status,
                plat::URLResponse::localizedStringForStatusCode(status))));
        return;
    }
    const int64_t announced = response->expectedContentLength();
    _expectedSize = announced >= 1 ? static_cast<uint64_t>(announced) : 0;
    if (_expectedSize > kMaxImageBytes) {
        failWhileLoading(plat::makeURLError(plat::kURLErrorDataLengthExceedsMaximum,
            plat::formatLine(
                "The image of {} bytes is larger than the {} bytes an image may have.", _expectedSize, kMaxImageBytes),
            _url.absoluteString()));
        return;
    }
    // A redirect's or a retried response's bytes do not count.
    plat::Data().swap(_imageData);
    _imageData.reserve(std::min(_expectedSize, kMaxReservedBytes));
    _nextPartialImageBytes = 0;
}

void WIWebImageDownloader::connectionDidReceiveData(const plat::Data& data)
{
    if (data.size() > kMaxImageBytes - _imageData.size()) {
        failWhileLoading(plat::makeURLError(plat::kURLErrorDataLengthExceedsMaximum,
            plat::formatLine("The image server sent more than the {} bytes an image may have.", kMaxImageBytes),
            _url.absoluteString()));
        return;
    }
    _imageData.insert(_imageData.end(), data.begin(), data.end());
    if (_progressive && _expectedSize != 0 && !_delegateIgnoresPartialImages && delegate())
        makePartialImage();
}

void WIWebImageDownloader::makePartialImage()
{
    const uint64_t received = _imageData.size();
    if (received < _nextPartialImageBytes)
        return;
    _nextPartialImageBytes = received + std::max(kMinPartialImageStepBytes, _expectedSize / kPartialImagesPerDownload);

    plat::IncrementalImageSource source;
    source.updateData(_imageData, /*isFinal=*/received == _expectedSize);
    if (_width + _height == 0) {
        if (auto size = source.pixelSizeAtIndex0()) {
            _height = static_cast<uint64_t>(std::max<int64_t>(size->height, 0));
            _width = static_cast<uint64_t>(std::max<int64_t>(size->width, 0));
        }
    }
    if (_width + _height == 0 || received >= _expectedSize)
        return;
    auto partial = source.createImageAtIndex0();
    // A header beyond the bitmap limits gives no context: this partial image is dropped.
    if (!partial || !plat::Bitmap::isAllowedSize(static_cast<int64_t>(_width), static_cast<int64_t>(_height)))
        return;
    const double width = static_cast<double>(_width);
    const double height = static_cast<double>(_height);
    auto context = plat::GraphicsContext::bitmapContext(
        static_cast<int>(_width), static_cast<int>(_height), 1.0, plat::ContextOpacity::Transparent);
    if (!context)
        return;
    // The rows so far go to the bottom of the picture, where a context whose
    // origin is at the lower left puts a rectangle at (0, 0): the platform's
    // partial images look like this.
    const double rows = std::min(height, static_cast<double>(partial->bitmap()->height()));
    context->drawImage(*partial, plat::Rect {{0, height - rows}, {width, rows}});
    auto image = scaledImageForKey(_url.absoluteString(), context->takeImage());
    WIWebImageDecoder::sharedImageDecoder()->decodeImage(image, shared_from_this(),
        plat::Dictionary {{"type", "partial"}, {"start", plat::Value(static_cast<int64_t>(_starts))}});
}

void WIWebImageDownloader::connectionDidFinishLoading()
{
    auto self = shared_from_this();
    _connection.reset();
    postStopNotification(nullptr);
    if (auto delegate = this->delegate())
        delegate->imageDownloaderDidFinish(*this);
    if (!delegate())
        return;
    WIWebImageDecoder::sharedImageDecoder()->decodeImageData(_imageData, _url.absoluteString(), self, plat::Value());
}

void WIWebImageDownloader::connectionDidFailWithError(const plat::Error& error)
{
    auto self = shared_from_this();
    _connection.reset();
    postStopNotification(nullptr);
    if (auto delegate = this->delegate())
        delegate->imageDownloaderDidFailWithError(*this, error);
    plat::Data().swap(_imageData);
}

void WIWebImageDownloader::imageDecoderDidFinishDecodingImageUserInfo(
    WIWebImageDecoder&, const std::shared_ptr<plat::Image>& image, const plat::Value& userInfo)
{
    auto self = shared_from_this();
    auto delegate = this->delegate();
    if (!delegate)
        return;
    auto info = userInfo.asDictionary();
    if (info && info->getString("type") == "partial") {
        // A partial image of a download that has since ended, or been
        // cancelled or started again, would come after its end.
        const bool isRunning
            = _connection && info->get("start").int64Value() == std::optional<int64_t>(static_cast<int64_t>(_starts));
        if (!isRunning)
            return;
        if (image && !delegate->imageDownloaderDidUpdatePartialImage(*this, image))
            _delegateIgnoresPartialImages = true;
        return;
    }
    delegate->imageDownloaderDidFinishWithImage(*this, image);
}

plat::Error WIWebImageDownloader::undecodedImageError() const
{
    const std::string& url = _url.absoluteString();
    std::string reason;
    if (_imageData.empty()) {
        reason = plat::formatLine("The server sent no bytes for the image at {}.", url);
    } else {
        plat::IncrementalImageSource source;
        source.updateData(_imageData, /*isFinal=*/true);
        auto size = source.pixelSizeAtIndex0();
        if (!size)
            reason = plat::formatLine("The {} bytes from {} are not a JPEG or PNG picture.", _imageData.size(), url);
        else if (!plat::Bitmap::isAllowedSize(size->width, size->height))
            reason = plat::formatLine("The picture at {} declares {} x {} pixels, more than a picture may have.", url,
                size->width, size->height);
        else
            reason = plat::formatLine("The picture at {} is cut short or damaged.", url);
    }
    return plat::makeURLError(plat::kURLErrorCannotDecodeContentData, reason, url);
}

}  // namespace zt
