// The capture screen's sources: choosing one, switching to it, handing it
// the saved modes, the source chooser and what the sources report.
#include "capture/CaptureSources.h"
#include "capture/CaptureViewController.h"
#include "document/DataManager.h"
#include "platform/foundation/DispatchQueue.h"
#include "platform/foundation/Log.h"
#include "platform/ui/Button.h"
#include "platform/ui/Slider.h"
#include "platform/ui/Switch.h"
#include "platform/ui/TapGestureRecognizer.h"
#include "uikit/BubblePopoverController.h"

namespace zt {

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
    closePopover();
    switchCaptureSource(source);
}

void CaptureViewController::closePopover()
{
    if (_popoverController) {
        _popoverController->dismissPopoverAnimated(/*animated=*/true);
        _popoverController.reset();
    }
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

void CaptureViewController::captureControllerDidFailToSwitchCaptureDevice(
    CaptureController& source, const plat::Error& error)
{
    if (&source != _captureSource.get() || _isClosing)
        return;
    // The camera in use goes on; the person hears which camera failed and why.
    showError(error);
}

}  // namespace zt
