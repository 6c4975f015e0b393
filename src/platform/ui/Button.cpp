#include "platform/ui/Button.h"

#include <algorithm>
#include <cmath>

#include "platform/graphics/Image.h"
#include "platform/ui/ImageView.h"
#include "platform/ui/Label.h"

namespace plat {

namespace {

// A highlighted system button's title, and a highlighted image, are drawn this much fainter.
constexpr double kHighlightedAlpha = 0.2;
// System buttons are at least this tall when sized to fit, as the platform's.
constexpr double kSystemButtonMinimumHeight = 30;
constexpr double kTitleFontSize = 15;

}  // namespace

std::shared_ptr<Button> Button::buttonWithType(ButtonType type)
{
    return std::shared_ptr<Button>(new Button(type));
}

Button::Button()
    : Button(ButtonType::Custom)
{
}

Button::Button(Rect frame)
    : Control(frame)
{
    makeParts();
}

Button::Button(ButtonType type)
    : Control(Rect {})
    , _type(type)
{
    makeParts();
}

void Button::makeParts()
{
    _backgroundView = std::make_shared<ImageView>();
    _imageView = std::make_shared<ImageView>();
    _imageView->setContentMode(ContentMode::Center);
    _titleLabel = std::make_shared<Label>();
    _titleLabel->setFont(Font::systemFontOfSize(kTitleFontSize));
    _titleLabel->setLineBreakMode(LineBreakMode::TruncatingMiddle);
}

template <typename T> std::optional<T> Button::lookup(const std::map<unsigned, T>& table, unsigned state)
{
    if (auto it = table.find(state); it != table.end())
        return it->second;
    // Highlighted while selected falls back to selected, then to normal.
    if ((state & ControlStateSelected) && state != ControlStateSelected)
        if (auto it = table.find(ControlStateSelected); it != table.end())
            return it->second;
    if (auto it = table.find(ControlStateNormal); it != table.end())
        return it->second;
    return std::nullopt;
}

void Button::setTitle(std::optional<std::string> title, unsigned state)
{
    if (title)
        _titles[state] = std::move(*title);
    else
        _titles.erase(state);
    updateContent();
}

std::optional<std::string> Button::titleForState(unsigned state) const
{
    return lookup(_titles, state);
}

void Button::setTitleColor(std::optional<Color> color, unsigned state)
{
    if (color)
        _titleColors[state] = *color;
    else
        _titleColors.erase(state);
    updateContent();
}

std::optional<Color> Button::titleColorForState(unsigned state) const
{
    return lookup(_titleColors, state);
}

void Button::setImage(std::shared_ptr<const Image> image, unsigned state)
{
    if (image)
        _images[state] = std::move(image);
    else
        _images.erase(state);
    updateContent();
}

std::shared_ptr<const Image> Button::imageForState(unsigned state) const
{
    return lookup(_images, state).value_or(nullptr);
}

void Button::setBackgroundImage(std::shared_ptr<const Image> image, unsigned state)
{
    if (image)
        _backgroundImages[state] = std::move(image);
    else
        _backgroundImages.erase(state);
    updateContent();
}

std::shared_ptr<const Image> Button::backgroundImageForState(unsigned state) const
{
    return lookup(_backgroundImages, state).value_or(nullptr);
}

std::string Button::currentTitle() const
{
    return titleForState(state()).value_or("");
}

Color Button::currentTitleColor() const
{
    if (auto color = titleColorForState(state()))
        return *color;
    if (_type == ButtonType::Custom)
        return Color::whiteColor();
    Color tint = tintColor();
    if (!isEnabled())
        return Color::colorWithWhite(0.5, kDisabledContentAlpha * 2);
    if (isHighlighted())
        return tint.colorWithAlphaComponent(kHighlightedAlpha);
    return tint;
}

std::shared_ptr<const Image> Button::currentImage() const
{
    return imageForState(state());
}

std::shared_ptr<const Image> Button::currentBackgroundImage() const
{
    return backgroundImageForState(state());
}

void Button::setContentEdgeInsets(EdgeInsets insets)
{
    _contentEdgeInsets = insets;
    setNeedsLayout();
}

void Button::setTitleEdgeInsets(EdgeInsets insets)
{
    _titleEdgeInsets = insets;
    setNeedsLayout();
}

void Button::setImageEdgeInsets(EdgeInsets insets)
{
    _imageEdgeInsets = insets;
    setNeedsLayout();
}

void Button::stateDidChange()
{
    updateContent();
}

void Button::tintColorDidChange()
{
    updateContent();
}

void Button::updateContent()
{
    std::string title = currentTitle();
    _titleLabel->setText(title);
    _titleLabel->setTextColor(currentTitleColor());
    auto image = currentImage();
    _imageView->setImage(image);
    // Only an image given for the state itself shows as it is; one that
    // stands in from the normal state is dimmed, as the platform draws it.
    const bool ownHighlightedImage = _images.count(ControlStateHighlighted) != 0;
    const bool ownDisabledImage = _images.count(ControlStateDisabled) != 0;
    if (!isEnabled())
        _imageView->setAlpha(ownDisabledImage ? 1 : kDisabledContentAlpha);
    else if (isHighlighted() && _adjustsImageWhenHighlighted && !ownHighlightedImage && _type == ButtonType::Custom)
        _imageView->setAlpha(1 - kHighlightedAlpha * 2);
    else
        _imageView->setAlpha(1);
    _backgroundView->setImage(currentBackgroundImage());
    // Parts join the button only when they have something to show, as on the platform.
    auto attach = [this](const std::shared_ptr<View>& part, bool needed, size_t index) {
        if (needed && part->superview().get() != this)
            insertSubview(part, std::min(index, subviews().size()));
        else if (!needed && part->superview().get() == this)
            part->removeFromSuperview();
    };
    attach(_backgroundView, currentBackgroundImage() != nullptr, 0);
    attach(_imageView, image != nullptr, _backgroundView->superview() ? 1 : 0);
    attach(_titleLabel, !title.empty(), subviews().size());
    setNeedsLayout();
}

Size Button::sizeThatFits(Size) const
{
    Size title = _titleLabel->text().empty() ? Size {} : sizeWithFont(_titleLabel->text(), _titleLabel->font());
    auto image = currentImage();
    Size picture = image ? image->size() : Size {};
    Size content {title.width + picture.width, std::max(title.height, picture.height)};
    if (auto background = currentBackgroundImage()) {
        content.width = std::max(content.width, background->size().width);
        content.height = std::max(content.height, background->size().height);
    }
    content.width += _contentEdgeInsets.left + _contentEdgeInsets.right;
    content.height += _contentEdgeInsets.top + _contentEdgeInsets.bottom;
    if (_type != ButtonType::Custom)
        content.height = std::max(content.height, kSystemButtonMinimumHeight);
    return {std::ceil(content.width), std::ceil(content.height)};
}

void Button::layoutSubviews()
{
    Rect b = bounds();
    _backgroundView->setFrame(b);
    Rect content = insetRect(b, _contentEdgeInsets);
    Size title = _titleLabel->text().empty() ? Size {} : sizeWithFont(_titleLabel->text(), _titleLabel->font());
    auto image = currentImage();
    Size picture = image ? image->size() : Size {};
    title.width = std::min(title.width, std::max(0.0, content.width() - picture.width));
    double total = title.width + picture.width;
    double x = content.minX();
    switch (contentHorizontalAlignment()) {
    case ControlContentHorizontalAlignment::Center:
    case ControlContentHorizontalAlignment::Fill:
        x += (content.width() - total) / 2;
        break;
    case ControlContentHorizontalAlignment::Right:
        x += content.width() - total;
        break;
    case ControlContentHorizontalAlignment::Left:
        break;
    }
    auto place = [&](Size size) {
        double y = content.minY();
        switch (contentVerticalAlignment()) {
        case ControlContentVerticalAlignment::Center:
        case ControlContentVerticalAlignment::Fill:
            y += (content.height() - size.height) / 2;
            break;
        case ControlContentVerticalAlignment::Bottom:
            y += content.height() - size.height;
            break;
        case ControlContentVerticalAlignment::Top:
            break;
        }
        return y;
    };
    Rect imageFrame {{x, place(picture)}, picture};
    if (contentHorizontalAlignment() == ControlContentHorizontalAlignment::Fill && title.width == 0)
        imageFrame = content;
    _imageView->setFrame(insetRect(imageFrame, _imageEdgeInsets));
    Rect titleFrame {{x + picture.width, place(title)}, title};
    _titleLabel->setFrame(insetRect(titleFrame, _titleEdgeInsets));
}

std::string Button::accessibilityLabel() const
{
    std::string own = View::accessibilityLabel();
    return own.empty() ? currentTitle() : own;
}

}  // namespace plat
