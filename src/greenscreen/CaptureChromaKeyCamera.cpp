// The green-screen source's set-up and tear-down, capture and the
// configuration button. Key colours, backdrops and camera controls have
// files of their own.
#include "greenscreen/CaptureChromaKeyCamera.h"

#include <algorithm>

#include "capture/CaptureDeviceChoice.h"
#include "document/DataManager.h"
#include "glimage/GLImageBrightnessFilter.h"
#include "glimage/GLImageChromaKeyBlendFilter.h"
#include "glimage/GLImageContext.h"
#include "glimage/GLImagePicture.h"
#include "glimage/GLImageVideoCamera.h"
#include "glimage/GLImageView.h"
#include "greenscreen/ChromaKeyBackdrop.h"
#include "greenscreen/ChromaKeyConfiguration.h"
#include "greenscreen/ChromaKeyConfigurationViewController.h"
#include "platform/foundation/Bundle.h"
#include "platform/foundation/DispatchQueue.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/Timer.h"
#include "platform/graphics/Bitmap.h"
#include "platform/graphics/Image.h"
#include "platform/media/MediaConstants.h"
#include "platform/media/capture/CaptureDevice.h"
#include "platform/media/capture/CaptureInput.h"
#include "platform/media/capture/CaptureSession.h"
#include "platform/ui/Application.h"
#include "platform/ui/Button.h"
#include "platform/ui/Device.h"
#include "uikit/BubblePopoverController.h"
#include "uikit/Hudy.h"

namespace zt {

namespace {

constexpr const char* kNoCaptureDevice = "No capture device found.";

GLImageInterfaceOrientation cameraOrientationFor(plat::InterfaceOrientation orientation)
{
    return static_cast<GLImageInterfaceOrientation>(static_cast<int64_t>(orientation));
}

}  // namespace

CaptureChromaKeyCamera::CaptureChromaKeyCamera()
{
    setCaptureSourceID(kCaptureSourceID);
}

CaptureChromaKeyCamera::~CaptureChromaKeyCamera()
{
    if (_detectionTimer)
        _detectionTimer->invalidate();
}

std::string CaptureChromaKeyCamera::getCaptureSourceName() const
{
    return "Green Screen";
}

std::shared_ptr<plat::Image> CaptureChromaKeyCamera::getCaptureSourceMenuIcon() const
{
    return plat::Image::imageNamed("capturesource_icon_chroma.png");
}

bool CaptureChromaKeyCamera::isReadyToCapture() const
{
    return CaptureController::isReadyToCapture() && _hasKeyedFrame->load();
}

bool CaptureChromaKeyCamera::shouldAutorotateToInterfaceOrientation(plat::InterfaceOrientation orientation) const
{
    return orientation == plat::InterfaceOrientation::LandscapeRight
        || orientation == plat::InterfaceOrientation::LandscapeLeft;
}

void CaptureChromaKeyCamera::didRotateFromInterfaceOrientation(plat::InterfaceOrientation)
{
    if (_videoCamera)
        _videoCamera->setOutputImageOrientation(
            cameraOrientationFor(plat::Application::sharedApplication().statusBarOrientation()));
}

std::vector<std::shared_ptr<plat::CaptureDevice>> CaptureChromaKeyCamera::devicesInTurn(
    const std::vector<std::shared_ptr<plat::CaptureDevice>>& devices) const
{
    const int64_t saved = DataManager::sharedDataManager().avCaptureDevicePosition();
    auto stored = std::find_if(devices.begin(), devices.end(),
        [saved](const auto& device) { return static_cast<int64_t>(device->position()) == saved; });
    // The settings may name a camera this device lacks (another machine's
    // settings, a camera unplugged): the others in turn, rather than none.
    if (devices.size() > 1 && stored == devices.end())
        plat::log("green screen: no camera at position {}; the others are tried in turn", saved);
    std::vector<std::shared_ptr<plat::CaptureDevice>> inTurn;
    if (stored != devices.end())
        inTurn.push_back(*stored);
    for (const auto& device : devices) {
        if (stored == devices.end() || device != *stored)
            inTurn.push_back(device);
    }
    return inTurn;
}

void CaptureChromaKeyCamera::initCaptureDevice()
{
    plat::assertOnQueue(plat::DispatchQueue::mainQueue());
    setIsReadyToCapture(false);
    _hasKeyedFrame = std::make_shared<std::atomic<bool>>(false);
    _stoppedRunning = false;
    auto devices = plat::CaptureDevice::devicesWithMediaType(plat::kMediaTypeVideo);
    if (devices.empty()) {
        setError(plat::Error(kErrorDomain, kErrorNoCaptureDevice, plat::localized(kNoCaptureDevice)));
        return;
    }
    setIsMultipleCaptureDeviceAvaliable(devices.size() > 1);

    _viewCamera = std::make_shared<GLImageView>(view()->bounds());
    _viewCamera->setBackgroundColor(plat::Color::clearColor());
    _viewCamera->setFillMode(fillModeAspectFill);
    _viewCamera->setAutoresizingMask(plat::ViewAutoresizingFlexibleWidth | plat::ViewAutoresizingFlexibleHeight);
    view()->addSubview(_viewCamera);

    // Only a test: the video camera opens the camera for itself. A camera
    // that cannot be opened gives way to one that can, as the device's
    // camera source does.
    const OpenedCamera opened = openFirstCameraThatWorks(devicesInTurn(devices));
    if (!opened.device) {
        setError(noCameraWorksError(opened, kErrorDomain, kErrorFallbackDeviceUnavailable));
        return;
    }
    const auto& device = opened.device;
    _videoCamera = GLImageVideoCamera::initWithSessionPreset(
        getPresetWithMaximumResoulutionFromCaptureDevice(*device), device->position());
    if (!_videoCamera) {
        setError(plat::Error(kErrorDomain, kErrorNoCaptureDevice, plat::localized(kNoCaptureDevice)));
        return;
    }
    _videoCamera->setOutputImageOrientation(
        cameraOrientationFor(plat::Application::sharedApplication().statusBarOrientation()));

    _filter = std::make_shared<GLImageChromaKeyBlendFilter>();
    _filter->setColorToReplaceRed(0, 1, 0);
    _chromaColor = plat::Color::colorWithRed(0, 1, 0, 1);
    watchForKeyedFrame();
    _videoCamera->addTarget(_filter);
    _filter->addTarget(_viewCamera);
    _stopObserver = plat::NotificationCenter::defaultCenter().addObserver(plat::kCaptureSessionRuntimeErrorNotification,
        _videoCamera->captureSession().get(), [weak = weakSelf()](const plat::Notification& note) {
            if (auto self = weak.lock())
                self->cameraDidStop(note.userInfo.getString(plat::kCaptureSessionErrorKey).value_or(""));
        });
    _videoCamera->startCameraCapture();

    _backdrop = std::make_unique<ChromaKeyBackdrop>(_filter);
    if (auto picture = ChromaKeyBackdrop::savedPicture(project().get()))
        _backdrop->showPicture(*picture);

    didRotateFromInterfaceOrientation(plat::InterfaceOrientation::Unknown);
    checkDeviceCapabilities();
    setCaptureSourceViewCamera(_viewCamera);
    // An error of an earlier set-up is over once this one works.
    clearError();
    setIsReadyToCapture(true);
    // Kept for the next set-up, as a switch is.
    DataManager::sharedDataManager().setAvCaptureDevicePosition(static_cast<int64_t>(_videoCamera->cameraPosition()));
    if (auto listener = delegate())
        listener->captureControllerDidInitCaptureDeviceWithPositon(
            *this, static_cast<int64_t>(_videoCamera->cameraPosition()));

    restoreConfiguration();
    addConfigurationButton();
    if (!opened.failures.empty()) {
        // The camera in use goes on; the person hears which one could not be
        // opened, why, and which one shows.
        reportOtherCameraUsed(otherCameraUsedError(opened, kErrorDomain, kErrorOtherDeviceUsed));
    }
}

void CaptureChromaKeyCamera::watchForKeyedFrame()
{
    auto keyed = std::make_shared<std::atomic<bool>>(false);
    _hasKeyedFrame = keyed;
    // On the context queue, where the filter runs its block.
    runSynchronouslyOnContextQueue([&] {
        _filter->setFrameProcessingCompletionBlock(
            [keyed](GLImageOutput&, const plat::MediaTime&) { keyed->store(true); });
    });
}

void CaptureChromaKeyCamera::cameraDidStop(const std::string& reason)
{
    const plat::Error failure = cameraStoppedError(currentDevice().get(), reason, kErrorDomain, kErrorCameraStopped);
    setError(failure);
    setIsReadyToCapture(false);
    _stoppedRunning = true;
    if (auto listener = delegate())
        listener->captureControllerDidStopWithError(*this, failure);
}

void CaptureChromaKeyCamera::runAgainAfterStop()
{
    _stoppedRunning = false;
    clearError();
    // The filter still holds the stopped camera's last picture: ready again
    // only once the new camera's first one is keyed.
    watchForKeyedFrame();
    // Ready first: a camera that fails as it starts is told as a stop again.
    setIsReadyToCapture(true);
    _videoCamera->startCameraCapture();
}

void CaptureChromaKeyCamera::restoreConfiguration()
{
    const ChromaKeyConfiguration saved = ChromaKeyConfiguration::savedConfiguration(DataManager::sharedDataManager());
    if (saved.color)
        applyKeyColor(*saved.color);
    if (saved.thresholdSensitivity)
        _filter->setThresholdSensitivity(*saved.thresholdSensitivity);
}

void CaptureChromaKeyCamera::addConfigurationButton()
{
    const auto& controls = viewForAdditionalControls();
    if (!controls) {
        plat::log("green screen: no place for the configuration button");
        return;
    }
    _configurationButton = plat::Button::buttonWithType(plat::ButtonType::Custom);
    _configurationButton->setFrame(plat::makeRect(0, 0, kConfigurationButtonSide, kConfigurationButtonSide));
    _configurationButton->setImage(
        plat::Image::imageNamed("btn_green_screen_config_ipad.png"), plat::ControlStateNormal);
    if (plat::Device::currentDevice().userInterfaceIdiom() != plat::UserInterfaceIdiom::Pad) {
        _configurationButton->setContentEdgeInsets({kConfigurationButtonInset, kConfigurationButtonInset,
            kConfigurationButtonInset, kConfigurationButtonInset});
        _configurationButton->setBackgroundImage(
            plat::Image::imageNamed("captureview_btn_bg.png"), plat::ControlStateNormal);
    }
    _configurationButton->setAccessibilityLabel(plat::localized("Green Screen Settings"));
    _configurationButton->addTarget(
        this, &CaptureChromaKeyCamera::actionShowConfiguration, plat::ControlEventTouchUpInside);
    controls->addSubview(_configurationButton);
}

void CaptureChromaKeyCamera::stopCameraCapture()
{
    plat::assertOnQueue(plat::DispatchQueue::mainQueue());
    _stopObserver = {};
    _stoppedRunning = false;
    // A sample scheduled for later must not run on a torn-down pipeline.
    if (_detectionTimer) {
        _detectionTimer->invalidate();
        _detectionTimer.reset();
    }
    if (_videoCamera) {
        _videoCamera->stopCameraCapture();
        _videoCamera->removeInputsAndOutputs();
        _videoCamera->removeAllTargets();
    }
    if (_backdrop)
        _backdrop->detach();
    if (_passFilter)
        _passFilter->removeAllTargets();
    if (_filter)
        _filter->removeAllTargets();
    if (_viewCamera)
        _viewCamera->removeFromSuperview();
    if (_configurationButton)
        _configurationButton->removeFromSuperview();
    if (_popoverController)
        _popoverController->dismissPopoverAnimated(/*animated=*/false);
    if (_hudy)
        _hudy->dismiss();
    if (_note)
        _note->dismiss();
    _filter.reset();
    _viewCamera.reset();
    _backdrop.reset();
    _passFilter.reset();
    _popoverController.reset();
    _hudy.reset();
    _note.reset();
    _configurationButton.reset();
    _videoCamera.reset();
    setCaptureSourceViewCamera(nullptr);
    setIsReadyToCapture(false);
}

void CaptureChromaKeyCamera::pauseCameraCapture()
{
    if (_videoCamera)
        _videoCamera->pauseCameraCapture();
}

void CaptureChromaKeyCamera::resumeCameraCapture()
{
    if (_videoCamera)
        _videoCamera->resumeCameraCapture();
}

void CaptureChromaKeyCamera::captureImage()
{
    // Before the first keyed frame the filter holds no picture, or one of
    // an earlier set-up: nothing is handed over then.
    if (!_filter || !isReadyToCapture()) {
        plat::log("green screen: no keyed picture yet; nothing captured");
        deliverImage(nullptr);
        return;
    }
    auto bitmap = _filter->newCGImageFromCurrentlyProcessedOutputWithOrientation(plat::ImageOrientation::Up);
    if (!bitmap) {
        plat::log("green screen: the keyed picture could not be read");
        deliverImage(nullptr);
        return;
    }
    deliverImage(plat::Image::imageWithBitmap(bitmap, 1, plat::ImageOrientation::Up));
}

std::shared_ptr<GLImagePicture> CaptureChromaKeyCamera::sourcePicture() const
{
    return _backdrop ? _backdrop->sourcePicture() : nullptr;
}

void CaptureChromaKeyCamera::actionShowConfiguration(plat::Button& sender)
{
    auto presenter = mainViewController();
    auto controls = sender.superview();
    if (!_filter || !presenter || !controls) {
        plat::log("green screen: the configuration cannot be shown now");
        return;
    }
    std::weak_ptr<ChromaKeyConfigurationDelegate> self = sharedAs<CaptureChromaKeyCamera>();
    _popoverController
        = ChromaKeyConfigurationViewController::popoverWithConfiguration(self, _filter->thresholdSensitivity());
    auto host = presenter->view();
    _popoverController->presentPopoverFromRect(
        controls->convertRect(sender.frame(), host.get()), *host, kBubbleArrowDirectionAny, /*animated=*/true);
}

void CaptureChromaKeyCamera::closePopoverNow()
{
    if (!_popoverController)
        return;
    _popoverController->dismissPopoverAnimated(/*animated=*/true);
    _popoverController.reset();
}

void CaptureChromaKeyCamera::closePopoverLater()
{
    // After the rest of the calling operation, as the screens expect.
    plat::DispatchQueue::mainQueue().async([weakSelf = weakSelf()] {
        if (auto self = weakSelf.lock())
            self->closePopoverNow();
    });
}

std::weak_ptr<CaptureChromaKeyCamera> CaptureChromaKeyCamera::weakSelf()
{
    return sharedAs<CaptureChromaKeyCamera>();
}

void CaptureChromaKeyCamera::showNote(const std::string& englishText)
{
    if (_note)
        _note->dismiss();
    _note = std::make_shared<Hudy>();
    _note->setCaption(plat::localized(englishText));
    _note->setDismissAfterTime(kNoteSeconds);
    _note->showInView(view());
}

}  // namespace zt
