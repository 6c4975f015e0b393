// The capture screen's aids: onion skin and overlay, grid, interface
// sounds, the focus, exposure and white-balance toggles, the options panel,
// the camera switch, digital zoom and tap to focus with exposure bias.
#include <cmath>

#include "capture/CaptureViewController.h"
#include "document/DataManager.h"
#include "document/ImageProducer.h"
#include "document/ProjectModel.h"
#include "platform/foundation/Bundle.h"
#include "platform/foundation/DispatchQueue.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/graphics/Image.h"
#include "platform/ui/Button.h"
#include "platform/ui/Device.h"
#include "platform/ui/ImageView.h"
#include "platform/ui/Layer.h"
#include "platform/ui/PinchGestureRecognizer.h"
#include "platform/ui/Slider.h"
#include "platform/ui/TapGestureRecognizer.h"
#include "platform/ui/Transaction.h"
#include "uikit/UIImageResize.h"

namespace zt {

namespace {

constexpr double kOverlayStep = 0.1;
constexpr double kTenthsPerUnit = 10;
constexpr double kFrontOnionAlpha = 0.7;
constexpr double kPanelMoveSeconds = 0.3;
constexpr double kPanelGap = 8.0;
constexpr double kZoomSeconds = 0.025;
constexpr double kSliderFadeSeconds = 0.25;
constexpr double kZoomSliderIdleSeconds = 3.0;
constexpr double kExposureSliderIdleSeconds = 2.0;
constexpr double kFocusBoxSide = 66;
constexpr double kFocusBoxSeconds = 0.25;
constexpr double kExposureSliderFadeInSeconds = 0.3;
constexpr double kFocusBoxFadeOutSeconds = 1.0;
constexpr plat::Point kExposureSliderOffset {10, 50};

}  // namespace

// Onion skin and overlay

void CaptureViewController::updateOnionSkinning()
{
    const FrameList& list = _project->getFrameList();
    int64_t capture = list.getCaptureIndex();
    if (list.count() < 2 || capture == plat::kNotFound)
        return;
    if (capture == 0)
        capture = list.count();
    ImageProducer producer(_project);
    _viewOnionFront->setImage(producer.getImageForFrameAtIndex(capture - 1));
    _viewOnionBack->setImage(producer.getImageForFrameAtIndex(capture - 2));
}

double CaptureViewController::snappedOverlayValue(double value)
{
    if (!std::isfinite(value))
        return 1.0;
    // Whole tenths counted on the value times ten, which keeps 0.35 a half.
    return std::round(value * kTenthsPerUnit) / kTenthsPerUnit;
}

void CaptureViewController::actionSliderOverlayValueChanged()
{
    double value = snappedOverlayValue(_sliderOverlayControl->value());
    _sliderOverlayControl->setValue(value);
    applyOverlay(_sliderOverlayControl->value());
}

void CaptureViewController::applyOverlay(double value)
{
    value = snappedOverlayValue(value);
    _sliderOverlayControl->setValue(value);
    value = _sliderOverlayControl->value();  // within the slider's range
    if (_captureSource && _captureSource->captureSourceViewCamera())
        _captureSource->captureSourceViewCamera()->setAlpha(value);
    _viewCameraContainer->setAlpha(value);
    if (isTablet()) {
        _viewCamera->setHidden(value == 0.0);
        _viewCameraContainer->setHidden(value == 0.0);
    }
    _dataManager->setOverlaySetting(static_cast<float>(value));
    _viewOnionFront->setAlpha(value < kOverlayStep ? 1.0 : kFrontOnionAlpha);
}

// Grid, sounds, options, camera switch

void CaptureViewController::actionGrid()
{
    _buttonGrid->setSelected(!_buttonGrid->isSelected());
    _viewGrid->setHidden(!_buttonGrid->isSelected());
    _dataManager->setIsGridEnabled(_buttonGrid->isSelected());
}

void CaptureViewController::actionSound()
{
    _buttonSound->setSelected(!_buttonSound->isSelected());
    const bool muted = _buttonSound->isSelected();
    _dataManager->setIsGUISoundEnabled(!muted);
    showMessageInHUD(plat::localized(muted ? "Sound disabled" : "Sound enabled"));
}

void CaptureViewController::actionCameraControls()
{
    _buttonOptions->setSelected(!_buttonOptions->isSelected());
    const bool shown = _buttonOptions->isSelected();
    auto panel = _viewCaptureControls;
    plat::View::animateWithDuration(kPanelMoveSeconds, [panel, shown] {
        plat::Rect frame = panel->frame();
        frame.origin = {0, shown ? 0.0 : -frame.height() - kPanelGap};
        panel->setFrame(frame);
    });
}

void CaptureViewController::actionCaptureDevice()
{
    if (!_captureSource)
        return;
    _captureSource->switchCaptureDevice();
    if (isTablet())
        plat::NotificationCenter::defaultCenter().post(kGotoCaptureFrameNotification, this);
}

// Mode toggles

void CaptureViewController::toggleMode(int64_t (CaptureController::*current)() const,
    void (CaptureController::*set)(int64_t), void (DataManager::*store)(int64_t),
    const std::shared_ptr<plat::Button>& button, const char* enabledMessage, const char* disabledMessage)
{
    if (!_captureSource)
        return;
    CaptureController& source = *_captureSource;
    (source.*set)((source.*current)() != kCaptureModeContinuous ? kCaptureModeContinuous : kCaptureModeLocked);
    const int64_t mode = (source.*current)();
    const char* message = mode == kCaptureModeContinuous ? enabledMessage
        : mode == kCaptureModeLocked                     ? disabledMessage
                                                         : nullptr;
    if (message) {
        std::weak_ptr<CaptureViewController> weakSelf = sharedAs<CaptureViewController>();
        std::string text = plat::localized(message);
        plat::DispatchQueue::mainQueue().async([weakSelf, text] {
            if (auto self = weakSelf.lock())
                self->showMessageInHUD(text);
        });
    }
    button->setSelected(mode == kCaptureModeContinuous);
    (_dataManager->*store)(mode);
}

void CaptureViewController::actionFocus()
{
    toggleMode(&CaptureController::focusMode, &CaptureController::setFocusMode, &DataManager::setFocusMode,
        _buttonFocus, "Autofocus enabled", "Autofocus disabled");
}

void CaptureViewController::actionExposure()
{
    toggleMode(&CaptureController::exposureMode, &CaptureController::setExposureMode, &DataManager::setExposureMode,
        _buttonExposure, "Automatic Exposure enabled", "Automatic Exposure disabled");
}

void CaptureViewController::actionWhiteBalance()
{
    toggleMode(&CaptureController::whiteBalanceMode, &CaptureController::setWhiteBalanceMode,
        &DataManager::setWhiteBalanceMode, _buttonWhiteBalance, "Automatic White Balance enabled",
        "Automatic White Balance disabled");
}

// Digital zoom

std::shared_ptr<const plat::Image> CaptureViewController::zoomedPicture(
    const std::shared_ptr<const plat::Image>& picture, double scale)
{
    if (!picture || !picture->bitmap() || !(scale > 1.0))
        return picture;
    // The centre cut is the same in stored pixels whichever way the picture
    // stands (a quarter turn only swaps the sides), so it is cut there and
    // the orientation kept: the scaled copy is drawn upright.
    const double w = picture->bitmap()->width();
    const double h = picture->bitmap()->height();
    const plat::Rect cut = plat::makeRect(w / 2 - w / (2 * scale), h / 2 - h / (2 * scale), w / scale, h / scale);
    auto cropped = croppedImage(*picture, cut);
    if (!cropped)
        return picture;
    plat::Image turned(cropped->bitmap(), 1.0, picture->imageOrientation());
    const plat::Size size = picture->size();
    auto scaled = resizedImage(
        turned, {size.width * picture->scale(), size.height * picture->scale()}, plat::InterpolationQuality::None);
    return scaled ? scaled : picture;
}

void CaptureViewController::updateZoomScale()
{
    const double scale = _effectiveScale.load();
    plat::Transaction::begin();
    plat::Transaction::setAnimationDuration(kZoomSeconds);
    _viewCamera->layer()->setAffineTransform(plat::AffineTransform::makeScale(scale, scale));
    plat::Transaction::commit();
    _sliderZoom->setValue(scale);
    _dataManager->setCameraEffectiveScale(static_cast<float>(scale));
}

void CaptureViewController::handlePinchGesture(plat::PinchGestureRecognizer& recognizer)
{
    if (!_captureSource || !_captureSource->getIsZoomSupported())
        return;
    switch (recognizer.state()) {
    case plat::GestureRecognizerState::Began: {
        _beginGestureScale = _effectiveScale.load();
        auto slider = _sliderZoom;
        plat::View::animateWithDuration(kSliderFadeSeconds, [slider] { slider->setAlpha(1.0); });
        break;
    }
    case plat::GestureRecognizerState::Changed: {
        const plat::Rect inside = _viewCamera->bounds();
        for (size_t i = 0; i < recognizer.numberOfTouches(); ++i) {
            if (!inside.contains(recognizer.locationOfTouch(i, _viewCamera.get())))
                return;
        }
        double scale = _beginGestureScale * recognizer.scale();
        if (!std::isfinite(scale))
            return;
        _effectiveScale = std::clamp(scale, kMinimumZoomScale, kMaximumZoomScale);
        updateZoomScale();
        break;
    }
    case plat::GestureRecognizerState::Ended:
    case plat::GestureRecognizerState::Cancelled:
        _dateZoomLastUse = plat::Date::now();
        break;
    default:
        break;
    }
}

void CaptureViewController::actionSliderZoomChanged()
{
    _effectiveScale = std::clamp(_sliderZoom->value(), kMinimumZoomScale, kMaximumZoomScale);
    updateZoomScale();
    _dateZoomLastUse = plat::Date::now();
}

void CaptureViewController::hideIdleSliders()
{
    const plat::Date now = plat::Date::now();
    if (_sliderZoom->alpha() == 1.0 && now.timeIntervalSinceDate(_dateZoomLastUse) > kZoomSliderIdleSeconds) {
        auto slider = _sliderZoom;
        plat::View::animateWithDuration(kSliderFadeSeconds, [slider] { slider->setAlpha(0); });
    }
    if (_sliderExposureBias->alpha() == 1.0
        && now.timeIntervalSinceDate(_dateLastExposureSliderUsed) > kExposureSliderIdleSeconds) {
        auto slider = _sliderExposureBias;
        auto box = _viewFocusRect;
        plat::View::animateWithDuration(kSliderFadeSeconds, [slider, box] {
            slider->setAlpha(0);
            box->setAlpha(0);
        });
    }
}

// Tap to focus and exposure bias

void CaptureViewController::doSingleTap(plat::TapGestureRecognizer& recognizer)
{
    if (!_captureSource)
        return;
    const plat::Point inCamera = recognizer.locationInView(_viewCamera.get());
    const plat::Point inScreen = recognizer.locationInView(view().get());
    if (!_viewCamera->bounds().contains(inCamera))
        return;
    if (_captureSource->focusAtPoint(inCamera))
        drawFocusBoxAtPointOfInterest(inScreen);
}

void CaptureViewController::drawFocusBoxAtPointOfInterest(plat::Point point)
{
    auto box = _viewFocusRect;
    box->setHidden(false);
    box->setFrame(view()->bounds());
    box->setAlpha(1.0);
    std::weak_ptr<CaptureViewController> weakSelf = sharedAs<CaptureViewController>();
    plat::View::animateWithDuration(
        kFocusBoxSeconds,
        [box, point] {
            box->setFrame(
                plat::makeRect(point.x - kFocusBoxSide / 2, point.y - kFocusBoxSide / 2, kFocusBoxSide, kFocusBoxSide));
        },
        [weakSelf, box](bool) {
            auto self = weakSelf.lock();
            if (!self || !self->_captureSource)
                return;
            const auto& source = *self->_captureSource;
            if (source.maxExposureTargetBias() != 0 && source.minExposureTargetBias() != 0) {
                auto slider = self->_sliderExposureBias;
                const plat::Point centre = box->center();
                slider->setCenter({centre.x + kExposureSliderOffset.x, centre.y + kExposureSliderOffset.y});
                slider->setValue(source.currentExposureTargetBias());
                plat::View::animateWithDuration(
                    kExposureSliderFadeInSeconds, [slider] { slider->setAlpha(1.0); },
                    [weakSelf](bool) {
                        if (auto shown = weakSelf.lock())
                            shown->_dateLastExposureSliderUsed = plat::Date::now();
                    });
            } else {
                plat::View::animateWithDuration(kFocusBoxFadeOutSeconds, [box] { box->setAlpha(0); });
            }
        });
}

void CaptureViewController::actionSliderExposureBiasChanged()
{
    if (_captureSource)
        _captureSource->changeExposureTargetBiasTo(static_cast<float>(_sliderExposureBias->value()));
    _dateLastExposureSliderUsed = plat::Date::now();
}

void CaptureViewController::sliderTouchEnded()
{
    _dateLastExposureSliderUsed = plat::Date::now();
}

}  // namespace zt
