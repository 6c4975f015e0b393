#include "capture/Capture4KCamera.h"

#include "document/DataManager.h"
#include "platform/foundation/Bundle.h"
#include "platform/foundation/DispatchQueue.h"
#include "platform/foundation/Log.h"
#include "platform/graphics/Image.h"
#include "platform/media/MediaConstants.h"
#include "platform/media/SampleBuffer.h"
#include "platform/media/capture/CaptureDevice.h"
#include "platform/media/capture/CaptureSession.h"
#include "platform/media/capture/CaptureStillImageOutput.h"
#include "platform/media/capture/CaptureVideoPreviewLayer.h"
#include "uikit/AlertView.h"

namespace zt {

Capture4KCamera::Capture4KCamera()
{
    setCaptureSourceID("CaptureLocalUHDTVCamera");
}

std::string Capture4KCamera::getCaptureSourceName() const
{
    return "UHDTV";
}

std::shared_ptr<plat::Image> Capture4KCamera::getCaptureSourceMenuIcon() const
{
    return plat::Image::imageNamed("capturesource_icon_4kcamera");
}

void Capture4KCamera::initCaptureDevice()
{
    CaptureLocalCamera::initCaptureDevice();
    if (const auto& session = captureSession()) {
        session->setSessionPreset(plat::kCaptureSessionPresetPhoto);
        _stillImageOutput = std::make_shared<plat::CaptureStillImageOutput>();
        _stillImageOutput->setOutputSettings({{plat::kVideoCodecKey, plat::Value(plat::kVideoCodecJPEG)}});
        if (session->canAddOutput(_stillImageOutput))
            session->addOutput(_stillImageOutput);
    }
    if (DataManager::sharedDataManager().objectForKey(kAlertShownKey).boolValue() != true)
        showStorageAlert();
    _isReady = lastSetUpSucceeded();
}

void Capture4KCamera::showStorageAlert()
{
    auto alert = std::make_shared<AlertView>("Ultra HD",
        plat::localized("Ultra HD will significantly increase storage space needed. Some features may not be "
                        "available, when using Ultra HD resolution."));
    alert->addButtonWithTitle(plat::localized("Dismiss"),
        [](AlertView&, int64_t) { DataManager::sharedDataManager().setValue(true, kAlertShownKey); });
    alert->show();
}

void Capture4KCamera::changeCaptureQuality()
{
    const auto& session = captureSession();
    if (!session)
        return;
    session->beginConfiguration();
    session->setSessionPreset(plat::kCaptureSessionPresetPhoto);
    session->commitConfiguration();
    if (previewLayer())
        previewLayer()->setSession(session);
}

void Capture4KCamera::captureImage()
{
    if (!_stillImageOutput) {
        deliverImage(nullptr);
        return;
    }
    _isReady = false;
    const auto orientation = getImageOrientation();
    std::weak_ptr<Capture4KCamera> weakSelf = sharedAs<Capture4KCamera>();
    // Taken here, on the main thread that owns it, for the completion thread.
    std::weak_ptr<CaptureControllerDelegate> receiver = delegateReference();
    _stillImageOutput->captureStillImageAsynchronouslyFromConnection(
        _stillImageOutput->connectionWithMediaType(plat::kMediaTypeVideo),
        [weakSelf, receiver, orientation](
            const std::shared_ptr<const plat::SampleBuffer>& buffer, const std::optional<plat::Error>& error) {
            auto self = weakSelf.lock();
            if (!self)
                return;
            self->_isReady = true;
            auto listener = receiver.lock();
            if (!listener)
                return;
            auto jpeg
                = buffer ? plat::CaptureStillImageOutput::jpegStillImageNSDataRepresentation(*buffer) : std::nullopt;
            auto decoded = jpeg ? plat::Image::imageWithData(*jpeg) : nullptr;
            if (!decoded) {
                // Every shutter press hears its outcome: the screen waits for it
                // before the shutter works again.
                plat::log("4K camera: no still came: {}",
                    error ? error->localizedDescription() : std::string("the still could not be decoded"));
                listener->captureControllerDidTakeImage(*self, nullptr);
                plat::releaseOnMainQueue(std::move(listener));
                return;
            }
            // The pixels stay as the camera took them; the orientation travels with the picture.
            listener->captureControllerDidTakeImage(
                *self, std::make_shared<plat::Image>(decoded->bitmap(), 1.0, orientation));
            plat::releaseOnMainQueue(std::move(listener));
        });
}

void Capture4KCamera::stopCameraCapture()
{
    _isReady = false;
    if (_stillImageOutput && captureSession())
        captureSession()->removeOutput(_stillImageOutput);
    _stillImageOutput.reset();
    CaptureLocalCamera::stopCameraCapture();
}

}  // namespace zt
