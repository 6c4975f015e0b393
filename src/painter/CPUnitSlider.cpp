#include "painter/CPUnitSlider.h"

#include <algorithm>
#include <cmath>

#include "platform/graphics/Image.h"
#include "platform/ui/ImageView.h"
#include "platform/ui/Touch.h"

namespace zt {

std::shared_ptr<CPUnitSlider> CPUnitSlider::initWithFrame(plat::Rect frame)
{
    auto slider = std::make_shared<CPUnitSlider>(frame);
    slider->setUp();
    return slider;
}

CPUnitSlider::CPUnitSlider(plat::Rect frame)
    : plat::Control(frame)
{
}

void CPUnitSlider::setUp()
{
    _sliderKnobView = std::make_shared<plat::ImageView>(plat::Image::imageNamed("colorPickerKnob.png"));
    addSubview(_sliderKnobView);
    setBackgroundColor(plat::Color::clearColor());
    setUserInteractionEnabled(true);
    setValue(0);
}

void CPUnitSlider::setValue(double value)
{
    _value = std::clamp(value, 0.0, 1.0);
    const plat::Size knob = _sliderKnobView->frame().size;
    // Whole points, so that the knob's picture is not smudged between pixels.
    const double x = std::round((bounds().size.width - knob.width) / 2) + knob.width / 2;
    const double y = std::round((1 - _value) * (frame().size.height - 2 * kEndMargin) - knob.height / 2)
        + knob.height / 2 + kEndMargin;
    _sliderKnobView->setCenter({x, y});
}

void CPUnitSlider::mapPointToValue(plat::Point point)
{
    setValue(1 - (point.y - kEndMargin) / (frame().size.height - 2 * kEndMargin));
    sendActionsForControlEvents(plat::ControlEventValueChanged);
}

bool CPUnitSlider::beginTrackingWithTouch(plat::Touch& touch, const plat::Event&)
{
    mapPointToValue(touch.locationInView(this));
    return true;
}

bool CPUnitSlider::continueTrackingWithTouch(plat::Touch& touch, const plat::Event&)
{
    mapPointToValue(touch.locationInView(this));
    return true;
}

void CPUnitSlider::endTrackingWithTouch(plat::Touch& touch, const plat::Event&)
{
    mapPointToValue(touch.locationInView(this));
}

void CPUnitSlider::didAddSubview(plat::View& subview)
{
    if (_sliderKnobView && &subview != _sliderKnobView.get())
        bringSubviewToFront(*_sliderKnobView);
}

}  // namespace zt
