#pragma once
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <tuple>
#include <vector>

#include "platform/ui/CollectionViewCell.h"
#include "platform/ui/CollectionViewLayout.h"
#include "platform/ui/IndexPath.h"
#include "platform/ui/ScrollView.h"

namespace plat {
class CollectionView;
namespace detail {
struct TableUpdateBatch;
}

// What a collection view asks of its data source (operations named after
// their whole selector, as all begin with "collectionView").
class CollectionViewDataSource {
public:
    virtual ~CollectionViewDataSource() = default;
    virtual int64_t collectionViewNumberOfItemsInSection(CollectionView&, int64_t section) = 0;
    virtual std::shared_ptr<CollectionViewCell> collectionViewCellForItemAtIndexPath(CollectionView&, IndexPath path)
        = 0;
    virtual int64_t numberOfSectionsInCollectionView(CollectionView&) { return 1; }
    // The view for a header, footer or other kind the layout places.
    virtual std::shared_ptr<CollectionReusableView> collectionViewViewForSupplementaryElementOfKindAtIndexPath(
        CollectionView&, const std::string& /*kind*/, IndexPath)
    {
        return nullptr;
    }
};

// What a collection view tells and asks its delegate besides the scroll view's callbacks.
class CollectionViewDelegate : public ScrollViewDelegate {
public:
    virtual bool collectionViewShouldHighlightItemAtIndexPath(CollectionView&, IndexPath) { return true; }
    virtual bool collectionViewShouldSelectItemAtIndexPath(CollectionView&, IndexPath) { return true; }
    virtual void collectionViewDidSelectItemAtIndexPath(CollectionView&, IndexPath) { }
    virtual bool collectionViewShouldDeselectItemAtIndexPath(CollectionView&, IndexPath) { return true; }
    virtual void collectionViewDidDeselectItemAtIndexPath(CollectionView&, IndexPath) { }
    virtual void collectionViewWillDisplayCellForItemAtIndexPath(CollectionView&, CollectionViewCell&, IndexPath) { }
    virtual void collectionViewDidEndDisplayingCellForItemAtIndexPath(CollectionView&, CollectionViewCell&, IndexPath)
    {
    }
};

// Where scrolling to an item puts it (bits), as the platform's.
enum CollectionViewScrollPosition : unsigned {
    CollectionViewScrollPositionNone = 0,
    CollectionViewScrollPositionTop = 1u << 0,
    CollectionViewScrollPositionCenteredVertically = 1u << 1,
    CollectionViewScrollPositionBottom = 1u << 2,
    CollectionViewScrollPositionLeft = 1u << 3,
    CollectionViewScrollPositionCenteredHorizontally = 1u << 4,
    CollectionViewScrollPositionRight = 1u << 5,
};

// The platform's collection view: items in sections, placed by its layout
// and asked of its data source, with supplementary views (headers,
// footers) by kind. Cells and supplementary views come from registered
// classes or layouts and are reused by identifier; only the elements the
// layout puts in the visible rect exist. A tap selects an item; changes
// of items and sections animate over kUpdateSeconds. Main thread.
class CollectionView : public ScrollView {
public:
    static constexpr double kUpdateSeconds = 0.3;

    CollectionView(Rect frame, std::shared_ptr<CollectionViewLayout> layout);
    ~CollectionView() override;

    const std::shared_ptr<CollectionViewLayout>& collectionViewLayout() const { return _layout; }
    void setCollectionViewLayout(std::shared_ptr<CollectionViewLayout> layout, bool animated);
    std::weak_ptr<CollectionViewDataSource> dataSource() const { return _dataSource; }
    void setDataSource(std::weak_ptr<CollectionViewDataSource> dataSource);
    std::weak_ptr<CollectionViewDelegate> delegate() const { return _delegate; }
    void setDelegate(std::weak_ptr<CollectionViewDelegate> delegate);
    const std::shared_ptr<View>& backgroundView() const { return _backgroundView; }
    void setBackgroundView(std::shared_ptr<View> view);

    // Reuse.
    template <typename Cell> void registerClassForCellWithReuseIdentifier(const std::string& identifier)
    {
        _cellFactories[identifier] = [] { return std::make_shared<Cell>(); };
    }
    template <typename View>
    void registerClassForSupplementaryViewOfKind(const std::string& kind, const std::string& identifier)
    {
        _supplementaryFactories[{kind, identifier}] = [] { return std::make_shared<View>(); };
    }
    // Layouts whose root view is a cell, or a reusable view.
    void registerNibForCellWithReuseIdentifier(const std::string& layoutName, const std::string& identifier);
    void registerNibForSupplementaryViewOfKind(
        const std::string& layoutName, const std::string& kind, const std::string& identifier);
    // A waiting view, or a new one of the registered class; an identifier
    // never registered is a programmer error.
    std::shared_ptr<CollectionViewCell> dequeueReusableCellWithReuseIdentifier(
        const std::string& identifier, IndexPath path);
    std::shared_ptr<CollectionReusableView> dequeueReusableSupplementaryViewOfKind(
        const std::string& kind, const std::string& identifier, IndexPath path);

    // Data.
    void reloadData();
    int64_t numberOfSections();
    int64_t numberOfItemsInSection(int64_t section);
    // Changes made in updates animate together; completion runs when they end.
    void performBatchUpdates(const std::function<void()>& updates, std::function<void(bool finished)> completion);
    void insertItemsAtIndexPaths(const std::vector<IndexPath>& paths);
    void deleteItemsAtIndexPaths(const std::vector<IndexPath>& paths);
    void reloadItemsAtIndexPaths(const std::vector<IndexPath>& paths);
    void moveItemAtIndexPath(IndexPath from, IndexPath to);
    void insertSections(const std::set<int64_t>& sections);
    void deleteSections(const std::set<int64_t>& sections);
    void reloadSections(const std::set<int64_t>& sections);

    // Elements.
    std::vector<std::shared_ptr<CollectionViewCell>> visibleCells();
    std::vector<IndexPath> indexPathsForVisibleItems();
    std::shared_ptr<CollectionViewCell> cellForItemAtIndexPath(IndexPath path);
    std::optional<IndexPath> indexPathForCell(const CollectionViewCell& cell);
    std::optional<IndexPath> indexPathForItemAtPoint(Point point);
    std::optional<CollectionViewLayoutAttributes> layoutAttributesForItemAtIndexPath(IndexPath path);
    std::shared_ptr<CollectionReusableView> supplementaryViewForElementKind(const std::string& kind, IndexPath path);
    void scrollToItemAtIndexPath(IndexPath path, unsigned scrollPosition, bool animated);

    // Selection.
    bool allowsSelection() const { return _allowsSelection; }
    void setAllowsSelection(bool allows) { _allowsSelection = allows; }
    bool allowsMultipleSelection() const { return _allowsMultipleSelection; }
    void setAllowsMultipleSelection(bool allows) { _allowsMultipleSelection = allows; }
    std::vector<IndexPath> indexPathsForSelectedItems() const { return {_selected.begin(), _selected.end()}; }
    // By code: the delegate is not told.
    void selectItemAtIndexPath(std::optional<IndexPath> path, bool animated, unsigned scrollPosition);
    void deselectItemAtIndexPath(IndexPath path, bool animated);

    void layoutSubviews() override;
    void touchesBegan(const TouchSet& touches, const Event& event) override;
    void touchesEnded(const TouchSet& touches, const Event& event) override;
    void touchesCancelled(const TouchSet& touches, const Event& event) override;

private:
    // A supplementary element: its kind and index path.
    using SupplementaryKey = std::pair<std::string, IndexPath>;
    using CellFactory = std::function<std::shared_ptr<CollectionViewCell>()>;
    using SupplementaryFactory = std::function<std::shared_ptr<CollectionReusableView>()>;

    void loadCountsIfNeeded();
    void recycleCell(const std::shared_ptr<CollectionViewCell>& cell, IndexPath path);
    void recycleSupplementary(const std::shared_ptr<CollectionReusableView>& view);
    void recycleEverything();
    void placeContentView(const std::shared_ptr<View>& view);
    void tile(Rect visible);
    std::optional<IndexPath> itemUnderTouch(const TouchSet& touches);
    void applyBatch(detail::TableUpdateBatch batch);
    void addChange(const std::function<void(detail::TableUpdateBatch&)>& change);

    std::shared_ptr<CollectionViewLayout> _layout;
    std::weak_ptr<CollectionViewDataSource> _dataSource;
    std::weak_ptr<CollectionViewDelegate> _delegate;
    std::shared_ptr<View> _backgroundView;
    std::map<std::string, CellFactory> _cellFactories;
    std::map<std::pair<std::string, std::string>, SupplementaryFactory> _supplementaryFactories;
    std::map<std::string, std::vector<std::shared_ptr<CollectionViewCell>>> _reusableCells;
    std::map<std::string, std::vector<std::shared_ptr<CollectionReusableView>>> _reusableSupplementaries;
    std::map<IndexPath, std::shared_ptr<CollectionViewCell>> _visibleCells;
    std::map<SupplementaryKey, std::shared_ptr<CollectionReusableView>> _visibleSupplementaries;
    std::vector<int64_t> _counts;
    bool _countsLoaded = false;
    Size _laidOutSize;
    std::set<IndexPath> _selected;
    std::optional<IndexPath> _touchedItem;
    bool _allowsSelection = true;
    bool _allowsMultipleSelection = false;
    int _batchDepth = 0;
    std::unique_ptr<detail::TableUpdateBatch> _pendingBatch;
    std::vector<std::function<void(bool)>> _batchCompletions;
    bool _tiling = false;
};

}  // namespace plat
