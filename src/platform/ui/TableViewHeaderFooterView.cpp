#include "platform/ui/TableViewHeaderFooterView.h"

#include <algorithm>

#include "platform/ui/Label.h"

namespace plat {

Font TableViewHeaderFooterView::titleFont()
{
    return Font::boldSystemFontOfSize(14);
}

TableViewHeaderFooterView::TableViewHeaderFooterView(std::string reuseIdentifier)
    : View(makeRect(0, 0, 320, 22))
    , _reuseIdentifier(std::move(reuseIdentifier))
    , _contentView(std::make_shared<View>())
    , _textLabel(std::make_shared<Label>())
    , _backgroundView(std::make_shared<View>())
{
    _backgroundView->setBackgroundColor(Color::colorWithWhite(0.97, 1));
    _textLabel->setFont(titleFont());
    _textLabel->setTextColor(Color::colorWithWhite(0.3, 1));
}

TableViewHeaderFooterView::~TableViewHeaderFooterView() = default;

void TableViewHeaderFooterView::setBackgroundView(std::shared_ptr<View> view)
{
    if (_backgroundView && _backgroundView->superview().get() == this)
        _backgroundView->removeFromSuperview();
    _backgroundView = std::move(view);
    setNeedsLayout();
}

void TableViewHeaderFooterView::layoutSubviews()
{
    Rect b = bounds();
    // Parts join here: a view cannot take subviews before it is shared.
    if (_backgroundView && _backgroundView->superview().get() != this)
        insertSubview(_backgroundView, 0);
    if (_contentView->superview().get() != this)
        addSubview(_contentView);
    if (_textLabel->superview() != _contentView)
        _contentView->addSubview(_textLabel);
    if (_backgroundView)
        _backgroundView->setFrame(b);
    _contentView->setFrame(b);
    _textLabel->setFrame(makeRect(kTextInset, 0, std::max(0.0, b.width() - 2 * kTextInset), b.height()));
}

}  // namespace plat
