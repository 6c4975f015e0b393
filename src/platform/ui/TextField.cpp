#include "platform/ui/TextField.h"

#include <algorithm>
#include <cmath>
#include <pango/pango.h>
#include <vector>

#include "platform/foundation/NotificationCenter.h"
#include "platform/graphics/GraphicsContext.h"
#include "platform/graphics/Path.h"
#include "platform/ui/Keyboard.h"

namespace plat {

int64_t detail::lastCharacterLength(std::string_view text)
{
    if (text.empty())
        return 0;
    // Pango knows where the caret may stand between grapheme clusters.
    auto characters = static_cast<int>(g_utf8_strlen(text.data(), static_cast<gssize>(text.size())));
    std::vector<PangoLogAttr> attributes(static_cast<size_t>(characters) + 1);
    pango_get_log_attrs(text.data(), static_cast<int>(text.size()), -1, pango_language_get_default(), attributes.data(),
        static_cast<int>(attributes.size()));
    int start = characters - 1;
    while (start > 0 && !attributes[static_cast<size_t>(start)].is_cursor_position)
        --start;
    const char* from = g_utf8_offset_to_pointer(text.data(), start);
    return lengthInUtf16(text.substr(static_cast<size_t>(from - text.data())));
}

namespace {

constexpr double kTextInset = 7;
constexpr double kCaretWidth = 2;
const Color kPlaceholderColor = Color::colorWithWhite(0.7, 1);

// Whether index falls between the two halves of a surrogate pair.
bool splitsPair(const std::u16string& units, int64_t index)
{
    if (index <= 0 || index >= static_cast<int64_t>(units.size()))
        return false;
    char16_t before = units[static_cast<size_t>(index - 1)], after = units[static_cast<size_t>(index)];
    return before >= 0xD800 && before <= 0xDBFF && after >= 0xDC00 && after <= 0xDFFF;
}

}  // namespace

Range detail::selectionWithinText(const std::string& text, Range range)
{
    std::u16string units = utf16FromUtf8(text);
    int64_t length = static_cast<int64_t>(units.size());
    range.location = std::clamp<int64_t>(range.location, 0, length);
    range.length = std::clamp<int64_t>(range.length, 0, length - range.location);
    // Never half an emoji: typing there would break it into two replacement characters.
    int64_t end = range.end();
    if (splitsPair(units, range.location))
        --range.location;
    if (range.length == 0)
        end = range.location;
    else if (splitsPair(units, end))
        ++end;
    range.length = end - range.location;
    return range;
}

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
    _text = std::move(text);
    _selection = {lengthInUtf16(_text), 0};
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
    _selection = detail::selectionWithinText(_text, range);
}

bool TextField::replace(Range range, const std::string& text)
{
    auto keepAlive = sharedAs<TextField>();
    if (auto delegate = _delegate.lock();
        delegate && !delegate->textFieldShouldChangeCharactersInRangeReplacementString(*this, range, text))
        return false;
    _text = substringToIndex(_text, range.location) + text + substringFromIndex(_text, range.end());
    _selection = {range.location + lengthInUtf16(text), 0};
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
    replace(_selection, text);
}

void TextField::deleteBackward()
{
    Range range = _selection;
    if (range.length == 0) {
        if (range.location == 0)
            return;
        int64_t step = detail::lastCharacterLength(substringToIndex(_text, range.location));
        range = {range.location - step, step};
    }
    replace(range, "");
}

bool TextField::clearText()
{
    if (auto delegate = _delegate.lock(); delegate && !delegate->textFieldShouldClear(*this))
        return false;
    _text.clear();
    _selection = {};
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
        _text.clear();
    _selection = {lengthInUtf16(_text), 0};
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
    Size text = sizeWithFont(_text.empty() ? _placeholder : _text, _font);
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
    std::string shown = _text;
    if (_secure) {
        shown.clear();
        for (int64_t i = 0; i < lengthInUtf16(_text); ++i)
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
