// The panels the frame editor hosts over its own view: the voice-over
// recorder, the clip editor and the single-frame controls, each behind a
// full-screen catch button; the fly-in of a new clip; the heads-up display;
// and what closing the project takes down.
#include <algorithm>

#include "audio/AudioConfigurationViewController.h"
#include "audio/AudioController.h"
#include "capture/CaptureViewController.h"
#include "document/AudioClip.h"
#include "document/ProjectModel.h"
#include "editor/FrameEditorViewController.h"
#include "editor/PlayerViewController.h"
#include "editor/TimelineViewController.h"
#include "platform/foundation/Files.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/Paths.h"
#include "platform/foundation/RunLoop.h"
#include "platform/graphics/Path.h"
#include "platform/ui/Button.h"
#include "platform/ui/ImageView.h"
#include "platform/ui/KeyframeAnimation.h"
#include "platform/ui/Label.h"
#include "platform/ui/Layer.h"
#include "platform/ui/NavigationController.h"
#include "platform/ui/ScrollView.h"
#include "platform/ui/Transaction.h"
#include "uikit/Hudy.h"
#include "uikit/TintedNavigationController.h"

namespace zt {

namespace {

constexpr plat::Rect kFlyInBox {{10, 100}, {200, 33}};
constexpr plat::Rect kFlyInBar {{0, 0}, {450, 12}};
constexpr plat::Rect kFlyInLabelPhone {{17, 8}, {75, 16}};
constexpr plat::Rect kFlyInLabelTablet {{20, 22}, {105, 16}};
constexpr double kFlyInFontSize = 12;
constexpr double kFlyInTargetXPhone = 305;
constexpr double kFlyInTargetXTablet = 513;
constexpr double kFlyInLaneTopPhone = 242;
constexpr double kFlyInLaneTopTablet = 639;
constexpr double kFlyInLaneStep = 30;
constexpr const char* kFlyInAnimationKey = "curveAnimation";
constexpr const char* kRecorderAnimation = "AudioIn";

std::optional<plat::Color> clipColor(int type)
{
    switch (type) {
    case AudioClip::SoundEffect:
        return plat::Color::colorWithRed(142 / 255.0, 68 / 255.0, 173 / 255.0, 1);
    case AudioClip::VoiceOver:
        return plat::Color::colorWithRed(26 / 255.0, 188 / 255.0, 156 / 255.0, 1);
    case AudioClip::Music:
        return plat::Color::colorWithRed(52 / 255.0, 152 / 255.0, 219 / 255.0, 1);
    default:
        return std::nullopt;
    }
}

void moveTo(plat::View& view, double y)
{
    const plat::Rect frame = view.frame();
    view.setFrame(plat::makeRect(frame.minX(), y, frame.width(), frame.height()));
}

}  // namespace

std::shared_ptr<plat::Button> FrameEditorViewController::makeCatchButton()
{
    // A panel opened again (a double tap) replaces its button: none is left behind.
    removeCatchButton(_btnCloseModalController);
    _btnCloseModalController = plat::Button::buttonWithType(plat::ButtonType::Custom);
    _btnCloseModalController->setFrame(view()->bounds());
    _btnCloseModalController->setBackgroundColor(plat::Color::clearColor());
    return _btnCloseModalController;
}

void FrameEditorViewController::removeCatchButton(const std::shared_ptr<plat::Button>& button)
{
    if (!button)
        return;
    button->removeFromSuperview();
    if (_btnCloseModalController == button)
        _btnCloseModalController.reset();
}

void FrameEditorViewController::setToolbarEnabled(bool enabled, WithJumps jumps)
{
    for (const auto& button : {_outlets.btnPlay, _outlets.btnMore, _outlets.btnExplorer, _outlets.btnAudio,
             _outlets.btnMusic, _outlets.btnTheme, _outlets.btnHelp, _outlets.btnCamera})
        if (button)
            button->setEnabled(enabled);
    if (jumps == WithJumps::Yes) {
        for (const auto& button : {_outlets.btnBackward, _outlets.btnForward})
            if (button)
                button->setEnabled(enabled);
    }
    if (enabled)
        updateGUI();  // the buttons that need frames follow the count again
}

void FrameEditorViewController::showAudioRecorder()
{
    if (_isRecorderClosing)
        return;  // it is on its way out; a new one opens after
    if (!_audioController->checkTrackSpaceForClipDuration(plat::MediaTime::make(1, 1), nullptr, nullptr, _currentFrame))
        return;  // the audio controller has told why
    auto root = view();
    const plat::Rect corrected = getOrientationCorrectedRectFromRect(root->frame());
    const auto width = static_cast<int64_t>(corrected.width());
    const auto height = static_cast<int64_t>(corrected.height());
    auto catchButton = makeCatchButton();
    root->addSubview(catchButton);
    if (!_audioRecorderView) {
        _audioRecorderView = std::make_shared<AudioRecorderViewController>();
        auto panel = _audioRecorderView->view();
        const plat::Size size = panel->frame().size;
        panel->setFrame(plat::makeRect(
            static_cast<double>(width / 2) - size.width / 2, static_cast<double>(height), size.width, size.height));
        _audioRecorderView->setDelegate(
            std::static_pointer_cast<AudioRecorderViewDelegate>(sharedAs<FrameEditorViewController>()));
        _audioRecorderView->setStartRecordingAtFrame(_currentFrame);
        addChildViewController(_audioRecorderView);
        root->addSubview(panel);
        _audioRecorderView->didMoveToParentViewController(this);
    } else {
        root->bringSubviewToFront(*_audioRecorderView->view());
    }
    catchButton->addTarget(_audioRecorderView.get(), &AudioRecorderViewController::removeRecorderIfNotRecording,
        plat::ControlEventTouchUpInside);

    auto panel = _audioRecorderView->view();
    const double panelHeight = panel->frame().height();
    const bool tablet = isTablet();
    plat::View::beginAnimations(kRecorderAnimation, {});
    plat::View::setAnimationDuration(kRecorderSeconds);
    setToolbarEnabled(false, WithJumps::Yes);
    disableCaptureControls(true);
    for (const auto& faded : fadedByRecorder())
        faded->setAlpha(0);
    if (tablet) {
        // The strip stays at its place under the panel, faded as on a
        // phone: lifted, it would lie over the picture and the capture
        // screen's controls.
        moveTo(*panel, static_cast<double>(height) - panelHeight - kRecorderTabletMargin);
    } else {
        moveTo(*panel, static_cast<double>(height) - panelHeight);
        for (const auto& container : {std::static_pointer_cast<plat::View>(_outlets.viewPlayerViewController),
                 _outlets.viewTimelineViewController})
            if (container)
                moveTo(*container, 0);
    }
    plat::View::commitAnimations();
}

std::vector<std::shared_ptr<plat::View>> FrameEditorViewController::fadedByRecorder() const
{
    // The strip and the timeline on both; a phone's two button columns,
    // and a tablet's jump buttons, which the panel lies over.
    std::vector<std::shared_ptr<plat::View>> faded {_playerViewController->view(), _timelineViewController->view()};
    faded.push_back(_outlets.viewLeftControls);
    if (!isTablet())
        faded.push_back(_outlets.viewRightControls);
    std::erase(faded, nullptr);
    return faded;
}

void FrameEditorViewController::hideAudioRecorder()
{
    auto recorder = _audioRecorderView;
    if (!recorder || _isRecorderClosing)
        return;
    _isRecorderClosing = true;
    removeCatchButton(_btnCloseModalController);
    auto root = view();
    const auto height = static_cast<int64_t>(getOrientationCorrectedRectFromRect(root->frame()).height());
    const double bottom = root->frame().height();
    const bool tablet = isTablet();
    auto panel = recorder->view();
    std::weak_ptr<FrameEditorViewController> weakSelf = sharedAs<FrameEditorViewController>();
    plat::View::animateWithDuration(
        kRecorderSeconds,
        [this, panel, tablet, height, bottom] {
            moveTo(*panel, bottom);
            auto strip = _outlets.viewPlayerViewController;
            auto timeline = _outlets.viewTimelineViewController;
            for (const auto& shown : fadedByRecorder())
                shown->setAlpha(1.0);
            if (tablet) {
                if (strip)
                    moveTo(*strip, kStripTopTablet);
                if (timeline)
                    moveTo(*timeline, kTimelineTopTablet);
                return;
            }
            if (strip)
                moveTo(*strip, static_cast<double>(height) - strip->frame().height());
            if (timeline)
                moveTo(*timeline, static_cast<double>(height) - timeline->frame().height());
        },
        [weakSelf, recorder](bool) {
            recorder->view()->removeFromSuperview();
            recorder->removeFromParentViewController();
            auto self = weakSelf.lock();
            if (!self)
                return;
            self->_isRecorderClosing = false;
            if (self->_audioRecorderView == recorder)
                self->_audioRecorderView.reset();
            if (self->_isClosed)
                return;
            self->setToolbarEnabled(true, WithJumps::Yes);
            self->disableCaptureControls(false);
        });
}

void FrameEditorViewController::audioRecorderDidStartRecording(AudioRecorderViewController&)
{
    _previewPlayer->moveToIndex(_currentFrame);
    _previewPlayer->playWhileRecording();
}

void FrameEditorViewController::audioRecorderDidStopRecording(
    AudioRecorderViewController& recorder, const std::string& file)
{
    stopPreview();
    hideAudioRecorder();
    const int64_t frame = recorder.startRecordingAtFrame();
    _previewPlayer->moveToIndex(frame);
    addRecordingToProject(frame, file);
}

std::optional<plat::Error> FrameEditorViewController::audioRecorderCannotStoreRecording(AudioRecorderViewController&)
{
    const auto& folder = _project->getProjectPath();
    if (!folder)
        return std::nullopt;
    // The recording is copied into the project's folder: something made
    // there and taken away again shows that it can be.
    auto probe = plat::createTemporaryFolderBeside(plat::appendingPathComponent(*folder, "record"));
    if (!probe.ok())
        return probe.error();
    if (auto removed = plat::removeItem(probe.value()); !removed.ok())
        plat::log("frame editor: {} stays: {}", probe.value(), removed.error().localizedDescription());
    return std::nullopt;
}

void FrameEditorViewController::addRecordingToProject(int64_t frame, const std::string& file)
{
    _audioController->addAudioFromFile(file, frame, std::nullopt, AudioClip::VoiceOver);
    // The project keeps its own copy; the recording is let go only once it is there.
    if (_audioController->isAudioFileStillInUse(plat::lastPathComponent(file))) {
        if (auto removed = plat::removeItemIfExists(file); !removed.ok())
            plat::log("frame editor: the recording {} stays: {}", file, removed.error().localizedDescription());
    } else {
        plat::log("frame editor: the recording {} was not added; it stays", file);
    }
}

void FrameEditorViewController::audioRecorderDidCancelRecording(AudioRecorderViewController&)
{
    stopPreview();
    hideAudioRecorder();
}

void FrameEditorViewController::showAudioControllerForClip(const std::shared_ptr<AudioClip>& clip)
{
    if (_audioConfigurationController || !clip)
        return;  // one clip editor at a time
    setToolbarEnabled(false, WithJumps::No);
    disableCaptureControls(true);
    _clipEditor = std::make_shared<AudioConfigurationViewController>(clip, _audioController, _project);
    _audioConfigurationController = std::make_shared<TintedNavigationController>(_clipEditor);
    auto catchButton = makeCatchButton();
    catchButton->addTarget(
        _clipEditor.get(), &AudioConfigurationViewController::actionDone, plat::ControlEventTouchUpInside);
    auto root = view();
    root->addSubview(catchButton);
    addChildViewController(_audioConfigurationController);
    auto panel = _audioConfigurationController->view();
    const double panelHeight = isTablet() ? kClipEditorHeightTablet : kClipEditorHeightPhone;
    const plat::Rect bounds = root->bounds();
    panel->setFrame(plat::makeRect(0, bounds.height(), bounds.width(), panelHeight));
    root->addSubview(panel);
    _audioConfigurationController->didMoveToParentViewController(this);
    _clipEditor->setPreviewPlayer(_previewPlayer);
    plat::View::animateWithDuration(
        kPanelSpringSeconds, 0, kSpringDamping, kSpringVelocity, 0,
        [this, panel, bounds, panelHeight] {
            panel->setFrame(plat::makeRect(0, bounds.height() - panelHeight, bounds.width(), panelHeight));
            for (const auto& faded : fadedByClipEditor())
                faded->setAlpha(0);
        },
        nullptr);
}

std::vector<std::shared_ptr<plat::View>> FrameEditorViewController::fadedByClipEditor() const
{
    // A phone's button columns reach below the panel's top edge: faded, as
    // for the recorder, rather than cut across. A tablet's toolbar lies
    // wholly under the panel.
    if (isTablet())
        return {};
    std::vector<std::shared_ptr<plat::View>> faded {_outlets.viewLeftControls, _outlets.viewRightControls};
    std::erase(faded, nullptr);
    return faded;
}

void FrameEditorViewController::hideAudioController()
{
    auto navigation = _audioConfigurationController;
    if (!navigation || _isClipEditorClosing)
        return;
    _isClipEditorClosing = true;
    removeCatchButton(_btnCloseModalController);
    setToolbarEnabled(true, WithJumps::No);
    disableCaptureControls(false);
    auto panel = navigation->view();
    const plat::Rect bounds = view()->bounds();
    const double panelHeight = panel->frame().height();
    std::weak_ptr<FrameEditorViewController> weakSelf = sharedAs<FrameEditorViewController>();
    plat::View::animateWithDuration(
        kPanelSpringSeconds, 0, kSpringDamping, kSpringVelocity, 0,
        [this, panel, bounds, panelHeight] {
            panel->setFrame(plat::makeRect(0, bounds.height(), bounds.width(), panelHeight));
            for (const auto& shown : fadedByClipEditor())
                shown->setAlpha(1.0);
        },
        [weakSelf, navigation](bool) {
            navigation->view()->removeFromSuperview();
            navigation->removeFromParentViewController();
            auto self = weakSelf.lock();
            if (!self || self->_audioConfigurationController != navigation)
                return;
            self->_audioConfigurationController.reset();
            self->_clipEditor.reset();
            self->_isClipEditorClosing = false;
        });
    _playerViewController->updateFrames();
}

bool FrameEditorViewController::areSingleFrameControlsShown() const
{
    auto controls = _outlets.viewSingleFrameEditControls;
    return controls && controls->superview() && _btnCloseModalController;
}

void FrameEditorViewController::closeSingleFrameControls()
{
    if (areSingleFrameControlsShown())
        showSingleFrameControls();
}

void FrameEditorViewController::showSingleFrameControls()
{
    auto controls = _outlets.viewSingleFrameEditControls;
    if (!controls)
        return;
    auto root = view();
    std::weak_ptr<FrameEditorViewController> weakSelf = sharedAs<FrameEditorViewController>();
    if (_btnCloseModalController) {
        auto catchButton = _btnCloseModalController;
        plat::View::animateWithDuration(
            kPanelSpringSeconds, 0, kSpringDamping, kSpringVelocity, 0, [controls] { controls->setAlpha(0); },
            [weakSelf, controls, catchButton](bool) {
                if (auto self = weakSelf.lock())
                    self->removeCatchButton(catchButton);
                else
                    catchButton->removeFromSuperview();
                // Shown again meanwhile: it stays.
                if (controls->alpha() == 0)
                    controls->removeFromSuperview();
            });
        return;
    }
    auto catchButton = makeCatchButton();
    catchButton->addTarget(this, &FrameEditorViewController::showSingleFrameControls, plat::ControlEventTouchUpInside);
    root->addSubview(catchButton);
    root->addSubview(controls);
    if (auto picture = _outlets.imageViewFrame) {
        const plat::Rect frame = picture->frame();
        controls->setCenter({frame.midX(), frame.height() - kSingleFrameControlsLift});
    }
    plat::View::animateWithDuration(
        kPanelSpringSeconds, 0, kSpringDamping, kSpringVelocity, 0, [controls] { controls->setAlpha(1.0); }, nullptr);
}

void FrameEditorViewController::flyInAudioClip(const AudioClip& clip)
{
    auto root = view();
    const bool tablet = isTablet();
    auto box = std::make_shared<plat::View>(kFlyInBox);
    box->setUserInteractionEnabled(false);
    auto bar = std::make_shared<plat::ImageView>(kFlyInBar);
    bar->setBackgroundColor(clipColor(clip.type()));
    box->addSubview(bar);
    auto label = std::make_shared<plat::Label>(tablet ? kFlyInLabelTablet : kFlyInLabelPhone);
    label->setFont(plat::Font::boldSystemFontOfSize(kFlyInFontSize));
    label->setTextColor(plat::Color::whiteColor());
    label->setTextAlignment(plat::TextAlignment::Left);
    label->setBackgroundColor(plat::Color::clearColor());
    label->setText(clip.name().value_or(""));
    box->addSubview(label);
    root->addSubview(box);

    const plat::Point start = box->center();
    const double targetX = tablet ? kFlyInTargetXTablet : kFlyInTargetXPhone;
    const double laneTop = tablet ? kFlyInLaneTopTablet : kFlyInLaneTopPhone;
    const double track = static_cast<double>(std::clamp<int64_t>(clip.track(), 0, 2));
    plat::Path path;
    path.moveToPoint(start);
    path.addCurveToPoint({targetX, start.y}, {targetX, start.y}, {targetX, track * kFlyInLaneStep + laneTop});
    auto animation = plat::KeyframeAnimation::animationWithKeyPath("position");
    animation->setCalculationMode(plat::KeyframeAnimation::CalculationMode::Paced);
    animation->setFillMode(plat::FillMode::Forwards);
    animation->setRemovedOnCompletion(false);
    animation->setPath(path);
    animation->setDuration(kFlyInSeconds);

    std::weak_ptr<FrameEditorViewController> weakSelf = sharedAs<FrameEditorViewController>();
    plat::Transaction::begin();
    plat::Transaction::setAnimationDuration(kFlyInSeconds);
    // The lanes stay in view, the new clip's to be tapped; a swipe down, a
    // jump button or a new frame brings the frames back.
    plat::Transaction::setCompletionBlock([weakSelf, box] {
        box->removeFromSuperview();
        if (auto self = weakSelf.lock(); self && !self->_isClosed)
            self->_playerViewController->updateFrames();
    });
    box->layer()->addAnimation(*animation, kFlyInAnimationKey);
    plat::Transaction::commit();
}

void FrameEditorViewController::showActivity(const std::string& caption, double dismissAfterSeconds)
{
    if (_hudy)
        _hudy->dismiss();
    _hudy = std::make_shared<Hudy>();
    _hudy->setCaption(caption);
    _hudy->setIsActivity(true);
    _hudy->setDismissAfterTime(static_cast<double>(static_cast<int64_t>(dismissAfterSeconds)));
    _hudy->showInView(view());
}

void FrameEditorViewController::showHUD(const std::string& caption)
{
    if (_hudy)
        _hudy->dismiss();
    _hudy = std::make_shared<Hudy>();
    _hudy->setCaption(caption);
    _hudy->showInView(view());
}

void FrameEditorViewController::hideActivity()
{
    if (_hudy)
        _hudy->dismiss();
}

void FrameEditorViewController::tearDownForClosing()
{
    _isClosed = true;
    plat::RunLoop::main().cancelPreviousPerformRequests(this);
    if (_previewPlayer)
        _previewPlayer->stop();
    if (_outlets.btnPlay)
        _outlets.btnPlay->setSelected(false);
    if (auto recorder = _audioRecorderView) {
        // A recording under way is given up (the button that closes comes only while none runs).
        recorder->setDelegate({});
        recorder->removeRecorderIfNotRecording();
        if (recorder->isAudioRecording())
            recorder->actionAudioCancel();
        recorder->view()->removeFromSuperview();
        recorder->removeFromParentViewController();
        _audioRecorderView.reset();
    }
    if (auto navigation = _audioConfigurationController) {
        navigation->view()->removeFromSuperview();
        navigation->removeFromParentViewController();
        _audioConfigurationController.reset();
        _clipEditor.reset();
    }
    if (_outlineNavigationController)
        _outlineNavigationController->view()->removeFromSuperview();
    if (_themeCardEditViewController) {
        _themeCardEditViewController->view()->removeFromSuperview();
        _themeCardEditViewController.reset();
    }
    if (_outlets.viewSingleFrameEditControls)
        _outlets.viewSingleFrameEditControls->removeFromSuperview();
    removeCatchButton(_btnCloseModalController);
    if (_popoverController) {
        _popoverController->dismissPopoverAnimated(/*animated=*/false);
        _popoverController.reset();
    }
    if (_hudy)
        _hudy->dismiss();
    _themeMovieHandler.reset();  // a render under way ends unannounced
    closeHelpForClosing();
}

}  // namespace zt
