#include "painter/ColorPaletteViewController.h"

#include <string>

#include "platform/foundation/Bundle.h"
#include "platform/ui/Button.h"
#include "platform/ui/Layer.h"
#include "platform/ui/LayoutRegistry.h"

namespace zt {

namespace {
constexpr double kBarWidth = 568;
constexpr double kBarHeight = 60;
constexpr double kSwatchSide = 40;
constexpr double kSwatchGap = 12;
constexpr double kHideWidth = 80;
constexpr double kHideHeight = 32;
const plat::Color kBarColor = plat::Color::colorWithWhite(0.12, 0.85);

void styleNormal(plat::Button& swatch)
{
    swatch.layer()->setCornerRadius(swatch.frame().size.width / 2);
    swatch.layer()->setBorderColor(plat::Color::colorWithWhite(1, 0.3));
    swatch.layer()->setBorderWidth(1.0);
}

void styleSelected(plat::Button& swatch)
{
    swatch.layer()->setBorderColor(plat::Color::colorWithWhite(1, 1.0));
    swatch.layer()->setBorderWidth(3.0);
}

std::shared_ptr<plat::View> buildPalette(plat::ViewController& owner)
{
    auto root = std::make_shared<plat::View>(plat::makeRect(0, 0, kBarWidth, kBarHeight));
    root->setBackgroundColor(kBarColor);
    root->setAutoresizingMask(plat::ViewAutoresizingFlexibleWidth);
    const double rowWidth = ColorPaletteViewController::kColorCount * kSwatchSide
        + (ColorPaletteViewController::kColorCount - 1) * kSwatchGap;
    // The row stays in the middle of the bar at any width and height.
    auto row = std::make_shared<plat::View>(
        plat::makeRect((kBarWidth - rowWidth) / 2, (kBarHeight - kSwatchSide) / 2, rowWidth, kSwatchSide));
    row->setAutoresizingMask(plat::ViewAutoresizingFlexibleLeftMargin | plat::ViewAutoresizingFlexibleRightMargin
        | plat::ViewAutoresizingFlexibleTopMargin | plat::ViewAutoresizingFlexibleBottomMargin);
    root->addSubview(row);
    for (int64_t index = 0; index < ColorPaletteViewController::kColorCount; ++index) {
        auto swatch = plat::Button::buttonWithType(plat::ButtonType::Custom);
        swatch->setFrame(plat::makeRect(double(index) * (kSwatchSide + kSwatchGap), 0, kSwatchSide, kSwatchSide));
        swatch->setTag(index);
        swatch->setAccessibilityLabel(plat::localized("Colour") + " " + std::to_string(index + 1));
        row->addSubview(swatch);
        owner.setOutlet("btnColor" + std::to_string(index + 1), swatch);
    }
    auto hide = plat::Button::buttonWithType(plat::ButtonType::System);
    hide->setFrame(
        plat::makeRect((kBarWidth - kHideWidth) / 2, (kBarHeight - kHideHeight) / 2, kHideWidth, kHideHeight));
    hide->setAutoresizingMask(row->autoresizingMask());
    hide->setTitle(plat::localized("Hide"), plat::ControlStateNormal);
    hide->setTitleColor(plat::Color::whiteColor(), plat::ControlStateNormal);
    hide->setBackgroundColor(plat::Color::colorWithWhite(1, 0.12));
    hide->layer()->setCornerRadius(6);
    hide->setHidden(true);
    root->addSubview(hide);
    owner.setOutlet("btnHide", hide);
    return root;
}
}  // namespace

void registerColorPaletteLayout()
{
    plat::LayoutRegistry::registerLayout(ColorPaletteViewController::kLayoutName, buildPalette);
}

ColorPaletteViewController::ColorPaletteViewController()
    : plat::ViewController(kLayoutName)
{
}

ColorPaletteViewController::~ColorPaletteViewController()
{
    if (_popoverController)
        _popoverController->dismissPopoverAnimated(/*animated=*/false);
}

void ColorPaletteViewController::loadView()
{
    if (!plat::LayoutRegistry::hasLayout(kLayoutName))
        registerColorPaletteLayout();
    plat::ViewController::loadView();
}

void ColorPaletteViewController::viewDidLoad()
{
    plat::ViewController::viewDidLoad();
    _buttons.clear();
    for (int64_t index = 0; index < kColorCount; ++index) {
        auto swatch = std::dynamic_pointer_cast<plat::Button>(outlet("btnColor" + std::to_string(index + 1)));
        if (!swatch)
            continue;
        styleNormal(*swatch);
        swatch->addTarget(this, &ColorPaletteViewController::actionChangeColor, plat::ControlEventTouchUpInside);
        _buttons.push_back(swatch);
    }
    _btnHide = std::dynamic_pointer_cast<plat::Button>(outlet("btnHide"));
    if (_btnHide)
        _btnHide->addTarget(this, &ColorPaletteViewController::actionHide, plat::ControlEventTouchUpInside);
}

void ColorPaletteViewController::viewDidUnload()
{
    _buttons.clear();
    _selectedButton = nullptr;
}

std::shared_ptr<plat::Button> ColorPaletteViewController::buttonAtIndex(int64_t index) const
{
    if (index < 0 || index >= static_cast<int64_t>(_buttons.size()))
        return nullptr;
    return _buttons[static_cast<size_t>(index)];
}

void ColorPaletteViewController::setColor(const plat::Color& color, int64_t index)
{
    view();
    if (auto swatch = buttonAtIndex(index))
        swatch->setBackgroundColor(color);
}

plat::Color ColorPaletteViewController::getColorAtIndex(int64_t index) const
{
    auto swatch = buttonAtIndex(index);
    return swatch ? swatch->backgroundColor().value_or(plat::Color::clearColor()) : plat::Color::clearColor();
}

std::vector<plat::Color> ColorPaletteViewController::getColors() const
{
    std::vector<plat::Color> colors;
    for (int64_t index = 0; index < static_cast<int64_t>(_buttons.size()); ++index)
        colors.push_back(getColorAtIndex(index));
    return colors;
}

void ColorPaletteViewController::select(const std::shared_ptr<plat::Button>& button)
{
    if (_selectedButton) {
        _selectedButton->setSelected(false);
        styleNormal(*_selectedButton);
    }
    _selectedButton = button;
    _selectedButton->setSelected(true);
    styleSelected(*_selectedButton);
    reportSelectedColor();
}

void ColorPaletteViewController::reportSelectedColor()
{
    if (!_selectedButton)
        return;
    if (auto delegate = _delegate.lock())
        delegate->colorPaleteDidSelectColor(
            _selectedButton->backgroundColor().value_or(plat::Color::clearColor()), _selectedButton->tag());
}

void ColorPaletteViewController::setSelectedColorAtIndex(int64_t index)
{
    view();
    if (auto swatch = buttonAtIndex(index))
        select(swatch);
}

void ColorPaletteViewController::hideColors()
{
    view();
    for (const auto& swatch : _buttons)
        swatch->setHidden(true);
}

void ColorPaletteViewController::showHide()
{
    view();
    if (_btnHide)
        _btnHide->setHidden(false);
}

void ColorPaletteViewController::actionChangeColor(plat::Button& sender)
{
    if (&sender == _selectedButton.get()) {
        showColorPickerFromButton(sender, sender.backgroundColor().value_or(plat::Color::clearColor()));
        return;
    }
    if (auto swatch = buttonAtIndex(sender.tag()); swatch.get() == &sender)
        select(swatch);
}

void ColorPaletteViewController::actionHide()
{
    if (auto delegate = _delegate.lock())
        delegate->colorPaleteDidSelectHide();
}

void ColorPaletteViewController::showColorPickerFromButton(plat::Button& button, const plat::Color& color)
{
    auto picker = std::make_shared<CPDefaultColorViewController>();
    picker->setSelectedColor(color);
    picker->setDelegate(sharedAs<ColorPaletteViewController>());
    if (_popoverController)
        _popoverController->dismissPopoverAnimated(/*animated=*/false);
    _popoverController = std::make_shared<BubblePopoverController>(picker);
    _popoverController->setDelegate(sharedAs<ColorPaletteViewController>());
    const auto from = button.superview();
    const plat::Rect anchor = from ? from->convertRect(button.frame(), view().get()) : button.frame();
    _popoverController->presentPopoverFromRect(anchor, *view(), kBubbleArrowDirectionAny, /*animated=*/true);
}

void ColorPaletteViewController::defaultColorController(CPDefaultColorViewController&, const plat::Color& color)
{
    if (_selectedButton)
        _selectedButton->setBackgroundColor(color);
}

void ColorPaletteViewController::popoverControllerDidDismissPopover(BubblePopoverController&)
{
    reportSelectedColor();
}

}  // namespace zt
