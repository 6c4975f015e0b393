#include "painter/CPColorPickerBrightnessSlider.h"

#include "platform/ui/GradientLayer.h"
#include "platform/ui/Screen.h"
#include "platform/ui/Transaction.h"

namespace zt {

namespace {
// The gradient leaves room for the knob's rim at the sides and its ends.
constexpr double kGradientSideInset = 12;
constexpr double kGradientEndInset = 36;
}  // namespace

std::shared_ptr<CPColorPickerBrightnessSlider> CPColorPickerBrightnessSlider::initWithFrame(plat::Rect frame)
{
    auto slider = std::make_shared<CPColorPickerBrightnessSlider>(frame);
    slider->setUp();
    return slider;
}

CPColorPickerBrightnessSlider::CPColorPickerBrightnessSlider(plat::Rect frame)
    : CPUnitSlider(frame)
{
}

void CPColorPickerBrightnessSlider::setUp()
{
    CPUnitSlider::setUp();
    _gradientLayer = plat::GradientLayer::layer();
    _gradientLayer->setCornerRadius(3);
    _gradientLayer->setBorderColor(plat::Color::whiteColor());
    _gradientLayer->setBorderWidth(1);
    layer()->insertSublayer(_gradientLayer, 0);
    placeGradient();
    setContentScaleFactor(plat::Screen::mainScreen().scale());
    setKeyColor(plat::Color::whiteColor());
}

void CPColorPickerBrightnessSlider::setFrame(plat::Rect frame)
{
    CPUnitSlider::setFrame(frame);
    if (!_gradientLayer)
        return;  // still being made
    placeGradient();
    setValue(value());
}

void CPColorPickerBrightnessSlider::placeGradient()
{
    const plat::Size size = frame().size;
    _gradientLayer->setBounds(plat::makeRect(0, 0, size.width - kGradientSideInset, size.height - kGradientEndInset));
    _gradientLayer->setPosition({size.width / 2, size.height / 2});
}

void CPColorPickerBrightnessSlider::setKeyColor(const plat::Color& color)
{
    plat::Transaction::begin();
    plat::Transaction::setDisableActions(true);
    _gradientLayer->setColors({color, plat::Color::blackColor()});
    plat::Transaction::commit();
}

}  // namespace zt
