#include "platform/ui/CollectionViewLayout.h"

#include "platform/ui/CollectionView.h"

namespace plat {

CollectionViewLayout::CollectionViewLayout() = default;

CollectionViewLayout::~CollectionViewLayout() = default;

std::optional<CollectionViewLayoutAttributes> CollectionViewLayout::layoutAttributesForSupplementaryViewOfKind(
    const std::string&, IndexPath) const
{
    return std::nullopt;
}

bool CollectionViewLayout::shouldInvalidateLayoutForBoundsChange(Rect) const
{
    return false;
}

void CollectionViewLayout::invalidateLayout()
{
    CollectionViewLayoutInvalidationContext context;
    invalidateLayoutWithContext(context);
}

void CollectionViewLayout::invalidateLayoutWithContext(const CollectionViewLayoutInvalidationContext&)
{
    _needsPrepare = true;
    if (auto view = collectionView())
        view->setNeedsLayout();
}

void CollectionViewLayout::prepareIfNeeded()
{
    if (!_needsPrepare)
        return;
    _needsPrepare = false;
    prepareLayout();
}

}  // namespace plat
