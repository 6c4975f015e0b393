#include "platform/ui/TextView.h"

#include <algorithm>
#include <cmath>

#include "platform/foundation/NotificationCenter.h"
#include "platform/graphics/GraphicsContext.h"
#include "platform/ui/Keyboard.h"

namespace plat {

TextView::TextView()
    : TextView(Rect {})
{
}

TextView::TextView(Rect frame)
    : View(frame)
{
    setBackgroundColor(Color::whiteColor());
    setContentMode(ContentMode::Redraw);
}

void TextView::post(const char* name)
{
    NotificationCenter::defaultCenter().post(name, this);
}

void TextView::setText(std::string text)
{
    _edited.setText(std::move(text));
    setNeedsDisplay();
}

void TextView::setFont(const Font& font)
{
    _font = font;
    setNeedsDisplay();
}

void TextView::setTextColor(const Color& color)
{
    _textColor = color;
    setNeedsDisplay();
}

void TextView::setTextAlignment(TextAlignment alignment)
{
    _alignment = alignment;
    setNeedsDisplay();
}

void TextView::setEditable(bool editable)
{
    _editable = editable;
    if (!editable && _editing)
        resignFirstResponder();
}

void TextView::setTextContainerInset(EdgeInsets inset)
{
    _inset = inset;
    setNeedsDisplay();
}

void TextView::setSelectedRange(Range range)
{
    _edited.select(range);
    if (auto delegate = _delegate.lock())
        delegate->textViewDidChangeSelection(*this);
}

void TextView::replace(Range range, const std::string& text)
{
    auto keepAlive = sharedAs<TextView>();
    if (auto delegate = _delegate.lock();
        delegate && !delegate->textViewShouldChangeTextInRangeReplacementText(*this, range, text))
        return;
    _edited.replace(range, text);
    setNeedsDisplay();
    if (auto delegate = _delegate.lock())
        delegate->textViewDidChange(*this);
    post(TextViewTextDidChangeNotification);
}

void TextView::insertText(const std::string& text)
{
    if (_editable)
        replace(_edited.selection(), text);
}

void TextView::deleteBackward()
{
    if (!_editable)
        return;
    if (auto range = _edited.rangeToDeleteBackward())
        replace(*range, "");
}

bool TextView::becomeFirstResponder()
{
    if (_editing)
        return true;
    if (!canBecomeFirstResponder() || !responderWindow())
        return false;
    auto keepAlive = sharedAs<TextView>();
    if (auto delegate = _delegate.lock(); delegate && !delegate->textViewShouldBeginEditing(*this))
        return false;
    if (!View::becomeFirstResponder())
        return false;
    _editing = true;
    _edited.moveCaretToEnd();
    Keyboard::shared().textInputBecameFirstResponder();
    if (auto delegate = _delegate.lock())
        delegate->textViewDidBeginEditing(*this);
    post(TextViewTextDidBeginEditingNotification);
    return true;
}

bool TextView::resignFirstResponder()
{
    if (!_editing)
        return View::resignFirstResponder();
    auto keepAlive = sharedAs<TextView>();
    if (auto delegate = _delegate.lock(); delegate && !delegate->textViewShouldEndEditing(*this))
        return false;
    View::resignFirstResponder();
    _editing = false;
    Keyboard::shared().textInputResignedFirstResponder();
    if (auto delegate = _delegate.lock())
        delegate->textViewDidEndEditing(*this);
    post(TextViewTextDidEndEditingNotification);
    return true;
}

void TextView::touchesEnded(const TouchSet& touches, const Event& event)
{
    if (_editable && !touches.empty() && bounds().contains(touches.front()->locationInView(this)))
        becomeFirstResponder();
    else
        View::touchesEnded(touches, event);
}

Size TextView::sizeThatFits(Size size) const
{
    double width = size.width > 0 ? size.width : bounds().width();
    double textWidth = std::max(1.0, width - _inset.left - _inset.right - 2 * kLineFragmentPadding);
    Size text = sizeWithFont(
        _edited.text().empty() ? std::string(" ") : _edited.text(), _font, {textWidth, 0}, LineBreakMode::WordWrapping);
    return {width, std::ceil(text.height + _inset.top + _inset.bottom)};
}

void TextView::drawRect(GraphicsContext& context, Rect)
{
    Rect b = bounds();
    Rect area {{b.minX() + _inset.left + kLineFragmentPadding, b.minY() + _inset.top},
        {std::max(0.0, b.width() - _inset.left - _inset.right - 2 * kLineFragmentPadding),
            std::max(0.0, b.height() - _inset.top - _inset.bottom)}};
    context.setFillColor(_textColor);
    context.drawText(_edited.text(), area, _font, LineBreakMode::WordWrapping, _alignment);
}

}  // namespace plat
