#include "painter/PainterToolSizeViewController.h"

#include <cmath>

#include "painter/PainterBrush.h"
#include "painter/PainterToolSizeBrushView.h"
#include "platform/foundation/Bundle.h"
#include "platform/ui/Button.h"
#include "platform/ui/Layer.h"
#include "platform/ui/Slider.h"

namespace zt {

namespace {
constexpr double kPreviewSide = 60;
constexpr double kStepButtonSide = 32;
constexpr double kMargin = 10;

std::shared_ptr<plat::Button> makeStepButton(plat::Rect frame, const std::string& title, const std::string& label)
{
    auto button = plat::Button::buttonWithType(plat::ButtonType::System);
    button->setFrame(frame);
    button->setTitle(title, plat::ControlStateNormal);
    button->setTitleColor(plat::Color::whiteColor(), plat::ControlStateNormal);
    button->setBackgroundColor(plat::Color::colorWithWhite(1, 0.15));
    button->layer()->setCornerRadius(kStepButtonSide / 2);
    button->setAccessibilityLabel(plat::localized(label));
    return button;
}
}  // namespace

PainterToolSizeViewController::PainterToolSizeViewController()
{
    setContentSizeForViewInPopover(kViewSize);
}

void PainterToolSizeViewController::loadView()
{
    auto root = std::make_shared<plat::View>(plat::makeRect(0, 0, kViewSize.width, kViewSize.height));
    root->setBackgroundColor(plat::Color::colorWithWhite(0.225, 1));
    _viewBrush = std::make_shared<PainterToolSizeBrushView>(
        plat::makeRect((kViewSize.width - kPreviewSide) / 2, kMargin, kPreviewSide, kPreviewSide));
    _viewBrush->setBackgroundColor(plat::Color::colorWithWhite(1, 1));
    _viewBrush->layer()->setCornerRadius(kPreviewSide / 2);
    root->addSubview(_viewBrush);
    const double rowY = kMargin + kPreviewSide + kMargin;
    auto minus = makeStepButton(plat::makeRect(kMargin, rowY, kStepButtonSide, kStepButtonSide), "-", "Smaller");
    minus->addTarget(this, &PainterToolSizeViewController::actionMinus, plat::ControlEventTouchUpInside);
    root->addSubview(minus);
    auto plus = makeStepButton(
        plat::makeRect(kViewSize.width - kMargin - kStepButtonSide, rowY, kStepButtonSide, kStepButtonSide), "+",
        "Larger");
    plus->addTarget(this, &PainterToolSizeViewController::actionPlus, plat::ControlEventTouchUpInside);
    root->addSubview(plus);
    const double sliderX = 2 * kMargin + kStepButtonSide;
    _sliderSize
        = std::make_shared<plat::Slider>(plat::makeRect(sliderX, rowY, kViewSize.width - 2 * sliderX, kStepButtonSide));
    _sliderSize->setMinimumValue(kMinimumSize);
    _sliderSize->setMaximumValue(kMaximumSize);
    _sliderSize->addTarget(this, &PainterToolSizeViewController::actionValueChanged, plat::ControlEventValueChanged);
    root->addSubview(_sliderSize);
    setView(root);
}

void PainterToolSizeViewController::viewDidLoad()
{
    plat::ViewController::viewDidLoad();
    if (_brush)
        _sliderSize->setValue(static_cast<double>(_brush->size()));
    _viewBrush->setBrush(_brush);
}

void PainterToolSizeViewController::actionValueChanged(plat::Slider& sender)
{
    sender.setValue(std::round(sender.value()));
    updateValues();
}

void PainterToolSizeViewController::actionPlus()
{
    view();
    _sliderSize->setValue(_sliderSize->value() + 1);
    updateValues();
}

void PainterToolSizeViewController::actionMinus()
{
    view();
    _sliderSize->setValue(_sliderSize->value() - 1);
    updateValues();
}

void PainterToolSizeViewController::updateValues()
{
    if (_brush)
        _brush->setSize(static_cast<int64_t>(_sliderSize->value()));
    _viewBrush->setNeedsDisplay();
}

}  // namespace zt
