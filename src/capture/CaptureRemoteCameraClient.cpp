#include "capture/CaptureRemoteCameraClient.h"

#include <cstdio>

#include "capture/RemoteCameraRequest.h"
#include "document/FailureReason.h"
#include "platform/foundation/Bundle.h"
#include "platform/foundation/DispatchQueue.h"
#include "platform/foundation/Log.h"
#include "platform/graphics/Image.h"
#include "platform/ui/ImageView.h"
#include "render/MovieRenderer.h"
#include "uikit/Hudy.h"

namespace zt {

namespace {

plat::DispatchQueue& backgroundQueue()
{
    return plat::DispatchQueue::globalQueue(plat::DispatchQueue::Priority::Low);
}

// "%f", six decimals, as the protocol writes its numbers.
std::string decimal(double value)
{
    char text[64];
    std::snprintf(text, sizeof text, "%f", value);
    return text;
}

std::string textOf(const plat::Data& data)
{
    return std::string(data.begin(), data.end());
}

// Why the camera gives no status or picture; cause: the request's own error.
plat::Error noAnswerError(const std::optional<plat::Error>& cause)
{
    return errorWithCause(CaptureRemoteCameraClient::kErrorDomain, CaptureRemoteCameraClient::kErrorNoAnswer,
        plat::localized("The remote camera does not answer."), cause);
}

}  // namespace

// What the preview loop shares with the source: the flags the main thread
// sets and the loop reads, and the count of failed previews.
struct CaptureRemoteCameraClient::Loop {
    plat::URL url;
    std::weak_ptr<CaptureRemoteCameraClient> client;
    std::atomic<bool> paused {false};
    std::atomic<bool> stopped {true};
    std::atomic<bool> running {false};
    std::atomic<int> heartbeat {0};

    explicit Loop(plat::URL baseURL)
        : url(std::move(baseURL))
    {
    }
};

CaptureRemoteCameraClient::CaptureRemoteCameraClient(std::optional<plat::URL> remoteURL, std::string name)
    : _remoteCameraURL(std::move(remoteURL))
    , _name(std::move(name))
{
    setCaptureSourceID(_remoteCameraURL ? _remoteCameraURL->host() : std::string());
    if (_remoteCameraURL)
        _loop = std::make_shared<Loop>(*_remoteCameraURL);
}

CaptureRemoteCameraClient::~CaptureRemoteCameraClient()
{
    if (_loop)
        _loop->stopped = true;
}

int CaptureRemoteCameraClient::heartbeatCounter() const
{
    return _loop ? _loop->heartbeat.load() : 0;
}

std::string CaptureRemoteCameraClient::getCaptureSourceName() const
{
    return _name.empty() ? "Remote Camera" : _name;
}

std::shared_ptr<plat::Image> CaptureRemoteCameraClient::getCaptureSourceMenuIcon() const
{
    return plat::Image::imageNamed("capturesource_icon_remote.png");
}

void CaptureRemoteCameraClient::initCaptureDevice()
{
    _imageCaptureSize = MovieRenderer::getMaximumResolutionAvailable();
    if (_imageView)
        _imageView->removeFromSuperview();
    _imageView = std::make_shared<plat::ImageView>(view()->bounds());
    _imageView->setAutoresizingMask(plat::ViewAutoresizingFlexibleWidth | plat::ViewAutoresizingFlexibleHeight);
    _imageView->setContentMode(plat::ContentMode::ScaleAspectFill);
    _imageView->setClipsToBounds(true);
    _imageView->setUserInteractionEnabled(true);
    view()->addSubview(_imageView);
    setCaptureSourceViewCamera(_imageView);
    if (!_remoteCameraURL)
        return;
    _loop->client = sharedAs<CaptureRemoteCameraClient>();
    initConnection();
}

plat::Result<plat::Data> CaptureRemoteCameraClient::sendControlRequest(
    const std::string& path, const std::string& query)
{
    if (!_remoteCameraURL)
        return plat::Error(kErrorDomain, kErrorNoAnswer, "no address for the remote camera");
    auto url = RemoteCameraRequest::requestURL(*_remoteCameraURL, path, query);
    if (!url)
        return plat::Error(kErrorDomain, kErrorNoAnswer, "no request address for " + path);
    auto reply = RemoteCameraRequest::get(
        *url, RemoteCameraRequest::kControlTimeoutSeconds, RemoteCameraRequest::kMaxStatusBytes);
    if (!reply.ok())
        plat::log(
            "remote camera {}: {} failed: {}", getCaptureSourceName(), path, reply.error().localizedDescription());
    return reply;
}

void CaptureRemoteCameraClient::takeStatus(const plat::Data& reply)
{
    _remoteCameraStatus = RemoteCameraStatus::fromReply(textOf(reply));
}

void CaptureRemoteCameraClient::checkDeviceCapabilities()
{
    if (!_remoteCameraStatus)
        return;
    const RemoteCameraStatus& status = *_remoteCameraStatus;
    setModeSupport(status.focusModeLocked && status.focusModeContinuousAutoFocus,
        status.exposureModeLocked && status.exposureModeContinuousAutoExposure,
        status.whiteBalanceModeLocked && status.whiteBalanceModeContinuousAutoWhiteBalance);
    setIsMultipleCaptureDeviceAvaliable(status.multipleCaptureDeviceAvailable);
    setPosition(status.position);
    setModes(status.focusMode, status.exposureMode, status.whiteBalanceMode);
}

void CaptureRemoteCameraClient::initConnection()
{
    auto reply = sendControlRequest("status");
    if (!reply.ok()) {
        // Not ready, no preview, no callback: the error says why, to the
        // screen that chose the camera and to a shutter press.
        setError(noAnswerError(reply.error()));
        return;
    }
    takeStatus(reply.value());
    checkDeviceCapabilities();
    clearError();
    setIsReadyToCapture(true);
    _loop->stopped = false;
    liveImageRunLoop();
    if (auto listener = delegate())
        listener->captureControllerDidInitCaptureDeviceWithPositon(*this, position());
}

void CaptureRemoteCameraClient::restartConnection()
{
    const bool wasReady = isReadyToCapture();
    setIsReadyToCapture(false);
    if (_loop)
        _loop->heartbeat = 0;
    // Kept for the shutter, which says it again; the user hears once that
    // the camera went away, and it comes back by itself when it answers again.
    setError(noAnswerError(std::nullopt));
    if (auto listener = delegate(); listener && wasReady)
        listener->captureControllerDidStopWithError(*this, *error());
}

void CaptureRemoteCameraClient::liveImageRunLoop()
{
    if (!_loop || _loop->running.exchange(true))
        return;  // one loop at a time
    backgroundQueue().async([loop = _loop] { previewRound(loop); });
}

void CaptureRemoteCameraClient::previewRound(const std::shared_ptr<Loop>& loop)
{
    if (loop->stopped || loop->client.expired()) {
        loop->running = false;
        // A set-up that came in between found the loop still running: go on for it.
        if (loop->stopped || loop->client.expired() || loop->running.exchange(true))
            return;
    }
    if (loop->paused) {
        backgroundQueue().after(kRetrySeconds, [loop] { previewRound(loop); });
        return;
    }
    std::shared_ptr<plat::Image> picture;
    if (auto url = RemoteCameraRequest::requestURL(loop->url, "preview")) {
        auto reply = RemoteCameraRequest::get(
            *url, RemoteCameraRequest::kPictureTimeoutSeconds, RemoteCameraRequest::kMaxPreviewBytes);
        // A picture that does not decode is a failed preview, not a blank one.
        if (reply.ok()) {
            auto decoded = RemoteCameraRequest::decodePicture(reply.value());
            if (decoded.ok())
                picture = decoded.value();
        }
    }
    // Both outcomes go through the main queue: a shown picture asks for the
    // next one at once (so pictures never pile up behind a busy main
    // thread), a failure counts and tries again a second later.
    plat::DispatchQueue::mainQueue().async([loop, picture] {
        auto client = loop->client.lock();
        if (picture) {
            if (client)
                client->showPreview(picture);
            backgroundQueue().async([loop] { previewRound(loop); });
            return;
        }
        if (++loop->heartbeat >= kMaxFailedPreviews && client)
            client->restartConnection();
        backgroundQueue().after(kRetrySeconds, [loop] { previewRound(loop); });
    });
}

void CaptureRemoteCameraClient::showPreview(std::shared_ptr<plat::Image> picture)
{
    if (_loop->stopped)
        return;
    if (_imageView)
        _imageView->setImage(std::move(picture));
    _loop->heartbeat = 0;
    if (!isReadyToCapture())
        initConnection();
}

void CaptureRemoteCameraClient::captureImage()
{
    auto hud = std::make_shared<Hudy>();
    hud->setCaption(plat::localized("Capturing image..."));
    hud->setIsActivity(true);
    hud->setDismissAfterTime(Hudy::kStaysUntilDismissed);
    hud->showInView(view());
    std::optional<plat::URL> url;
    if (_remoteCameraURL) {
        url = RemoteCameraRequest::requestURL(*_remoteCameraURL, "capture",
            "Width=" + decimal(_imageCaptureSize.width) + "&Height=" + decimal(_imageCaptureSize.height));
    }
    // Taken here, on the main thread that owns it.
    std::weak_ptr<CaptureControllerDelegate> receiver = delegateReference();
    backgroundQueue().async([self = sharedAs<CaptureRemoteCameraClient>(), receiver, hud, url]() mutable {
        std::shared_ptr<plat::Image> picture;
        std::optional<plat::Error> failure;
        if (url) {
            auto reply = RemoteCameraRequest::get(
                *url, RemoteCameraRequest::kPictureTimeoutSeconds, RemoteCameraRequest::kMaxCaptureBytes);
            auto decoded = reply.ok() ? RemoteCameraRequest::decodePicture(reply.value())
                                      : plat::Result<std::shared_ptr<plat::Image>>(reply.error());
            if (decoded.ok()) {
                picture = decoded.value();
            } else {
                plat::log("remote camera {}: no picture: {}", self->getCaptureSourceName(),
                    decoded.error().localizedDescription());
                failure = reply.ok() ? errorWithCause(kErrorDomain, kErrorUnreadablePicture,
                              plat::localized("The remote camera's picture cannot be read."), decoded.error())
                                     : noAnswerError(reply.error());
            }
        }
        // The display and the source belong to the main thread: let go of
        // them there. The reason goes in the same block, which the main
        // queue runs before a receiver's hop there with the picture.
        plat::DispatchQueue::mainQueue().async([hud = std::move(hud), self, failure] {
            hud->dismiss();
            self->_captureFailure = failure;
        });
        if (auto listener = receiver.lock()) {
            listener->captureControllerDidTakeImage(*self, std::move(picture));
            plat::releaseOnMainQueue(std::move(listener));
        }
        plat::DispatchQueue::mainQueue().async([self = std::move(self)] {});
    });
}

void CaptureRemoteCameraClient::switchCaptureDevice()
{
    if (_remoteCameraURL) {
        auto reply = sendControlRequest("switchcamera");
        if (!reply.ok())
            return;  // no callback
        takeStatus(reply.value());
        checkDeviceCapabilities();
    }
    if (auto listener = delegate())
        listener->captureControllerDidSwitchCaptureDevicePosition(*this, position());
}

void CaptureRemoteCameraClient::sendModeRequest(const std::string& path, const char* key, int64_t mode)
{
    if (!_remoteCameraURL)
        return;
    auto reply = sendControlRequest(path, std::string(key) + "=" + std::to_string(mode));
    if (!reply.ok())
        return;
    takeStatus(reply.value());
    checkDeviceCapabilities();
}

void CaptureRemoteCameraClient::setFocusMode(int64_t mode)
{
    sendModeRequest("focusmode", "AVCaptureFocusMode", mode);
}

void CaptureRemoteCameraClient::setExposureMode(int64_t mode)
{
    sendModeRequest("exposuremode", "AVCaptureExposureMode", mode);
}

void CaptureRemoteCameraClient::setWhiteBalanceMode(int64_t mode)
{
    sendModeRequest("whitebalancemode", "AVCaptureWhiteBalanceMode", mode);
}

bool CaptureRemoteCameraClient::focusAtPoint(plat::Point point)
{
    if (!isFocusModeSuported())
        return false;
    if (!_remoteCameraURL)
        return true;
    const plat::Size size = _imageView ? _imageView->bounds().size : plat::Size {};
    if (size.width <= 0 || size.height <= 0)
        return false;  // no place to measure the point against
    auto reply = sendControlRequest(
        "focusatpoint", "X=" + decimal(point.x / size.width) + "&Y=" + decimal(point.y / size.height));
    if (!reply.ok())
        return false;
    takeStatus(reply.value());  // the capabilities are not read again here
    return true;
}

void CaptureRemoteCameraClient::stopCameraCapture()
{
    if (_loop)
        _loop->stopped = true;
}

void CaptureRemoteCameraClient::pauseCameraCapture()
{
    if (_loop)
        _loop->paused = true;
}

void CaptureRemoteCameraClient::resumeCameraCapture()
{
    if (_loop)
        _loop->paused = false;
}

}  // namespace zt
