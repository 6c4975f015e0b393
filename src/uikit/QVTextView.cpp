#include "uikit/QVTextView.h"

#include "platform/graphics/GraphicsContext.h"

namespace zt {

namespace {

constexpr double kPlaceholderInset = 8;
const plat::Color kDefaultPlaceholderColor = plat::Color::colorWithWhite(0.702, 1.0);

}  // namespace

QVTextView::QVTextView()
{
    setUp();
}

QVTextView::QVTextView(plat::Rect frame)
    : plat::TextView(frame)
{
    setUp();
}

void QVTextView::setUp()
{
    // The notification names this view as its sender; the token goes with the view.
    _textObservation = plat::NotificationCenter::defaultCenter().addObserver(plat::TextViewTextDidChangeNotification,
        static_cast<const plat::TextView*>(this), [this](const plat::Notification&) { _textChanged(); });
    _placeholderColor = kDefaultPlaceholderColor;
    _shouldDrawPlaceholder = false;
}

void QVTextView::setText(std::string text)
{
    plat::TextView::setText(std::move(text));
    _updateShouldDrawPlaceholder();
}

void QVTextView::setPlaceholder(std::optional<std::string> placeholder)
{
    if (placeholder == _placeholder)
        return;
    _placeholder = std::move(placeholder);
    _updateShouldDrawPlaceholder();
}

void QVTextView::setPlaceholderColor(std::optional<plat::Color> color)
{
    _placeholderColor = color;
}

void QVTextView::_updateShouldDrawPlaceholder()
{
    bool previous = _shouldDrawPlaceholder;
    _shouldDrawPlaceholder = _placeholder && _placeholderColor && text().empty();
    if (previous != _shouldDrawPlaceholder)
        setNeedsDisplay();
}

void QVTextView::_textChanged()
{
    _updateShouldDrawPlaceholder();
}

void QVTextView::drawRect(plat::GraphicsContext& context, plat::Rect rect)
{
    plat::TextView::drawRect(context, rect);
    if (!_shouldDrawPlaceholder)
        return;
    const plat::Rect frame = this->frame();
    context.setFillColor(*_placeholderColor);
    context.drawText(*_placeholder,
        plat::makeRect(kPlaceholderInset, kPlaceholderInset, frame.width() - 2 * kPlaceholderInset,
            frame.height() - 2 * kPlaceholderInset),
        font(), plat::LineBreakMode::WordWrapping, textAlignment());
}

}  // namespace zt
