#pragma once
#include <memory>
#include <string>

#include "platform/ui/ViewController.h"

namespace plat {
class Label;
class Slider;
}  // namespace plat

namespace zt {

class ProjectModel;

// The interval timer's settings, shown in a popover of the capture screen:
// a slider in steps of five seconds with a minus and a plus button, and the
// chosen length. The length belongs to the project ("CaptureTimerValue",
// whole seconds), which is saved at every change and already when the
// settings open. Main thread.
class TimerConfigurationViewController : public plat::ViewController {
public:
    static constexpr const char* kLayoutName = "TimerConfigurationViewController";
    static constexpr const char* kCaptureTimerValueKey = "CaptureTimerValue";
    static constexpr int64_t kDefaultSeconds = 30;
    static constexpr double kStepSeconds = 5;

    // initWithNibName:bundle:project:
    TimerConfigurationViewController(std::string nibName, std::shared_ptr<ProjectModel> project);

    void viewDidLoad() override;

    void actionSliderValueChanged();
    void actionPlus();
    void actionMinus();
    // Shows the slider's whole seconds and stores them in the project.
    void updateLabels();

    const std::shared_ptr<plat::Label>& labelValue() const { return _labelValue; }
    void setLabelValue(std::shared_ptr<plat::Label> label) { _labelValue = std::move(label); }
    const std::shared_ptr<plat::Slider>& sliderTimer() const { return _sliderTimer; }
    void setSliderTimer(std::shared_ptr<plat::Slider> slider) { _sliderTimer = std::move(slider); }

private:
    std::shared_ptr<plat::Label> _labelValue;
    std::shared_ptr<plat::Slider> _sliderTimer;
    std::shared_ptr<ProjectModel> _project;
};

}  // namespace zt
