#include "uikit/CAGridViewItem.h"

#include <cmath>
#include <random>

#include "platform/graphics/Image.h"
#include "platform/ui/Button.h"
#include "platform/ui/ImageView.h"
#include "platform/ui/Label.h"
#include "platform/ui/PopoverController.h"

namespace zt {

namespace {

constexpr double kLabelInset = 5;
constexpr double kLabelTop = 60;
constexpr int kLabelLines = 2;
constexpr int kColorSteps = 255;  // random components take the steps 0 to 254

}  // namespace

CAGridViewItem::CAGridViewItem(std::string title, std::shared_ptr<const plat::Image> image, std::function<void()> block)
    : plat::View(plat::makeRect(0, 0, kItemSide, kItemSide))
    , _image(std::move(image))
    , _titleText(std::move(title))
    , _block(std::move(block))
{
    setUserInteractionEnabled(true);
    setBackgroundColor(plat::Color::clearColor());
}

std::shared_ptr<CAGridViewItem> CAGridViewItem::initWithTitle(
    std::string title, std::shared_ptr<const plat::Image> image, std::function<void()> block)
{
    auto item = std::make_shared<CAGridViewItem>(std::move(title), std::move(image), std::move(block));
    item->setUp();
    return item;
}

void CAGridViewItem::setUp()
{
    const plat::Rect bounds = this->bounds();
    _targetZoneButton = plat::Button::buttonWithType(plat::ButtonType::Custom);
    _targetZoneButton->setFrame(bounds);
    _targetZoneButton->setAutoresizingMask(plat::ViewAutoresizingFlexibleWidth | plat::ViewAutoresizingFlexibleHeight);
    _targetZoneButton->addTarget(this, &CAGridViewItem::clickItem, plat::ControlEventTouchUpInside);
    addSubview(_targetZoneButton);

    _button = plat::Button::buttonWithType(plat::ButtonType::Custom);
    _button->setFrame(plat::makeRect(0, 0, bounds.width(), bounds.height() - 20));
    _button->setBackgroundColor(plat::Color::clearColor());
    _button->setImage(_image, plat::ControlStateNormal);
    _button->imageView()->setContentMode(plat::ContentMode::ScaleAspectFit);
    _button->addTarget(this, &CAGridViewItem::clickItem, plat::ControlEventTouchUpInside);
    _button->setAutoresizingMask(plat::ViewAutoresizingFlexibleWidth);
    addSubview(_button);

    _label = std::make_shared<plat::Label>(
        plat::makeRect(kLabelInset, kLabelTop, bounds.width() - 2 * kLabelInset, kLabelHeight));
    _label->setAutoresizingMask(plat::ViewAutoresizingFlexibleWidth);
    _label->setText(_titleText);
    _label->setFont(plat::Font::systemFontOfSize(kTitleFontSize));
    _label->setTextColor(plat::Color::blackColor());
    _label->setAdjustsFontSizeToFitWidth(true);
    _label->setTextAlignment(plat::TextAlignment::Center);
    _label->setLineBreakMode(plat::LineBreakMode::TruncatingTail);
    _label->setNumberOfLines(kLabelLines);
    _label->setBackgroundColor(plat::Color::clearColor());
    _label->setUserInteractionEnabled(false);
    if (_isLabelFontAutoShrink)
        shrinkLabelFont();
    addSubview(_label);
}

void CAGridViewItem::setIsEnabled(bool enabled)
{
    _isEnabled = enabled;
    if (_label)
        _label->setEnabled(enabled);
    if (_button)
        _button->setEnabled(enabled);
    if (_targetZoneButton)
        _targetZoneButton->setEnabled(enabled);
}

void CAGridViewItem::setLabelColor(std::optional<plat::Color> color)
{
    if (color && _label)
        _label->setTextColor(*color);
}

void CAGridViewItem::setLabelFont(std::optional<plat::Font> font)
{
    if (!font || !_label)
        return;
    _label->setFont(*font);
    if (_isLabelFontAutoShrink)
        shrinkLabelFont();
}

void CAGridViewItem::setIsLabelFontAutoShrink(bool shrink)
{
    _isLabelFontAutoShrink = shrink;
    if (shrink)
        shrinkLabelFont();
}

void CAGridViewItem::shrinkLabelFont()
{
    if (!_label)
        return;
    const plat::Font font = _label->font();
    const double width = _label->bounds().width();
    for (double size = std::floor(font.pointSize()); size > kSmallestShrunkSize; size -= 1) {
        plat::Size measured
            = plat::sizeWithFont(_titleText, font.fontWithSize(size), {width, 0}, plat::LineBreakMode::WordWrapping);
        if (measured.height <= kOneLineHeight && measured.width <= width) {
            _label->setFont(font.fontWithSize(size));
            return;
        }
    }
    _label->setFont(font.fontWithSize(kFallbackFontSize));
}

void CAGridViewItem::layoutSubviews()
{
    plat::View::layoutSubviews();
    if (_isLabelFontAutoShrink)
        shrinkLabelFont();
}

plat::Color CAGridViewItem::getRandomColor()
{
    // Colours for trying layouts out: quality does not matter, a fresh engine per call does.
    std::random_device seed;
    std::minstd_rand engine(seed());
    std::uniform_int_distribution<int> step(0, kColorSteps - 1);
    auto component = [&] { return step(engine) / static_cast<double>(kColorSteps); };
    double red = component();
    double green = component();
    double blue = component();
    return plat::Color::colorWithRed(red, green, blue, 1);
}

void CAGridViewItem::clickItem(plat::Control&)
{
    if (auto popover = _popover.lock()) {
        popover->dismissPopoverAnimated(/*animated=*/false);
        if (auto block = _block)
            block();
        return;
    }
    if (auto delegate = _delegate.lock())
        delegate->didClickOnItem(*this, _block);
}

}  // namespace zt
