#include "painter/CPColorPicker.h"

#include <algorithm>

#include "painter/CPColorCompareView.h"
#include "painter/CPColorPickerAlphaSlider.h"
#include "painter/CPColorPickerBrightnessSlider.h"
#include "painter/CPColorPickerSwatchView.h"
#include "platform/ui/Device.h"

namespace zt {

namespace {
const plat::Color kPhoneBackground = plat::Color::colorWithRed(0.225, 0.225, 0.225, 1);

struct RGB {
    float red = 0;
    float green = 0;
    float blue = 0;
};

// Colours of other models (patterns) read as black.
RGB componentsOf(const plat::Color& color)
{
    switch (color.colorSpaceModel()) {
    case plat::ColorSpaceModel::RGB:
        return {float(color.red()), float(color.green()), float(color.blue())};
    case plat::ColorSpaceModel::Monochrome:
        return {float(color.red()), float(color.red()), float(color.red())};
    default:
        return {};
    }
}
}  // namespace

HSVType rgbToHSV(float red, float green, float blue)
{
    const float lowest = std::min({red, green, blue});
    const float highest = std::max({red, green, blue});
    HSVType hsv;
    hsv.v = highest;
    if (highest == lowest)
        return hsv;
    // The sector opposite the smallest component, counted back by how far
    // the other two differ; red's sector ends at 1.0.
    float difference = 0;
    float sector = 0;
    if (lowest == red) {
        difference = green - blue;
        sector = 3;
    } else if (lowest == green) {
        difference = blue - red;
        sector = 5;
    } else {
        difference = red - green;
        sector = 1;
    }
    hsv.h = (sector - difference / (highest - lowest)) / 6;
    hsv.s = (highest - lowest) / highest;
    return hsv;
}

std::shared_ptr<CPColorPicker> CPColorPicker::initWithFrame(plat::Rect frame)
{
    auto picker = std::make_shared<CPColorPicker>(frame);
    picker->setUp();
    return picker;
}

CPColorPicker::CPColorPicker(plat::Rect frame)
    : plat::Control(frame)
{
}

void CPColorPicker::setUp()
{
    const bool tablet = plat::Device::currentDevice().userInterfaceIdiom() == plat::UserInterfaceIdiom::Pad;
    setBackgroundColor(tablet ? plat::Color::clearColor() : kPhoneBackground);
    _colorWheel = CPColorPickerHSWheel::initAtOrigin(kWheelOrigin);
    _colorWheel->addTarget(this, &CPColorPicker::colorWheelColorChanged, plat::ControlEventValueChanged);
    addSubview(_colorWheel);
    _brightnessSlider = CPColorPickerBrightnessSlider::initWithFrame(kBrightnessSliderFrame);
    _brightnessSlider->addTarget(this, &CPColorPicker::brightnessChanged, plat::ControlEventValueChanged);
    addSubview(_brightnessSlider);
    setSelectedColor(plat::Color::whiteColor());
    fixLocations();
}

void CPColorPicker::setSelectedColor(const plat::Color& color)
{
    _selectedColor = color;
    const RGB rgb = componentsOf(color);
    const HSVType hsv = rgbToHSV(rgb.red, rgb.green, rgb.blue);
    _colorWheel->setCurrentHSV(hsv);
    _brightnessSlider->setValue(hsv.v);
    if (_alphaSlider)
        _alphaSlider->setValue(color.alpha());
    _brightnessSlider->setKeyColor(plat::Color::colorWithHue(hsv.h, hsv.s, 1, 1));
    if (_alphaSlider)
        _alphaSlider->setKeyColor(plat::Color::colorWithHue(hsv.h, hsv.s, hsv.v, 1));
    if (_currentColorView)
        _currentColorView->setCurrentColor(color);
    sendActionsForControlEvents(plat::ControlEventValueChanged);
}

void CPColorPicker::setSelectedColor(const plat::Color& color, bool animated)
{
    if (!animated) {
        setSelectedColor(color);
        return;
    }
    plat::View::beginAnimations("CPColorPickerSelection", {});
    setSelectedColor(color);
    plat::View::commitAnimations();
}

void CPColorPicker::setOldColor(const plat::Color& color)
{
    _oldColor = color;
    if (_currentColorView)
        _currentColorView->setOldColor(color);
}

void CPColorPicker::setCurrentColorView(std::shared_ptr<CPColorCompareView> view)
{
    _currentColorView = std::move(view);
}

void CPColorPicker::colorWheelColorChanged(CPColorPickerHSWheel& wheel)
{
    const HSVType hsv = wheel.currentHSV();
    setSelectedColor(plat::Color::colorWithHue(hsv.h, hsv.s, _brightnessSlider->value(), 1));
}

void CPColorPicker::brightnessChanged()
{
    const HSVType hsv = _colorWheel->currentHSV();
    setSelectedColor(plat::Color::colorWithHue(hsv.h, hsv.s, _brightnessSlider->value(), 1));
}

void CPColorPicker::alphaChanged()
{
    const HSVType hsv = _colorWheel->currentHSV();
    const double alpha = _alphaSlider ? _alphaSlider->value() : 1.0;
    setSelectedColor(plat::Color::colorWithHue(hsv.h, hsv.s, _brightnessSlider->value(), alpha));
}

void CPColorPicker::swatchAction(plat::Control& swatch)
{
    if (auto* view = dynamic_cast<CPColorPickerSwatchView*>(&swatch))
        setSelectedColor(view->color(), /*animated=*/true);
}

void CPColorPicker::oldColor(plat::Control& compareView)
{
    if (auto* view = dynamic_cast<CPColorCompareView*>(&compareView))
        setSelectedColor(view->oldColor(), /*animated=*/true);
}

void CPColorPicker::layoutSubviews()
{
    plat::Control::layoutSubviews();
    fixLocations();
}

}  // namespace zt
