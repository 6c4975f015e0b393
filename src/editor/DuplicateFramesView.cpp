#include "editor/DuplicateFramesView.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "document/FilledText.h"
#include "platform/foundation/Bundle.h"
#include "platform/foundation/Log.h"
#include "platform/ui/Button.h"
#include "platform/ui/Label.h"
#include "platform/ui/Layer.h"
#include "platform/ui/Slider.h"
#include "uikit/AppTint.h"

namespace zt {

DuplicateFramesView::DuplicateFramesView(int64_t startValue, std::function<void(int32_t times)> handler)
    : plat::ViewController("DuplicateFramesView")
    , _startValue(startValue)
    , _handler(std::move(handler))
{
    setContentSizeForViewInPopover(kPopoverSize);
}

void DuplicateFramesView::viewDidLoad()
{
    plat::ViewController::viewDidLoad();
    const std::string hold = plat::localized("Hold");
    if (_outlets.btnDublicate)
        _outlets.btnDublicate->setTitle(hold, plat::ControlStateNormal);
    if (_outlets.infoLabel)
        _outlets.infoLabel->setText(hold);
    if (_outlets.sliderTimer) {
        if (controlsTakeAppTint())
            _outlets.sliderTimer->setMinimumTrackTintColor(appTintColor());
        // A hold longer than the slider reaches must not shrink just because the panel opened and closed.
        const auto start = static_cast<double>(_startValue);
        if (start > _outlets.sliderTimer->maximumValue())
            _outlets.sliderTimer->setMaximumValue(start);
        _outlets.sliderTimer->setValue(start);
    }
    showValue();
}

int32_t DuplicateFramesView::chosenTimes() const
{
    if (!_outlets.sliderTimer)
        return static_cast<int32_t>(std::clamp<int64_t>(_startValue, 1, std::numeric_limits<int32_t>::max()));
    return static_cast<int32_t>(std::trunc(_outlets.sliderTimer->value()));
}

void DuplicateFramesView::updateLabels()
{
    const std::string text = filledText(plat::localized("Hold %d times"), {std::to_string(chosenTimes())});
    if (_outlets.infoLabel)
        _outlets.infoLabel->setText(text);
    if (_outlets.btnDublicate)
        _outlets.btnDublicate->setTitle(text, plat::ControlStateNormal);
}

namespace {

// A step button's ring is drawn by its layer, which does not dim with its
// title: it takes the title's colour for the state.
void showStepEnabled(plat::Button* button, bool enabled)
{
    if (!button)
        return;
    button->setEnabled(enabled);
    button->layer()->setBorderColor(button->currentTitleColor());
}

}  // namespace

void DuplicateFramesView::showValue()
{
    updateLabels();
    if (!_outlets.sliderTimer)
        return;
    const double value = _outlets.sliderTimer->value();
    showStepEnabled(_outlets.btnMinus.get(), value > _outlets.sliderTimer->minimumValue());
    showStepEnabled(_outlets.btnPlus.get(), value < _outlets.sliderTimer->maximumValue());
}

void DuplicateFramesView::actionSliderValueChanged(plat::Control&)
{
    showValue();
}

void DuplicateFramesView::stepBy(double times)
{
    if (!_outlets.sliderTimer)
        return;
    _outlets.sliderTimer->setValue(_outlets.sliderTimer->value() + times);
    showValue();
}

void DuplicateFramesView::actionPlus(plat::Control&)
{
    stepBy(1.0);
}

void DuplicateFramesView::actionMinus(plat::Control&)
{
    stepBy(-1.0);
}

void DuplicateFramesView::callHandler()
{
    if (auto handler = _handler)
        handler(chosenTimes());
}

void DuplicateFramesView::actionDuplicate(plat::Control&)
{
    callHandler();
}

void DuplicateFramesView::closeHandler()
{
    callHandler();
}

}  // namespace zt
