// The collection view's changes of items and sections, batched and
// animated. The rest of CollectionView is in CollectionView.cpp.
#include <algorithm>
#include <utility>

#include "platform/ui/CollectionView.h"
#include "platform/ui/TableUpdates.h"

namespace plat {

void CollectionView::performBatchUpdates(const std::function<void()>& updates, std::function<void(bool)> completion)
{
    if (_batchDepth++ == 0)
        _pendingBatch = std::make_unique<detail::TableUpdateBatch>();
    if (completion)
        _batchCompletions.push_back(std::move(completion));
    if (updates)
        updates();
    if (--_batchDepth > 0)
        return;
    auto batch = std::move(_pendingBatch);
    applyBatch(std::move(*batch));
}

void CollectionView::addChange(const std::function<void(detail::TableUpdateBatch&)>& change)
{
    performBatchUpdates([&] { change(*_pendingBatch); }, nullptr);
}

void CollectionView::insertItemsAtIndexPaths(const std::vector<IndexPath>& paths)
{
    addChange([&](auto& batch) {
        for (const auto& path : paths)
            batch.insertedRows[path] = TableViewRowAnimation::Fade;
    });
}

void CollectionView::deleteItemsAtIndexPaths(const std::vector<IndexPath>& paths)
{
    addChange([&](auto& batch) {
        for (const auto& path : paths)
            batch.deletedRows[path] = TableViewRowAnimation::Fade;
    });
}

void CollectionView::reloadItemsAtIndexPaths(const std::vector<IndexPath>& paths)
{
    addChange([&](auto& batch) {
        for (const auto& path : paths)
            batch.reloadedRows[path] = TableViewRowAnimation::Fade;
    });
}

void CollectionView::moveItemAtIndexPath(IndexPath from, IndexPath to)
{
    addChange([&](auto& batch) { batch.movedRows.emplace_back(from, to); });
}

void CollectionView::insertSections(const std::set<int64_t>& sections)
{
    addChange([&](auto& batch) {
        for (int64_t s : sections)
            batch.insertedSections[s] = TableViewRowAnimation::Fade;
    });
}

void CollectionView::deleteSections(const std::set<int64_t>& sections)
{
    addChange([&](auto& batch) {
        for (int64_t s : sections)
            batch.deletedSections[s] = TableViewRowAnimation::Fade;
    });
}

void CollectionView::reloadSections(const std::set<int64_t>& sections)
{
    addChange([&](auto& batch) {
        for (int64_t s : sections)
            batch.reloadedSections[s] = TableViewRowAnimation::Fade;
    });
}

void CollectionView::applyBatch(detail::TableUpdateBatch batch)
{
    auto keepAlive = weak_from_this().lock();
    auto completions = std::move(_batchCompletions);
    _batchCompletions.clear();
    auto finish = [completions](bool finished) {
        for (const auto& completion : completions)
            completion(finished);
    };
    if (!_countsLoaded) {
        // Nothing was shown from the old data: the next layout reads the new.
        View::animateWithDuration(
            0, [] {}, finish);
        return;
    }
    auto before = _counts;
    _countsLoaded = false;
    loadCountsIfNeeded();
    auto plan = detail::planTableUpdates(batch, before, _counts);

    std::map<IndexPath, Rect> oldFrames;
    std::map<IndexPath, std::shared_ptr<CollectionViewCell>> kept;
    std::vector<std::shared_ptr<CollectionViewCell>> leaving;
    // The delegate hears of leaving cells; a layout it asks for meanwhile waits for the one below.
    bool wasTiling = std::exchange(_tiling, true);
    for (const auto& [path, cell] : _visibleCells) {
        if (auto stay = plan.staying.find(path); stay != plan.staying.end()) {
            kept[stay->second] = cell;
            oldFrames[stay->second] = cell->frame();
        } else {
            leaving.push_back(cell);
            if (auto delegate = _delegate.lock())
                delegate->collectionViewDidEndDisplayingCellForItemAtIndexPath(*this, *cell, path);
        }
    }
    _tiling = wasTiling;
    std::set<IndexPath> selected;
    for (const IndexPath& path : _selected)
        if (auto stay = plan.staying.find(path); stay != plan.staying.end())
            selected.insert(stay->second);
    _selected = std::move(selected);
    _visibleCells = std::move(kept);
    for (const auto& [key, view] : _visibleSupplementaries)
        recycleSupplementary(view);
    _visibleSupplementaries.clear();
    _layout->_needsPrepare = true;
    View::performWithoutAnimation([&] { layoutSubviews(); });

    std::vector<std::pair<std::shared_ptr<CollectionViewCell>, Rect>> moves;
    std::vector<std::shared_ptr<CollectionViewCell>> arrivals;
    for (const auto& [path, cell] : _visibleCells) {
        auto old = oldFrames.find(path);
        if (old == oldFrames.end()) {
            View::performWithoutAnimation([&arriving = cell] { arriving->setAlpha(0); });
            arrivals.push_back(cell);
        } else if (old->second != cell->frame()) {
            moves.emplace_back(cell, cell->frame());
            View::performWithoutAnimation([&moving = cell, &from = old->second] { moving->setFrame(from); });
        }
    }
    std::weak_ptr<Object> weakSelf = weak_from_this();
    View::animateWithDuration(
        kUpdateSeconds,
        [&] {
            for (const auto& [cell, frame] : moves)
                cell->setFrame(frame);
            for (const auto& cell : arrivals)
                cell->setAlpha(1);
            for (const auto& cell : leaving)
                cell->setAlpha(0);
        },
        [weakSelf, leaving, finish](bool finished) {
            auto self = std::static_pointer_cast<CollectionView>(weakSelf.lock());
            for (const auto& cell : leaving) {
                View::performWithoutAnimation([&] { cell->setAlpha(1); });
                cell->setHidden(true);
                if (self && !cell->reuseIdentifier().empty())
                    self->_reusableCells[cell->reuseIdentifier()].push_back(cell);
                else
                    cell->removeFromSuperview();
            }
            finish(finished);
        });
}

}  // namespace plat
