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
        auto metadata = _project->getMetaData();
        _outlets.sliderSpeed->setValue(metadata ? metadata->getDouble("RecordFPS").value_or(0) : 0);
        if (controlsTakeAppTint())
            _outlets.sliderSpeed->setMinimumTrackTintColor(appTintColor());
    }
    updateValues();
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
    auto metadata = _project->getMetaData();
    if (!metadata)
        return;
    const double storedRate = metadata->getDouble("RecordFPS").value_or(0);
    const double rate = static_cast<float>(framesPerSecond);
    auto stored = _project->changeMetaData({{"RecordFPS", rate}, {"RecordNeedsRendering", true}});
    if (stored.ok())
        return;
    plat::log("speed panel: the frame rate is not stored: {}", stored.error().description());
    // Opening the panel stores the rate it shows again: nothing the person chose is lost then.
    if (storedRate == rate)
        return;
    _outlets.sliderSpeed->setValue(storedRate);
    if (storedRate > 0)
        showDuration(storedRate);
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
