#include "editor/SpeedViewController.h"

#include <cmath>

#include "document/FailureAlerts.h"
#include "document/FormatterUtil.h"
#include "document/FrameList.h"
#include "document/ProjectModel.h"
#include "platform/foundation/Bundle.h"
#include "platform/foundation/Log.h"
#include "platform/ui/Label.h"
#include "platform/ui/Slider.h"
#include "uikit/AppTint.h"

namespace zt {

SpeedViewController::SpeedViewController(std::shared_ptr<ProjectModel> project)
    : plat::ViewController("SpeedViewController")
    , _project(std::move(project))
{
}

void SpeedViewController::viewDidLoad()
{
    plat::ViewController::viewDidLoad();
    if (_outlets.labelTitle)
        _outlets.labelTitle->setText(plat::localized("Movie Speed (frames/sec.)"));
    if (_outlets.sliderSpeed) {
        _outlets.sliderSpeed->setValue(storedRate().value_or(static_cast<double>(_project->recordFPS())));
        if (controlsTakeAppTint())
            _outlets.sliderSpeed->setMinimumTrackTintColor(appTintColor());
        // Opening shows the rate and stores nothing: a project only looked at stays as it was.
        if (_outlets.sliderSpeed->value() > 0)
            showDuration(_outlets.sliderSpeed->value());
    }
}

std::optional<double> SpeedViewController::storedRate() const
{
    // A missing or damaged rate plays at the default: the panel shows that one.
    auto metadata = _project->getMetaData();
    auto rate = metadata ? metadata->getDouble("RecordFPS") : std::nullopt;
    return rate && *rate >= 1 ? rate : std::nullopt;
}

std::string SpeedViewController::getFormatedDuration(int64_t seconds)
{
    return FormatterUtil::getFormatedDuration(static_cast<double>(seconds));
}

void SpeedViewController::updateValues()
{
    if (!_outlets.sliderSpeed)
        return;
    const double framesPerSecond = _outlets.sliderSpeed->value();
    if (!(framesPerSecond > 0)) {
        plat::log("speed panel: a rate of {} cannot be stored", framesPerSecond);
        return;
    }
    showDuration(framesPerSecond);
    // Whole frames per second, as the label shows them and the player and renderers read them.
    const auto rate = static_cast<int64_t>(framesPerSecond);
    const std::optional<double> before = storedRate();
    if (before && *before == static_cast<double>(rate))
        return;  // the same rate: the movie needs no new render
    auto stored = _project->changeMetaData({{"RecordFPS", rate}, {"RecordNeedsRendering", true}});
    if (stored.ok())
        return;
    plat::log("speed panel: the frame rate is not stored: {}", stored.error().description());
    const double shown = before.value_or(static_cast<double>(_project->recordFPS()));
    _outlets.sliderSpeed->setValue(shown);
    showDuration(shown);
    showFailureAlert(plat::localized("The speed could not be saved."), stored.error());
}

void SpeedViewController::showDuration(double framesPerSecond)
{
    const auto frames = static_cast<double>(_project->getFrameList().count());
    const auto seconds = static_cast<int64_t>(frames / framesPerSecond);
    if (_outlets.labelValue) {
        _outlets.labelValue->setText(plat::formatLine("{} {} {} FPS", getFormatedDuration(seconds),
            plat::localized("at"), static_cast<int64_t>(framesPerSecond)));
    }
}

void SpeedViewController::actionValueChanged(plat::Control&)
{
    if (!_outlets.sliderSpeed)
        return;
    _outlets.sliderSpeed->setValue(std::round(_outlets.sliderSpeed->value()));
    updateValues();
}

void SpeedViewController::stepBy(double framesPerSecond)
{
    if (!_outlets.sliderSpeed)
        return;
    _outlets.sliderSpeed->setValue(_outlets.sliderSpeed->value() + framesPerSecond);
    updateValues();
}

void SpeedViewController::actionPlus(plat::Control&)
{
    stepBy(1.0);
}

void SpeedViewController::actionMinus(plat::Control&)
{
    stepBy(-1.0);
}

}  // namespace zt
