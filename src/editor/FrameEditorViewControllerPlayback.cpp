// The frame editor's zoom between strip and timeline, the delegate calls
// of the strip and the timeline, preview playback, and the zoomed
// presentation of single-frame editors (the crop editor, the painter).
#include "capture/CaptureViewController.h"
#include "document/Frame.h"
#include "document/FrameList.h"
#include "document/ImageProducer.h"
#include "document/ProjectModel.h"
#include "editor/FrameEditorViewController.h"
#include "editor/PlayerViewController.h"
#include "editor/TimelineViewController.h"
#include "platform/foundation/Bundle.h"
#include "platform/ui/BasicAnimation.h"
#include "platform/ui/Button.h"
#include "platform/ui/ImageView.h"
#include "platform/ui/Layer.h"
#include "platform/ui/ScrollView.h"

namespace zt {

namespace {

constexpr double kFullScreenRatio = 0.5625;

}  // namespace

void FrameEditorViewController::scaleContainer(plat::View& container, double from, double to)
{
    auto animation = plat::BasicAnimation::animationWithKeyPath("transform.scale");
    animation->setBeginTime(0);
    animation->setDuration(static_cast<float>(kZoomSeconds));
    animation->setFromValue(plat::AnimationValue(from));
    animation->setToValue(plat::AnimationValue(to));
    container.layer()->addAnimation(*animation, kZoomAnimationKey);
}

void FrameEditorViewController::zoomIn()
{
    const int64_t current = _timelineViewController->getCurrentFrame();
    if (current >= 0)
        _playerViewController->scrollToFrame(current);
    auto strip = _outlets.viewPlayerViewController;
    auto timeline = _outlets.viewTimelineViewController;
    if (timeline)
        scaleContainer(*timeline, 1.0, 2.0);
    if (strip)
        scaleContainer(*strip, 0.3, 1.0);
    plat::View::animateWithDuration(kZoomSeconds, [&] {
        if (strip)
            strip->setAlpha(1.0);
        if (timeline)
            timeline->setAlpha(0.0);
    });
    switchState(kZoomedIn);
}

void FrameEditorViewController::zoomOut()
{
    if (_timeLineNeedsUpdate) {
        _timeLineNeedsUpdate = false;
        _timelineViewController->updateClip();
    }
    _timelineViewController->scrollToFrame(_playerViewController->getCurrentFrame());
    auto strip = _outlets.viewPlayerViewController;
    auto timeline = _outlets.viewTimelineViewController;
    if (timeline)
        scaleContainer(*timeline, 2.0, 1.0);
    if (strip)
        scaleContainer(*strip, 1.0, 0.3);
    plat::View::animateWithDuration(kZoomSeconds, [&] {
        if (strip)
            strip->setAlpha(0.0);
        if (timeline)
            timeline->setAlpha(1.0);
    });
    switchState(kZoomedOut);
}

void FrameEditorViewController::zoomIn(plat::ViewController&)
{
    if (!isPlaying())
        zoomIn();
}

void FrameEditorViewController::zoomOut(plat::ViewController&)
{
    if (frameList().count() >= kEntriesForPlayback)
        zoomOut();
}

void FrameEditorViewController::currentFrameUpdate(int64_t index)
{
    _currentFrame = index;
    frameList().setFrameIndexAtPlayhead(index);
    if (_captureViewController) {
        if (index == frameList().getCaptureIndex())
            _captureViewController->showLiveView();
        else
            _captureViewController->showImageView();
    }
    if (_outlets.viewFade)
        _outlets.viewFade->setAlpha(imageProducer().calculateAlphaForFadeforFrameAtIndex(index));
    updateUnreadablePictureNote(index);
}

void FrameEditorViewController::didLoadFullResolutionImageForFrameAtIndex(int64_t index)
{
    // The full picture may show where the preview could not be read.
    if (index == _currentFrame)
        updateUnreadablePictureNote(index);
}

void FrameEditorViewController::updateUnreadablePictureNote(int64_t index)
{
    auto picture = framePictureView();
    auto frame = frameList().getFrameAtIndex(index);
    // The strip and the timeline have just put the frame's picture there; only the placeholder has none.
    const bool unreadable = picture && frame && frame->type() != FrameTypeCapturePlaceholder && !picture->image();
    _unreadablePictureNote.update(picture, unreadable);
}

void FrameEditorViewController::userStartScrolling()
{
    if (!isPlaying())
        return;
    _oldFrameEditorState = kZoomedOut;
    stopPreview();
}

void FrameEditorViewController::timeLineNeedsUpdate()
{
    _timeLineNeedsUpdate = true;
    updateGUI();
}

bool FrameEditorViewController::isPlaying() const
{
    return _outlets.btnPlay && _outlets.btnPlay->isSelected();
}

void FrameEditorViewController::actionPlayPreview()
{
    if (isPlaying())
        stopPreview();
    else
        playPreview();
}

void FrameEditorViewController::setPlaybackLockedButtonsEnabled(bool enabled)
{
    for (const auto& button : {_outlets.btnCamera, _outlets.btnMore, _outlets.btnExplorer, _outlets.btnAudio,
             _outlets.btnMusic, _outlets.btnTheme, _outlets.btnBackward, _outlets.btnForward})
        if (button)
            button->setEnabled(enabled);
}

void FrameEditorViewController::disableCaptureControls(bool disabled)
{
    if (_captureViewController)
        _captureViewController->disableControls(disabled);
}

void FrameEditorViewController::updateCaptureFrameCounter()
{
    if (_captureViewController)
        _captureViewController->updateInfoScreen();
}

void FrameEditorViewController::playPreview()
{
    if (_outlets.btnPlay) {
        _outlets.btnPlay->setSelected(true);
        _outlets.btnPlay->setAccessibilityLabel(plat::localized("Stop"));
    }
    _playerViewController->willStartPlayback();
    _oldFrameEditorState = _currentFrameEditorState;
    if (_currentFrameEditorState == kZoomedIn)
        zoomOut();
    _previewPlayer->moveToIndex(_currentFrame);
    _previewPlayer->play();
    setPlaybackLockedButtonsEnabled(false);
    disableCaptureControls(true);
    _timelineViewController->disableControls(true);
}

void FrameEditorViewController::stopPreview()
{
    if (_outlets.btnPlay) {
        _outlets.btnPlay->setSelected(false);
        _outlets.btnPlay->setAccessibilityLabel(plat::localized("Play"));
    }
    if (_oldFrameEditorState == kZoomedIn && _currentFrameEditorState == kZoomedOut)
        zoomIn();
    _previewPlayer->stop();
    setPlaybackLockedButtonsEnabled(true);
    disableCaptureControls(false);
    _timelineViewController->disableControls(false);
}

plat::Rect FrameEditorViewController::fullScreenFrame()
{
    const plat::Rect screen = view()->frame();
    const double height = screen.width() * kFullScreenRatio;
    return plat::makeRect(0, (screen.height() - height) * 0.5, screen.width(), height);
}

void FrameEditorViewController::presentViewControllerFromFrameEditorWithZoomIn(
    const std::shared_ptr<plat::ViewController>& controller)
{
    if (_isPresentingFrameEditor || presentedViewController())
        return;  // one editor at a time
    if (isTablet()) {
        presentViewController(controller, /*animated=*/false, nullptr);
        return;
    }
    _isPresentingFrameEditor = true;
    std::weak_ptr<FrameEditorViewController> weakSelf = sharedAs<FrameEditorViewController>();
    plat::View::animateWithDuration(
        kFullScreenSpringSeconds, 0, kSpringDamping, kSpringVelocity, 0,
        [this] {
            _outlets.imageViewFrame->setFrame(fullScreenFrame());
            if (_outlets.imageViewForeground)
                _outlets.imageViewForeground->setAlpha(0);
            if (_outlets.viewAspectRatioMask)
                _outlets.viewAspectRatioMask->setAlpha(0);
        },
        [weakSelf, controller](bool) {
            auto self = weakSelf.lock();
            if (!self)
                return;
            self->_isPresentingFrameEditor = false;
            if (!self->_isClosed)
                self->presentViewController(controller, /*animated=*/false, nullptr);
        });
}

void FrameEditorViewController::dismissViewControllerFromFrameEditorWithZoomIn(
    const std::shared_ptr<plat::ViewController>& controller, int64_t frameIndex)
{
    if (!isTablet())
        _shouldPlayZoomOutAnimationFromFullScreenFrame = true;
    std::weak_ptr<FrameEditorViewController> weakSelf = sharedAs<FrameEditorViewController>();
    auto done = [weakSelf, frameIndex] {
        auto self = weakSelf.lock();
        if (!self || self->_isClosed)
            return;
        self->_playerViewController->scrollToFrame(frameIndex);
        if (self->_captureViewController)
            self->_captureViewController->resumeCameraCapture();
    };
    if (controller && controller->presentingViewController())
        controller->dismissViewControllerAnimated(/*animated=*/false, done);
    else
        dismissViewControllerAnimated(/*animated=*/false, done);
}

void FrameEditorViewController::playZoomOutAnimationFromFullScreenFrame()
{
    auto picture = _outlets.imageViewFrame;
    auto foreground = _outlets.imageViewForeground;
    if (!picture || !foreground)
        return;
    const plat::Rect home = foreground->frame();
    plat::View::animateWithDuration(
        kShrinkBackSeconds, 0, kSpringDamping, kSpringVelocity, 0, [picture, home] { picture->setFrame(home); },
        nullptr);
}

}  // namespace zt
