#include "capture/CaptureLocalCamera.h"

#include "capture/CaptureDeviceChoice.h"
#include "capture/CaptureDeviceControls.h"
#include "capture/VideoPreview.h"
#include "document/DataManager.h"
#include "platform/foundation/Bundle.h"
#include "platform/foundation/DispatchQueue.h"
#include "platform/graphics/Bitmap.h"
#include "platform/graphics/Image.h"
#include "platform/graphics/PixelBuffer.h"
#include "platform/graphics/UprightPixels.h"
#include "platform/media/MediaConstants.h"
#include "platform/media/SampleBuffer.h"
#include "platform/media/capture/CaptureConnection.h"
#include "platform/media/capture/CaptureDevice.h"
#include "platform/media/capture/CaptureInput.h"
#include "platform/media/capture/CaptureSession.h"
#include "platform/media/capture/CaptureVideoPreviewLayer.h"
#include "platform/ui/Application.h"

namespace zt {

namespace {

constexpr const char* kNoCaptureDevice = "No capture device found.";

// The frame's pixels without a copy: the picture keeps the camera's memory,
// which no one writes once it is shared.
std::shared_ptr<plat::Bitmap> frameBitmap(plat::PixelBuffer& pixels)
{
    auto bitmap = plat::bitmapSharingPixels(pixels);
    if (bitmap)
        bitmap->setOpaque(true);
    return bitmap;
}

// The camera at the stored position first, then the others from the last,
// which is the one taken when no camera is at the stored position.
std::vector<std::shared_ptr<plat::CaptureDevice>> devicesInTurn(
    const std::vector<std::shared_ptr<plat::CaptureDevice>>& devices, int64_t storedPosition)
{
    std::vector<std::shared_ptr<plat::CaptureDevice>> inTurn;
    if (devices.size() >= 2) {
        for (const auto& device : devices) {
            if (static_cast<int64_t>(device->position()) == storedPosition) {
                inTurn.push_back(device);
                break;
            }
        }
    }
    for (auto device = devices.rbegin(); device != devices.rend(); ++device) {
        if (inTurn.empty() || *device != inTurn.front())
            inTurn.push_back(*device);
    }
    return inTurn;
}

}  // namespace

CaptureLocalCamera::CaptureLocalCamera()
{
    setCaptureSourceID("CaptureLocalCamera");
}

CaptureLocalCamera::~CaptureLocalCamera()
{
    if (!_captureSession)
        return;
    // The last holder may be a frame on the camera queue: the session,
    // which belongs to the main thread, is stopped there.
    if (plat::isMainThread())
        _captureSession->stopRunning();
    else
        plat::DispatchQueue::mainQueue().async([session = _captureSession] { session->stopRunning(); });
}

std::string CaptureLocalCamera::getCaptureSourceName() const
{
    return "Camera";
}

std::shared_ptr<plat::Image> CaptureLocalCamera::getCaptureSourceMenuIcon() const
{
    return plat::Image::imageNamed("capturesource_icon_camera.png");
}

void CaptureLocalCamera::initCaptureDevice()
{
    // Ready only when this set-up succeeds: the source may have been ready with another camera.
    setIsReadyToCapture(false);
    _lastSetUpSucceeded = false;
    _stoppedRunning = false;
    DataManager& settings = DataManager::sharedDataManager();
    _previewView = std::make_shared<VideoPreview>(view()->bounds());
    view()->addSubview(_previewView);

    auto devices = plat::CaptureDevice::devicesWithMediaType(plat::kMediaTypeVideo);
    if (devices.empty()) {
        setError(plat::Error(kErrorDomain, kErrorNoCaptureDevice, plat::localized(kNoCaptureDevice)));
        return;
    }
    setIsMultipleCaptureDeviceAvaliable(devices.size() >= 2);
    // A camera that cannot be opened gives way to one that can: the person
    // hears which one failed and goes on with the other.
    const OpenedCamera opened = openFirstCameraThatWorks(devicesInTurn(devices, settings.avCaptureDevicePosition()));
    if (!opened.input) {
        setError(noCameraWorksError(opened, kErrorDomain, kErrorFallbackDeviceUnavailable));
        return;
    }
    const auto& device = opened.device;
    settings.setAvCaptureDevicePosition(static_cast<int64_t>(device->position()));
    _captureInput = opened.input;

    _videoOutput = std::make_shared<plat::CaptureVideoDataOutput>();
    _videoOutput->setAlwaysDiscardsLateVideoFrames(true);
    _videoOutput->setVideoSettings(
        {{plat::kCVPixelBufferPixelFormatTypeKey, plat::Value(static_cast<int64_t>(plat::kPixelFormatType_32BGRA))}});
    _cameraQueue = plat::DispatchQueue::create("cameraQueue");
    _videoOutput->setSampleBufferDelegate(sharedAs<CaptureLocalCamera>(), _cameraQueue);

    _captureSession = plat::CaptureSession::create();
    _captureSession->setSessionPreset(getPresetWithMaximumResoulutionFromCaptureDevice(*device));
    _captureSession->addInput(_captureInput);
    _captureSession->addOutput(_videoOutput);

    _previewLayer = plat::CaptureVideoPreviewLayer::layerWithSession(_captureSession);
    _previewLayer->setFrame(_previewView->frame());
    _previewLayer->setVideoGravity(plat::kLayerVideoGravityResizeAspectFill);
    _previewView->setAutoresizingMask(plat::ViewAutoresizingFlexibleWidth | plat::ViewAutoresizingFlexibleHeight);
    _previewView->addPreviewLayer(_previewLayer);

    std::weak_ptr<CaptureLocalCamera> weakSelf = sharedAs<CaptureLocalCamera>();
    _sessionErrorObserver
        = plat::NotificationCenter::defaultCenter().addObserver(plat::kCaptureSessionRuntimeErrorNotification,
            _captureSession.get(), [weakSelf](const plat::Notification& note) {
                if (auto self = weakSelf.lock())
                    self->sessionDidFail(note.userInfo.getString(plat::kCaptureSessionErrorKey).value_or(""));
            });
    _captureSession->startRunning();
    checkDeviceCapabilities();
    setCaptureSourceViewCamera(_previewView);
    // An error of an earlier set-up or switch is over once this one works:
    // kept, it would be shown again each time the camera is chosen.
    clearError();
    setIsReadyToCapture(true);
    _lastSetUpSucceeded = true;
    if (auto listener = delegate())
        listener->captureControllerDidInitCaptureDeviceWithPositon(*this, static_cast<int64_t>(device->position()));
    if (!opened.failures.empty()) {
        // Told as a failed switch: the camera in use goes on, and the person
        // hears which one could not be opened, why, and which one shows.
        reportOtherCameraUsed(otherCameraUsedError(opened, kErrorDomain, kErrorOtherDeviceUsed));
    }
}

bool CaptureLocalCamera::checkDeviceFocusModeSupport() const
{
    return supportsFocusModes(*_captureInput->device());
}

bool CaptureLocalCamera::checkDeviceExposureModeSupport() const
{
    return supportsExposureModes(*_captureInput->device());
}

bool CaptureLocalCamera::checkDeviceWhiteBalanceModeSupport() const
{
    return supportsWhiteBalanceModes(*_captureInput->device());
}

void CaptureLocalCamera::checkDeviceCapabilities()
{
    if (!_captureInput)
        return;
    setModeSupport(
        checkDeviceFocusModeSupport(), checkDeviceExposureModeSupport(), checkDeviceWhiteBalanceModeSupport());
    const auto& device = _captureInput->device();
    setPosition(static_cast<int64_t>(device->position()));
    setModes(static_cast<int64_t>(device->focusMode()), static_cast<int64_t>(device->exposureMode()),
        static_cast<int64_t>(device->whiteBalanceMode()));
    if (offersExposureTargetBias(*device)) {
        setExposureBiasRange(device->minExposureTargetBias(), device->maxExposureTargetBias());
        setCurrentExposureTargetBias(device->exposureTargetBias());
    } else {
        // The source outlives its cameras: a camera without bias must not show the last one's.
        setExposureBiasRange(0, 0);
        setCurrentExposureTargetBias(0);
    }
}

void CaptureLocalCamera::setFocusMode(int64_t mode)
{
    if (_captureInput)
        setFocusModeValue(applyFocusMode(*_captureInput->device(), mode));
}

void CaptureLocalCamera::setExposureMode(int64_t mode)
{
    if (_captureInput)
        setExposureModeValue(applyExposureMode(*_captureInput->device(), mode));
}

void CaptureLocalCamera::setWhiteBalanceMode(int64_t mode)
{
    if (_captureInput)
        setWhiteBalanceModeValue(applyWhiteBalanceMode(*_captureInput->device(), mode));
}

void CaptureLocalCamera::changeExposureTargetBiasTo(float bias)
{
    if (_captureInput && applyExposureTargetBias(*_captureInput->device(), bias))
        setCurrentExposureTargetBias(_captureInput->device()->exposureTargetBias());
}

bool CaptureLocalCamera::focusAtPoint(plat::Point point)
{
    changeExposureTargetBiasTo(0.0f);
    if (!_captureInput)
        return false;
    const auto& device = _captureInput->device();
    if (!device->isFocusPointOfInterestSupported() || !device->isFocusModeSupported(plat::CaptureFocusMode::AutoFocus))
        return false;
    plat::Point interest = convertToPointOfInterestFromViewCoordinates(point);
    if (!device->lockForConfiguration(nullptr))
        return false;
    device->setFocusPointOfInterest(interest);
    device->setFocusMode(plat::CaptureFocusMode::AutoFocus);
    device->unlockForConfiguration();
    return true;
}

plat::Point CaptureLocalCamera::convertToPointOfInterestFromViewCoordinates(plat::Point point) const
{
    const plat::Point centre {0.5, 0.5};
    if (!_previewView || !_captureInput)
        return centre;
    // The preview shows the camera's picture as its connection says: turned
    // half round in landscape left, mirrored for a camera facing the user.
    const auto connection = _previewLayer ? _previewLayer->connection() : nullptr;
    const bool turned = connection && connection->videoOrientation() == plat::CaptureVideoOrientation::LandscapeLeft;
    const bool mirrored = connection && connection->isVideoMirrored();
    for (const plat::CaptureInputPort& port : _captureInput->ports()) {
        if (port.mediaType() == plat::kMediaTypeVideo)
            return pointOfInterestUnderTap(
                point, ShownPicture {_previewView->frame().size, port.cleanAperture().size, turned, mirrored});
    }
    return centre;
}

plat::ImageOrientation CaptureLocalCamera::getImageOrientation() const
{
    const int64_t position = DataManager::sharedDataManager().avCaptureDevicePosition();
    std::optional<plat::CaptureVideoOrientation> shown;
    switch (plat::Application::sharedApplication().statusBarOrientation()) {
    case plat::InterfaceOrientation::Portrait:
        shown = plat::CaptureVideoOrientation::Portrait;
        break;
    case plat::InterfaceOrientation::PortraitUpsideDown:
        shown = plat::CaptureVideoOrientation::PortraitUpsideDown;
        break;
    case plat::InterfaceOrientation::LandscapeRight:
        shown = plat::CaptureVideoOrientation::LandscapeRight;
        break;
    case plat::InterfaceOrientation::LandscapeLeft:
        shown = plat::CaptureVideoOrientation::LandscapeLeft;
        break;
    case plat::InterfaceOrientation::Unknown:
        break;
    }
    if (!shown || (position != kCapturePositionBack && position != kCapturePositionFront))
        return plat::ImageOrientation::Right;
    // Every camera delivers upright pixels, which the preview turns with the
    // interface and mirrors for the camera facing the user: a picture stands
    // as the preview shows its pixels, so the stored frame is what the live
    // picture showed and the onion skin lies on it. (A phone's front sensor
    // gives its pixels half-turned in landscape, so its pictures there are
    // down mirrored in landscape right and up mirrored in landscape left.)
    return plat::imageOrientationForVideo(*shown, position == kCapturePositionFront);
}

void CaptureLocalCamera::captureImage()
{
    // The orientation and the receiver are read here, on the main thread
    // that owns them, for the camera queue.
    {
        std::lock_guard lock(_recordLock);
        _recordDelegate = delegateReference();
    }
    _recordOrientation = static_cast<int>(getImageOrientation());
    _recordNextImage = true;
}

void CaptureLocalCamera::captureOutput(
    plat::CaptureOutput&, const std::shared_ptr<const plat::SampleBuffer>& sampleBuffer, plat::CaptureConnection&)
{
    if (!_recordNextImage.exchange(false))
        return;
    const auto& pixels = sampleBuffer->imageBuffer();
    std::shared_ptr<plat::Image> picture;
    if (auto bitmap = pixels ? frameBitmap(*pixels) : nullptr) {
        plat::Image turned(bitmap, 1.0, static_cast<plat::ImageOrientation>(_recordOrientation.load()));
        // Drawn again so that the pixels themselves stand upright.
        if (auto upright = plat::uprightPixels(turned))
            picture = plat::Image::imageWithBitmap(upright);
    }
    std::shared_ptr<CaptureControllerDelegate> listener;
    {
        std::lock_guard lock(_recordLock);
        listener = _recordDelegate.lock();
    }
    if (listener)
        listener->captureControllerDidTakeImage(*this, std::move(picture));
    plat::releaseOnMainQueue(std::move(listener));
}

void CaptureLocalCamera::changeCaptureQuality()
{
    if (!_captureSession)
        return;
    _captureSession->beginConfiguration();
    const auto& device = _captureInput->device();
    if (device->supportsAVCaptureSessionPreset(plat::kCaptureSessionPreset1920x1080))
        _captureSession->setSessionPreset(plat::kCaptureSessionPreset1920x1080);
    else if (device->supportsAVCaptureSessionPreset(plat::kCaptureSessionPreset1280x720))
        _captureSession->setSessionPreset(plat::kCaptureSessionPreset1280x720);
    else
        _captureSession->setSessionPreset(plat::kCaptureSessionPreset640x480);
    _captureSession->commitConfiguration();
    if (_previewLayer)
        _previewLayer->setSession(_captureSession);
}

void CaptureLocalCamera::switchCaptureDevice()
{
    if (!isMultipleCaptureDeviceAvaliable() || !_captureSession || !_captureInput)
        return;
    DataManager& settings = DataManager::sharedDataManager();
    const int64_t target
        = settings.avCaptureDevicePosition() == kCapturePositionFront ? kCapturePositionBack : kCapturePositionFront;
    if (static_cast<int64_t>(_captureInput->device()->position()) != target) {
        auto previous = _captureInput;
        _captureSession->beginConfiguration();
        _captureSession->removeInput(previous);
        for (const auto& device : plat::CaptureDevice::devicesWithMediaType(plat::kMediaTypeVideo)) {
            if (static_cast<int64_t>(device->position()) != target)
                continue;
            auto made = plat::CaptureDeviceInput::deviceInputWithDevice(device);
            if (!made.ok()) {
                // The old camera goes back in, so the session keeps a picture.
                _captureSession->addInput(previous);
                _captureSession->commitConfiguration();
                checkDeviceCapabilities();
                reportSwitchFailure(made.error());
                // Told as a finished switch back to the same camera as well,
                // so that the screen's controls match the camera that stays.
                if (auto listener = delegate())
                    listener->captureControllerDidSwitchCaptureDevicePosition(*this, position());
                return;
            }
            _captureInput = made.value();
            break;
        }
        settings.setAvCaptureDevicePosition(static_cast<int64_t>(_captureInput->device()->position()));
        changeCaptureQuality();  // inside the configuration: the input joins at the preset it can deliver
        _captureSession->addInput(_captureInput);
        _captureSession->commitConfiguration();
        checkDeviceCapabilities();
    }
    if (_stoppedRunning)
        runAgainAfterStop();
    if (auto listener = delegate())
        listener->captureControllerDidSwitchCaptureDevicePosition(
            *this, static_cast<int64_t>(_captureInput->device()->position()));
}

void CaptureLocalCamera::runAgainAfterStop()
{
    _stoppedRunning = false;
    clearError();
    // Ready first: a camera that fails as it starts is told as a stop again.
    setIsReadyToCapture(true);
    _captureSession->startRunning();
}

void CaptureLocalCamera::sessionDidFail(const std::string& description)
{
    const plat::Error failure = cameraStoppedError(
        _captureInput ? _captureInput->device().get() : nullptr, description, kErrorDomain, kErrorCameraStopped);
    setError(failure);
    setIsReadyToCapture(false);
    _stoppedRunning = true;
    giveUpWaitingPicture();
    if (auto listener = delegate())
        listener->captureControllerDidStopWithError(*this, failure);
}

void CaptureLocalCamera::giveUpWaitingPicture()
{
    if (!_recordNextImage.exchange(false))
        return;
    std::shared_ptr<CaptureControllerDelegate> waiting;
    {
        std::lock_guard lock(_recordLock);
        waiting = _recordDelegate.lock();
    }
    if (waiting)
        waiting->captureControllerDidTakeImage(*this, nullptr);
    plat::releaseOnMainQueue(std::move(waiting));
}

void CaptureLocalCamera::stopCameraCapture()
{
    _sessionErrorObserver = {};
    _stoppedRunning = false;
    setIsReadyToCapture(false);
    // A picture asked for and not yet taken is given up now: left waiting,
    // the first frame after the next set-up would answer a press from before.
    giveUpWaitingPicture();
    if (_captureSession)
        _captureSession->stopRunning();
    if (_previewLayer)
        _previewLayer->removeFromSuperlayer();
    if (_previewView)
        _previewView->removeFromSuperview();
    if (_videoOutput)
        _videoOutput->setSampleBufferDelegate({}, nullptr);
    if (captureSourceViewCamera() == _previewView)
        setCaptureSourceViewCamera(nullptr);
    _captureSession.reset();
    _captureInput.reset();
    _previewLayer.reset();
    _previewView.reset();
    _videoOutput.reset();
}

void CaptureLocalCamera::pauseCameraCapture()
{
    if (_captureSession)
        _captureSession->stopRunning();
}

void CaptureLocalCamera::resumeCameraCapture()
{
    if (_captureSession)
        _captureSession->startRunning();
}

}  // namespace zt
