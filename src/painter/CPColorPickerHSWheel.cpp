#include "painter/CPColorPickerHSWheel.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "platform/graphics/Image.h"
#include "platform/ui/ImageView.h"
#include "platform/ui/Touch.h"

namespace zt {

std::shared_ptr<CPColorPickerHSWheel> CPColorPickerHSWheel::initAtOrigin(plat::Point origin)
{
    auto wheel = std::make_shared<CPColorPickerHSWheel>(plat::makeRect(origin.x, origin.y, kSide, kSide));
    wheel->setUp();
    return wheel;
}

CPColorPickerHSWheel::CPColorPickerHSWheel(plat::Rect frame)
    : plat::Control(frame)
{
}

void CPColorPickerHSWheel::setUp()
{
    _wheelImageView = std::make_shared<plat::ImageView>(plat::makeRect(0, 0, kSide, kSide));
    _wheelImageView->setImage(plat::Image::imageNamed("pickerColorWheel.png"));
    _wheelImageView->setContentMode(plat::ContentMode::TopLeft);
    addSubview(_wheelImageView);
    _wheelKnobView = std::make_shared<plat::ImageView>(plat::Image::imageNamed("colorPickerKnob.png"));
    addSubview(_wheelKnobView);
    setUserInteractionEnabled(true);
    setCurrentHSV({0, 0, 1});
}

void CPColorPickerHSWheel::setCurrentHSV(HSVType hsv)
{
    _currentHSV = {hsv.h, hsv.s, 1.0f};
    const plat::Rect wheel = _wheelImageView->frame();
    const double cx = wheel.size.width / 2;
    const double cy = wheel.size.height / 2;
    const double distance = (wheel.size.width / 2 - kRimInset) * hsv.s;
    const double angle = 2 * std::numbers::pi * hsv.h;
    const plat::Size knob = _wheelKnobView->frame().size;
    // The knob's corner on a whole point, so that its picture stays sharp.
    const double x = std::round(cx + std::cos(angle) * distance - knob.width / 2) + knob.width / 2;
    const double y = std::round(cy - std::sin(angle) * distance - knob.height / 2) + knob.height / 2;
    _wheelKnobView->setCenter({x + wheel.origin.x, y + wheel.origin.y});
}

void CPColorPickerHSWheel::mapPointToColor(plat::Point point)
{
    const plat::Size wheel = _wheelImageView->frame().size;
    const double cx = wheel.width / 2;
    const double cy = wheel.height / 2;
    const double dx = point.x - cx;
    const double dy = point.y - cy;
    double angle = (dx == 0 && dy == 0) ? 0 : std::atan(std::fabs(dy) / std::fabs(dx));
    if (point.x < cx)
        angle = std::numbers::pi - angle;
    if (point.y > cy)
        angle = 2 * std::numbers::pi - angle;
    const double distance = std::sqrt(dx * dx + dy * dy);
    const double saturation = distance < kCentreDeadRadius ? 0 : std::min(distance / (wheel.width / 2), 1.0);
    setCurrentHSV({static_cast<float>(angle / (2 * std::numbers::pi)), static_cast<float>(saturation), 1.0f});
    sendActionsForControlEvents(plat::ControlEventValueChanged);
}

plat::Point CPColorPickerHSWheel::pointInWheel(plat::Touch& touch) const
{
    return touch.locationInView(_wheelImageView.get());
}

bool CPColorPickerHSWheel::beginTrackingWithTouch(plat::Touch& touch, const plat::Event&)
{
    if (!_wheelImageView->frame().contains(touch.locationInView(this)))
        return false;
    mapPointToColor(pointInWheel(touch));
    return true;
}

bool CPColorPickerHSWheel::continueTrackingWithTouch(plat::Touch& touch, const plat::Event&)
{
    mapPointToColor(pointInWheel(touch));
    return true;
}

void CPColorPickerHSWheel::endTrackingWithTouch(plat::Touch& touch, const plat::Event&)
{
    mapPointToColor(pointInWheel(touch));
}

}  // namespace zt
