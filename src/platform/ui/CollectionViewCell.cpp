#include "platform/ui/CollectionViewCell.h"

#include "platform/ui/Layer.h"

namespace plat {

CollectionReusableView::CollectionReusableView()
    : View()
{
}

CollectionReusableView::CollectionReusableView(Rect frame)
    : View(frame)
{
}

void CollectionReusableView::applyLayoutAttributes(const CollectionViewLayoutAttributes& attributes)
{
    setFrame(attributes.frame);
    setAlpha(attributes.alpha);
    setHidden(attributes.hidden);
    layer()->setZPosition(static_cast<double>(attributes.zIndex));
}

CollectionViewCell::CollectionViewCell()
    : CollectionViewCell(Rect {})
{
}

CollectionViewCell::CollectionViewCell(Rect frame)
    : CollectionReusableView(frame)
    , _contentView(std::make_shared<View>(Rect {{0, 0}, frame.size}))
{
}

void CollectionViewCell::setBackgroundView(std::shared_ptr<View> view)
{
    if (_backgroundView && _backgroundView->superview().get() == this)
        _backgroundView->removeFromSuperview();
    _backgroundView = std::move(view);
    setNeedsLayout();
}

void CollectionViewCell::setSelectedBackgroundView(std::shared_ptr<View> view)
{
    if (_selectedBackgroundView && _selectedBackgroundView->superview().get() == this)
        _selectedBackgroundView->removeFromSuperview();
    _selectedBackgroundView = std::move(view);
    updateSelectedBackground();
    setNeedsLayout();
}

void CollectionViewCell::setSelected(bool selected)
{
    _selected = selected;
    updateSelectedBackground();
}

void CollectionViewCell::setHighlighted(bool highlighted)
{
    _highlighted = highlighted;
    updateSelectedBackground();
}

void CollectionViewCell::updateSelectedBackground()
{
    if (_selectedBackgroundView)
        _selectedBackgroundView->setHidden(!(_selected || _highlighted));
}

void CollectionViewCell::prepareForReuse()
{
    _selected = false;
    _highlighted = false;
    updateSelectedBackground();
}

void CollectionViewCell::layoutSubviews()
{
    // Parts join here: a view cannot take subviews before it is shared.
    size_t index = 0;
    for (const auto* part : {&_backgroundView, &_selectedBackgroundView}) {
        if (!*part)
            continue;
        if ((*part)->superview().get() != this)
            insertSubview(*part, index);
        (*part)->setFrame(bounds());
        ++index;
    }
    if (_contentView->superview().get() != this)
        insertSubview(_contentView, index);
    _contentView->setFrame(bounds());
}

}  // namespace plat
