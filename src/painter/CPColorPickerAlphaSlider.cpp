#include "painter/CPColorPickerAlphaSlider.h"

#include "platform/graphics/Image.h"
#include "platform/ui/GradientLayer.h"
#include "platform/ui/Screen.h"
#include "platform/ui/Transaction.h"

namespace zt {

namespace {
constexpr double kSideInset = 6;
constexpr double kEndInset = 18;
}  // namespace

std::shared_ptr<CPColorPickerAlphaSlider> CPColorPickerAlphaSlider::initWithFrame(plat::Rect frame)
{
    auto slider = std::make_shared<CPColorPickerAlphaSlider>(frame);
    slider->setUp();
    return slider;
}

CPColorPickerAlphaSlider::CPColorPickerAlphaSlider(plat::Rect frame)
    : CPUnitSlider(frame)
{
}

void CPColorPickerAlphaSlider::setUp()
{
    CPUnitSlider::setUp();
    _checkerboardView = std::make_shared<plat::View>();
    _checkerboardView->setBackgroundColor(
        plat::Color::colorWithPatternImage(plat::Image::imageNamed("checkerboard.png")));
    _checkerboardView->layer()->setCornerRadius(6);
    _checkerboardView->setClipsToBounds(true);
    _checkerboardView->setUserInteractionEnabled(false);
    _gradientLayer = plat::GradientLayer::layer();
    _gradientLayer->setCornerRadius(4);
    _gradientLayer->setBorderColor(plat::Color::whiteColor());
    _gradientLayer->setBorderWidth(2);
    _checkerboardView->layer()->addSublayer(_gradientLayer);
    placeGradient();
    addSubview(_checkerboardView);  // behind the knob (didAddSubview)
    setContentScaleFactor(plat::Screen::mainScreen().scale());
    setKeyColor(plat::Color::whiteColor());
}

void CPColorPickerAlphaSlider::setFrame(plat::Rect frame)
{
    CPUnitSlider::setFrame(frame);
    if (!_gradientLayer)
        return;  // still being made
    placeGradient();
    setValue(value());
}

void CPColorPickerAlphaSlider::placeGradient()
{
    const plat::Size size = frame().size;
    const plat::Rect area
        = plat::makeRect(kSideInset, kEndInset, size.width - 2 * kSideInset, size.height - 2 * kEndInset);
    _checkerboardView->setFrame(area);
    _gradientLayer->setBounds(plat::makeRect(0, 0, area.size.width, area.size.height));
    _gradientLayer->setPosition({area.size.width / 2, area.size.height / 2});
}

void CPColorPickerAlphaSlider::setKeyColor(const plat::Color& color)
{
    plat::Transaction::begin();
    plat::Transaction::setDisableActions(true);
    _gradientLayer->setColors({color, color.colorWithAlphaComponent(0)});
    plat::Transaction::commit();
}

}  // namespace zt
