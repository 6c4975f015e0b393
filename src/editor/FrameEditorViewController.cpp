#include "editor/FrameEditorViewController.h"

#include <algorithm>
#include <cmath>

#include "audio/AudioController.h"
#include "capture/CaptureViewController.h"
#include "document/FailureReason.h"
#include "document/FrameList.h"
#include "document/ImageProducer.h"
#include "document/MainViewControllerDelegate.h"
#include "document/ProjectModel.h"
#include "editor/PlayerViewController.h"
#include "editor/TimelineViewController.h"
#include "platform/foundation/Bundle.h"
#include "platform/foundation/DispatchQueue.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/RunLoop.h"
#include "platform/graphics/Font.h"
#include "platform/ui/Button.h"
#include "platform/ui/Device.h"
#include "platform/ui/FontCatalog.h"
#include "platform/ui/ImageView.h"
#include "platform/ui/Label.h"
#include "platform/ui/Layer.h"
#include "platform/ui/ScrollView.h"
#include "platform/ui/TapGestureRecognizer.h"
#include "platform/ui/Transform3D.h"
#include "uikit/Hudy.h"

namespace zt {

namespace {

constexpr double kWideRatio = 16.0 / 9.0;
constexpr double kLargestHintFont = 28;
constexpr double kSmallestHintFont = 6;
constexpr double kHintFontStep = 2;

}  // namespace

FrameEditorViewController::FrameEditorViewController(std::string nibName, std::shared_ptr<ProjectModel> project)
    : plat::ViewController(std::move(nibName))
    , _project(std::move(project))
{
}

FrameEditorViewController::~FrameEditorViewController()
{
    plat::RunLoop::main().cancelPreviousPerformRequests(this);
    plat::NotificationCenter::defaultCenter().removeObserver(this);
    if (_previewPlayer)
        _previewPlayer->stop();
    if (_audioRecorderView)
        _audioRecorderView->setDelegate({});
}

bool FrameEditorViewController::isTablet() const
{
    return plat::Device::currentDevice().isTablet();
}

FrameList& FrameEditorViewController::frameList() const
{
    return _project->getFrameList();
}

ImageProducer& FrameEditorViewController::imageProducer()
{
    if (!_imageProducer)
        _imageProducer = std::make_unique<ImageProducer>(_project);
    return *_imageProducer;
}

std::shared_ptr<plat::ImageView> FrameEditorViewController::framePictureView() const
{
    if (_captureViewController && _captureViewController->viewOnionFront())
        return _captureViewController->viewOnionFront();
    return _outlets.imageViewFrame;
}

bool FrameEditorViewController::shouldAutorotateToInterfaceOrientation(plat::InterfaceOrientation orientation) const
{
    return plat::isLandscape(orientation);
}

void FrameEditorViewController::viewDidLoad()
{
    plat::ViewController::viewDidLoad();
    if (_outlets.labelEmptyHelp)
        _outlets.labelEmptyHelp->setText(plat::localized("Tap here to\radd some pictures"));
    makeNavigators();
    _currentFrameEditorState = kZoomedIn;
    if (isTablet())
        getCaptureViewController();
    makeAudioAndPreview();
    setUpEmptyHint();
    attachSingleTap();
    updateApspectRatioMask();
    updateForground();
    updateImageEditControls();
    addNotifications();
}

void FrameEditorViewController::makeNavigators()
{
    auto self = sharedAs<FrameEditorViewController>();
    _playerViewController = std::make_shared<PlayerViewController>(_project);
    addChildViewController(_playerViewController);
    auto strip = _playerViewController->view();
    if (auto container = _outlets.viewPlayerViewController) {
        // Two lanes, thumbnails above and audio below: the strip's own height
        // brings its audio lanes whole into the container at its foot.
        const plat::Rect bounds = container->bounds();
        strip->setFrame(plat::makeRect(0, 0, bounds.width(), std::max(strip->frame().height(), bounds.height())));
        container->addSubview(strip);
        container->setContentSize(strip->frame().size);
        container->setPagingEnabled(true);
        container->setShowsVerticalScrollIndicator(false);
    }
    _playerViewController->didMoveToParentViewController(this);
    _playerViewController->setFrameList(frameList());
    _playerViewController->setImageViewPreview(_outlets.imageViewFrame);
    _playerViewController->setFrameEditDelegate(std::static_pointer_cast<FrameEditDelegate>(self));

    _timelineViewController = std::make_shared<TimelineViewController>(_project);
    addChildViewController(_timelineViewController);
    if (auto container = _outlets.viewTimelineViewController) {
        const plat::Rect bounds = container->bounds();
        _timelineViewController->view()->setFrame(plat::makeRect(0, 0, bounds.width(), bounds.height()));
        container->addSubview(_timelineViewController->view());
        container->setAlpha(0);
    }
    _timelineViewController->didMoveToParentViewController(this);
    _timelineViewController->setImageViewPreview(_outlets.imageViewFrame);
    _timelineViewController->setFrameEditDelegate(std::static_pointer_cast<FrameEditDelegate>(self));
}

void FrameEditorViewController::getCaptureViewController()
{
    _captureViewController = std::make_shared<CaptureViewController>(CaptureViewController::kTabletLayout, _project);
    addChildViewController(_captureViewController);
    if (auto container = _outlets.viewCaptureView) {
        auto captureView = _captureViewController->view();
        captureView->setFrame(container->bounds());
        container->addSubview(captureView);
    }
    _captureViewController->didMoveToParentViewController(this);
    // Embedded, the capture screen is not left on its own: the editor's
    // Projects button closes both.
    if (auto home = _captureViewController->outlet("buttonHome"))
        home->setHidden(true);
    // Its options and interval timer sit at the right end of the toolbar,
    // where its layout placed them in screen points.
    auto controls = _captureViewController->outlet(CaptureViewController::kToolbarControlsOutlet);
    if (controls && _outlets.viewRightControls) {
        const plat::Rect placed = _captureViewController->view()->convertRect(controls->frame(), view().get());
        // First among the toolbar's controls, as they were the capture screen's.
        if (_outlets.viewRightControlsBg)
            _outlets.viewRightControls->insertSubviewAboveSubview(controls, *_outlets.viewRightControlsBg);
        else
            _outlets.viewRightControls->insertSubview(controls, 0);
        controls->setFrame(view()->convertRect(placed, _outlets.viewRightControls.get()));
    }
    _playerViewController->setImageViewPreview(_captureViewController->viewOnionFront());
    _timelineViewController->setImageViewPreview(_captureViewController->viewOnionFront());
    _outlets.viewFade = _captureViewController->viewFade();
    _outlets.imageViewForeground = _captureViewController->imageViewForeground();
}

void FrameEditorViewController::makeAudioAndPreview()
{
    _audioController = std::make_shared<AudioController>(_project);
    _audioController->prepareAudioForProject();
    _playerViewController->setAudioController(_audioController);
    _previewPlayer = std::make_shared<PreviewPlayer>(_project, _audioController);
    _previewPlayer->setDelegate(std::static_pointer_cast<PreviewPlayerDelegate>(sharedAs<FrameEditorViewController>()));
}

void FrameEditorViewController::setUpEmptyHint()
{
    auto label = _outlets.labelEmptyHelp;
    if (!label)
        return;
    if (!plat::FontCatalog::fontWithName("Chalkduster", kEmptyHintFontSize)) {
        if (auto marker = plat::FontCatalog::fontWithName("Marker Felt", kEmptyHintFontSize))
            label->setFont(*marker);
    }
    setupAutoShringForLabel(*label);
    label->layer()->setTransform(plat::Transform3D::makeRotation(kEmptyHintTurnRadians, 0, 0, 1));
}

void FrameEditorViewController::attachSingleTap()
{
    auto picture = _captureViewController ? _captureViewController->viewOnionFront() : _outlets.imageViewFrame;
    if (!picture)
        return;
    _singleTap = std::make_shared<plat::TapGestureRecognizer>(this, &FrameEditorViewController::handleSingeTap);
    picture->setUserInteractionEnabled(true);
    picture->addGestureRecognizer(_singleTap);
}

void FrameEditorViewController::setupAutoShringForLabel(plat::Label& label)
{
    const plat::Size room = label.frame().size;
    for (double size = kLargestHintFont; size >= kSmallestHintFont; size -= kHintFontStep) {
        plat::Font font = label.font().fontWithSize(size);
        plat::Size needed
            = plat::sizeWithFont(label.text(), font, plat::Size {kLabelFitWidth, 0}, plat::LineBreakMode::WordWrapping);
        if (needed.width <= room.width && needed.height <= room.height) {
            label.setFont(font);
            return;
        }
    }
}

void FrameEditorViewController::viewWillAppear(bool animated)
{
    plat::ViewController::viewWillAppear(animated);
    if (!isTablet())
        layoutViews();
    if (_outlets.btnCamera)
        _outlets.btnCamera->setEnabled(true);
    if (_isCommingBackFromCaptureView && frameList().count() != _countBeforeCapture) {
        // Frames came in while nobody here listened: the clips after them move along.
        _audioController->recalculateAudioClipTimeRanges();
    }
    _playerViewController->updateFrames();
    _timelineViewController->updateClip();
    updateGUI();
    const int64_t index = frameToShowOnAppearance();
    _playerViewController->scrollToFrame(index);
    if (_shouldPlayZoomOutAnimationFromFullScreenFrame) {
        _outlets.imageViewFrame->setFrame(fullScreenFrame());
        _shouldPlayZoomOutAnimationFromFullScreenFrame = false;
        playZoomOutAnimationFromFullScreenFrame();
    }
}

int64_t FrameEditorViewController::frameToShowOnAppearance()
{
    const FrameList& list = frameList();
    const int64_t capture = list.getCaptureIndex();
    const int64_t last = std::max<int64_t>(list.count() - 1, 0);
    // Back from a screen presented over the editor (the help pages, say),
    // the person stays where they were: the stored place is for opening.
    if (_hasAppeared && !_isCommingBackFromCaptureView)
        return std::clamp<int64_t>(_currentFrame, 0, last);
    _hasAppeared = true;
    int64_t index = _currentFrame;
    if (index == 0) {
        auto metadata = _project->getMetaData();
        auto stored = metadata ? metadata->get("CurrentFrameIndex").int64Value() : std::nullopt;
        index = stored.value_or(capture);
    }
    if (_isCommingBackFromCaptureView)
        index = capture >= 1 ? capture - 1 : capture;
    if (!isTablet() && index == capture && index >= 1)
        index -= 1;
    // A stored index from a longer list (or a damaged one) shows the nearest frame.
    return std::clamp<int64_t>(index, 0, last);
}

void FrameEditorViewController::viewDidAppear(bool animated)
{
    plat::ViewController::viewDidAppear(animated);
    if (_isCommingBackFromCaptureView) {
        _isCommingBackFromCaptureView = false;
        addNotifications();
    }
    if (auto foreground = _outlets.imageViewForeground)
        foreground->setAlpha(0);
    plat::View::animateWithDuration(kAppearFadeSeconds, [this] {
        if (_outlets.imageViewForeground)
            _outlets.imageViewForeground->setAlpha(1.0);
        if (_outlets.viewAspectRatioMask)
            _outlets.viewAspectRatioMask->setAlpha(1.0);
    });
}

void FrameEditorViewController::layoutViews()
{
    const plat::Rect screen = view()->frame();
    auto container = _outlets.viewPlayerViewController;
    if (!container)
        return;
    const plat::Rect strip = container->frame();
    const auto height = static_cast<float>(screen.height() - strip.height());
    const auto width = static_cast<float>(height * kWideRatio);
    const auto side = static_cast<float>((screen.width() - width) * 0.5);
    if (_outlets.viewLeftControls)
        _outlets.viewLeftControls->setFrame(plat::makeRect(0, 0, side, height));
    if (_outlets.viewRightControls)
        _outlets.viewRightControls->setFrame(plat::makeRect(screen.width() - side, 0, side, height));
    const plat::Rect picture = plat::makeRect(side, 0, width, height);
    for (const auto& view : std::initializer_list<std::shared_ptr<plat::View>> {
             _outlets.imageViewFrame, _outlets.imageViewForeground, _outlets.viewFade, _outlets.viewAspectRatioMask})
        if (view)
            view->setFrame(picture);
    if (_outlets.viewSeperator)
        _outlets.viewSeperator->setFrame(plat::makeRect(0, 0, screen.width(), height));
    const auto bar = static_cast<float>((height - width / kCinemaRatio) * 0.5);
    if (_outlets.viewMaskUpper)
        _outlets.viewMaskUpper->setFrame(plat::makeRect(0, 0, width, bar));
    if (_outlets.viewMaskLower)
        _outlets.viewMaskLower->setFrame(plat::makeRect(0, height - bar, width, bar));
}

void FrameEditorViewController::addNotifications()
{
    removeNotifications();  // each posting runs its handler once
    static constexpr std::pair<const char*, Handler> kHandlers[] = {
        {"AddFrameNotification", &FrameEditorViewController::receiveAddFrameNotification},
        {"GotoCaptureFrameNotification", &FrameEditorViewController::receiveGotoCaptureFrameNotification},
        {"MovieEffectDidChangeNotification", &FrameEditorViewController::receiveMovieEffectDidChangeNotification},
        {"OutlineHasChangedNotification", &FrameEditorViewController::receiveOutlineHasChangedNotification},
        {"ThemeDoneNotification", &FrameEditorViewController::receiveThemeDoneNotification},
        {"ThemeDidChangeNotification", &FrameEditorViewController::receiveThemeDidChangeNotification},
        {"ThemeRenderingFinishedNotification", &FrameEditorViewController::receiveThemeRenderingFinishedNotification},
        {"ThemeShowTitleNotification", &FrameEditorViewController::receiveThemeShowTitleNotification},
        {"FrameEditorHelpCloseNotification", &FrameEditorViewController::receiveFrameEditorHelpCloseNotification},
        {"ShowActivityNotification", &FrameEditorViewController::receiveShowActivityNotification},
        {"HideActivityNotification", &FrameEditorViewController::receiveHideActivityNotification},
        {"ShowHUDNotification", &FrameEditorViewController::receiveShowHUDNotification},
        {"ShowErrorNotification", &FrameEditorViewController::receiveShowErrorNotification},
        {"AudioControllerAddAudioNotification", &FrameEditorViewController::receiveAudioControllerAddAudioNotification},
        {"AudioControllerRemoveClipNotification",
            &FrameEditorViewController::receiveAudioControllerRemoveClipNotification},
        {"ShowAudioControllerNotification", &FrameEditorViewController::receiveShowAudioControllerNotification},
        {"AudioControllerDoneNotification", &FrameEditorViewController::receiveAudioControllerDoneNotification},
        {"ThemeCardEditFinishedNotification", &FrameEditorViewController::receiveThemeCardEditFinishedNotification},
        {"AspectRatioMaskDidChangeNotification",
            &FrameEditorViewController::receiveAspectRatioMaskDidChangeNotification},
        {"FadeInOutDidChangeNotification", &FrameEditorViewController::receiveFadeInOutDidChangeNotification},
        {"ForegroundDidChangeNotification", &FrameEditorViewController::receiveForegroundDidChangeNotification},
    };
    auto& center = plat::NotificationCenter::defaultCenter();
    std::weak_ptr<FrameEditorViewController> weakSelf = sharedAs<FrameEditorViewController>();
    for (const auto& [name, handler] : kHandlers) {
        center.addObserver(this, name, nullptr, [weakSelf, handler](const plat::Notification& notification) {
            // A handler may run on the posting thread; the screen is kept while it does.
            if (auto self = weakSelf.lock())
                ((*self).*handler)(notification);
        });
    }
    _notificationsAdded = true;
}

void FrameEditorViewController::removeNotifications()
{
    plat::NotificationCenter::defaultCenter().removeObserver(this);
    _notificationsAdded = false;
}

void FrameEditorViewController::updateGUI()
{
    const int64_t count = frameList().count();
    const bool playable = count >= kEntriesForPlayback;
    for (const auto& button : {_outlets.btnMore, _outlets.btnAudio, _outlets.btnPlay, _outlets.btnTheme})
        if (button)
            button->setEnabled(playable);
    if (_outlets.viewEmptyHelp)
        _outlets.viewEmptyHelp->setHidden(count >= 2);
    updateCaptureFrameCounter();
    showCoachMarkForFrameCount(count);
}

void FrameEditorViewController::actionProjectExplorer()
{
    if (_isClosed)
        return;
    auto keepAlive = sharedAs<FrameEditorViewController>();  // the root container lets go of us
    if (_captureViewController) {
        _captureViewController->willMoveToParentViewController(nullptr);
        _captureViewController->removeFromParentViewController();
    }
    plat::NotificationCenter::defaultCenter().removeObserver(this);
    _notificationsAdded = false;
    tearDownForClosing();
    _timelineViewController->viewWillClose();
    _playerViewController->viewWillClose();
    if (_captureViewController)
        _captureViewController->finishUpAndExit();

    if (auto metadata = _project->getMetaData()) {
        metadata->set("META_RECORD_THUMB_FRAME_ID", linkThumbImageForProject());
        metadata->set("RecordNeedsRendering", true);
        metadata->set("CurrentFrameIndex", _currentFrame);
    }
    if (auto saved = _project->saveAllDataToDisk(); !saved.ok()) {
        // The person is told why, in the system's words; what they see in the explorer is what was stored before.
        showError(errorWithCause(
            "FrameEditorViewController", 2, plat::localized("The project could not be saved."), saved.error()));
    }
    std::weak_ptr<FrameEditorViewController> weakSelf = keepAlive;
    plat::View::animateWithDuration(
        kCloseFadeSeconds,
        [this] {
            for (const auto& view : {std::static_pointer_cast<plat::View>(_outlets.imageViewForeground),
                     _outlets.viewFade, _outlets.viewAspectRatioMask})
                if (view)
                    view->setAlpha(0);
        },
        [weakSelf](bool) {
            if (auto self = weakSelf.lock())
                self->closeController();
        });
}

std::string FrameEditorViewController::linkThumbImageForProject()
{
    const FrameList& list = frameList();
    const int64_t capture = list.getCaptureIndex();
    int64_t index = _currentFrame;
    if (index == capture) {
        if (list.count() <= 1)
            return "";
        index = capture >= 1 ? capture - 1 : list.count() - 1;
    }
    return list.getFrameIDAtIndex(index).value_or("");
}

void FrameEditorViewController::closeController()
{
    if (auto delegate = _delegate.lock())
        delegate->didFinishFrameEditor(*this);
    plat::RunLoop::main().cancelPreviousPerformRequests(this);
}

}  // namespace zt
