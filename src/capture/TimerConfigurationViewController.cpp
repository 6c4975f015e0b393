#include "capture/TimerConfigurationViewController.h"

#include <cmath>

#include "document/FailureAlerts.h"
#include "document/FilledText.h"
#include "document/ProjectModel.h"
#include "platform/foundation/Bundle.h"
#include "platform/foundation/Log.h"
#include "platform/ui/Label.h"
#include "platform/ui/Slider.h"

namespace zt {

TimerConfigurationViewController::TimerConfigurationViewController(
    std::string nibName, std::shared_ptr<ProjectModel> project)
    : plat::ViewController(std::move(nibName))
    , _project(std::move(project))
{
}

void TimerConfigurationViewController::viewDidLoad()
{
    plat::ViewController::viewDidLoad();
    _sliderTimer->setMinimumTrackTintColor(plat::Color::colorWithRed(212 / 255.0, 3 / 255.0, 215 / 255.0, 1));
    auto metadata = _project->getMetaData();
    int64_t seconds = metadata ? metadata->get(kCaptureTimerValueKey).int64Value().value_or(0) : 0;
    if (seconds == 0)
        seconds = kDefaultSeconds;
    _sliderTimer->setValue(static_cast<double>(seconds));
    updateLabels();
}

void TimerConfigurationViewController::updateLabels()
{
    const auto seconds = static_cast<int64_t>(std::trunc(_sliderTimer->value()));
    _labelValue->setText(filledText(plat::localized("%d seconds"), {std::to_string(seconds)}));
    auto metadata = _project->getMetaData();
    if (!metadata) {
        plat::log("timer settings: the project's metadata cannot be read; the interval is not stored");
        return;
    }
    const auto storedSeconds = metadata->get(kCaptureTimerValueKey).int64Value();
    auto stored = _project->changeMetaData({{kCaptureTimerValueKey, seconds}});
    if (stored.ok())
        return;
    plat::log("timer settings: the interval could not be saved: {}", stored.error().description());
    // Opening the screen stores the interval it shows again: nothing the person chose is lost then.
    const int64_t shownBefore = storedSeconds.value_or(0) == 0 ? kDefaultSeconds : *storedSeconds;
    if (shownBefore == seconds)
        return;
    _sliderTimer->setValue(static_cast<double>(shownBefore));
    _labelValue->setText(filledText(plat::localized("%d seconds"), {std::to_string(shownBefore)}));
    showFailureAlert(plat::localized("The interval could not be saved."), stored.error());
}

void TimerConfigurationViewController::actionSliderValueChanged()
{
    _sliderTimer->setValue(std::round(_sliderTimer->value() / kStepSeconds) * kStepSeconds);
    updateLabels();
}

void TimerConfigurationViewController::actionPlus()
{
    _sliderTimer->setValue(_sliderTimer->value() + kStepSeconds);
    updateLabels();
}

void TimerConfigurationViewController::actionMinus()
{
    _sliderTimer->setValue(_sliderTimer->value() - kStepSeconds);
    updateLabels();
}

}  // namespace zt
