#include "platform/ui/CollectionViewFlowLayout.h"

#include <algorithm>
#include <cmath>

namespace plat {

namespace {

// Items that fit up to this much over the line still count as fitting (rounding of sizes).
constexpr double kFitTolerance = 0.001;

bool intersects(Rect a, Rect b)
{
    return a.minX() < b.maxX() && b.minX() < a.maxX() && a.minY() < b.maxY() && b.minY() < a.maxY();
}

// Rects in flow terms: along the scrolling direction and across it.
struct Axes {
    bool vertical;
    double across(Size size) const { return vertical ? size.width : size.height; }
    double along(Size size) const { return vertical ? size.height : size.width; }
    Rect rect(double across, double along, double acrossSize, double alongSize) const
    {
        return vertical ? makeRect(across, along, acrossSize, alongSize)
                        : makeRect(along, across, alongSize, acrossSize);
    }
    double insetBefore(EdgeInsets inset) const { return vertical ? inset.top : inset.left; }
    double insetAfter(EdgeInsets inset) const { return vertical ? inset.bottom : inset.right; }
    double insetStart(EdgeInsets inset) const { return vertical ? inset.left : inset.top; }
    double insetEnd(EdgeInsets inset) const { return vertical ? inset.right : inset.bottom; }
};

}  // namespace

CollectionViewFlowLayout::CollectionViewFlowLayout() = default;

CollectionViewFlowLayout::~CollectionViewFlowLayout() = default;

void CollectionViewFlowLayout::setItemSize(Size size)
{
    _itemSize = size;
    invalidateLayout();
}

void CollectionViewFlowLayout::setMinimumLineSpacing(double spacing)
{
    _minimumLineSpacing = spacing;
    invalidateLayout();
}

void CollectionViewFlowLayout::setMinimumInteritemSpacing(double spacing)
{
    _minimumInteritemSpacing = spacing;
    invalidateLayout();
}

void CollectionViewFlowLayout::setHeaderReferenceSize(Size size)
{
    _headerReferenceSize = size;
    invalidateLayout();
}

void CollectionViewFlowLayout::setFooterReferenceSize(Size size)
{
    _footerReferenceSize = size;
    invalidateLayout();
}

void CollectionViewFlowLayout::setSectionInset(EdgeInsets inset)
{
    _sectionInset = inset;
    invalidateLayout();
}

void CollectionViewFlowLayout::setScrollDirection(CollectionViewScrollDirection direction)
{
    _scrollDirection = direction;
    invalidateLayout();
}

void CollectionViewFlowLayout::invalidateLayoutWithContext(const CollectionViewLayoutInvalidationContext& context)
{
    // This layout keeps no delegate answers between passes: any invalidation recomputes all.
    CollectionViewLayout::invalidateLayoutWithContext(context);
}

bool CollectionViewFlowLayout::shouldInvalidateLayoutForBoundsChange(Rect newBounds) const
{
    Axes axes {_scrollDirection == CollectionViewScrollDirection::Vertical};
    return axes.across(newBounds.size) != axes.across(_preparedBoundsSize);
}

void CollectionViewFlowLayout::prepareLayout()
{
    _sections.clear();
    _contentSize = {};
    auto view = collectionView();
    if (!view)
        return;
    auto flowDelegate = std::dynamic_pointer_cast<CollectionViewDelegateFlowLayout>(view->delegate().lock());
    Axes axes {_scrollDirection == CollectionViewScrollDirection::Vertical};
    Size bounds = view->bounds().size;
    _preparedBoundsSize = bounds;
    EdgeInsets contentInset = view->contentInset();
    double acrossExtent = std::max(0.0,
        axes.across(bounds)
            - (axes.vertical ? contentInset.left + contentInset.right : contentInset.top + contentInset.bottom));
    double along = 0;
    int64_t sections = view->numberOfSections();
    for (int64_t s = 0; s < sections; ++s) {
        Section section;
        double start = along;
        Size headerSize = _headerReferenceSize;
        if (flowDelegate)
            headerSize = flowDelegate->collectionViewLayoutReferenceSizeForHeaderInSection(*view, *this, s)
                             .value_or(headerSize);
        if (axes.along(headerSize) > 0) {
            CollectionViewLayoutAttributes header;
            header.representedElementCategory = CollectionElementCategory::SupplementaryView;
            header.representedElementKind = CollectionElementKindSectionHeader;
            header.indexPath = {s, 0};
            header.frame = axes.rect(0, along, acrossExtent, axes.along(headerSize));
            section.header = header;
            along += axes.along(headerSize);
        }
        EdgeInsets inset = _sectionInset;
        double lineSpacing = _minimumLineSpacing, interitem = _minimumInteritemSpacing;
        if (flowDelegate) {
            inset = flowDelegate->collectionViewLayoutInsetForSectionAtIndex(*view, *this, s).value_or(inset);
            lineSpacing = flowDelegate->collectionViewLayoutMinimumLineSpacingForSectionAtIndex(*view, *this, s)
                              .value_or(lineSpacing);
            interitem = flowDelegate->collectionViewLayoutMinimumInteritemSpacingForSectionAtIndex(*view, *this, s)
                            .value_or(interitem);
        }
        along += axes.insetBefore(inset);
        int64_t count = view->numberOfItemsInSection(s);
        std::vector<Size> sizes(static_cast<size_t>(std::max<int64_t>(0, count)), _itemSize);
        if (flowDelegate)
            for (int64_t i = 0; i < count; ++i)
                sizes[static_cast<size_t>(i)]
                    = flowDelegate->collectionViewLayoutSizeForItemAtIndexPath(*view, *this, {s, i})
                          .value_or(_itemSize);
        double lineStart = axes.insetStart(inset);
        double available = std::max(0.0, acrossExtent - lineStart - axes.insetEnd(inset));
        size_t i = 0;
        while (i < sizes.size()) {
            // Fill a line.
            size_t j = i + 1;
            double used = axes.across(sizes[i]);
            while (j < sizes.size() && used + interitem + axes.across(sizes[j]) <= available + kFitTolerance) {
                used += interitem + axes.across(sizes[j]);
                ++j;
            }
            double lineAlong = 0;
            double sumAcross = 0;
            for (size_t k = i; k < j; ++k) {
                lineAlong = std::max(lineAlong, axes.along(sizes[k]));
                sumAcross += axes.across(sizes[k]);
            }
            size_t inLine = j - i;
            double gap
                = inLine > 1 ? std::max(interitem, (available - sumAcross) / static_cast<double>(inLine - 1)) : 0;
            double across = inLine == 1 ? lineStart + (available - sumAcross) / 2 : lineStart;
            for (size_t k = i; k < j; ++k) {
                CollectionViewLayoutAttributes item;
                item.indexPath = {s, static_cast<int64_t>(k)};
                double itemAlong = axes.along(sizes[k]);
                item.frame = axes.rect(across, along + (lineAlong - itemAlong) / 2, axes.across(sizes[k]), itemAlong);
                section.items.push_back(item);
                across += axes.across(sizes[k]) + gap;
            }
            along += lineAlong;
            if (j < sizes.size())
                along += lineSpacing;
            i = j;
        }
        along += axes.insetAfter(inset);
        Size footerSize = _footerReferenceSize;
        if (flowDelegate)
            footerSize = flowDelegate->collectionViewLayoutReferenceSizeForFooterInSection(*view, *this, s)
                             .value_or(footerSize);
        if (axes.along(footerSize) > 0) {
            CollectionViewLayoutAttributes footer;
            footer.representedElementCategory = CollectionElementCategory::SupplementaryView;
            footer.representedElementKind = CollectionElementKindSectionFooter;
            footer.indexPath = {s, 0};
            footer.frame = axes.rect(0, along, acrossExtent, axes.along(footerSize));
            section.footer = footer;
            along += axes.along(footerSize);
        }
        section.frame = axes.rect(0, start, acrossExtent, along - start);
        _sections.push_back(std::move(section));
    }
    _contentSize = axes.vertical ? Size {acrossExtent, along} : Size {along, acrossExtent};
}

std::vector<CollectionViewLayoutAttributes> CollectionViewFlowLayout::layoutAttributesForElementsInRect(Rect rect) const
{
    std::vector<CollectionViewLayoutAttributes> found;
    for (const Section& section : _sections) {
        // An empty section has a zero frame along one axis; its neighbours decide.
        Rect reach = section.frame;
        if (reach.width() <= 0 || reach.height() <= 0)
            continue;
        if (!intersects(reach, rect))
            continue;
        if (section.header && intersects(section.header->frame, rect))
            found.push_back(*section.header);
        for (const auto& item : section.items)
            if (intersects(item.frame, rect))
                found.push_back(item);
        if (section.footer && intersects(section.footer->frame, rect))
            found.push_back(*section.footer);
    }
    return found;
}

std::optional<CollectionViewLayoutAttributes> CollectionViewFlowLayout::layoutAttributesForItemAtIndexPath(
    IndexPath path) const
{
    if (path.section < 0 || path.section >= static_cast<int64_t>(_sections.size()))
        return std::nullopt;
    const auto& items = _sections[static_cast<size_t>(path.section)].items;
    if (path.row < 0 || path.row >= static_cast<int64_t>(items.size()))
        return std::nullopt;
    return items[static_cast<size_t>(path.row)];
}

std::optional<CollectionViewLayoutAttributes> CollectionViewFlowLayout::layoutAttributesForSupplementaryViewOfKind(
    const std::string& kind, IndexPath path) const
{
    if (path.section < 0 || path.section >= static_cast<int64_t>(_sections.size()))
        return std::nullopt;
    const Section& section = _sections[static_cast<size_t>(path.section)];
    if (kind == CollectionElementKindSectionHeader)
        return section.header;
    if (kind == CollectionElementKindSectionFooter)
        return section.footer;
    return std::nullopt;
}

}  // namespace plat
