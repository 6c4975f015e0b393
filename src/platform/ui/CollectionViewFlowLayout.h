#pragma once
#include <optional>
#include <vector>

#include "platform/graphics/EdgeInsets.h"
#include "platform/ui/CollectionView.h"
#include "platform/ui/CollectionViewLayout.h"

namespace plat {
class CollectionViewFlowLayout;

enum class CollectionViewScrollDirection : int { Vertical = 0, Horizontal = 1 };

// What a flow layout asks the collection view's delegate, when it is one
// of these; each answer is optional (empty: the layout's own value).
class CollectionViewDelegateFlowLayout : public CollectionViewDelegate {
public:
    virtual std::optional<Size> collectionViewLayoutSizeForItemAtIndexPath(
        CollectionView&, CollectionViewFlowLayout&, IndexPath)
    {
        return std::nullopt;
    }
    virtual std::optional<EdgeInsets> collectionViewLayoutInsetForSectionAtIndex(
        CollectionView&, CollectionViewFlowLayout&, int64_t)
    {
        return std::nullopt;
    }
    virtual std::optional<double> collectionViewLayoutMinimumLineSpacingForSectionAtIndex(
        CollectionView&, CollectionViewFlowLayout&, int64_t)
    {
        return std::nullopt;
    }
    virtual std::optional<double> collectionViewLayoutMinimumInteritemSpacingForSectionAtIndex(
        CollectionView&, CollectionViewFlowLayout&, int64_t)
    {
        return std::nullopt;
    }
    virtual std::optional<Size> collectionViewLayoutReferenceSizeForHeaderInSection(
        CollectionView&, CollectionViewFlowLayout&, int64_t)
    {
        return std::nullopt;
    }
    virtual std::optional<Size> collectionViewLayoutReferenceSizeForFooterInSection(
        CollectionView&, CollectionViewFlowLayout&, int64_t)
    {
        return std::nullopt;
    }
};

// What a flow layout computes again: its placement, and whether the
// delegate's sizes are asked anew (both by default).
class CollectionViewFlowLayoutInvalidationContext : public CollectionViewLayoutInvalidationContext {
public:
    bool invalidateFlowLayoutAttributes() const { return _attributes; }
    void setInvalidateFlowLayoutAttributes(bool invalidate) { _attributes = invalidate; }
    bool invalidateFlowLayoutDelegateMetrics() const { return _delegateMetrics; }
    void setInvalidateFlowLayoutDelegateMetrics(bool invalidate) { _delegateMetrics = invalidate; }

private:
    bool _attributes = true;
    bool _delegateMetrics = true;
};

// The platform's flow layout: per section a header, the section inset,
// then the items in lines across the scrolling direction (a line is full
// when the next item would not fit; its items are spread so the line
// fills the width, a lone item is centred, and the items of a line are
// centred along it), lines apart by the minimum line spacing, then the
// footer. Sizes, insets, spacings and header and footer sizes come from the
// delegate where it gives them, else from the layout's own values.
class CollectionViewFlowLayout : public CollectionViewLayout {
public:
    CollectionViewFlowLayout();
    ~CollectionViewFlowLayout() override;

    Size itemSize() const { return _itemSize; }
    void setItemSize(Size size);
    double minimumLineSpacing() const { return _minimumLineSpacing; }
    void setMinimumLineSpacing(double spacing);
    double minimumInteritemSpacing() const { return _minimumInteritemSpacing; }
    void setMinimumInteritemSpacing(double spacing);
    Size headerReferenceSize() const { return _headerReferenceSize; }
    void setHeaderReferenceSize(Size size);
    Size footerReferenceSize() const { return _footerReferenceSize; }
    void setFooterReferenceSize(Size size);
    EdgeInsets sectionInset() const { return _sectionInset; }
    void setSectionInset(EdgeInsets inset);
    CollectionViewScrollDirection scrollDirection() const { return _scrollDirection; }
    void setScrollDirection(CollectionViewScrollDirection direction);

    void prepareLayout() override;
    Size collectionViewContentSize() const override { return _contentSize; }
    std::vector<CollectionViewLayoutAttributes> layoutAttributesForElementsInRect(Rect rect) const override;
    std::optional<CollectionViewLayoutAttributes> layoutAttributesForItemAtIndexPath(IndexPath path) const override;
    std::optional<CollectionViewLayoutAttributes> layoutAttributesForSupplementaryViewOfKind(
        const std::string& kind, IndexPath path) const override;
    // A new extent across the scrolling direction needs new lines.
    bool shouldInvalidateLayoutForBoundsChange(Rect newBounds) const override;
    void invalidateLayoutWithContext(const CollectionViewLayoutInvalidationContext& context) override;

private:
    struct Section {
        Rect frame;
        std::optional<CollectionViewLayoutAttributes> header;
        std::optional<CollectionViewLayoutAttributes> footer;
        std::vector<CollectionViewLayoutAttributes> items;
    };

    Size _itemSize {50, 50};
    double _minimumLineSpacing = 10;
    double _minimumInteritemSpacing = 10;
    Size _headerReferenceSize;
    Size _footerReferenceSize;
    EdgeInsets _sectionInset;
    CollectionViewScrollDirection _scrollDirection = CollectionViewScrollDirection::Vertical;
    std::vector<Section> _sections;
    Size _contentSize;
    Size _preparedBoundsSize;
};

}  // namespace plat
