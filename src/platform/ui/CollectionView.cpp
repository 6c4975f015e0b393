#include "platform/ui/CollectionView.h"

#include <algorithm>
#include <utility>

#include "platform/foundation/Fatal.h"
#include "platform/ui/LayoutRegistry.h"
#include "platform/ui/TableUpdates.h"
#include "platform/ui/ViewController.h"
#include "platform/ui/VisibleCells.h"

namespace plat {

namespace {

// The controller a view belongs to, which owns what a layout connects.
std::shared_ptr<ViewController> owningController(const std::weak_ptr<Object>& weakView)
{
    std::shared_ptr<ViewController> owner;
    if (auto view = std::static_pointer_cast<View>(weakView.lock()))
        for (auto responder = view->nextResponder(); responder && !owner; responder = responder->nextResponder())
            owner = std::dynamic_pointer_cast<ViewController>(responder);
    return owner ? owner : std::make_shared<ViewController>();
}

bool sameCategory(const CollectionViewLayoutAttributes& attributes)
{
    return attributes.representedElementCategory == CollectionElementCategory::Cell;
}

}  // namespace

CollectionView::CollectionView(Rect frame, std::shared_ptr<CollectionViewLayout> layout)
    : ScrollView(frame)
    , _layout(std::move(layout))
{
    if (!_layout)
        detail::fatal("CollectionView: a collection view needs a layout");
    setBackgroundColor(Color::blackColor());
}

CollectionView::~CollectionView() = default;

void CollectionView::setCollectionViewLayout(std::shared_ptr<CollectionViewLayout> layout, bool animated)
{
    if (!layout || layout == _layout)
        return;
    std::map<IndexPath, Rect> oldFrames;
    for (const auto& [path, cell] : _visibleCells)
        oldFrames[path] = cell->frame();
    _layout->_collectionView.reset();
    _layout = std::move(layout);
    _layout->_collectionView = std::static_pointer_cast<CollectionView>(shared_from_this());
    _layout->_needsPrepare = true;
    View::performWithoutAnimation([&] { layoutSubviews(); });
    if (!animated)
        return;
    std::vector<std::pair<std::shared_ptr<CollectionViewCell>, Rect>> moves;
    for (const auto& entry : oldFrames) {
        const Rect& old = entry.second;
        if (auto it = _visibleCells.find(entry.first); it != _visibleCells.end() && it->second->frame() != old) {
            moves.emplace_back(it->second, it->second->frame());
            View::performWithoutAnimation([&] { it->second->setFrame(old); });
        }
    }
    View::animateWithDuration(kUpdateSeconds, [&] {
        for (const auto& [cell, frame] : moves)
            cell->setFrame(frame);
    });
}

void CollectionView::setDataSource(std::weak_ptr<CollectionViewDataSource> dataSource)
{
    _dataSource = std::move(dataSource);
    reloadData();
}

void CollectionView::setDelegate(std::weak_ptr<CollectionViewDelegate> delegate)
{
    ScrollView::setDelegate(delegate);
    _delegate = std::move(delegate);
    _layout->_needsPrepare = true;
    setNeedsLayout();
}

void CollectionView::setBackgroundView(std::shared_ptr<View> view)
{
    if (_backgroundView && _backgroundView->superview().get() == this)
        _backgroundView->removeFromSuperview();
    _backgroundView = std::move(view);
    if (_backgroundView) {
        _backgroundView->setUserInteractionEnabled(false);
        insertSubview(_backgroundView, 0);
    }
    setNeedsLayout();
}

// Reuse

void CollectionView::registerNibForCellWithReuseIdentifier(const std::string& layoutName, const std::string& identifier)
{
    std::weak_ptr<Object> weakSelf = weak_from_this();
    _cellFactories[identifier] = [weakSelf, layoutName] {
        auto owner = owningController(weakSelf);
        auto cell = std::dynamic_pointer_cast<CollectionViewCell>(LayoutRegistry::loadNibNamed(layoutName, *owner));
        if (!cell)
            detail::fatal("layout \"{}\" registered for collection cells made no cell", layoutName);
        return cell;
    };
}

void CollectionView::registerNibForSupplementaryViewOfKind(
    const std::string& layoutName, const std::string& kind, const std::string& identifier)
{
    std::weak_ptr<Object> weakSelf = weak_from_this();
    _supplementaryFactories[{kind, identifier}] = [weakSelf, layoutName] {
        auto owner = owningController(weakSelf);
        auto view = std::dynamic_pointer_cast<CollectionReusableView>(LayoutRegistry::loadNibNamed(layoutName, *owner));
        if (!view)
            detail::fatal("layout \"{}\" registered for supplementary views made no reusable view", layoutName);
        return view;
    };
}

std::shared_ptr<CollectionViewCell> CollectionView::dequeueReusableCellWithReuseIdentifier(
    const std::string& identifier, IndexPath)
{
    auto& pool = _reusableCells[identifier];
    if (!pool.empty()) {
        auto cell = std::move(pool.back());
        pool.pop_back();
        cell->prepareForReuse();
        return cell;
    }
    auto factory = _cellFactories.find(identifier);
    if (factory == _cellFactories.end())
        detail::fatal(
            "unable to dequeue a cell with identifier \"{}\": register a class or a layout for it", identifier);
    auto cell = factory->second();
    cell->_reuseIdentifier = identifier;
    return cell;
}

std::shared_ptr<CollectionReusableView> CollectionView::dequeueReusableSupplementaryViewOfKind(
    const std::string& kind, const std::string& identifier, IndexPath)
{
    auto& pool = _reusableSupplementaries[kind + "\n" + identifier];
    if (!pool.empty()) {
        auto view = std::move(pool.back());
        pool.pop_back();
        view->prepareForReuse();
        return view;
    }
    auto factory = _supplementaryFactories.find({kind, identifier});
    if (factory == _supplementaryFactories.end())
        detail::fatal("unable to dequeue a view of kind \"{}\" with identifier \"{}\": register a class or a layout "
                      "for it",
            kind, identifier);
    auto view = factory->second();
    view->_reuseIdentifier = identifier;
    view->_elementKind = kind;
    return view;
}

void CollectionView::recycleCell(const std::shared_ptr<CollectionViewCell>& cell, IndexPath path)
{
    if (auto delegate = _delegate.lock())
        delegate->collectionViewDidEndDisplayingCellForItemAtIndexPath(*this, *cell, path);
    cell->setHighlighted(false);
    // Waiting views stay subviews, hidden: taking them out and back costs more than hiding.
    cell->setHidden(true);
    if (cell->reuseIdentifier().empty())
        cell->removeFromSuperview();
    else
        _reusableCells[cell->reuseIdentifier()].push_back(cell);
}

void CollectionView::recycleSupplementary(const std::shared_ptr<CollectionReusableView>& view)
{
    view->setHidden(true);
    if (view->reuseIdentifier().empty())
        view->removeFromSuperview();
    else
        _reusableSupplementaries[view->_elementKind + "\n" + view->reuseIdentifier()].push_back(view);
}

void CollectionView::recycleEverything()
{
    {
        // The delegate hears of each cell; a layout it asks for meanwhile waits for the next pass.
        bool wasTiling = std::exchange(_tiling, true);
        for (const auto& [path, cell] : _visibleCells)
            recycleCell(cell, path);
        _tiling = wasTiling;
    }
    _visibleCells.clear();
    for (const auto& [key, view] : _visibleSupplementaries)
        recycleSupplementary(view);
    _visibleSupplementaries.clear();
}

// Data

void CollectionView::reloadData()
{
    recycleEverything();
    _selected.clear();
    _countsLoaded = false;
    _layout->_needsPrepare = true;
    setNeedsLayout();
}

void CollectionView::loadCountsIfNeeded()
{
    if (!_layout->_collectionView.lock())
        _layout->_collectionView = std::static_pointer_cast<CollectionView>(shared_from_this());
    if (_countsLoaded)
        return;
    _counts.clear();
    auto source = _dataSource.lock();
    int64_t sections = source ? std::max<int64_t>(0, source->numberOfSectionsInCollectionView(*this)) : 0;
    for (int64_t s = 0; s < sections; ++s)
        _counts.push_back(std::max<int64_t>(0, source->collectionViewNumberOfItemsInSection(*this, s)));
    _countsLoaded = true;
}

int64_t CollectionView::numberOfSections()
{
    loadCountsIfNeeded();
    return static_cast<int64_t>(_counts.size());
}

int64_t CollectionView::numberOfItemsInSection(int64_t section)
{
    loadCountsIfNeeded();
    if (section < 0 || section >= static_cast<int64_t>(_counts.size()))
        return 0;
    return _counts[static_cast<size_t>(section)];
}

// Layout: only what the layout puts on screen exists

void CollectionView::placeContentView(const std::shared_ptr<View>& view)
{
    size_t index = _backgroundView && _backgroundView->superview().get() == this ? 1 : 0;
    insertSubview(view, index);
}

void CollectionView::layoutSubviews()
{
    if (_tiling)
        return;
    _tiling = true;
    loadCountsIfNeeded();
    Rect visible = bounds();
    if (visible.size != _laidOutSize && _layout->shouldInvalidateLayoutForBoundsChange(visible))
        _layout->_needsPrepare = true;
    _laidOutSize = visible.size;
    _layout->prepareIfNeeded();
    Size content = _layout->collectionViewContentSize();
    if (content != contentSize())
        setContentSize(content);
    if (_backgroundView)
        _backgroundView->setFrame(visible);
    tile(visible);
    ScrollView::layoutSubviews();
    _tiling = false;
}

void CollectionView::tile(Rect visible)
{
    auto elements = _layout->layoutAttributesForElementsInRect(visible);
    std::map<IndexPath, const CollectionViewLayoutAttributes*> cells;
    std::map<SupplementaryKey, const CollectionViewLayoutAttributes*> supplementaries;
    for (const auto& attributes : elements) {
        if (sameCategory(attributes))
            cells[attributes.indexPath] = &attributes;
        else if (attributes.representedElementCategory == CollectionElementCategory::SupplementaryView)
            supplementaries[{attributes.representedElementKind, attributes.indexPath}] = &attributes;
    }
    for (auto it = _visibleCells.begin(); it != _visibleCells.end();) {
        if (cells.count(it->first)) {
            ++it;
            continue;
        }
        recycleCell(it->second, it->first);
        it = _visibleCells.erase(it);
    }
    for (auto it = _visibleSupplementaries.begin(); it != _visibleSupplementaries.end();) {
        if (supplementaries.count(it->first)) {
            ++it;
            continue;
        }
        recycleSupplementary(it->second);
        it = _visibleSupplementaries.erase(it);
    }
    auto source = _dataSource.lock();
    auto delegate = _delegate.lock();
    for (const auto& [path, attributes] : cells) {
        auto it = _visibleCells.find(path);
        if (it == _visibleCells.end()) {
            auto cell = source ? source->collectionViewCellForItemAtIndexPath(*this, path) : nullptr;
            if (!cell)
                detail::fatal("CollectionView: the data source gave no cell for item {}", path.description());
            if (cell->superview().get() != this)
                placeContentView(cell);
            cell->setHidden(false);
            cell->setSelected(_selected.count(path) != 0);
            cell->setNeedsLayout();
            it = _visibleCells.emplace(path, cell).first;
            it->second->applyLayoutAttributes(*attributes);
            if (delegate)
                delegate->collectionViewWillDisplayCellForItemAtIndexPath(*this, *cell, path);
        } else {
            it->second->applyLayoutAttributes(*attributes);
        }
    }
    for (const auto& [key, attributes] : supplementaries) {
        auto it = _visibleSupplementaries.find(key);
        if (it == _visibleSupplementaries.end()) {
            auto view = source
                ? source->collectionViewViewForSupplementaryElementOfKindAtIndexPath(*this, key.first, key.second)
                : nullptr;
            if (!view)
                continue;
            if (view->superview().get() != this)
                addSubview(view);  // in front of the cells
            view->setHidden(false);
            it = _visibleSupplementaries.emplace(key, view).first;
        }
        it->second->applyLayoutAttributes(*attributes);
    }
}

std::vector<std::shared_ptr<CollectionViewCell>> CollectionView::visibleCells()
{
    layoutIfNeeded();
    return detail::cellsInPathOrder(_visibleCells);
}

std::vector<IndexPath> CollectionView::indexPathsForVisibleItems()
{
    layoutIfNeeded();
    return detail::indexPathsInOrder(_visibleCells);
}

std::shared_ptr<CollectionViewCell> CollectionView::cellForItemAtIndexPath(IndexPath path)
{
    layoutIfNeeded();
    return detail::visibleCellAt(_visibleCells, path);
}

std::optional<IndexPath> CollectionView::indexPathForCell(const CollectionViewCell& cell)
{
    return detail::indexPathOfVisibleCell(_visibleCells, cell);
}

std::optional<IndexPath> CollectionView::indexPathForItemAtPoint(Point point)
{
    loadCountsIfNeeded();
    _layout->prepareIfNeeded();
    for (const auto& attributes : _layout->layoutAttributesForElementsInRect(makeRect(point.x, point.y, 1, 1)))
        if (sameCategory(attributes) && attributes.frame.contains(point))
            return attributes.indexPath;
    return std::nullopt;
}

std::optional<CollectionViewLayoutAttributes> CollectionView::layoutAttributesForItemAtIndexPath(IndexPath path)
{
    loadCountsIfNeeded();
    _layout->prepareIfNeeded();
    return _layout->layoutAttributesForItemAtIndexPath(path);
}

std::shared_ptr<CollectionReusableView> CollectionView::supplementaryViewForElementKind(
    const std::string& kind, IndexPath path)
{
    layoutIfNeeded();
    auto it = _visibleSupplementaries.find({kind, path});
    return it == _visibleSupplementaries.end() ? nullptr : it->second;
}

void CollectionView::scrollToItemAtIndexPath(IndexPath path, unsigned position, bool animated)
{
    auto attributes = layoutAttributesForItemAtIndexPath(path);
    if (!attributes)
        detail::fatal("CollectionView::scrollToItemAtIndexPath: no item {}", path.description());
    Rect item = attributes->frame;
    Rect b = bounds();
    EdgeInsets inset = contentInset();
    Point offset = contentOffset();
    if (position & CollectionViewScrollPositionTop)
        offset.y = item.minY() - inset.top;
    else if (position & CollectionViewScrollPositionCenteredVertically)
        offset.y = item.midY() - (b.height() - inset.top - inset.bottom) / 2 - inset.top;
    else if (position & CollectionViewScrollPositionBottom)
        offset.y = item.maxY() - b.height() + inset.bottom;
    if (position & CollectionViewScrollPositionLeft)
        offset.x = item.minX() - inset.left;
    else if (position & CollectionViewScrollPositionCenteredHorizontally)
        offset.x = item.midX() - (b.width() - inset.left - inset.right) / 2 - inset.left;
    else if (position & CollectionViewScrollPositionRight)
        offset.x = item.maxX() - b.width() + inset.right;
    if (position == CollectionViewScrollPositionNone) {
        scrollRectToVisible(item, animated);
        return;
    }
    Point minimum = minimumContentOffset(), maximum = maximumContentOffset();
    setContentOffset(
        {std::clamp(offset.x, minimum.x, maximum.x), std::clamp(offset.y, minimum.y, maximum.y)}, animated);
}

// Selection

void CollectionView::selectItemAtIndexPath(std::optional<IndexPath> path, bool animated, unsigned scrollPosition)
{
    if (!_allowsMultipleSelection || !path)
        for (const IndexPath& selected : std::vector<IndexPath>(_selected.begin(), _selected.end()))
            if (!path || selected != *path)
                deselectItemAtIndexPath(selected, animated);
    if (!path)
        return;
    _selected.insert(*path);
    if (auto it = _visibleCells.find(*path); it != _visibleCells.end())
        it->second->setSelected(true);
    if (scrollPosition != CollectionViewScrollPositionNone)
        scrollToItemAtIndexPath(*path, scrollPosition, animated);
}

void CollectionView::deselectItemAtIndexPath(IndexPath path, bool)
{
    _selected.erase(path);
    if (auto it = _visibleCells.find(path); it != _visibleCells.end())
        it->second->setSelected(false);
}

std::optional<IndexPath> CollectionView::itemUnderTouch(const TouchSet& touches)
{
    if (touches.empty())
        return std::nullopt;
    return indexPathForItemAtPoint(touches.front()->locationInView(this));
}

void CollectionView::touchesBegan(const TouchSet& touches, const Event&)
{
    _touchedItem.reset();
    auto item = itemUnderTouch(touches);
    if (!item || !_allowsSelection)
        return;
    if (auto delegate = _delegate.lock();
        delegate && !delegate->collectionViewShouldHighlightItemAtIndexPath(*this, *item))
        return;
    _touchedItem = item;
    if (auto it = _visibleCells.find(*item); it != _visibleCells.end())
        it->second->setHighlighted(true);
}

void CollectionView::touchesEnded(const TouchSet& touches, const Event&)
{
    auto item = std::exchange(_touchedItem, std::nullopt);
    if (!item)
        return;
    auto keepAlive = weak_from_this().lock();
    if (auto it = _visibleCells.find(*item); it != _visibleCells.end())
        it->second->setHighlighted(false);
    if (itemUnderTouch(touches) != item)
        return;
    auto delegate = _delegate.lock();
    if (_selected.count(*item)) {
        if (!_allowsMultipleSelection)
            return;
        if (delegate && !delegate->collectionViewShouldDeselectItemAtIndexPath(*this, *item))
            return;
        deselectItemAtIndexPath(*item, false);
        if (delegate)
            delegate->collectionViewDidDeselectItemAtIndexPath(*this, *item);
        return;
    }
    if (delegate && !delegate->collectionViewShouldSelectItemAtIndexPath(*this, *item))
        return;
    if (!_allowsMultipleSelection)
        for (const IndexPath& selected : std::vector<IndexPath>(_selected.begin(), _selected.end())) {
            deselectItemAtIndexPath(selected, false);
            if (delegate)
                delegate->collectionViewDidDeselectItemAtIndexPath(*this, selected);
        }
    _selected.insert(*item);
    if (auto it = _visibleCells.find(*item); it != _visibleCells.end())
        it->second->setSelected(true);
    if (delegate)
        delegate->collectionViewDidSelectItemAtIndexPath(*this, *item);
}

void CollectionView::touchesCancelled(const TouchSet&, const Event&)
{
    auto item = std::exchange(_touchedItem, std::nullopt);
    if (item)
        if (auto it = _visibleCells.find(*item); it != _visibleCells.end())
            it->second->setHighlighted(false);
}

}  // namespace plat
