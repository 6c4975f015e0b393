#include "platform/ui/TextField.h"

#include <algorithm>
#include <cmath>

#include "platform/foundation/NotificationCenter.h"
#include "platform/graphics/GraphicsContext.h"
#include "platform/graphics/Path.h"
#include "platform/ui/Keyboard.h"

namespace plat {

namespace {

constexpr double kTextInset = 7;
constexpr double kCaretWidth = 2;
// Lighter than typed text, yet dark enough to read on a white field (4.9:1).
const Color kPlaceholderColor = Color::colorWithWhite(0.44, 1);

}  // namespace

TextField::TextField()
    : TextField(Rect {})
{
}

TextField::TextField(Rect frame)
    : Control(frame)
{
    setContentVerticalAlignment(ControlContentVerticalAlignment::Center);
}

void TextField::post(const char* name)
{
    NotificationCenter::defaultCenter().post(name, this);
}

void TextField::setText(std::string text)
{
    _edited.setText(std::move(text));
    setNeedsDisplay();
}

void TextField::setPlaceholder(std::string placeholder)
{
    _placeholder = std::move(placeholder);
    setNeedsDisplay();
}

void TextField::setFont(const Font& font)
{
    _font = font;
    setNeedsDisplay();
}

void TextField::setTextColor(const Color& color)
{
    _textColor = color;
    setNeedsDisplay();
}

void TextField::setTextAlignment(TextAlignment alignment)
{
    _alignment = alignment;
    setNeedsDisplay();
}

void TextField::setBorderStyle(TextBorderStyle style)
{
    _borderStyle = style;
    setNeedsDisplay();
}

void TextField::setSecureTextEntry(bool secure)
{
    _secure = secure;
    setNeedsDisplay();
}

void TextField::setSelectedRange(Range range)
{
    _edited.select(range);
}

bool TextField::replace(Range range, const std::string& text)
{
    auto keepAlive = sharedAs<TextField>();
    if (auto delegate = _delegate.lock();
        delegate && !delegate->textFieldShouldChangeCharactersInRangeReplacementString(*this, range, text))
        return false;
    _edited.replace(range, text);
    setNeedsDisplay();
    sendActionsForControlEvents(ControlEventEditingChanged);
    post(TextFieldTextDidChangeNotification);
    return true;
}

void TextField::insertText(const std::string& text)
{
    if (text == "\n") {
        auto keepAlive = sharedAs<TextField>();
        bool returns = true;
        if (auto delegate = _delegate.lock())
            returns = delegate->textFieldShouldReturn(*this);
        if (!returns)
            return;
        sendActionsForControlEvents(ControlEventEditingDidEndOnExit);
        if (hasActionsForEvents(ControlEventEditingDidEndOnExit))
            resignFirstResponder();
        return;
    }
    replace(_edited.selection(), text);
}

void TextField::deleteBackward()
{
    if (auto range = _edited.rangeToDeleteBackward())
        replace(*range, "");
}

bool TextField::clearText()
{
    if (auto delegate = _delegate.lock(); delegate && !delegate->textFieldShouldClear(*this))
        return false;
    _edited.setText("");
    setNeedsDisplay();
    if (_editing) {
        sendActionsForControlEvents(ControlEventEditingChanged);
        post(TextFieldTextDidChangeNotification);
    }
    return true;
}

bool TextField::becomeFirstResponder()
{
    if (_editing)
        return true;
    if (!canBecomeFirstResponder() || !responderWindow())
        return false;
    auto keepAlive = sharedAs<TextField>();
    if (auto delegate = _delegate.lock(); delegate && !delegate->textFieldShouldBeginEditing(*this))
        return false;
    if (!Control::becomeFirstResponder())
        return false;
    _editing = true;
    if (_clearsOnBeginEditing)
        _edited.setText("");
    _edited.moveCaretToEnd();
    setNeedsDisplay();
    Keyboard::shared().textInputBecameFirstResponder();
    if (auto delegate = _delegate.lock())
        delegate->textFieldDidBeginEditing(*this);
    sendActionsForControlEvents(ControlEventEditingDidBegin);
    post(TextFieldTextDidBeginEditingNotification);
    return true;
}

bool TextField::resignFirstResponder()
{
    if (!_editing)
        return Control::resignFirstResponder();
    auto keepAlive = sharedAs<TextField>();
    if (auto delegate = _delegate.lock(); delegate && !delegate->textFieldShouldEndEditing(*this))
        return false;
    Control::resignFirstResponder();
    _editing = false;
    setNeedsDisplay();
    Keyboard::shared().textInputResignedFirstResponder();
    if (auto delegate = _delegate.lock())
        delegate->textFieldDidEndEditing(*this);
    sendActionsForControlEvents(ControlEventEditingDidEnd);
    post(TextFieldTextDidEndEditingNotification);
    return true;
}

void TextField::endTrackingWithTouch(Touch& touch, const Event&)
{
    if (isInsideWithSlop(touch.locationInView(this)))
        becomeFirstResponder();
}

Rect TextField::textRectForBounds(Rect bounds) const
{
    double inset = _borderStyle == TextBorderStyle::None ? 0 : kTextInset;
    return {{bounds.minX() + inset, bounds.minY()}, {std::max(0.0, bounds.width() - 2 * inset), bounds.height()}};
}

Size TextField::sizeThatFits(Size size) const
{
    double inset = _borderStyle == TextBorderStyle::None ? 0 : kTextInset;
    Size text = sizeWithFont(_edited.text().empty() ? _placeholder : _edited.text(), _font);
    return {std::max(size.width, text.width + 2 * inset), std::ceil(_font.lineHeight()) + 2 * inset};
}

void TextField::drawRect(GraphicsContext& context, Rect)
{
    Rect b = bounds();
    switch (_borderStyle) {
    case TextBorderStyle::RoundedRect:
        context.beginPath();
        context.addPath(
            Path::pathWithRoundedRect({{b.minX() + 0.5, b.minY() + 0.5}, {b.width() - 1, b.height() - 1}}, 5));
        context.setFillColor(Color::whiteColor());
        context.fillPath();
        context.beginPath();
        context.addPath(
            Path::pathWithRoundedRect({{b.minX() + 0.5, b.minY() + 0.5}, {b.width() - 1, b.height() - 1}}, 5));
        context.setStrokeColor(Color::colorWithWhite(0.8, 1));
        context.setLineWidth(1);
        context.strokePath();
        break;
    case TextBorderStyle::Line:
    case TextBorderStyle::Bezel:
        context.setStrokeColor(Color::blackColor());
        context.setLineWidth(1);
        context.strokeRect({{b.minX() + 0.5, b.minY() + 0.5}, {b.width() - 1, b.height() - 1}});
        break;
    case TextBorderStyle::None:
        break;
    }
    Rect area = textRectForBounds(b);
    std::string shown = _edited.text();
    if (_secure) {
        shown.clear();
        for (int64_t i = 0; i < lengthInUtf16(_edited.text()); ++i)
            shown += "\u2022";
    }
    bool placeholder = shown.empty() && !_placeholder.empty();
    const std::string& drawn = placeholder ? _placeholder : shown;
    double lineHeight = std::ceil(_font.lineHeight());
    Rect line {{area.minX(), area.midY() - lineHeight / 2}, {area.width(), lineHeight}};
    context.setFillColor(placeholder ? kPlaceholderColor : _textColor);
    if (!placeholder && sizeWithFont(drawn, _font).width > line.width()) {
        // Too long to fit: the start shows, cut with an ellipsis; while typed,
        // the end shows with the caret after it.
        if (_editing) {
            Rect beforeCaret {line.origin, {std::max(0.0, line.width() - kCaretWidth), line.height()}};
            context.drawText(drawn, beforeCaret, _font, LineBreakMode::Clipping, TextAlignment::Right);
            context.setFillColor(tintColor());
            context.fillRect({{beforeCaret.maxX(), line.minY()}, {kCaretWidth, line.height()}});
            return;
        }
        context.drawText(drawn, line, _font, LineBreakMode::TruncatingTail, TextAlignment::Left);
        return;
    }
    Size used = context.drawText(drawn, line, _font, LineBreakMode::Clipping, _alignment);
    if (_editing) {
        double caretX = line.minX() + (placeholder ? 0 : used.width);
        if (!placeholder && _alignment == TextAlignment::Center)
            caretX = line.midX() + used.width / 2;
        else if (!placeholder && _alignment == TextAlignment::Right)
            caretX = line.maxX();
        context.setFillColor(tintColor());
        context.fillRect({{caretX, line.minY()}, {kCaretWidth, line.height()}});
    }
}

std::string TextField::accessibilityLabel() const
{
    std::string own = View::accessibilityLabel();
    if (!own.empty())
        return own;
    return _placeholder;
}

}  // namespace plat
