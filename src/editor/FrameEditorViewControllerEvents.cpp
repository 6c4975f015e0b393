// What the frame editor does when the other subsystems tell it something:
// the notification handlers, the look overlays, the preview player's and
// the add-media menu's calls and the options popover's close.
#include "audio/AudioController.h"
#include "capture/CaptureImportController.h"
#include "capture/CaptureViewController.h"
#include "document/AudioClip.h"
#include "document/Frame.h"
#include "document/FrameList.h"
#include "document/ProjectModel.h"
#include "editor/FrameEditorViewController.h"
#include "editor/PlayerViewController.h"
#include "editor/TimelineViewController.h"
#include "platform/foundation/DispatchQueue.h"
#include "platform/foundation/ErrorObject.h"
#include "platform/foundation/Log.h"
#include "platform/graphics/Image.h"
#include "platform/ui/ImageView.h"
#include "platform/ui/NavigationController.h"
#include "render/ThemeCardTableViewController.h"
#include "render/ThemeMovieHandler.h"
#include "uikit/QVNavigationController.h"

namespace zt {

namespace {

// A payload entry of the notification, or none when it is missing or of another kind.
std::optional<std::string> payloadText(const plat::Notification& notification, const char* key)
{
    const plat::Value value = notification.userInfo.get(key);
    return value.asString() ? std::optional<std::string>(*value.asString()) : std::nullopt;
}

std::optional<Frame> payloadFrame(const plat::Notification& notification)
{
    const plat::Value value = notification.userInfo.get("FRAME");
    if (auto frame = value.asObjectOf<Frame>())
        return *frame;
    if (auto record = value.asDictionary())
        return Frame(*record);
    return std::nullopt;
}

void logIgnored(const plat::Notification& notification, const char* missing)
{
    plat::log("frame editor: {} without its {} is ignored", notification.name, missing);
}

}  // namespace

void FrameEditorViewController::onMainQueue(std::function<void(FrameEditorViewController&)> block)
{
    std::weak_ptr<FrameEditorViewController> weakSelf = sharedAs<FrameEditorViewController>();
    plat::DispatchQueue::mainQueue().async([weakSelf, block = std::move(block)] {
        auto self = weakSelf.lock();
        if (self && !self->_isClosed)
            block(*self);
    });
}

void FrameEditorViewController::receiveAddFrameNotification(const plat::Notification& notification)
{
    auto frame = payloadFrame(notification);
    if (!frame) {
        logIgnored(notification, "FRAME");
        return;
    }
    onMainQueue([frame = *frame](FrameEditorViewController& self) {
        if (self.frameList().getIndexForFrame(frame) == plat::kNotFound) {
            plat::log("frame editor: a frame that is not in the open project is not shown");
            return;
        }
        self.updateGUI();
        if (self._currentFrameEditorState == kZoomedOut)
            self.zoomIn();
        self.showThumbnailTimeLine();
        self._audioController->recalculateAudioClipTimeRanges();
        self._playerViewController->addFrame(frame);
        self._timeLineNeedsUpdate = true;
    });
}

void FrameEditorViewController::receiveGotoCaptureFrameNotification(const plat::Notification&)
{
    _playerViewController->gotoCaptureFrame();
}

void FrameEditorViewController::receiveMovieEffectDidChangeNotification(const plat::Notification&)
{
    // The thumbnails show the effect too, not only the big picture.
    _playerViewController->updateFrames();
    _timeLineNeedsUpdate = true;
    _playerViewController->scrollToFrame(_currentFrame);
}

void FrameEditorViewController::receiveFadeInOutDidChangeNotification(const plat::Notification&)
{
    _playerViewController->scrollToFrame(_currentFrame);
}

void FrameEditorViewController::receiveShowActivityNotification(const plat::Notification& notification)
{
    auto caption = payloadText(notification, kInfoKey);
    if (!caption) {
        logIgnored(notification, kInfoKey);
        return;
    }
    const double seconds = notification.userInfo.getDouble("HIDE_AFTER").value_or(kDefaultActivitySeconds);
    onMainQueue(
        [caption = *caption, seconds](FrameEditorViewController& self) { self.showActivity(caption, seconds); });
}

void FrameEditorViewController::receiveShowHUDNotification(const plat::Notification& notification)
{
    auto caption = payloadText(notification, kInfoKey);
    if (!caption) {
        logIgnored(notification, kInfoKey);
        return;
    }
    onMainQueue([caption = *caption](FrameEditorViewController& self) { self.showHUD(caption); });
}

void FrameEditorViewController::receiveHideActivityNotification(const plat::Notification&)
{
    onMainQueue([](FrameEditorViewController& self) { self.hideActivity(); });
}

void FrameEditorViewController::receiveShowErrorNotification(const plat::Notification& notification)
{
    auto error = notification.userInfo.get(kErrorKey).asObjectOf<plat::ErrorObject>();
    if (!error) {
        logIgnored(notification, kErrorKey);
        return;
    }
    showError(error->error());
}

void FrameEditorViewController::receiveAudioControllerAddAudioNotification(const plat::Notification& notification)
{
    plat::NotificationCenter::defaultCenter().post("HideActivityNotification", this);
    auto clip = notification.userInfo.get(kClipKey).asObjectOf<AudioClip>();
    if (!clip) {
        logIgnored(notification, kClipKey);
        return;
    }
    onMainQueue([clip](FrameEditorViewController& self) {
        self.showAudioTimeLine();
        self.flyInAudioClip(*clip);
    });
}

void FrameEditorViewController::receiveShowAudioControllerNotification(const plat::Notification& notification)
{
    auto clip = notification.userInfo.get(kClipKey).asObjectOf<AudioClip>();
    if (!clip) {
        logIgnored(notification, kClipKey);
        return;
    }
    showAudioControllerForClip(clip);
}

void FrameEditorViewController::receiveAudioControllerDoneNotification(const plat::Notification&)
{
    hideAudioController();
}

void FrameEditorViewController::receiveAudioControllerRemoveClipNotification(const plat::Notification&)
{
    hideAudioController();
}

void FrameEditorViewController::receiveOutlineHasChangedNotification(const plat::Notification& notification)
{
    receiveThemeDidChangeNotification(notification);
}

void FrameEditorViewController::receiveThemeDidChangeNotification(const plat::Notification& notification)
{
    const plat::Value card = notification.userInfo.get("OUTLINE_LAST_CARD_USED");
    if (card.isNumber())
        _themeLastUsedCard = card.int64Value().value_or(_themeLastUsedCard);
    _themeMovieHandler = std::make_shared<ThemeMovieHandler>(_project);
    _themeMovieHandler->renderTheme();
    _themeMovieHandler->updateMovie();
    // The cards came into the list or left it: the strip shows the list as it is.
    _playerViewController->updateFrames();
    _timeLineNeedsUpdate = true;
    auto metadata = _project->getMetaData();
    const int64_t theme = metadata ? metadata->getInt64("META_RECORD_THEME").value_or(0) : 0;
    if (theme == 0) {
        const int64_t capture = frameList().getCaptureIndex();
        _playerViewController->scrollToFrame(capture >= 1 && capture != plat::kNotFound ? capture - 1 : 0);
    }
}

void FrameEditorViewController::receiveThemeRenderingFinishedNotification(const plat::Notification&)
{
    // The strip was shown again when the sheet closed, before the cards were
    // drawn anew: their tiles are read again from the new card pictures.
    _playerViewController->updateFrames();
    _timeLineNeedsUpdate = true;
    const int64_t index = _themeLastUsedCard != 0 ? frameList().findFirstOccurrenceOfFrameWithType(FrameTypeCredits)
                                                  : frameList().findLastOccurrenceOfFrameWithType(FrameTypeTitle);
    if (index != plat::kNotFound)
        _playerViewController->scrollToFrame(index);
}

void FrameEditorViewController::receiveThemeShowTitleNotification(const plat::Notification&)
{
    const int64_t index = frameList().findLastOccurrenceOfFrameWithType(FrameTypeTitle);
    if (index != plat::kNotFound)
        _playerViewController->scrollToFrame(index);
}

void FrameEditorViewController::receiveThemeDoneNotification(const plat::Notification&)
{
    auto sheet = _outlineNavigationController;
    if (!sheet || !sheet->view()->superview())
        return;  // no sheet up: the catch button there is another panel's
    removeCatchButton(_btnCloseModalController);
    auto sheetView = sheet->view();
    const double bottom = view()->frame().width();
    std::weak_ptr<FrameEditorViewController> weakSelf = sharedAs<FrameEditorViewController>();
    plat::View::animateWithDuration(
        kLookSheetSeconds,
        [sheetView, bottom] {
            const plat::Rect frame = sheetView->frame();
            sheetView->setFrame(plat::makeRect(0, bottom, frame.width(), frame.height()));
        },
        [weakSelf, sheetView](bool finished) {
            auto self = weakSelf.lock();
            if (!finished || !self || self->_isClosed)
                return;
            sheetView->removeFromSuperview();
            self->setToolbarEnabled(true, WithJumps::No);
            self->disableCaptureControls(false);
        });
    _audioController->recalculateAudioClipDurations();
    timeLineNeedsUpdate();
    _playerViewController->updateFrames();
}

void FrameEditorViewController::receiveThemeCardEditFinishedNotification(const plat::Notification&)
{
    onMainQueue([](FrameEditorViewController& self) {
        auto editor = self._themeCardEditViewController;
        if (!editor)
            return;
        auto editorView = editor->view();
        std::weak_ptr<FrameEditorViewController> weakSelf = self.sharedAs<FrameEditorViewController>();
        plat::View::animateWithDuration(
            kCardEditorFadeSeconds, [editorView] { editorView->setAlpha(0); },
            [weakSelf, editorView, editor](bool) {
                editorView->removeFromSuperview();
                if (auto strong = weakSelf.lock(); strong && strong->_themeCardEditViewController == editor)
                    strong->_themeCardEditViewController.reset();
            });
    });
    _playerViewController->updateFrames();
}

void FrameEditorViewController::receiveAspectRatioMaskDidChangeNotification(const plat::Notification&)
{
    updateApspectRatioMask();
}

void FrameEditorViewController::receiveForegroundDidChangeNotification(const plat::Notification&)
{
    updateForground();
}

void FrameEditorViewController::updateApspectRatioMask()
{
    auto metadata = _project->getMetaData();
    const bool on = metadata && metadata->get("META_RECORD_ASPECT_RATIO_MASK").boolValue().value_or(false);
    auto mask = _captureViewController ? _captureViewController->viewAspectRatioMask() : _outlets.viewAspectRatioMask;
    if (!mask)
        return;
    if (on) {
        mask->setAlpha(0);
        mask->setHidden(false);
        plat::View::animateWithDuration(kMaskFadeSeconds, [mask] { mask->setAlpha(1.0); });
    } else {
        plat::View::animateWithDuration(
            kMaskFadeSeconds, [mask] { mask->setAlpha(0); },
            [mask](bool) {
                // Switched on again meanwhile: it stays.
                if (mask->alpha() == 0)
                    mask->setHidden(true);
            });
    }
}

void FrameEditorViewController::updateForground()
{
    auto foreground = _outlets.imageViewForeground;
    if (!foreground)
        return;
    auto metadata = _project->getMetaData();
    const int64_t chosen = metadata ? metadata->getInt64("META_RECORD_FOREGROUND").value_or(0) : 0;
    if (chosen == 0) {
        foreground->setImage(nullptr);
        return;
    }
    auto data = _project->fileDataForFileWithPreferredFilename("foreground.png");
    foreground->setImage(data ? plat::Image::imageWithData(*data) : nullptr);
}

void FrameEditorViewController::previewPlayerShowFrameAtIndex(PreviewPlayer&, int64_t index)
{
    _timelineViewController->scrollToFrame(index);
    if (_outlets.viewSingleFrameEditControls && _outlets.viewSingleFrameEditControls->alpha() == 1.0)
        showSingleFrameControls();
}

void FrameEditorViewController::previewPlayerDidStopPlay(PreviewPlayer&)
{
    stopPreview();
}

void FrameEditorViewController::mediaSelectionDidSelect(MediaSelectionViewController&, int64_t row)
{
    if (_popoverController) {
        _popoverController->dismissPopoverAnimated(/*animated=*/true);
        _popoverController.reset();
    }
    switch (row) {
    case MediaSelectionViewController::RowAddImages:
        std::make_shared<CaptureImportController>(_project)->showImagePickerWithController(
            sharedAs<FrameEditorViewController>());
        break;
    case MediaSelectionViewController::RowThemeCards: {
        if (presentedViewController())
            break;  // the gallery is up already
        auto gallery
            = std::make_shared<QVNavigationController>(std::make_shared<ThemeCardTableViewController>(_project));
        gallery->setModalPresentationStyle(plat::ModalPresentationStyle::FormSheet);
        presentViewController(gallery, /*animated=*/true, nullptr);
        break;
    }
    case MediaSelectionViewController::RowAudio:
        _audioController->addAudioInView(*this, _currentFrame);
        break;
    default:
        break;
    }
}

void FrameEditorViewController::popoverControllerDidDismissPopover(BubblePopoverController&)
{
    auto metadata = _project->getMetaData();
    const int64_t now = metadata ? metadata->get("RecordFPS").int64Value().value_or(0) : 0;
    if (now == _fps)
        return;
    if (now > _fps)
        _audioController->recalculateAudioClipDurations();
    else
        _audioController->recalculateAudioClipTimeRanges();
    _playerViewController->updateFrames();
}

void FrameEditorViewController::handleSingeTap(plat::GestureRecognizer&)
{
    if (isPlaying())
        return;
    auto frame = frameList().getFrameAtIndex(_currentFrame);
    if (!frame)
        return;
    switch (frame->type()) {
    case FrameTypeTitle:
    case FrameTypeCredits:
        showThemeWithPageOpen(1);
        break;
    case FrameTypeThemeCard:
        actionTextCardEdit();
        break;
    case FrameTypePicture:
        showSingleFrameControls();
        break;
    default:
        break;
    }
}

void FrameEditorViewController::paintViewDidFinish(PainterViewController& painter, int64_t frameIndex)
{
    // The painter wrote the frame's picture, preview and thumbnail.
    _playerViewController->updateFrames();
    _timeLineNeedsUpdate = true;
    dismissViewControllerFromFrameEditorWithZoomIn(painter.sharedAs<plat::ViewController>(), frameIndex);
}

}  // namespace zt
