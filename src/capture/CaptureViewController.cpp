#include "capture/CaptureViewController.h"

#include <cmath>

#include "capture/CaptureSources.h"
#include "document/DataManager.h"
#include "document/FailureReason.h"
#include "document/Frame.h"
#include "document/ImageProducer.h"
#include "document/ProjectModel.h"
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
#include "uikit/AppTint.h"
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
        _switchTimer->setOnTintColor(appTintColor());
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

// Messages and errors

void CaptureViewController::showError(const std::optional<plat::Error>& error)
{
    if (!error)
        return;
    std::string message
        = error->userInfo().getString(plat::kLocalizedFailureReasonErrorKey).value_or(error->localizedDescription());
    // A store that failed says why, in the system's words.
    if (const auto& cause = error->underlyingError()) {
        const std::string reason = failureReason(*cause);
        if (message.find(reason) == std::string::npos)
            message += "\n" + reason;
    }
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
    closePopover();
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
    // The editor's strip has just put the placeholder's picture, which is
    // none, into the front onion view: the frames before the placeholder go
    // back under the live picture, as on a capture screen of its own.
    updateOnionSkinning();
    if (_sliderOverlayControl->value() != 0.0)
        return;
    // Back at the capture placeholder: the live picture as the person left it.
    const double live = _overlayBeforeImageView.value_or(1.0);
    _overlayBeforeImageView.reset();
    _sliderOverlayControl->setValue(live);
    applyOverlay(live);
}

void CaptureViewController::showImageView()
{
    const double live = _sliderOverlayControl->value();
    if (live == 0.0)
        return;
    // A frame is shown whole, whatever mix of live picture and frames the
    // person chose for capturing: with the live picture over it, a tap on it
    // would focus the camera instead of offering the frame's edits.
    _overlayBeforeImageView = live;
    _sliderOverlayControl->setValue(0.0);
    applyOverlay(0.0);
}

void CaptureViewController::disableControls(bool disabled)
{
    _recordBtn->setEnabled(!disabled && !_pendingCaptureUptime);
    _buttonOptions->setEnabled(!disabled);
    // The source too: no camera is chosen while the editor plays or records.
    _buttonCaptureSource->setEnabled(!disabled);
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
