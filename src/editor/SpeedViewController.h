#pragma once
#include <memory>
#include <optional>
#include <string>

#include "platform/ui/ViewController.h"

namespace plat {
class Control;
class Label;
class Slider;
}  // namespace plat

namespace zt {
class ProjectModel;

// The frame-rate panel of the playback options: a slider with plus and
// minus buttons, and the movie's length at that rate. A change of the rate
// stores "RecordFPS" (an integer), marks the movie for rendering and saves
// the metadata; opening the panel stores nothing. Main thread.
class SpeedViewController : public plat::ViewController {
public:
    explicit SpeedViewController(std::shared_ptr<ProjectModel> project);  // initWithProject:

    // The views the layout connects.
    struct Outlets {
        std::shared_ptr<plat::Label> labelTitle;
        std::shared_ptr<plat::Label> labelValue;
        std::shared_ptr<plat::Slider> sliderSpeed;
    };
    void setOutlets(Outlets outlets) { _outlets = std::move(outlets); }
    const Outlets& outlets() const { return _outlets; }

    void viewDidLoad() override;
    void updateValues();
    // "01:15", or "01:02:05" from an hour on.
    static std::string getFormatedDuration(int64_t seconds);

    // Rounds the slider to whole frames per second (halves away from zero).
    void actionValueChanged(plat::Control& sender);
    void actionPlus(plat::Control& sender);
    void actionMinus(plat::Control& sender);

private:
    void stepBy(double framesPerSecond);
    void showDuration(double framesPerSecond);
    // "RecordFPS" as stored, when it is a rate the movie plays at (1 or more).
    std::optional<double> storedRate() const;

    std::shared_ptr<ProjectModel> _project;
    Outlets _outlets;
};

}  // namespace zt
