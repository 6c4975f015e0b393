#include "app/screens/FrameEditorStandIn.h"

#include <cmath>
#include <numbers>
#include <optional>
#include <vector>

#include "app/AudioClip.h"
#include "app/Frame.h"
#include "app/FrameFiles.h"
#include "app/FrameList.h"
#include "app/ImageProducer.h"
#include "app/MainViewControllerDelegate.h"
#include "app/ProjectModel.h"
#include "app/screens/AppAlerts.h"
#include "audio/AudioConfigurationViewController.h"
#include "audio/AudioController.h"
#include "capture/CaptureImportController.h"
#include "capture/CaptureViewController.h"
#include "editor/PlayerViewController.h"
#include "editor/TimelineViewController.h"
#include "platform/foundation/Bundle.h"
#include "platform/foundation/DispatchQueue.h"
#include "platform/foundation/ErrorObject.h"
#include "platform/foundation/Files.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/Paths.h"
#include "platform/graphics/GraphicsContext.h"
#include "platform/graphics/Image.h"
#include "platform/ui/Button.h"
#include "platform/ui/Device.h"
#include "platform/ui/ImageView.h"
#include "platform/ui/Label.h"
#include "platform/ui/Screen.h"
#include "uikit/QVNavigationController.h"

namespace zt {

namespace {

const plat::Color kAppTint = plat::Color::colorWithRed(212 / 255.0, 3 / 255.0, 215 / 255.0, 1);
constexpr double kMargin = 10;
// Five buttons and the project's name share a phone's width.
constexpr double kButtonWidth = 84;
constexpr double kButtonGap = 6;
constexpr double kButtonHeight = 36;
constexpr double kButtonFontSize = 15;
constexpr int kButtonCount = 5;
constexpr const char* kErrorDomain = "FrameEditorStandInErrorDomain";
constexpr int64_t kPictureNotStoredError = 1;

std::shared_ptr<plat::Button> makeButton(const std::string& title)
{
    auto button = plat::Button::buttonWithType(plat::ButtonType::System);
    button->setTitle(plat::localized(title), plat::ControlStateNormal);
    button->setTitleColor(plat::Color::whiteColor(), plat::ControlStateNormal);
    button->titleLabel()->setFont(plat::Font::systemFontOfSize(kButtonFontSize));
    button->setBackgroundColor(kAppTint);
    return button;
}

}  // namespace

FrameEditorStandIn::FrameEditorStandIn(std::shared_ptr<ProjectModel> project)
    : _project(std::move(project))
{
}

FrameEditorStandIn::~FrameEditorStandIn()
{
    if (_player)
        _player->stop();
    if (_recorderPanel)
        _recorderPanel->setDelegate({});
}

bool FrameEditorStandIn::shouldAutorotateToInterfaceOrientation(plat::InterfaceOrientation orientation) const
{
    return plat::isLandscape(orientation);
}

void FrameEditorStandIn::loadView()
{
    const plat::Rect bounds = plat::Screen::mainScreen().bounds();
    auto root = std::make_shared<plat::View>(bounds);
    root->setBackgroundColor(plat::Color::colorWithWhite(0.12, 1));
    root->setAutoresizingMask(plat::ViewAutoresizingFlexibleWidth | plat::ViewAutoresizingFlexibleHeight);

    const double buttonsWidth = kButtonCount * (kButtonWidth + kButtonGap) + kMargin - kButtonGap;
    const double labelWidth = bounds.width() - 2 * kMargin - buttonsWidth;
    _labelName = std::make_shared<plat::Label>(plat::makeRect(kMargin, 4, labelWidth, 22));
    _labelName->setFont(plat::Font::boldSystemFontOfSize(16));
    _labelName->setTextColor(plat::Color::whiteColor());
    root->addSubview(_labelName);
    _labelFrames = std::make_shared<plat::Label>(plat::makeRect(kMargin, 26, labelWidth, 16));
    _labelFrames->setFont(plat::Font::systemFontOfSize(13));
    _labelFrames->setTextColor(plat::Color::lightGrayColor());
    root->addSubview(_labelFrames);

    double x = bounds.width() - buttonsWidth;
    auto capture = makeButton("Capture");
    capture->setFrame(plat::makeRect(x, 4, kButtonWidth, kButtonHeight));
    capture->addTarget(this, &FrameEditorStandIn::actionCapture, plat::ControlEventTouchUpInside);
    root->addSubview(capture);
    x += kButtonWidth + kButtonGap;
    auto add = makeButton("Add Frame");
    add->setFrame(plat::makeRect(x, 4, kButtonWidth, kButtonHeight));
    add->addTarget(this, &FrameEditorStandIn::actionAddFrame, plat::ControlEventTouchUpInside);
    root->addSubview(add);
    x += kButtonWidth + kButtonGap;
    auto voice = makeButton("Voice-over");
    voice->setFrame(plat::makeRect(x, 4, kButtonWidth, kButtonHeight));
    voice->addTarget(this, &FrameEditorStandIn::actionRecordVoice, plat::ControlEventTouchUpInside);
    root->addSubview(voice);
    x += kButtonWidth + kButtonGap;
    _playButton = makeButton("Play");
    _playButton->setFrame(plat::makeRect(x, 4, kButtonWidth, kButtonHeight));
    _playButton->addTarget(this, &FrameEditorStandIn::actionPlay, plat::ControlEventTouchUpInside);
    root->addSubview(_playButton);
    x += kButtonWidth + kButtonGap;
    auto done = makeButton("Done");
    done->setFrame(plat::makeRect(x, 4, kButtonWidth, kButtonHeight));
    done->addTarget(this, &FrameEditorStandIn::actionDone, plat::ControlEventTouchUpInside);
    root->addSubview(done);

    setView(root);
    setOutlet("labelName", _labelName);
    setOutlet("labelFrames", _labelFrames);
    addNavigators(*root);
    setOutlet("imageViewLastFrame", _imageViewLastFrame);
    showProject();
    showLastPicture();
    observeAudioScreens();
}

void FrameEditorStandIn::addNavigators(plat::View& root)
{
    const plat::Rect bounds = root.bounds();
    auto self = sharedAs<FrameEditorStandIn>();
    _audioController = std::make_shared<AudioController>(_project);
    _audioController->prepareAudioForProject();
    _player = std::make_shared<PreviewPlayer>(_project, _audioController);
    _player->setDelegate(std::static_pointer_cast<PreviewPlayerDelegate>(self));

    _strip = std::make_shared<PlayerViewController>(_project);
    _timeline = std::make_shared<TimelineViewController>(_project);
    addChildViewController(_strip);
    addChildViewController(_timeline);
    auto stripView = _strip->view();
    const double stripHeight = stripView->bounds().height();
    stripView->setFrame(plat::makeRect(0, bounds.height() - stripHeight, bounds.width(), stripHeight));
    auto timelineView = _timeline->view();
    const double timelineHeight = timelineView->bounds().height();
    timelineView->setFrame(plat::makeRect(0, bounds.height() - timelineHeight, bounds.width(), timelineHeight));
    timelineView->setHidden(true);

    // The picture fills what the buttons and the strip's thumbnails leave.
    const double top = 2 * 4 + kButtonHeight + 4;
    // The strip's thumbnails begin 18 points down it on a phone, where its top is free.
    const double pictureBottom = bounds.height() - stripHeight + (plat::Device::currentDevice().isTablet() ? 0 : 16);
    _imageViewLastFrame = std::make_shared<plat::ImageView>(
        plat::makeRect(kMargin, top, bounds.width() - 2 * kMargin, std::max(pictureBottom - top, 0.0)));
    _imageViewLastFrame->setContentMode(plat::ContentMode::ScaleAspectFit);
    root.addSubview(_imageViewLastFrame);
    root.addSubview(stripView);
    root.addSubview(timelineView);
    _strip->didMoveToParentViewController(this);
    _timeline->didMoveToParentViewController(this);

    _strip->setFrameList(_project->getFrameList());
    _strip->setAudioController(_audioController);
    _strip->setImageViewPreview(_imageViewLastFrame);
    _strip->setFrameEditDelegate(std::static_pointer_cast<FrameEditDelegate>(self));
    _timeline->setImageViewPreview(_imageViewLastFrame);
    _timeline->setFrameEditDelegate(std::static_pointer_cast<FrameEditDelegate>(self));
}

void FrameEditorStandIn::showProject()
{
    auto metadata = _project->getMetaData();
    _labelName->setText(metadata ? metadata->getString("RecordName").value_or("") : std::string());
    const FrameList& list = _project->getFrameList();
    const int64_t pictures = list.count() - (list.getCaptureIndex() == plat::kNotFound ? 0 : 1);
    _labelFrames->setText(plat::formatLine("{} {}", pictures, plat::localized(pictures == 1 ? "Frame" : "Frames")));
}

void FrameEditorStandIn::showLastPicture()
{
    const FrameList& list = _project->getFrameList();
    const int64_t capture = list.getCaptureIndex();
    const int64_t last = (capture == plat::kNotFound ? list.count() : capture) - 1;
    _strip->scrollToFrame(std::max<int64_t>(last, 0));
    if (last < 0)
        _imageViewLastFrame->setImage(nullptr);
}

std::shared_ptr<plat::Image> FrameEditorStandIn::makeNumberedPicture(int64_t number)
{
    auto context = plat::GraphicsContext::bitmapContext(kPictureWidth, kPictureHeight, 1, plat::ContextOpacity::Opaque);
    // A hue that walks round the circle, so neighbouring frames differ.
    double hue = std::fmod(0.13 * static_cast<double>(number), 1.0);
    context->setFillColor(plat::Color::colorWithHue(hue, 0.35, 0.9, 1));
    context->fillRect(plat::makeRect(0, 0, kPictureWidth, kPictureHeight));
    context->setFillColor(kAppTint);
    double x = 80 + std::fmod(60.0 * static_cast<double>(number), kPictureWidth - 160.0);
    context->fillEllipseInRect(plat::makeRect(x - 50, kPictureHeight / 2.0 - 50, 100, 100));
    context->setFillColor(plat::Color::colorWithWhite(0.1, 1));
    context->drawText(std::to_string(number), plat::makeRect(0, 30, kPictureWidth, 120),
        plat::Font::boldSystemFontOfSize(96), plat::LineBreakMode::Clipping, plat::TextAlignment::Center);
    return context->makeImage();
}

void FrameEditorStandIn::actionAddFrame()
{
    plat::assertOnQueue(plat::DispatchQueue::mainQueue());
    FrameList& list = _project->getFrameList();
    if (list.getCaptureIndex() == plat::kNotFound)
        list.addFrame(Frame(FrameTypeCapturePlaceholder));
    Frame frame(FrameTypePicture);
    ImageProducer producer(_project);
    std::optional<plat::Error> error;
    if (!producer.storeImage(*makeNumberedPicture(list.count()), frame.frameID(), &error)) {
        showFailureAlert(plat::localized("The frame could not be added."),
            error.value_or(plat::Error(kErrorDomain, kPictureNotStoredError, "The picture could not be stored.")));
        return;
    }
    const int64_t index = list.getCaptureIndex();
    list.insertFrame(frame, index);
    auto metadata = _project->getMetaData();
    const char* changedKeys[] = {"META_RECORD_THUMB_FRAME_ID", "CurrentFrameIndex", "RecordNeedsRendering"};
    std::vector<plat::Value> before;
    if (metadata) {
        for (const char* key : changedKeys)
            before.push_back(metadata->get(key));
        metadata->set("META_RECORD_THUMB_FRAME_ID", frame.frameID());
        metadata->set("CurrentFrameIndex", index);
        metadata->set("RecordNeedsRendering", true);
    }
    auto saved = _project->saveAllDataToDisk();
    if (!saved.ok()) {
        // Only a stored frame is shown: the project goes back to what is on disk.
        list.removeFrameAtIndex(list.getIndexForFrame(frame));
        for (size_t i = 0; i < before.size(); ++i)
            metadata->set(changedKeys[i], before[i]);
        if (const auto& folder = _project->getProjectPath()) {
            auto removed = FrameFiles::deleteFilesOfFrame(*folder, frame.frameID());
            if (!removed.ok())
                plat::log("frame editor stand-in: pictures of an unsaved frame stay: {}", removed.failureDescription());
        }
        showFailureAlert(plat::localized("The frame could not be added."), saved.error());
        showProject();
        return;
    }
    if (_audioController)
        _audioController->recalculateAudioClipTimeRanges();
    if (_strip)
        _strip->addFrame(frame);
    timeLineNeedsUpdate();
}

void FrameEditorStandIn::showPlayButtonTitle()
{
    _playButton->setTitle(plat::localized(_player->isPlaying() ? "Stop" : "Play"), plat::ControlStateNormal);
}

void FrameEditorStandIn::actionPlay()
{
    if (_player->isPlaying()) {
        _player->stop();
    } else {
        _strip->willStartPlayback();
        _player->moveToIndex(_strip->getCurrentFrame());
        _player->play();
    }
    showPlayButtonTitle();
}

void FrameEditorStandIn::actionCapture()
{
    const bool tablet = plat::Device::currentDevice().isTablet();
    auto capture = std::make_shared<CaptureViewController>(
        tablet ? CaptureViewController::kTabletLayout : CaptureViewController::kPhoneLayout, _project);
    capture->setModalPresentationStyle(plat::ModalPresentationStyle::FullScreen);
    capture->setModalTransitionStyle(plat::ModalTransitionStyle::CrossDissolve);
    // The strip follows the frames the screen adds, as the editor's does.
    std::weak_ptr<FrameEditorStandIn> weakSelf = sharedAs<FrameEditorStandIn>();
    _captureObserver = plat::NotificationCenter::defaultCenter().addObserver(
        CaptureImportController::kAddFrameNotification, capture.get(), [weakSelf](const plat::Notification& note) {
            if (auto self = weakSelf.lock())
                self->showCapturedFrame(Frame(note.userInfo.getDictionary("FRAME").value_or(plat::Dictionary())));
        });
    presentViewController(capture, /*animated=*/true, nullptr);
}

void FrameEditorStandIn::showCapturedFrame(const Frame& frame)
{
    if (_audioController)
        _audioController->recalculateAudioClipTimeRanges();
    if (_strip)
        _strip->addFrame(frame);
    timeLineNeedsUpdate();
}

void FrameEditorStandIn::actionDone()
{
    auto keepAlive = sharedAs<FrameEditorStandIn>();  // the root container lets go of us
    _player->stop();
    _strip->viewWillClose();
    _timeline->viewWillClose();
    // Every change was saved as it was made; a last failure is told before the editor goes.
    if (auto saved = _project->saveAllDataToDisk(); !saved.ok())
        showFailureAlert(plat::localized("The project could not be saved."), saved.error());
    if (auto delegate = _delegate.lock())
        delegate->didFinishFrameEditor(*this);
}

void FrameEditorStandIn::zoomOut(plat::ViewController&)
{
    _timelineShown = true;
    _strip->view()->setHidden(true);
    _timeline->view()->setHidden(false);
    _timeline->updateClip();
    _timeline->scrollToFrame(_strip->getCurrentFrame());
}

void FrameEditorStandIn::zoomIn(plat::ViewController&)
{
    _timelineShown = false;
    _timeline->view()->setHidden(true);
    _strip->view()->setHidden(false);
    if (_timeline->getCurrentFrame() >= 0)
        _strip->scrollToFrame(_timeline->getCurrentFrame());
}

void FrameEditorStandIn::currentFrameUpdate(int64_t index)
{
    if (_followingNavigator)
        return;
    _followingNavigator = true;
    if (_timelineShown)
        _strip->scrollToFrame(index);
    else if (_timeline->isViewLoaded())
        _timeline->scrollToFrame(index);
    _followingNavigator = false;
}

void FrameEditorStandIn::timeLineNeedsUpdate()
{
    if (_timeline) {
        _timeline->updateClip();
        _timeline->scrollToFrame(_strip->getCurrentFrame());
    }
    showProject();
}

void FrameEditorStandIn::previewPlayerShowFrameAtIndex(PreviewPlayer&, int64_t index)
{
    _strip->scrollToFrame(index);
}

void FrameEditorStandIn::previewPlayerDidStopPlay(PreviewPlayer&)
{
    showPlayButtonTitle();
}

}  // namespace zt

namespace zt {

void FrameEditorStandIn::observeAudioScreens()
{
    auto& center = plat::NotificationCenter::defaultCenter();
    std::weak_ptr<FrameEditorStandIn> weakSelf = sharedAs<FrameEditorStandIn>();
    _showClipObserver = center.addObserver(
        kShowAudioControllerNotification, _strip.get(), [weakSelf](const plat::Notification& note) {
            auto self = weakSelf.lock();
            auto clip = note.userInfo.get(kClipKey).asObjectOf<AudioClip>();
            if (self && clip)
                self->openClipEditor(clip);
        });
    auto closeEditor = [weakSelf](const plat::Notification& note) {
        auto self = weakSelf.lock();
        if (self && self->_clipEditor && note.object == self->_clipEditor.get())
            self->closeClipEditor();
    };
    _clipDoneObserver = center.addObserver(kAudioControllerDoneNotification, nullptr, closeEditor);
    _clipRemovedObserver = center.addObserver(kAudioControllerRemoveClipNotification, nullptr, closeEditor);
    // What the sound screens cannot do is told here (no room at the frame, a file that did not copy).
    auto tell = [weakSelf](const plat::Notification& note) {
        auto self = weakSelf.lock();
        auto error = note.userInfo.get(kErrorKey).asObjectOf<plat::ErrorObject>();
        if (!self || !error)
            return;
        const bool ours = note.object == self->_audioController.get()
            || (self->_clipEditor && note.object == self->_clipEditor.get());
        if (ours)
            showAlert(plat::localized("Error"), error->error().localizedDescription());
    };
    _audioErrorObserver = center.addObserver(kShowErrorNotification, nullptr, tell);
}

void FrameEditorStandIn::stopPlayback()
{
    if (_player->isPlaying())
        _player->stop();
    showPlayButtonTitle();
}

void FrameEditorStandIn::actionRecordVoice()
{
    plat::assertOnQueue(plat::DispatchQueue::mainQueue());
    if (_recorderPanel)
        return;
    stopPlayback();
    const int64_t frame = _strip->getCurrentFrame();
    if (!_audioController->checkTrackSpaceForClipDuration(plat::MediaTime::make(1, 1), nullptr, nullptr, frame))
        return;  // the controller has told why
    auto root = view();
    _recorderShield = plat::Button::buttonWithType(plat::ButtonType::Custom);
    _recorderShield->setFrame(root->bounds());
    _recorderShield->setBackgroundColor(plat::Color::clearColor());
    _recorderPanel = std::make_shared<AudioRecorderViewController>();
    _recorderShield->addTarget(_recorderPanel.get(), &AudioRecorderViewController::removeRecorderIfNotRecording,
        plat::ControlEventTouchUpInside);
    _recorderPanel->setDelegate(std::static_pointer_cast<AudioRecorderViewDelegate>(sharedAs<FrameEditorStandIn>()));
    _recorderPanel->setStartRecordingAtFrame(frame);
    addChildViewController(_recorderPanel);
    auto panelView = _recorderPanel->view();
    panelView->setCenter({root->bounds().midX(), root->bounds().midY() - kButtonHeight});
    root->addSubview(_recorderShield);
    root->addSubview(panelView);
    _recorderPanel->didMoveToParentViewController(this);
}

void FrameEditorStandIn::closeRecorderPanel()
{
    if (!_recorderPanel)
        return;
    auto panel = std::move(_recorderPanel);
    panel->willMoveToParentViewController(nullptr);
    panel->view()->removeFromSuperview();
    panel->removeFromParentViewController();
    if (_recorderShield) {
        _recorderShield->removeFromSuperview();
        _recorderShield.reset();
    }
}

void FrameEditorStandIn::audioRecorderDidStartRecording(AudioRecorderViewController& recorder)
{
    _strip->willStartPlayback();
    _player->moveToIndex(recorder.startRecordingAtFrame());
    _player->playWhileRecording();
    showPlayButtonTitle();
}

void FrameEditorStandIn::audioRecorderDidStopRecording(AudioRecorderViewController& recorder, const std::string& file)
{
    stopPlayback();
    const int64_t frame = recorder.startRecordingAtFrame();
    closeRecorderPanel();
    _audioController->addAudioFromFile(file, frame, std::nullopt, AudioClip::VoiceOver);
    // The project keeps its own copy; one that did not arrive keeps the recording where it is.
    if (_audioController->isAudioFileStillInUse(plat::lastPathComponent(file))) {
        if (auto removed = plat::removeItemIfExists(file); !removed.ok())
            plat::log("frame editor stand-in: {} stays: {}", file, removed.error().localizedDescription());
    } else {
        plat::log("frame editor stand-in: the recording {} was not added; it stays", file);
    }
    showSoundChange(frame);
}

void FrameEditorStandIn::audioRecorderDidCancelRecording(AudioRecorderViewController&)
{
    stopPlayback();
    closeRecorderPanel();
}

void FrameEditorStandIn::openClipEditor(const std::shared_ptr<AudioClip>& clip)
{
    plat::assertOnQueue(plat::DispatchQueue::mainQueue());
    if (_clipEditor || _recorderPanel)
        return;
    stopPlayback();  // the clip is heard alone
    _clipEditor = std::make_shared<AudioConfigurationViewController>(clip, _audioController, _project);
    _clipEditor->setPreviewPlayer(_player);
    presentViewController(std::make_shared<QVNavigationController>(_clipEditor), /*animated=*/true, nullptr);
}

void FrameEditorStandIn::closeClipEditor()
{
    _clipEditor.reset();
    dismissViewControllerAnimated(/*animated=*/true, nullptr);
    showSoundChange(_strip->getCurrentFrame());
}

void FrameEditorStandIn::showSoundChange(int64_t frame)
{
    _strip->updateFrames();
    _strip->scrollToFrame(frame);
    timeLineNeedsUpdate();
}

}  // namespace zt
