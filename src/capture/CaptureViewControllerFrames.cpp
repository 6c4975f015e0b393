// The capture screen's shutter, the hand-over of a picture from the
// source's thread, the still display, storing the picture as a frame, the
// loop timer and the information display.
#include <algorithm>
#include <cstdio>

#include "capture/CaptureImportController.h"
#include "capture/CaptureViewController.h"
#include "document/DataManager.h"
#include "document/FailureReason.h"
#include "document/FileUtil.h"
#include "document/FilledText.h"
#include "document/FormatterUtil.h"
#include "document/Frame.h"
#include "document/FrameFiles.h"
#include "document/ImageProducer.h"
#include "document/ProjectModel.h"
#include "platform/foundation/Bundle.h"
#include "platform/foundation/Clock.h"
#include "platform/foundation/DispatchQueue.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/graphics/Image.h"
#include "platform/media/AudioPlayer.h"
#include "platform/ui/Button.h"
#include "platform/ui/ImageView.h"
#include "platform/ui/Label.h"
#include "platform/ui/Slider.h"

namespace zt {

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
        else if (from == self->_captureSource.get())
            self->reportFailedCapture(self->_captureSource->captureFailure());
        else
            self->reportFailedCapture(std::nullopt);
    };
    // The source waits until the picture is in the project, so it cannot
    // hand over the next one before.
    if (plat::isMainThread())
        handOver();
    else
        plat::DispatchQueue::mainQueue().sync(handOver);
}

void CaptureViewController::reportFailedCapture(const std::optional<plat::Error>& reason)
{
    showMessageInHUD(reason ? reason->localizedDescription() : plat::localized("The picture could not be taken."));
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

plat::Error CaptureViewController::storeFailureError(uint64_t freeBytes, const std::optional<plat::Error>& cause)
{
    if (freeBytes >= kLowSpaceBytes) {
        // The system's reason leads where there is one: the error is then not unknown.
        const std::string text = cause ? filledText(plat::localized("%@ The picture could not be stored. (%@-%d)"),
                                     {failureReason(*cause), kErrorDomain, std::to_string(kUnknownStoreError)})
                                       : filledText(plat::localized("Ups. An unknown error occured. (%@-%d)"),
                                           {kErrorDomain, std::to_string(kUnknownStoreError)});
        return errorWithCause(kErrorDomain, kUnknownStoreError, text, cause);
    }
    return errorWithCause(kErrorDomain, kNoSpaceStoreError,
        plat::localized("There is almost no space left on this device. You cannot record new media until you free "
                        "some space."),
        cause);
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
        showError(storeFailureError(FileUtil::freeDiskspace(), failure));
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
        showError(storeFailureError(FileUtil::freeDiskspace(), saved.error()));
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
    reportFailedCapture(std::nullopt);
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

}  // namespace zt
