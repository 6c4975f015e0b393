#pragma once
#include <cstdint>
#include <functional>
#include <memory>

#include "platform/ui/ViewController.h"

namespace plat {
class Button;
class Control;
class Label;
class Slider;
}  // namespace plat

namespace zt {

// The hold panel of the strip's frame menu: a slider with plus and minus
// for how many times a frame is shown, and a button that applies it.
// Closing its popover by a touch beside it applies the count too. Lives
// while its popover is open. Main thread.
class DuplicateFramesView : public plat::ViewController {
public:
    static constexpr plat::Size kPopoverSize {320, 70};

    // initWithStartValue:handler:
    DuplicateFramesView(int64_t startValue, std::function<void(int32_t times)> handler);

    struct Outlets {
        std::shared_ptr<plat::Slider> sliderTimer;
        std::shared_ptr<plat::Label> infoLabel;
        std::shared_ptr<plat::Button> btnDublicate;
        // The step buttons, dimmed at the slider's ends where they would do nothing.
        std::shared_ptr<plat::Button> btnMinus;
        std::shared_ptr<plat::Button> btnPlus;
    };
    void setOutlets(Outlets outlets) { _outlets = std::move(outlets); }
    const Outlets& outlets() const { return _outlets; }
    int64_t startValue() const { return _startValue; }

    void viewDidLoad() override;
    void updateLabels();
    void actionSliderValueChanged(plat::Control& sender);
    void actionPlus(plat::Control& sender);
    void actionMinus(plat::Control& sender);
    void actionDuplicate(plat::Control& sender);
    // The popover closed by a touch beside it: the count applies.
    void closeHandler();
    // The slider's value, truncated.
    int32_t chosenTimes() const;

private:
    void stepBy(double times);
    void callHandler();
    // The labels and the step buttons for the slider's value.
    void showValue();

    int64_t _startValue;
    std::function<void(int32_t)> _handler;
    Outlets _outlets;
};

}  // namespace zt
