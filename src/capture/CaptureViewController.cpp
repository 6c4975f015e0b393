#include "capture/CaptureViewController.h"

#include <cmath>
#include <cstdio>

#include "app/DataManager.h"
#include "app/FileUtil.h"
#include "app/FilledText.h"
#include "app/FormatterUtil.h"
#include "app/Frame.h"
#include "app/FrameFiles.h"
#include "app/ImageProducer.h"
#include "app/ProjectModel.h"
#include "capture/CaptureImportController.h"
#include "capture/CaptureSources.h"
#include "platform/foundation/Bundle.h"
#include "platform/foundation/Clock.h"
#include "platform/foundation/DispatchQueue.h"
#include "platform/foundation/Fatal.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/Timer.h"
#include "platform/foundation/URL.h"
#include "platform/graphics/Image.h"
#include "platform/media/AudioPlayer.h"
#include "platform/ui/Application.h"
#include "platform/ui/Button.h"
#include "platform/ui/Device.h"
#include "platform/ui/ImageView.h"
#include "platform/ui/Label.h"
#include "platform/ui/Layer.h"
#include "platform/ui/NavigationController.h"
#include "platform/ui/PinchGestureRecognizer.h"
#include "platform/ui/Screen.h"
#include "platform/ui/Slider.h"
#include "platform/ui/Switch.h"
#include "platform/ui/TapGestureRecognizer.h"
#include "share/InfoCenterHelpViewController.h"
#include "uikit/AlertView.h"
#include "uikit/BubblePopoverController.h"
#include "uikit/Hudy.h"
#include "uikit/QVCircularProgressView.h"

namespace zt {

namespace {

constexpr const char* kShutterSound = "camera3";
constexpr const char* kShutterSoundType = "wav";
constexpr const char* kBeepSound = "beep";
constexpr const char* kBeepSoundType = "aiff";
constexpr const char* kHelpPageLayout = "InfoCenterHelpViewController";
constexpr double kClosingDisplaySeconds = 5.0;
constexpr double kCloseDelaySeconds = 0.1;

// A view the layout must connect; a layout without it is a programmer error.
template <typename T> std::shared_ptr<T> requiredOutlet(const plat::ViewController& owner, const char* name)
{
    auto found = std::dynamic_pointer_cast<T>(owner.outlet(name));
    if (!found)
        plat::detail::fatal("capture screen: the layout \"{}\" left the outlet {} unconnected", owner.nibName(), name);
    return found;
}

void stopAnimations(plat::View& view)
{
    view.layer()->removeAllAnimations();
    const auto subviews = view.subviews();
    for (const auto& subview : subviews)
        stopAnimations(*subview);
}

std::shared_ptr<plat::AudioPlayer> makePlayer(const char* name, const char* type)
{
    auto path = plat::Bundle::mainBundle().pathForResource(name, type);
    if (!path) {
        plat::log("capture screen: the sound {}.{} is missing", name, type);
        return nullptr;
    }
    auto made = plat::AudioPlayer::initWithContentsOfURL(plat::URL::fileURLWithPath(*path));
    if (!made.ok()) {
        plat::log(
            "capture screen: the sound {}.{} cannot be played: {}", name, type, made.error().localizedDescription());
        return nullptr;
    }
    made.value()->prepareToPlay();
    return made.value();
}

}  // namespace

CaptureViewController::CaptureViewController(std::string nibName, std::shared_ptr<ProjectModel> project)
    : plat::ViewController(std::move(nibName))
    , _project(std::move(project))
{
}

CaptureViewController::~CaptureViewController()
{
    plat::RunLoop::main().cancelPreviousPerformRequests(this);
    plat::NotificationCenter::defaultCenter().removeObserver(this);
    if (_loopTimer)
        _loopTimer->invalidate();
}

bool CaptureViewController::isTablet() const
{
    return plat::Device::currentDevice().isTablet();
}

bool CaptureViewController::shouldAutorotateToInterfaceOrientation(plat::InterfaceOrientation orientation) const
{
    return plat::isLandscape(orientation);
}

unsigned CaptureViewController::supportedInterfaceOrientations() const
{
    return plat::InterfaceOrientationMaskLandscape;
}

void CaptureViewController::didRotateFromInterfaceOrientation(plat::InterfaceOrientation fromOrientation)
{
    plat::ViewController::didRotateFromInterfaceOrientation(fromOrientation);
    if (_captureSource)
        _captureSource->didRotateFromInterfaceOrientation(fromOrientation);
}

void CaptureViewController::setPopoverController(std::shared_ptr<BubblePopoverController> popover)
{
    _popoverController = std::move(popover);
}

// Set-up

void CaptureViewController::bindOutlets()
{
    _viewCamera = requiredOutlet<plat::View>(*this, "viewCamera");
    _viewCameraContainer = requiredOutlet<plat::View>(*this, "viewCameraContainer");
    _recordBtn = requiredOutlet<plat::Button>(*this, "recordBtn");
    _capturedeviseBtn = requiredOutlet<plat::Button>(*this, "capturedeviseBtn");
    _frameLabel = requiredOutlet<plat::Label>(*this, "frameLabel");
    _frameTitleLabel = requiredOutlet<plat::Label>(*this, "frameTitleLabel");
    _buttonOptions = requiredOutlet<plat::Button>(*this, "buttonOptions");
    _buttonHome = requiredOutlet<plat::Button>(*this, "buttonHome");
    _viewGrid = requiredOutlet<plat::View>(*this, "viewGrid");
    _viewOverlayControls = requiredOutlet<plat::View>(*this, "viewOverlayControls");
    _sliderOverlayControl = requiredOutlet<plat::Slider>(*this, "sliderOverlayControl");
    _labelTimer = requiredOutlet<plat::Label>(*this, "labelTimer");
    _viewFocusRect = requiredOutlet<plat::View>(*this, "viewFocusRect");
    _viewCaptureControls = requiredOutlet<plat::View>(*this, "viewCaptureControls");
    _switchTimer = requiredOutlet<plat::Switch>(*this, "switchTimer");
    _btnTimerConfig = requiredOutlet<plat::Button>(*this, "btnTimerConfig");
    _progressTimer = requiredOutlet<QVCircularProgressView>(*this, "progressTimer");
    _buttonGrid = requiredOutlet<plat::Button>(*this, "buttonGrid");
    _buttonFocus = requiredOutlet<plat::Button>(*this, "buttonFocus");
    _buttonSound = requiredOutlet<plat::Button>(*this, "buttonSound");
    _buttonExposure = requiredOutlet<plat::Button>(*this, "buttonExposure");
    _buttonWhiteBalance = requiredOutlet<plat::Button>(*this, "buttonWhiteBalance");
    _buttonCaptureSource = requiredOutlet<plat::Button>(*this, "buttonCaptureSource");
    _sliderZoom = requiredOutlet<plat::Slider>(*this, "_sliderZoom");
    _viewAddtionalCaptureControls = requiredOutlet<plat::View>(*this, "_viewAddtionalCaptureControls");
    _toolbarCaptureControls = requiredOutlet<plat::View>(*this, "toolbarCaptureControls");
    _viewFrameInfo = requiredOutlet<plat::View>(*this, "_viewFrameInfo");
    _sliderExposureBias = requiredOutlet<plat::Slider>(*this, "_sliderExposureBias");
    _viewFade = requiredOutlet<plat::View>(*this, "viewFade");
    _viewAspectRatioMask = requiredOutlet<plat::View>(*this, "viewAspectRatioMask");
    _imageViewForeground = requiredOutlet<plat::ImageView>(*this, "imageViewForeground");
    _viewOnionFront = requiredOutlet<plat::ImageView>(*this, "viewOnionFront");
    _viewOnionBack = requiredOutlet<plat::ImageView>(*this, "viewOnionBack");
}

void CaptureViewController::viewDidLoad()
{
    plat::ViewController::viewDidLoad();
    initController();
}

void CaptureViewController::initController()
{
    CaptureSources::sharedInstance();
    _dataManager = &DataManager::sharedDataManager();
    bindOutlets();
    plat::Application::sharedApplication().setIdleTimerDisabled(true);

    if (!isTablet()) {
        plat::Rect screen = plat::Screen::mainScreen().bounds();
        if (screen.width() == 568 || screen.height() == 568) {
            plat::Rect landscape = screen;
            if (landscape.width() < landscape.height())
                landscape.size = {landscape.height(), landscape.width()};
            const plat::Rect full = plat::makeRect(0, 0, landscape.width(), landscape.height());
            _viewOnionFront->setFrame(full);
            _viewOnionBack->setFrame(full);
            _viewCamera->setFrame(full);
        }
    }

    _buttonSound->setSelected(!_dataManager->isGUISoundEnabled());
    _buttonGrid->setSelected(_dataManager->isGridEnabled());
    _viewGrid->setHidden(!_buttonGrid->isSelected());

    plat::Rect panel = _viewCaptureControls->frame();
    panel.origin = {0, -panel.height() - 8.0};
    _viewCaptureControls->setFrame(panel);

    updateOnionSkinning();

    _sliderOverlayControl->setTransform(plat::AffineTransform::makeRotation(-M_PI / 2));
    _sliderOverlayControl->setThumbImage(plat::Image::imageNamed("zoom_track_knop.png"), plat::ControlStateNormal);
    _sliderOverlayControl->setValue(_dataManager->overlaySetting());
    applyOverlay(_sliderOverlayControl->value());

    _viewFocusRect->setHidden(true);
    _buttonFocus->setHidden(true);
    _buttonWhiteBalance->setHidden(true);
    _buttonExposure->setHidden(true);
    _capturedeviseBtn->setHidden(true);
    _switchTimer->setOn(false);
    _progressTimer->setHidden(true);

    _audioCamera = makePlayer(kShutterSound, kShutterSoundType);
    _audioTimer = makePlayer(kBeepSound, kBeepSoundType);

    if (!_loopTimer)
        scheduleLoopTimer();
    updateInfoScreen();
    initVolumeControl();

    _viewCamera->addGestureRecognizer(
        std::make_shared<plat::PinchGestureRecognizer>(this, &CaptureViewController::handlePinchGesture));
    double scale = _dataManager->cameraEffectiveScale();
    _effectiveScale = std::isfinite(scale) ? std::clamp(scale, kMinimumZoomScale, kMaximumZoomScale) : 1.0;
    _viewCamera->layer()->setAffineTransform(plat::AffineTransform::makeScale(_effectiveScale, _effectiveScale));

    _sliderZoom->setThumbImage(plat::Image::imageNamed("zoom_track_knop"), plat::ControlStateNormal);
    _sliderZoom->setMaximumValueImage(plat::Image::imageNamed("captureview_zoom_max"));
    _sliderZoom->setMinimumValueImage(plat::Image::imageNamed("captureview_zoom_min"));
    _sliderZoom->setMinimumValue(kMinimumZoomScale);
    _sliderZoom->setMaximumValue(kMaximumZoomScale);
    _sliderZoom->setValue(_effectiveScale);
    _sliderZoom->setAlpha(0);
    _sliderExposureBias->setThumbImage(plat::Image::imageNamed("zoom_track_knop"), plat::ControlStateNormal);
    _sliderExposureBias->setMaximumValueImage(plat::Image::imageNamed("captureview_exposure_control_thumb"));
    _sliderExposureBias->setAlpha(0);

    _switchTimer->setTransform(plat::AffineTransform::makeScale(0.8, 0.8));
    if (isTablet()) {
        _switchTimer->setTintColor(plat::Color::colorWithWhite(1, 1));
        _switchTimer->setOnTintColor(plat::Color::colorWithRed(212 / 255.0, 3 / 255.0, 215 / 255.0, 1));
    } else {
        _switchTimer->setTintColor(plat::Color::colorWithWhite(1, 0.5));
        _switchTimer->setOnTintColor(plat::Color::colorWithWhite(1, 0.5));
        _switchTimer->setThumbTintColor(plat::Color::colorWithWhite(1, 1));
    }

    auto& center = plat::NotificationCenter::defaultCenter();
    std::weak_ptr<CaptureViewController> weakSelf = sharedAs<CaptureViewController>();
    if (isTablet()) {
        center.addObserver(this, kFramesDeletedNotification, nullptr, [weakSelf](const plat::Notification&) {
            // The strip may post from a worker; the views change on the main queue.
            plat::DispatchQueue::mainQueue().async([weakSelf] {
                if (auto self = weakSelf.lock())
                    self->updateOnionSkinning();
            });
        });
    }
    center.addObserver(this, CaptureSourceSelectionView::kShowHelpPageNotification, nullptr,
        [weakSelf](const plat::Notification& note) {
            if (auto self = weakSelf.lock())
                self->showHelpPage(note.userInfo.getString("page").value_or(""));
        });
    observeApplication();

    _progressTimer->setTrackTintColor(plat::Color::colorWithWhite(0, 0.5));
}

void CaptureViewController::scheduleLoopTimer()
{
    std::weak_ptr<CaptureViewController> weakSelf = sharedAs<CaptureViewController>();
    _loopTimer = plat::Timer::scheduledTimerWithTimeInterval(
        kLoopSeconds,
        [weakSelf](plat::Timer& timer) {
            if (auto self = weakSelf.lock())
                self->onLoopTimer();
            else
                timer.invalidate();
        },
        /*repeats=*/true);
}

// The camera is the device's: it stops while the app is away and comes back with it.
void CaptureViewController::observeApplication()
{
    std::weak_ptr<CaptureViewController> weakSelf = sharedAs<CaptureViewController>();
    auto& center = plat::NotificationCenter::defaultCenter();
    center.addObserver(this, plat::ApplicationDidEnterBackgroundNotification, nullptr, [weakSelf](const auto&) {
        if (auto self = weakSelf.lock())
            self->enterBackground();
    });
    center.addObserver(this, plat::ApplicationWillEnterForegroundNotification, nullptr, [weakSelf](const auto&) {
        if (auto self = weakSelf.lock())
            self->enterForeground();
    });
}

void CaptureViewController::enterBackground()
{
    if (_isInBackground || _isClosing)
        return;
    _isInBackground = true;
    // No countdown and no shot while the camera is away.
    if (_loopTimer) {
        _loopTimer->invalidate();
        _loopTimer.reset();
    }
    if (_captureSource && !_isPausedByEditor)
        _captureSource->pauseCameraCapture();
}

void CaptureViewController::enterForeground()
{
    if (!_isInBackground || _isClosing)
        return;
    _isInBackground = false;
    if (_captureSource && !_isPausedByEditor)
        _captureSource->resumeCameraCapture();
    if (!_loopTimer)
        scheduleLoopTimer();
}

void CaptureViewController::viewDidAppear(bool animated)
{
    plat::ViewController::viewDidAppear(animated);
    if (!_captureSource && !_isClosing)
        initCaptureDevice();
}

// Sources

void CaptureViewController::initCaptureDevice()
{
    const auto& sources = CaptureSources::sharedInstance()->getAvailableCaptureSources();
    if (sources->empty()) {
        plat::log("capture screen: the registry offers no capture source");
        return;
    }
    std::shared_ptr<CaptureController> chosen;
    for (const auto& source : *sources) {
        if (source->captureSourceID() == _dataManager->currentCaptureSourceID()) {
            chosen = source;
            break;
        }
    }
    if (!chosen)
        chosen = sources->front();
    _dataManager->setCurrentCaptureSourceID(chosen->captureSourceID());
    switchCaptureSource(chosen);
    restoreCaptureSourceConfiguration();
}

void CaptureViewController::switchCaptureSource(const std::shared_ptr<CaptureController>& source)
{
    plat::assertOnQueue(plat::DispatchQueue::mainQueue());
    if (!source)
        return;
    if (_switchTimer->isOn())
        actionTimer();
    if (_captureSource) {
        if (_tapRecognizer) {
            if (auto live = _tapRecognizer->view())
                live->removeGestureRecognizer(*_tapRecognizer);
            _tapRecognizer.reset();
        }
        _captureSource->stopCameraCapture();
        _captureSource->view()->removeFromSuperview();
        auto leftovers = _viewAddtionalCaptureControls->subviews();
        for (const auto& control : leftovers)
            control->removeFromSuperview();
    }
    _pendingCaptureUptime.reset();
    _recordBtn->setEnabled(!_isControllsDisabled);
    _effectiveScale = 1.0;
    updateZoomScale();

    _captureSource = source;
    auto shown = source->view();
    shown->setFrame(_viewCamera->bounds());
    shown->setAutoresizingMask(plat::ViewAutoresizingFlexibleWidth | plat::ViewAutoresizingFlexibleHeight);
    _viewCamera->addSubview(shown);
    source->setDelegate(std::static_pointer_cast<CaptureControllerDelegate>(sharedAs<CaptureViewController>()));
    source->setMainViewController(sharedAs<plat::ViewController>());
    source->setViewForAdditionalControls(_viewAddtionalCaptureControls);
    source->setProject(_project);
    source->initCaptureDevice();

    // A source keeps the error of an earlier failed set-up: only one that is
    // not ready now is failing now.
    if (source->error() && !source->isReadyToCapture()) {
        showError(source->error());
        return;
    }
    restoreCaptureSourceConfiguration();
    if (const auto& live = source->captureSourceViewCamera()) {
        _tapRecognizer = std::make_shared<plat::TapGestureRecognizer>(this, &CaptureViewController::doSingleTap);
        live->addGestureRecognizer(_tapRecognizer);
    }
}

void CaptureViewController::restoreCaptureSourceConfiguration()
{
    if (!_captureSource)
        return;
    _captureSource->setFocusMode(_dataManager->focusMode());
    _buttonFocus->setSelected(_captureSource->focusMode() == kCaptureModeContinuous);
    _captureSource->setWhiteBalanceMode(_dataManager->whiteBalanceMode());
    _buttonWhiteBalance->setSelected(_captureSource->whiteBalanceMode() == kCaptureModeContinuous);
    _captureSource->setExposureMode(_dataManager->exposureMode());
    _buttonExposure->setSelected(_captureSource->exposureMode() == kCaptureModeContinuous);
    _sliderExposureBias->setMinimumValue(_captureSource->minExposureTargetBias());
    _sliderExposureBias->setMaximumValue(_captureSource->maxExposureTargetBias());
}

void CaptureViewController::captureSourceSelection(
    CaptureSourceSelectionView&, std::shared_ptr<CaptureController> source)
{
    if (_popoverController) {
        _popoverController->dismissPopoverAnimated(/*animated=*/true);
        _popoverController.reset();
    }
    switchCaptureSource(source);
}

void CaptureViewController::actionCaptureSource()
{
    auto chooser = std::make_shared<CaptureSourceSelectionView>(plat::TableViewStyle::Plain);
    chooser->setDelegate(std::static_pointer_cast<CaptureSourceSelectionDelegate>(sharedAs<CaptureViewController>()));
    _popoverController = std::make_shared<BubblePopoverController>(chooser);
    _popoverController->presentPopoverFromRect(
        _buttonCaptureSource->superview()->convertRect(_buttonCaptureSource->frame(), view().get()), *view(),
        kBubbleArrowDirectionUp, /*animated=*/true);
}

void CaptureViewController::showSourceCapabilities(CaptureController& source)
{
    _buttonFocus->setHidden(!source.isFocusModeSuported());
    _buttonExposure->setHidden(!source.isExposureModeSuported());
    _buttonWhiteBalance->setHidden(!source.isWhiteBalanceModeSuported());
    selectModeButtons(source);
}

void CaptureViewController::selectModeButtons(CaptureController& source)
{
    _buttonFocus->setSelected(source.focusMode() == kCaptureModeContinuous);
    _buttonExposure->setSelected(source.exposureMode() == kCaptureModeContinuous);
    _buttonWhiteBalance->setSelected(source.whiteBalanceMode() == kCaptureModeContinuous);
}

void CaptureViewController::captureControllerDidInitCaptureDeviceWithPositon(CaptureController& source, int64_t)
{
    if (&source != _captureSource.get())
        return;
    _viewCamera->setBackgroundColor(plat::Color::clearColor());
    _capturedeviseBtn->setHidden(!source.isMultipleCaptureDeviceAvaliable());
    showSourceCapabilities(source);
}

void CaptureViewController::captureControllerDidSwitchCaptureDevicePosition(CaptureController& source, int64_t)
{
    if (&source != _captureSource.get())
        return;
    showSourceCapabilities(source);
}

void CaptureViewController::captureControllerDidStopWithError(CaptureController& source, const plat::Error& error)
{
    if (&source != _captureSource.get() || _isClosing)
        return;
    plat::log("capture screen: the camera stopped: {}", error.description());
    if (_switchTimer->isOn()) {
        _switchTimer->setOn(false);
        actionTimer();
    }
    // The screen stays usable: the shutter says why it cannot shoot, and the
    // chooser can set the camera up again or pick another.
    showError(error);
}

// The shutter and the hand-over

void CaptureViewController::actionPauseRecord()
{
    if (!_captureSource || !_captureSource->isReadyToCapture()) {
        if (_captureSource && _captureSource->error())
            showError(_captureSource->error());
        return;
    }
    if (_dataManager->isGUISoundEnabled() && !_captureSource->hasShutterSound())
        playSound(_audioCamera);
    _lastIntervalTimestamp = 0;
    _recordBtn->setEnabled(false);
    _pendingCaptureUptime = plat::Clock::current().uptimeSeconds();
    _captureSource->captureImage();
}

void CaptureViewController::captureControllerDidTakeImage(
    CaptureController& source, std::shared_ptr<const plat::Image> image)
{
    if (_isClosing)
        return;
    // The crop is done here, on the delivering thread, before the main thread takes over.
    auto picture = zoomedPicture(image, _effectiveScale.load());
    std::weak_ptr<CaptureViewController> weakSelf = sharedAs<CaptureViewController>();
    const void* from = &source;
    auto handOver = [weakSelf, from, &picture] {
        auto self = weakSelf.lock();
        if (!self || self->_isClosing)
            return;
        if (from == self->_captureSource.get())
            self->_pendingCaptureUptime.reset();
        self->captureImage(picture);
        if (picture)
            self->storeImageOperation(*picture);
        else
            self->reportFailedCapture();
    };
    // The source waits until the picture is in the project, so it cannot
    // hand over the next one before.
    if (plat::isMainThread())
        handOver();
    else
        plat::DispatchQueue::mainQueue().sync(handOver);
}

void CaptureViewController::reportFailedCapture()
{
    showMessageInHUD(plat::localized("The picture could not be taken."));
}

void CaptureViewController::captureImage(const std::shared_ptr<const plat::Image>& picture)
{
    if (_isClosing)
        return;
    _isImageShowing = true;
    _viewOnionBack->setImage(_viewOnionFront->image());
    _viewOnionFront->setImage(picture);
    if (_captureSource && _captureSource->captureSourceViewCamera())
        _captureSource->captureSourceViewCamera()->setAlpha(0);
    _viewCameraContainer->setAlpha(0);
}

plat::Error CaptureViewController::storeFailureError(uint64_t freeBytes)
{
    if (freeBytes >= kLowSpaceBytes)
        return plat::Error(kErrorDomain, kUnknownStoreError,
            filledText(plat::localized("Ups. An unknown error occured. (%@-%d)"),
                {kErrorDomain, std::to_string(kUnknownStoreError)}));
    return plat::Error(kErrorDomain, kNoSpaceStoreError,
        plat::localized("There is almost no space left on this device. You cannot record new media until you free "
                        "some space."));
}

std::optional<Frame> CaptureViewController::storeImageOperation(const plat::Image& picture)
{
    plat::assertOnQueue(plat::DispatchQueue::mainQueue());
    Frame frame(FrameTypePicture);
    if (!_imageProducer)
        _imageProducer = std::make_shared<ImageProducer>(_project);
    auto dropFiles = [&] {
        if (const auto& folder = _project->getProjectPath()) {
            auto removed = FrameFiles::deleteFilesOfFrame(*folder, frame.frameID());
            if (!removed.ok())
                plat::log("capture screen: files of an unstored frame stay: {}", removed.failureDescription());
        }
    };
    std::optional<plat::Error> failure;
    if (!_imageProducer->storeImage(picture, frame.frameID(), &failure)) {
        plat::log("capture screen: the picture could not be stored: {}",
            failure ? failure->description() : std::string("no reason given"));
        dropFiles();  // a thumbnail written before the failure would belong to no frame
        showError(storeFailureError(FileUtil::freeDiskspace()));
        return std::nullopt;
    }
    FrameList& list = _project->getFrameList();
    const bool placeholderAdded = list.getCaptureIndex() == plat::kNotFound;
    if (placeholderAdded)
        list.addFrame(Frame(FrameTypeCapturePlaceholder));
    list.insertFrame(frame, list.getCaptureIndex());
    auto metadata = _project->getMetaData();
    const char* changedKeys[] = {"META_RECORD_THUMB_FRAME_ID", "CurrentFrameIndex", "RecordNeedsRendering"};
    std::vector<plat::Value> before;
    if (metadata) {
        for (const char* key : changedKeys)
            before.push_back(metadata->get(key));
        metadata->set("META_RECORD_THUMB_FRAME_ID", frame.frameID());
        metadata->set("CurrentFrameIndex", list.getCaptureIndex());
        metadata->set("RecordNeedsRendering", true);
    }
    auto saved = _project->saveAllDataToDisk();
    if (!saved.ok()) {
        // Only a frame the project keeps is announced: memory goes back to what is on disk.
        plat::log("capture screen: the project could not be saved: {}", saved.error().description());
        list.removeFrameAtIndex(list.getIndexForFrame(frame));
        if (placeholderAdded)
            list.removeFrameAtIndex(list.getCaptureIndex());
        for (size_t i = 0; i < before.size(); ++i)
            metadata->set(changedKeys[i], before[i]);
        dropFiles();
        showError(saved.error());
        return std::nullopt;
    }
    updateInfoScreen();
    plat::Dictionary userInfo;
    userInfo.set("FRAME", frame.encode());
    plat::NotificationCenter::defaultCenter().post(CaptureImportController::kAddFrameNotification, this, userInfo);
    return frame;
}

// The loop

void CaptureViewController::onLoopTimer()
{
    hideIdleSliders();
    endStillDisplay();
    giveUpPendingCapture();
    countDownIntervalTimer();
}

void CaptureViewController::endStillDisplay()
{
    if (!_isImageShowing)
        return;
    _isImageShowing = false;
    const double overlay = _sliderOverlayControl->value();
    if (_captureSource && _captureSource->captureSourceViewCamera())
        _captureSource->captureSourceViewCamera()->setAlpha(overlay);
    _viewCameraContainer->setAlpha(overlay);
    if (isTablet())
        plat::NotificationCenter::defaultCenter().post(kGotoCaptureFrameNotification, this);
    if (!_pendingCaptureUptime)
        _recordBtn->setEnabled(!_isControllsDisabled);
}

void CaptureViewController::giveUpPendingCapture()
{
    if (!_pendingCaptureUptime
        || plat::Clock::current().uptimeSeconds() - *_pendingCaptureUptime < kCaptureTimeoutSeconds)
        return;
    plat::log("capture screen: no picture came {} s after the shutter", kCaptureTimeoutSeconds);
    _pendingCaptureUptime.reset();
    _recordBtn->setEnabled(!_isControllsDisabled);
    reportFailedCapture();
}

// Information display

std::string CaptureViewController::infoScreenText()
{
    const FrameList& list = _project->getFrameList();
    const int64_t count = list.count();
    if (_infoLCDScreenCurrentIndex == 0) {
        int64_t capture = list.getCaptureIndex();
        // Without a placeholder the next picture goes at the end.
        if (capture == plat::kNotFound)
            capture = count;
        char text[64];
        std::snprintf(text, sizeof text, "%.4lld / %.4lld", static_cast<long long>(capture + 1),
            static_cast<long long>(std::max(count, capture + 1)));
        return text;
    }
    const double seconds
        = static_cast<double>(std::max<int64_t>(count - 1, 0)) / static_cast<double>(_project->recordFPS());
    return FormatterUtil::getFormatedDuration(seconds);
}

void CaptureViewController::updateInfoScreen()
{
    std::weak_ptr<CaptureViewController> weakSelf = sharedAs<CaptureViewController>();
    plat::DispatchQueue::mainQueue().async([weakSelf] {
        if (auto self = weakSelf.lock(); self && self->_frameLabel)
            self->_frameLabel->setText(self->infoScreenText());
    });
}

void CaptureViewController::actionLCDScreen()
{
    _infoLCDScreenCurrentIndex = _infoLCDScreenCurrentIndex == 0 ? 1 : 0;
    updateInfoScreen();
}

// Messages and errors

void CaptureViewController::showError(const std::optional<plat::Error>& error)
{
    if (!error)
        return;
    std::string message
        = error->userInfo().getString(plat::kLocalizedFailureReasonErrorKey).value_or(error->localizedDescription());
    auto alert = std::make_shared<AlertView>(plat::localized("Error"), message);
    alert->addButtonWithTitle(plat::localized("Dismiss"), nullptr);
    if (error->code() == kCameraNotAuthorizedError && plat::isOpenSettingsURLAvailable()) {
        alert->addButtonWithTitle(plat::localized("Settings"), [](AlertView&, int64_t) {
            if (auto settings = plat::URL::URLWithString(plat::ApplicationOpenSettingsURLString))
                plat::Application::sharedApplication().openURL(*settings);
        });
    }
    alert->show();
}

void CaptureViewController::showMessageInHUD(const std::string& text)
{
    // The new message takes the old one's place at once.
    if (_messageHud && _messageHud->isViewLoaded())
        _messageHud->view()->removeFromSuperview();
    _messageHud = std::make_shared<Hudy>();
    _messageHud->setCaption(text);
    _messageHud->showInView(view());
}

void CaptureViewController::showHelpPage(const std::string& page)
{
    auto help = std::make_shared<InfoCenterHelpViewController>(kHelpPageLayout);
    help->setSubpage(page);
    auto navigation = std::make_shared<plat::NavigationController>(help);
    navigation->setModalPresentationStyle(plat::ModalPresentationStyle::FormSheet);
    presentViewController(navigation, /*animated=*/true, nullptr);
}

void CaptureViewController::playSound(const std::shared_ptr<plat::AudioPlayer>& player)
{
    if (!player)
        return;
    player->setCurrentTime(0);
    player->play();
}

// What the frame editor asks

void CaptureViewController::showLiveView()
{
    if (_sliderOverlayControl->value() != 0.0)
        return;
    _sliderOverlayControl->setValue(1.0);
    applyOverlay(1.0);
}

void CaptureViewController::showImageView()
{
    if (_sliderOverlayControl->value() != 1.0)
        return;
    _sliderOverlayControl->setValue(0.0);
    applyOverlay(0.0);
}

void CaptureViewController::disableControls(bool disabled)
{
    _recordBtn->setEnabled(!disabled && !_pendingCaptureUptime);
    _buttonOptions->setEnabled(!disabled);
    _switchTimer->setEnabled(!disabled);
    _btnTimerConfig->setEnabled(!disabled && !_switchTimer->isOn());
    if (disabled)
        _viewCaptureControls->setHidden(true);
    else
        _viewCaptureControls->setHidden(false);
    _isControllsDisabled = disabled;
    if (_switchTimer->isOn())
        actionTimer();
}

void CaptureViewController::pauseCameraCapture()
{
    _isPausedByEditor = true;
    if (_captureSource)
        _captureSource->pauseCameraCapture();
}

void CaptureViewController::resumeCameraCapture()
{
    _isPausedByEditor = false;
    if (_captureSource && !_isInBackground)
        _captureSource->resumeCameraCapture();
}

void CaptureViewController::stopCameraCapture()
{
    if (_captureSource)
        _captureSource->stopCameraCapture();
}

// Leaving

void CaptureViewController::actionHome()
{
    _isClosing = true;
    _closingHud = std::make_shared<Hudy>();
    _closingHud->setCaption(plat::localized("Please wait."));
    _closingHud->setIsActivity(true);
    _closingHud->setDismissAfterTime(kClosingDisplaySeconds);
    _closingHud->showInView(view());
    std::weak_ptr<CaptureViewController> weakSelf = sharedAs<CaptureViewController>();
    plat::RunLoop::main().performAfterDelay(this, kCloseDelaySeconds, [weakSelf] {
        if (auto self = weakSelf.lock())
            self->finishUpAndExit();
    });
}

void CaptureViewController::finishUpAndExit()
{
    auto keepAlive = sharedAs<CaptureViewController>();  // the editor may let go of us meanwhile
    _isClosing = true;
    plat::NotificationCenter::defaultCenter().removeObserver(this);
    if (_loopTimer) {
        _loopTimer->invalidate();
        _loopTimer.reset();
    }
    if (auto saved = _project->saveMetaDataToDisk(); !saved.ok())
        plat::log("capture screen: the metadata could not be saved on leaving: {}", saved.error().description());
    if (_audioTimer)
        _audioTimer->stop();
    if (_captureSource)
        _captureSource->stopCameraCapture();
    plat::RunLoop::main().cancelPreviousPerformRequests(this);
    if (_popoverController) {
        _popoverController->dismissPopoverAnimated(/*animated=*/false);
        _popoverController.reset();
    }
    // A fade that is under way holds its view until it ends, which it never
    // does off screen: the screen's own animations end here, and the last
    // message goes without one.
    if (_messageHud) {
        if (_messageHud->isViewLoaded())
            _messageHud->view()->removeFromSuperview();
        _messageHud.reset();
    }
    stopAnimations(*view());
    if (presentingViewController())
        dismissViewControllerAnimated(/*animated=*/true, nullptr);
}

}  // namespace zt
