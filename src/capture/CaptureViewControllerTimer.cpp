// The capture screen's volume-button shutter and interval timer.
#include <cmath>

#include "capture/CaptureLayouts.h"
#include "capture/CaptureViewController.h"
#include "capture/TimerConfigurationViewController.h"
#include "document/DataManager.h"
#include "document/ProjectModel.h"
#include "platform/foundation/Bundle.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/RunLoop.h"
#include "platform/media/AudioPlayer.h"
#include "platform/ui/Button.h"
#include "platform/ui/Label.h"
#include "platform/ui/Slider.h"
#include "platform/ui/Switch.h"
#include "platform/ui/SystemVolume.h"
#include "uikit/BubblePopoverController.h"
#include "uikit/QVCircularProgressView.h"

namespace zt {

namespace {

constexpr double kVolumeShutterDelaySeconds = 2.0;
constexpr double kVolumeViewHiddenSeconds = 3.0;
constexpr double kVolumeViewCentreY = -300;
constexpr double kTimedShotDelaySeconds = 0.1;
constexpr int32_t kBeepBeforeShotSeconds = 3;
constexpr float kTimerStartProgress = 0.01f;
constexpr plat::Size kTimerSettingsSize {320, 70};

// The interval of the project in whole seconds; 0 when it has none.
int64_t intervalSeconds(ProjectModel& project)
{
    auto metadata = project.getMetaData();
    if (!metadata)
        return 0;
    return metadata->get(TimerConfigurationViewController::kCaptureTimerValueKey).int64Value().value_or(0);
}

}  // namespace

// Volume-button shutter

void CaptureViewController::initVolumeControl()
{
    std::weak_ptr<CaptureViewController> weakSelf = sharedAs<CaptureViewController>();
    plat::NotificationCenter::defaultCenter().addObserver(
        this, plat::SystemVolumeDidChangeNotification, nullptr, [weakSelf](const plat::Notification& note) {
            if (auto self = weakSelf.lock())
                self->volumeChanged(note);
        });
    if (auto old = view()->viewWithTag(kVolumeViewTag))
        old->removeFromSuperview();
    // Stands for the system's volume view: while one is on screen the
    // system shows no volume display of its own.
    _volumeView = std::make_shared<plat::View>(_sliderZoom->frame());
    _volumeView->setCenter({_volumeView->center().x, kVolumeViewCentreY});
    _volumeView->setAlpha(1.0);
    _volumeView->setTag(kVolumeViewTag);
    view()->addSubview(_volumeView);
    _lastVolume = static_cast<float>(plat::SystemVolume::shared().outputVolume());
    plat::RunLoop::main().performAfterDelay(this, kVolumeShutterDelaySeconds, [weakSelf] {
        if (auto self = weakSelf.lock())
            self->_isVolumeControllerActiv = true;
    });
}

void CaptureViewController::volumeChanged(const plat::Notification& notification)
{
    if (_volumeView)
        _volumeView->setAlpha(1.0);
    std::optional<double> number = notification.userInfo.get(plat::AudioVolumeNotificationParameter).doubleValue();
    if (!number || !std::isfinite(*number))
        return;
    const float volume = static_cast<float>(*number);
    if (volume == _lastVolume)
        return;
    if (isTablet() && _sliderOverlayControl->value() == 0.0) {
        // The live picture is hidden: the buttons are volume buttons again.
        if (_volumeView)
            _volumeView->setAlpha(0.0);
        _lastVolume = volume;
        std::weak_ptr<CaptureViewController> weakSelf = sharedAs<CaptureViewController>();
        plat::RunLoop::main().performAfterDelay(this, kVolumeViewHiddenSeconds, [weakSelf] {
            if (auto self = weakSelf.lock())
                self->hideVolumeControllhandler();
        });
        return;
    }
    if (_recordBtn->isEnabled() && !_switchTimer->isOn() && _isVolumeControllerActiv && !_isControllsDisabled) {
        plat::SystemVolume::shared().setOutputVolume(_lastVolume);
        actionPauseRecord();
    }
}

void CaptureViewController::hideVolumeControllhandler()
{
    if (_volumeView)
        _volumeView->setAlpha(1.0);
}

// Interval timer

void CaptureViewController::actionTimer()
{
    if (!_captureSource || !_captureSource->isReadyToCapture()) {
        if (_captureSource && _captureSource->error())
            showError(_captureSource->error());
        _switchTimer->setOn(false);
        _btnTimerConfig->setEnabled(!_isControllsDisabled);
        _progressTimer->setHidden(true);
        return;
    }
    const bool on = _switchTimer->isOn();
    _btnTimerConfig->setEnabled(!on && !_isControllsDisabled);
    _progressTimer->setHidden(!on);
    if (on) {
        _lastIntervalTimestamp = 0;
        _labelTimer->setText(std::to_string(intervalSeconds(*_project)));
        _progressTimer->setProgress(kTimerStartProgress);
        showMessageInHUD(plat::localized("Timer enabled"));
    } else {
        if (_audioTimer && _audioTimer->isPlaying())
            _audioTimer->stop();
        showMessageInHUD(plat::localized("Timer disabled"));
    }
}

void CaptureViewController::countDownIntervalTimer()
{
    if (!_switchTimer->isOn())
        return;
    // Read at every tick: a change in the settings counts from the next one.
    const int64_t interval = intervalSeconds(*_project);
    const int32_t before = _lastIntervalTimestamp;
    const int32_t count = ++_lastIntervalTimestamp;
    // Without an interval there is no share to show and no shot to take.
    if (interval > 0)
        _progressTimer->setProgress(before < 0 ? 0.0f : static_cast<float>(count) / static_cast<float>(interval));
    _labelTimer->setText(std::to_string(interval - count));
    if (interval <= 0)
        return;
    if (count + kBeepBeforeShotSeconds == interval && _dataManager->isGUISoundEnabled())
        playSound(_audioTimer);
    if (count >= interval) {
        _lastIntervalTimestamp = 0;
        std::weak_ptr<CaptureViewController> weakSelf = sharedAs<CaptureViewController>();
        plat::RunLoop::main().performAfterDelay(this, kTimedShotDelaySeconds, [weakSelf] {
            if (auto self = weakSelf.lock())
                self->onCaptureImageTimer();
        });
    }
}

void CaptureViewController::onCaptureImageTimer()
{
    // The switch may have gone off, or the screen away, in the moment since the tick.
    if (_isClosing || _isInBackground || !_switchTimer->isOn() || !_captureSource)
        return;
    if (_dataManager->isGUISoundEnabled())
        playSound(_audioCamera);
    _captureSource->captureImage();
}

void CaptureViewController::actionTimerConfiguration()
{
    auto settings
        = std::make_shared<TimerConfigurationViewController>(TimerConfigurationViewController::kLayoutName, _project);
    settings->setContentSizeForViewInPopover(kTimerSettingsSize);
    _popoverController = std::make_shared<BubblePopoverController>(settings);
    // On a phone beside the bar, pointing at the button: above it, the
    // popover would lie over the shutter and the timer's switch. On a tablet
    // above the button at the toolbar's end, over the picture: beside it,
    // the popover would lie over the options and the timer's switch.
    _popoverController->presentPopoverFromRect(
        _btnTimerConfig->superview()->convertRect(_btnTimerConfig->frame(), view().get()), *view(),
        isTablet() ? kBubbleArrowDirectionDown : kBubbleArrowDirectionRight, /*animated=*/true);
}

}  // namespace zt
