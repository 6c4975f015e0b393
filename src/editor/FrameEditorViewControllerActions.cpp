// The frame editor's toolbar actions and frame edits: the add-media menu,
// undo, the voice-over, the movie look, the phone's capture screen, the
// playback options, merging and cropping a frame, the painter, theme cards,
// the jumps, and the error alert.
#include <algorithm>
#include <vector>

#include "capture/CaptureViewController.h"
#include "document/FailureReason.h"
#include "document/FilledText.h"
#include "document/Frame.h"
#include "document/FrameList.h"
#include "document/ImageProducer.h"
#include "document/ProjectModel.h"
#include "editor/ConfigurationViewController.h"
#include "editor/FrameEditorViewController.h"
#include "editor/ImageEditor.h"
#include "editor/MediaSelectionViewController.h"
#include "editor/PlayerViewController.h"
#include "editor/ThemeSettingsViewController.h"
#include "editor/TimelineViewController.h"
#include "platform/foundation/Bundle.h"
#include "platform/foundation/DispatchQueue.h"
#include "platform/foundation/Log.h"
#include "platform/graphics/Image.h"
#include "platform/graphics/ImageRepresentation.h"
#include "platform/library/PhotoLibrary.h"
#include "platform/ui/AlertView.h"
#include "platform/ui/Button.h"
#include "platform/ui/ImageView.h"
#include "platform/ui/NavigationController.h"
#include "platform/ui/ScrollView.h"
#include "platform/ui/UndoManager.h"
#include "render/LookSheetPageViewController.h"
#include "render/ThemeCardEditViewController.h"
#include "uikit/AlertView.h"
#include "uikit/MessageAlert.h"
#include "uikit/QVNavigationController.h"

namespace zt {

namespace {

constexpr double kBestJPEGQuality = 1.0;
constexpr int32_t kPainterOptionMasking = 1;
constexpr const char* kErrorDomain = "FrameEditorViewController";
constexpr int64_t kPictureNotStoredError = 1;
constexpr const char* kThemeCardEditorPhoneLayout = "ThemeCardEditViewController";
constexpr const char* kThemeCardEditorTabletLayout = "ThemeCardEditViewController_iPad";

plat::Rect frameInView(const plat::View& control, const plat::View& view)
{
    auto superview = control.superview();
    return superview ? superview->convertRect(control.frame(), &view) : control.frame();
}

}  // namespace

bool FrameEditorViewController::isPopoverShown() const
{
    return _popoverController && _popoverController->view() != nullptr;
}

void FrameEditorViewController::actionMusic()
{
    if (isPopoverShown() || !_outlets.btnMusic)
        return;  // a second tap while it opens
    auto menu = std::make_shared<MediaSelectionViewController>(_project, plat::TableViewStyle::Plain);
    menu->setDelegate(std::static_pointer_cast<MediaSelectionDelegate>(sharedAs<FrameEditorViewController>()));
    _popoverController = std::make_shared<BubblePopoverController>(menu);
    _popoverController->presentPopoverFromRect(frameInView(*_outlets.btnMusic, *view()), *view(),
        isTablet() ? kBubbleArrowDirectionDown : kBubbleArrowDirectionLeft, /*animated=*/true);
}

void FrameEditorViewController::actionUndoRedo()
{
    if (auto undo = undoManager())
        undo->undo();
}

void FrameEditorViewController::actionAudio()
{
    showAudioRecorder();
}

void FrameEditorViewController::actionTheme()
{
    showThemeWithPageOpen(0);
}

void FrameEditorViewController::tellNotAvailableYet(const std::string& feature)
{
    makeMessageAlert(plat::localized(feature), plat::localized("This is not available yet."), plat::localized("OK"))
        ->show();
}

void FrameEditorViewController::showThemeWithPageOpen(int64_t page)
{
    auto settings = std::make_shared<ThemeSettingsViewController>("ThemeSettingsViewController", _project);
    settings->setShowPageAtStart(static_cast<int32_t>(page));
    presentLookSheet(settings);
}

void FrameEditorViewController::presentLookSheet(const std::shared_ptr<plat::ViewController>& sheet)
{
    if (_outlineNavigationController && _outlineNavigationController->view()->superview())
        return;  // one sheet at a time
    setToolbarEnabled(false, WithJumps::No);
    disableCaptureControls(true);
    _outlineNavigationController = std::make_shared<QVNavigationController>(sheet);
    auto root = view();
    auto sheetView = _outlineNavigationController->view();
    sheetView->setFrame(plat::makeRect(0, root->frame().height(), root->bounds().width(), kLookSheetStartHeight));
    auto catchButton = makeCatchButton();
    catchButton->addTarget(this, &FrameEditorViewController::closeLookSheet, plat::ControlEventTouchUpInside);
    root->addSubview(catchButton);
    root->addSubview(sheetView);
    const double top = isTablet() ? kLookSheetTopTablet : kLookSheetTopPhone;
    const plat::Rect bounds = root->bounds();
    plat::View::animateWithDuration(kLookSheetSeconds, [sheetView, bounds, top] {
        sheetView->setFrame(plat::makeRect(0, top, bounds.width(), bounds.height() - top));
    });
}

void FrameEditorViewController::closeLookSheet()
{
    // The sheet's page closes it as its Done does, so that what was typed
    // on it is kept; another sheet is simply taken away.
    if (_outlineNavigationController) {
        auto page
            = std::dynamic_pointer_cast<LookSheetPageViewController>(_outlineNavigationController->topViewController());
        if (page) {
            page->actionDone();
            return;
        }
    }
    receiveThemeDoneNotification(plat::Notification {"ThemeDoneNotification", this, {}});
}

void FrameEditorViewController::actionCamera()
{
    if (isTablet())
        return;  // the capture screen is part of the tablet's editor
    if (_outlets.btnCamera)
        _outlets.btnCamera->setEnabled(false);
    removeNotifications();
    _isCommingBackFromCaptureView = true;
    _countBeforeCapture = frameList().count();
    auto capture = std::make_shared<CaptureViewController>(CaptureViewController::kPhoneLayout, _project);
    capture->setModalTransitionStyle(plat::ModalTransitionStyle::CrossDissolve);
    presentViewController(capture, /*animated=*/true, nullptr);
}

void FrameEditorViewController::actionMore()
{
    if (isPopoverShown() || !_outlets.btnMore)
        return;
    auto metadata = _project->getMetaData();
    _fps = metadata ? metadata->get("RecordFPS").int64Value().value_or(0) : 0;
    auto options = std::make_shared<ConfigurationViewController>(_project);
    options->setContentSizeForViewInPopover({kOptionsWidth, kOptionsHeight});
    _popoverController = std::make_shared<BubblePopoverController>(options);
    _popoverController->setDelegate(
        std::static_pointer_cast<BubblePopoverControllerDelegate>(sharedAs<FrameEditorViewController>()));
    _popoverController->presentPopoverFromRect(frameInView(*_outlets.btnMore, *view()), *view(),
        isTablet() ? kBubbleArrowDirectionDown : kBubbleArrowDirectionRight, /*animated=*/true);
}

bool FrameEditorViewController::storeEditedPicture(int64_t index, const plat::Image& picture)
{
    auto frameID = frameList().getFrameIDAtIndex(index);
    auto data = plat::JPEGRepresentation(picture, kBestJPEGQuality);
    if (!frameID || !data) {
        plat::log("frame editor: no picture to store for frame {}", index);
        return false;
    }
    const std::string fileName = "frame-" + *frameID + ".jpg";
    const auto previous = _project->fileDataForFileWithPreferredFilename(fileName);
    const std::string notStored
        = plat::localized("The edited picture could not be stored. The frame keeps its picture.");
    std::optional<plat::Error> failure;
    if (!_project->updateRegularFileWithContents(*data, fileName, &failure)) {
        showError(errorWithCause(kErrorDomain, kPictureNotStoredError, notStored, failure));
        return false;
    }
    if (auto marked = _project->changeMetaData({{"RecordNeedsRendering", true}}); !marked.ok()) {
        // A new picture in a movie not marked to be made again would never show in it: the old one comes back.
        if (previous && !_project->updateRegularFileWithContents(*previous, fileName))
            plat::log("frame editor: the picture of frame {} could not be put back", index);
        showError(errorWithCause(kErrorDomain, kPictureNotStoredError, notStored, marked.error()));
        return false;
    }
    ImageProducer(_project).createThumbNailAndPreviewForFrameAtIndex(index);
    // The strip's item and the timeline's tile show the new thumbnail too.
    _playerViewController->updateFrames();
    _timeLineNeedsUpdate = true;
    return true;
}

void FrameEditorViewController::actionMergeImages()
{
    const int64_t index = _currentFrame;
    // The pictures as stored: the movie effect is a look, applied on every
    // read, and must not be baked into the frame.
    ImageProducer& producer = imageProducer();
    auto merged = producer.mergeImage(producer.getOriginialImageForFrameAtIndex(index),
        producer.getOriginialImageForFrameAtIndex(index - 1), producer.getOriginialImageForFrameAtIndex(index - 2));
    if (merged)
        storeEditedPicture(index, *merged);
    _playerViewController->scrollToFrame(index);
    closeSingleFrameControls();
}

void FrameEditorViewController::actionImageEdit()
{
    const int64_t index = _currentFrame;
    auto editor = std::make_shared<ImageEditor>("ImageEditor");
    editor->setCheckBounds(true);
    editor->setRotateEnabled(true);
    editor->setPanEnabled(true);
    std::shared_ptr<const plat::Image> source = imageProducer().getOriginialImageForFrameAtIndex(index);
    std::shared_ptr<const plat::Image> preview;
    if (auto frameID = frameList().getFrameIDAtIndex(index))
        if (auto data = _project->fileDataForFileWithPreferredFilename("preview-" + *frameID + ".jpg"))
            preview = plat::Image::imageWithData(*data);
    editor->setSourceImage(source);
    editor->setPreviewImage(preview ? preview : source);
    if (!source)
        return;  // the capture placeholder and a frame whose picture is gone have nothing to crop
    editor->reset(/*animated=*/false);
    // The frame is found again by its UID: a photo import may insert frames meanwhile.
    auto frame = frameList().getFrameAtIndex(index);
    const std::string uid = frame ? frame->UID() : std::string();
    std::weak_ptr<FrameEditorViewController> weakSelf = sharedAs<FrameEditorViewController>();
    std::weak_ptr<ImageEditor> weakEditor = editor;
    editor->setDoneCallback([weakSelf, weakEditor, uid](std::shared_ptr<plat::Image> edited, bool cancelled) {
        auto self = weakSelf.lock();
        if (!self || self->_isClosed)
            return;
        int64_t at = self->frameList().getIndexOfFrameWithUID(uid);
        if (at == plat::kNotFound)
            at = self->_currentFrame;
        else if (!cancelled && edited)
            self->storeEditedPicture(at, *edited);
        self->dismissViewControllerFromFrameEditorWithZoomIn(weakEditor.lock(), at);
    });
    presentViewControllerFromFrameEditorWithZoomIn(editor);
    closeSingleFrameControls();
}

void FrameEditorViewController::actionDraw()
{
    showPainterWithOption(0);
}

void FrameEditorViewController::actionMask()
{
    showPainterWithOption(1);
}

void FrameEditorViewController::showPainterWithOption(int32_t option)
{
    if (isPlaying() || _currentFrame == frameList().getCaptureIndex())
        return;
    if (isTablet() && _captureViewController)
        _captureViewController->pauseCameraCapture();  // resumed when the painter is dismissed
    auto painter = std::make_shared<PainterViewController>(PainterViewController::kLayoutName, _project);
    painter->setIsMasking(option == kPainterOptionMasking);
    painter->setDelegate(std::static_pointer_cast<PainterViewDelegate>(sharedAs<FrameEditorViewController>()));
    painter->setCurrentFrame(_currentFrame);
    presentViewControllerFromFrameEditorWithZoomIn(painter);
    showSingleFrameControls();
}

void FrameEditorViewController::actionTextCardEdit()
{
    auto frame = frameList().getFrameAtIndex(_currentFrame);
    if (!frame || _themeCardEditViewController)
        return;  // nothing to edit, or a card already open (a double tap)
    presentThemeCardEditor(std::make_shared<ThemeCardEditViewController>(
        isTablet() ? kThemeCardEditorTabletLayout : kThemeCardEditorPhoneLayout, *frame, _project));
}

void FrameEditorViewController::presentThemeCardEditor(const std::shared_ptr<plat::ViewController>& editor)
{
    if (_themeCardEditViewController)
        return;  // one card at a time
    _themeCardEditViewController = editor;
    auto editorView = editor->view();
    if (!isTablet())
        editorView->setFrame(view()->bounds());
    editorView->setAlpha(0);
    view()->addSubview(editorView);
    plat::View::animateWithDuration(kCardEditorFadeSeconds, [editorView] { editorView->setAlpha(1.0); });
}

void FrameEditorViewController::actionBackToFirstFrame()
{
    showThumbnailTimeLine();  // the jump is to a frame: its lane shows
    _playerViewController->scrollToFrame(0);
}

void FrameEditorViewController::actionGotoCaptureFrame()
{
    showThumbnailTimeLine();
    _playerViewController->scrollToFrame(frameList().getCaptureIndex());
}

std::string FrameEditorViewController::errorMessage(const plat::Error& error)
{
    std::string message = error.localizedDescription();
    // The photo library's unavailable and user-denied codes get the text
    // that says where access is given.
    if (error.code() == plat::kAssetsLibraryDataUnavailableError
        || error.code() == plat::kAssetsLibraryAccessUserDeniedError) {
        const plat::Value name = plat::Bundle::mainBundle().objectForInfoDictionaryKey("CFBundleName");
        message = filledText(plat::localized("UserDeniedKey_Photo_Access_ios6"),
            {name.asString() ? *name.asString() : std::string("Zantrope")});
    }
    if (message.empty())
        message = filledText(
            plat::localized("Ups. An unknown error occured. (%@-%d)"), {error.domain(), std::to_string(error.code())});
    // What the person asked for is named above; why it failed is the wrapped error's.
    if (const auto& cause = error.underlyingError()) {
        const std::string reason = failureReason(*cause);
        if (message.find(reason) == std::string::npos)
            message += "\n" + reason;
    }
    return message;
}

void FrameEditorViewController::showError(const std::optional<plat::Error>& error)
{
    if (!error)
        return;
    std::string message = errorMessage(*error);
    plat::DispatchQueue::mainQueue().async([message = std::move(message)] {
        // Nothing is left to cancel: the person can only take note.
        makeMessageAlert(plat::localized("Error"), message, plat::localized("OK"))->show();
    });
}

void FrameEditorViewController::updateImageEditControls()
{
    if (_outlets.btnImageEdit)
        _outlets.btnImageEdit->setImage(plat::Image::imageNamed("frameedit_icon_crop"), plat::ControlStateNormal);
    if (_outlets.btnImagePaint)
        _outlets.btnImagePaint->setImage(plat::Image::imageNamed("frameedit_icon_paint"), plat::ControlStateNormal);
    if (_outlets.btnImageMask)
        _outlets.btnImageMask->setImage(plat::Image::imageNamed("frameedit_icon_mask"), plat::ControlStateNormal);
    if (_outlets.btnImageMerge)
        _outlets.btnImageMerge->setImage(plat::Image::imageNamed("frameedit_icon_merge"), plat::ControlStateNormal);
}

void FrameEditorViewController::showAudioTimeLine()
{
    if (auto container = _outlets.viewPlayerViewController) {
        const plat::Rect frame = container->frame();
        container->scrollRectToVisible(plat::makeRect(0, frame.height(), frame.width(), frame.height()), true);
    }
}

void FrameEditorViewController::showThumbnailTimeLine()
{
    if (auto container = _outlets.viewPlayerViewController) {
        const plat::Rect frame = container->frame();
        container->scrollRectToVisible(plat::makeRect(0, 0, frame.width(), frame.height()), true);
    }
}

plat::Rect FrameEditorViewController::getOrientationCorrectedRectFromRect(plat::Rect rect)
{
    return plat::makeRect(
        rect.minX(), rect.minY(), std::max(rect.width(), rect.height()), std::min(rect.width(), rect.height()));
}

}  // namespace zt
