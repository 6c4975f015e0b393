#include "platform/ui/Label.h"

#include <algorithm>
#include <cmath>

#include "platform/graphics/GraphicsContext.h"

namespace plat {

namespace {

// Shrinking goes down in steps of this many points.
constexpr double kShrinkStepPoints = 0.5;
// Without a minimum the platform stops shrinking at this size.
constexpr double kSmallestShrunkFontSize = 4;

}  // namespace

Label::Label()
    : Label(Rect {})
{
}

Label::Label(Rect frame)
    : View(frame)
{
    setUserInteractionEnabled(false);
    setContentMode(ContentMode::Redraw);
}

void Label::changed()
{
    setNeedsDisplay();
    invalidateIntrinsicContentSize();
}

void Label::setPreferredMaxLayoutWidth(double width)
{
    _preferredMaxLayoutWidth = width;
    invalidateIntrinsicContentSize();
}

Size Label::intrinsicContentSize() const
{
    if (_text.empty())
        return {0, 0};
    if (_numberOfLines == 1)
        return sizeWithFont(_text, _font);
    Size oneLine = sizeWithFont(_text, _font);
    double width = _preferredMaxLayoutWidth > 0 ? std::min(_preferredMaxLayoutWidth, oneLine.width) : oneLine.width;
    return {width, sizeThatFits({width, 0}).height};
}

void Label::setText(std::string text)
{
    if (text == _text)
        return;
    _text = std::move(text);
    changed();
}

void Label::setFont(const Font& font)
{
    _font = font;
    changed();
}

// A colour does not change the text's size: only the drawing is redone, so a
// superview that recolours its labels while it lays them out (a dark alert
// panel) does not ask for its layout again and again.
void Label::setTextColor(const Color& color)
{
    _textColor = color;
    setNeedsDisplay();
}

void Label::setHighlightedTextColor(std::optional<Color> color)
{
    _highlightedTextColor = std::move(color);
    setNeedsDisplay();
}

void Label::setHighlighted(bool highlighted)
{
    _highlighted = highlighted;
    changed();
}

void Label::setEnabled(bool enabled)
{
    _enabled = enabled;
    changed();
}

void Label::setTextAlignment(TextAlignment alignment)
{
    _alignment = alignment;
    changed();
}

void Label::setNumberOfLines(int lines)
{
    _numberOfLines = std::max(0, lines);
    changed();
}

void Label::setLineBreakMode(LineBreakMode mode)
{
    _lineBreakMode = mode;
    changed();
}

void Label::setAdjustsFontSizeToFitWidth(bool adjusts)
{
    _adjustsFontSizeToFitWidth = adjusts;
    changed();
}

void Label::setMinimumScaleFactor(double factor)
{
    _minimumScaleFactor = std::clamp(factor, 0.0, 1.0);
    changed();
}

void Label::setMinimumFontSize(double size)
{
    _minimumFontSize = std::max(0.0, size);
    changed();
}

void Label::setShadowColor(std::optional<Color> color)
{
    _shadowColor = std::move(color);
    changed();
}

void Label::setShadowOffset(Size offset)
{
    _shadowOffset = offset;
    changed();
}

double Label::maximumTextHeight(const Font& font) const
{
    return _numberOfLines > 0 ? std::ceil(font.lineHeight() * _numberOfLines) : 0;
}

Font Label::fittedFont(double width, double height) const
{
    if (!_adjustsFontSizeToFitWidth || _text.empty() || width <= 0)
        return _font;
    double size = _font.pointSize();
    double smallest = _minimumScaleFactor > 0 ? size * _minimumScaleFactor
        : _minimumFontSize > 0                ? std::min(_minimumFontSize, size)
                                              : kSmallestShrunkFontSize;
    auto fits = [&](const Font& font) {
        if (_numberOfLines == 1)
            return sizeWithFont(_text, font).width <= width;
        Size needed = sizeWithFont(_text, font, {width, 0}, LineBreakMode::WordWrapping);
        double limit = _numberOfLines > 0 ? std::min(height, maximumTextHeight(font)) : height;
        return needed.height <= limit + 0.5;
    };
    if (_numberOfLines == 1) {
        // One line scales straight to the width.
        double natural = sizeWithFont(_text, _font).width;
        if (natural <= width)
            return _font;
        double scaled = std::max(smallest, std::floor(size * width / natural / kShrinkStepPoints) * kShrinkStepPoints);
        Font font = _font.fontWithSize(scaled);
        while (scaled > smallest && !fits(font)) {
            scaled = std::max(smallest, scaled - kShrinkStepPoints);
            font = _font.fontWithSize(scaled);
        }
        return font;
    }
    for (double s = size; s >= smallest; s -= kShrinkStepPoints) {
        Font font = _font.fontWithSize(s);
        if (fits(font))
            return font;
    }
    return _font.fontWithSize(smallest);
}

double Label::fittedFontSize() const
{
    Rect b = bounds();
    return fittedFont(b.width(), b.height()).pointSize();
}

Size Label::sizeThatFits(Size size) const
{
    if (_text.empty())
        return {0, 0};
    if (_numberOfLines == 1)
        return sizeWithFont(_text, _font);
    double width = size.width > 0 ? size.width : 0;
    return sizeWithFont(_text, _font, {width, maximumTextHeight(_font)},
        _lineBreakMode == LineBreakMode::CharWrapping ? LineBreakMode::CharWrapping : LineBreakMode::WordWrapping);
}

Rect Label::textRectForBounds(Rect bounds, int numberOfLines) const
{
    Font font = fittedFont(bounds.width(), bounds.height());
    Size text;
    if (numberOfLines == 1) {
        text = sizeWithFont(_text, font);
        text.height = std::ceil(font.lineHeight());
    } else {
        double maxHeight = numberOfLines > 0 ? std::ceil(font.lineHeight() * numberOfLines) : 0;
        if (maxHeight > 0)
            maxHeight = std::min(maxHeight, bounds.height());
        text = sizeWithFont(
            _text, font, {bounds.width(), maxHeight > 0 ? maxHeight : bounds.height()}, LineBreakMode::WordWrapping);
    }
    text.width = std::min(text.width, bounds.width());
    text.height = std::min(text.height, bounds.height());
    double x = bounds.minX();
    if (_alignment == TextAlignment::Center)
        x += (bounds.width() - text.width) / 2;
    else if (_alignment == TextAlignment::Right)
        x += bounds.width() - text.width;
    return {{x, bounds.minY() + (bounds.height() - text.height) / 2}, text};
}

Color Label::effectiveTextColor() const
{
    Color color = _textColor;
    if (_highlighted && _highlightedTextColor)
        color = *_highlightedTextColor;
    if (!_enabled)
        color = color.colorWithAlphaComponent(color.alpha() * 0.5);
    return color;
}

void Label::drawTextInRect(GraphicsContext& context, Rect rect)
{
    drawTextWithColor(context, rect, effectiveTextColor(), TextShadow::Include);
}

void Label::drawTextWithColor(GraphicsContext& context, Rect rect, const Color& color, TextShadow shadow)
{
    Rect b = bounds();
    Font font = fittedFont(b.width(), b.height());
    // Lines are laid out across the whole width, so alignment works on it.
    Rect lines {{b.minX(), rect.minY()}, {b.width(), rect.height()}};
    LineBreakMode mode = _numberOfLines == 1 && _lineBreakMode <= LineBreakMode::CharWrapping ? LineBreakMode::Clipping
                                                                                              : _lineBreakMode;
    if (_shadowColor && shadow == TextShadow::Include) {
        context.setFillColor(*_shadowColor);
        context.setStrokeColor(*_shadowColor);
        Rect shifted = lines;
        shifted.origin.x += _shadowOffset.width;
        shifted.origin.y += _shadowOffset.height;
        context.drawText(_text, shifted, font, mode, _alignment);
    }
    context.setFillColor(color);
    context.setStrokeColor(color);
    context.drawText(_text, lines, font, mode, _alignment);
}

void Label::drawRect(GraphicsContext& context, Rect)
{
    if (_text.empty())
        return;
    drawTextInRect(context, textRectForBounds(bounds(), _numberOfLines));
}

std::string Label::accessibilityLabel() const
{
    std::string own = View::accessibilityLabel();
    return own.empty() ? _text : own;
}

}  // namespace plat
