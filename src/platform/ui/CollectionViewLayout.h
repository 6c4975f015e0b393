#pragma once
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/foundation/Geometry.h"
#include "platform/ui/IndexPath.h"
#include "platform/ui/Object.h"

namespace plat {
class CollectionView;

// The platform's element kinds of flow layouts.
inline constexpr const char* CollectionElementKindSectionHeader = "UICollectionElementKindSectionHeader";
inline constexpr const char* CollectionElementKindSectionFooter = "UICollectionElementKindSectionFooter";

enum class CollectionElementCategory : int { Cell = 0, SupplementaryView = 1, DecorationView = 2 };

// Where a layout puts one element of a collection view, and how it looks.
struct CollectionViewLayoutAttributes {
    CollectionElementCategory representedElementCategory = CollectionElementCategory::Cell;
    std::string representedElementKind;  // empty for cells
    IndexPath indexPath;
    Rect frame;
    double alpha = 1;
    int64_t zIndex = 0;
    bool hidden = false;

    Point center() const { return {frame.midX(), frame.midY()}; }
    Size size() const { return frame.size; }
};

// What a layout is told when it must compute again: everything (a new
// data source, a reload), or only part of it (subclasses add their own).
class CollectionViewLayoutInvalidationContext {
public:
    virtual ~CollectionViewLayoutInvalidationContext() = default;
    bool invalidateEverything() const { return _invalidateEverything; }
    bool invalidateDataSourceCounts() const { return _invalidateDataSourceCounts; }
    void setInvalidateEverything(bool everything) { _invalidateEverything = everything; }
    void setInvalidateDataSourceCounts(bool counts) { _invalidateDataSourceCounts = counts; }

private:
    bool _invalidateEverything = false;
    bool _invalidateDataSourceCounts = false;
};

// The platform's collection view layout: it computes where a collection's
// elements go (prepareLayout once after each invalidation, then answers
// for rects and index paths) and how large the content is. Subclasses give
// the placement. Invalidating asks the collection view to lay out again.
// Main thread.
class CollectionViewLayout : public Object {
public:
    CollectionViewLayout();
    ~CollectionViewLayout() override;

    std::shared_ptr<CollectionView> collectionView() const { return _collectionView.lock(); }

    virtual void prepareLayout() { }
    virtual Size collectionViewContentSize() const = 0;
    virtual std::vector<CollectionViewLayoutAttributes> layoutAttributesForElementsInRect(Rect rect) const = 0;
    virtual std::optional<CollectionViewLayoutAttributes> layoutAttributesForItemAtIndexPath(IndexPath path) const = 0;
    virtual std::optional<CollectionViewLayoutAttributes> layoutAttributesForSupplementaryViewOfKind(
        const std::string& kind, IndexPath path) const;
    // Whether a change of the collection view's bounds (scrolling, or a new size) needs a new layout.
    virtual bool shouldInvalidateLayoutForBoundsChange(Rect newBounds) const;

    void invalidateLayout();
    virtual void invalidateLayoutWithContext(const CollectionViewLayoutInvalidationContext& context);
    // Whether prepareLayout must run before the next answer.
    bool needsPrepare() const { return _needsPrepare; }
    // Runs prepareLayout when an invalidation asked for it.
    void prepareIfNeeded();

private:
    friend class CollectionView;
    std::weak_ptr<CollectionView> _collectionView;
    bool _needsPrepare = true;
};

}  // namespace plat
