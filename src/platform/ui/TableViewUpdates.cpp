// The table's changes of rows (batched inserts, deletes, reloads and moves
// with their animations) and its editing: editing mode, delete
// confirmations, swipe to delete and reordering. The rest of TableView is
// in TableView.cpp.
#include <algorithm>
#include <utility>

#include "platform/foundation/Fatal.h"
#include "platform/ui/SwipeGestureRecognizer.h"
#include "platform/ui/TableGeometry.h"
#include "platform/ui/TableUpdates.h"
#include "platform/ui/TableView.h"

namespace plat {

namespace {

constexpr double kReorderShiftSeconds = 0.2;

// Where a row animation starts an arriving cell, or takes a leaving one.
Rect displacedFrame(Rect frame, TableViewRowAnimation animation)
{
    switch (animation) {
    case TableViewRowAnimation::Left:
        return {{frame.minX() - frame.width(), frame.minY()}, frame.size};
    case TableViewRowAnimation::Right:
        return {{frame.minX() + frame.width(), frame.minY()}, frame.size};
    case TableViewRowAnimation::Top:
        return {{frame.minX(), frame.minY() - frame.height()}, frame.size};
    case TableViewRowAnimation::Bottom:
        return {{frame.minX(), frame.minY() + frame.height()}, frame.size};
    default:
        return frame;
    }
}

bool fades(TableViewRowAnimation animation)
{
    return animation != TableViewRowAnimation::None && animation != TableViewRowAnimation::Left
        && animation != TableViewRowAnimation::Right;
}

}  // namespace

// Batches

void TableView::beginUpdates()
{
    ++_updateDepth;
    if (!_pendingBatch)
        _pendingBatch = std::make_unique<detail::TableUpdateBatch>();
}

void TableView::endUpdates()
{
    if (_updateDepth == 0)
        detail::fatal("TableView::endUpdates without beginUpdates");
    if (--_updateDepth > 0)
        return;
    auto batch = std::move(_pendingBatch);
    if (batch && !batch->empty())
        applyBatch(std::move(*batch));
}

#define ZT_TABLE_CHANGE(body)                                                                                          \
    beginUpdates();                                                                                                    \
    body;                                                                                                              \
    endUpdates()

void TableView::insertSections(const std::set<int64_t>& sections, TableViewRowAnimation animation)
{
    ZT_TABLE_CHANGE(for (int64_t s : sections) _pendingBatch->insertedSections[s] = animation);
}

void TableView::deleteSections(const std::set<int64_t>& sections, TableViewRowAnimation animation)
{
    ZT_TABLE_CHANGE(for (int64_t s : sections) _pendingBatch->deletedSections[s] = animation);
}

void TableView::reloadSections(const std::set<int64_t>& sections, TableViewRowAnimation animation)
{
    ZT_TABLE_CHANGE(for (int64_t s : sections) _pendingBatch->reloadedSections[s] = animation);
}

void TableView::insertRowsAtIndexPaths(const std::vector<IndexPath>& paths, TableViewRowAnimation animation)
{
    ZT_TABLE_CHANGE(for (const auto& path : paths) _pendingBatch->insertedRows[path] = animation);
}

void TableView::deleteRowsAtIndexPaths(const std::vector<IndexPath>& paths, TableViewRowAnimation animation)
{
    ZT_TABLE_CHANGE(for (const auto& path : paths) _pendingBatch->deletedRows[path] = animation);
}

void TableView::reloadRowsAtIndexPaths(const std::vector<IndexPath>& paths, TableViewRowAnimation animation)
{
    ZT_TABLE_CHANGE(for (const auto& path : paths) _pendingBatch->reloadedRows[path] = animation);
}

void TableView::moveRowAtIndexPath(IndexPath from, IndexPath to)
{
    ZT_TABLE_CHANGE(_pendingBatch->movedRows.emplace_back(from, to));
}

#undef ZT_TABLE_CHANGE

void TableView::applyBatch(detail::TableUpdateBatch batch)
{
    auto keepAlive = weak_from_this().lock();
    if (_needsReload) {
        // Nothing was shown from the old data: the next layout reads the new.
        return;
    }
    auto before = currentRowCounts();
    rebuildGeometry();
    auto plan = detail::planTableUpdates(batch, before, currentRowCounts());

    std::map<IndexPath, Rect> oldFrames;
    std::map<IndexPath, std::shared_ptr<TableViewCell>> moved;
    std::vector<std::pair<std::shared_ptr<TableViewCell>, TableViewRowAnimation>> leaving;
    // The delegate hears of leaving cells; a layout it asks for meanwhile waits for the one below.
    bool wasTiling = std::exchange(_tiling, true);
    for (const auto& [path, cell] : _visibleCells) {
        if (auto stay = plan.staying.find(path); stay != plan.staying.end()) {
            moved[stay->second] = cell;
            oldFrames[stay->second] = cell->frame();
        } else {
            auto how = plan.leaving.find(path);
            leaving.emplace_back(cell, how == plan.leaving.end() ? TableViewRowAnimation::Fade : how->second);
            if (auto delegate = _delegate.lock())
                delegate->tableViewDidEndDisplayingCellForRowAtIndexPath(*this, *cell, path);
        }
    }
    _tiling = wasTiling;
    std::set<IndexPath> selected;
    for (const IndexPath& path : _selected)
        if (auto stay = plan.staying.find(path); stay != plan.staying.end())
            selected.insert(stay->second);
    _selected = std::move(selected);
    hideDeleteConfirmation();
    _visibleCells = std::move(moved);
    View::performWithoutAnimation([&] { layoutSubviews(); });
    animateRowChanges(oldFrames, std::move(leaving), plan.arriving);
}

void TableView::animateRowChanges(const std::map<IndexPath, Rect>& oldFrames,
    std::vector<std::pair<std::shared_ptr<TableViewCell>, TableViewRowAnimation>> leaving,
    const std::map<IndexPath, TableViewRowAnimation>& arriving)
{
    // Leaving cells wait for reuse only after they went; they are no longer rows.
    auto retire = [weakSelf = std::weak_ptr<Object>(weak_from_this())](
                      const std::vector<std::pair<std::shared_ptr<TableViewCell>, TableViewRowAnimation>>& cells) {
        auto self = std::static_pointer_cast<TableView>(weakSelf.lock());
        for (const auto& [cell, animation] : cells) {
            View::performWithoutAnimation([&gone = cell] { gone->setAlpha(1); });
            cell->setHidden(true);
            if (!self || cell->reuseIdentifier().empty())
                cell->removeFromSuperview();
            else
                self->_reusableCells[cell->reuseIdentifier()].push_back(cell);
        }
    };
    bool animate = View::areAnimationsEnabled();
    std::vector<std::pair<std::shared_ptr<TableViewCell>, TableViewRowAnimation>> animatedOut;
    std::vector<std::pair<std::shared_ptr<TableViewCell>, TableViewRowAnimation>> immediate;
    for (auto& entry : leaving)
        (animate && entry.second != TableViewRowAnimation::None ? animatedOut : immediate).push_back(std::move(entry));
    retire(immediate);
    if (!animate)
        return;

    // Arriving cells start where their animation brings them from.
    std::vector<std::pair<std::shared_ptr<TableViewCell>, Rect>> arrivals;
    for (const auto& [path, animation] : arriving) {
        auto it = _visibleCells.find(path);
        if (it == _visibleCells.end() || animation == TableViewRowAnimation::None)
            continue;
        Rect final = it->second->frame();
        View::performWithoutAnimation([&, style = animation] {
            it->second->setFrame(displacedFrame(final, style));
            if (fades(style))
                it->second->setAlpha(0);
        });
        arrivals.emplace_back(it->second, final);
    }
    std::vector<std::pair<std::shared_ptr<TableViewCell>, Rect>> shifts;
    for (const auto& [path, old] : oldFrames) {
        auto it = _visibleCells.find(path);
        if (it == _visibleCells.end() || it->second->frame() == old)
            continue;
        Rect final = it->second->frame();
        View::performWithoutAnimation([&, &from = old] { it->second->setFrame(from); });
        shifts.emplace_back(it->second, final);
    }
    if (arrivals.empty() && shifts.empty() && animatedOut.empty())
        return;
    View::animateWithDuration(
        kRowAnimationSeconds,
        [&] {
            for (const auto& [cell, final] : arrivals) {
                cell->setFrame(final);
                cell->setAlpha(1);
            }
            for (const auto& [cell, final] : shifts)
                cell->setFrame(final);
            for (const auto& [cell, animation] : animatedOut) {
                cell->setFrame(displacedFrame(cell->frame(), animation));
                if (fades(animation))
                    cell->setAlpha(0);
            }
        },
        [retire, animatedOut](bool) { retire(animatedOut); });
}

// Editing

void TableView::setEditing(bool editing, bool)
{
    if (editing == _editing)
        return;
    _editing = editing;
    hideDeleteConfirmation();
    for (const auto& [path, cell] : _visibleCells)
        configureForDisplay(*cell, path);
    setNeedsLayout();
}

bool TableView::dataSourceCommitsEdits()
{
    auto source = _dataSource.lock();
    return source && source->commitsEditingStyles();
}

void TableView::hideDeleteConfirmation()
{
    auto row = std::exchange(_deleteConfirmationRow, std::nullopt);
    if (!row)
        return;
    if (auto it = _visibleCells.find(*row); it != _visibleCells.end())
        it->second->showDeleteConfirmation(false, {});
}

void TableView::editingControlTapped(TableViewCell& cell)
{
    auto path = indexPathForCell(cell);
    auto source = _dataSource.lock();
    if (!path || !source)
        return;
    if (cell.editingStyle() == TableViewCellEditingStyle::Insert) {
        source->tableViewCommitEditingStyleForRowAtIndexPath(*this, TableViewCellEditingStyle::Insert, *path);
        return;
    }
    bool showing = _deleteConfirmationRow == path;
    hideDeleteConfirmation();
    if (showing)
        return;
    auto delegate = _delegate.lock();
    std::string title
        = delegate ? delegate->tableViewTitleForDeleteConfirmationButtonForRowAtIndexPath(*this, *path) : "Delete";
    cell.showDeleteConfirmation(true, title);
    _deleteConfirmationRow = path;
}

void TableView::deleteConfirmed(TableViewCell& cell)
{
    auto keepAlive = weak_from_this().lock();
    auto path = indexPathForCell(cell);
    hideDeleteConfirmation();
    if (auto source = _dataSource.lock(); source && path)
        source->tableViewCommitEditingStyleForRowAtIndexPath(*this, TableViewCellEditingStyle::Delete, *path);
}

void TableView::handleSwipe(SwipeGestureRecognizer& swipe)
{
    if (_editing || swipe.state() != GestureRecognizerState::Recognized || !dataSourceCommitsEdits())
        return;
    auto source = _dataSource.lock();
    auto delegate = _delegate.lock();
    Point p = swipe.locationInView(this);
    auto row = _geometry->rowAt(p.y);
    if (!row || !source->tableViewCanEditRowAtIndexPath(*this, *row))
        return;
    if (delegate && delegate->tableViewEditingStyleForRowAtIndexPath(*this, *row) != TableViewCellEditingStyle::Delete)
        return;
    auto it = _visibleCells.find(*row);
    if (it == _visibleCells.end())
        return;
    hideDeleteConfirmation();
    std::string title
        = delegate ? delegate->tableViewTitleForDeleteConfirmationButtonForRowAtIndexPath(*this, *row) : "Delete";
    it->second->showDeleteConfirmation(true, title);
    _deleteConfirmationRow = row;
}

void TableView::accessoryButtonTapped(TableViewCell& cell)
{
    auto path = indexPathForCell(cell);
    if (auto delegate = _delegate.lock(); delegate && path)
        delegate->tableViewAccessoryButtonTappedForRowWithIndexPath(*this, *path);
}

// Reordering: the cell follows the finger; rows of its section make room.

void TableView::beginReorder(TableViewCell& cell, double y)
{
    auto path = indexPathForCell(cell);
    if (!path)
        return;
    auto shared = _visibleCells[*path];
    _reorder = std::make_unique<Reorder>(Reorder {*path, *path, shared, y - cell.frame().minY()});
    bringSubviewToFront(cell);
}

void TableView::continueReorder(double y)
{
    if (!_reorder)
        return;
    Reorder& r = *_reorder;
    Rect frame = r.cell->frame();
    double top = std::clamp(y - r.grabOffset, 0.0, std::max(0.0, _geometry->contentHeight() - frame.height()));
    r.cell->setFrame({{frame.minX(), top}, frame.size});
    auto under = _geometry->rowAt(top + frame.height() / 2);
    if (!under)
        return;
    IndexPath proposed = *under;
    if (auto delegate = _delegate.lock())
        proposed = delegate->tableViewTargetIndexPathForMoveFromRowAtIndexPath(*this, r.from, proposed);
    if (proposed == r.current || !_geometry->contains(proposed))
        return;
    r.current = proposed;
    // Rows between the old and the new place shift by one to make room.
    View::animateWithDuration(kReorderShiftSeconds, [&] {
        for (const auto& [path, cell] : _visibleCells) {
            if (cell == r.cell)
                continue;
            IndexPath shown = path;
            if (path.section == r.from.section && path.section == r.current.section) {
                if (r.from.row < path.row && path.row <= r.current.row)
                    shown.row -= 1;
                else if (r.current.row <= path.row && path.row < r.from.row)
                    shown.row += 1;
            }
            cell->setFrame(rowFrame(shown));
        }
    });
}

void TableView::endReorder()
{
    if (!_reorder)
        return;
    auto keepAlive = weak_from_this().lock();
    auto reorder = std::move(_reorder);
    auto source = _dataSource.lock();
    if (reorder->current == reorder->from || !source) {
        View::animateWithDuration(kReorderShiftSeconds, [&] { layoutSubviews(); });
        return;
    }
    source->tableViewMoveRowAtIndexPathToIndexPath(*this, reorder->from, reorder->current);
    moveRowAtIndexPath(reorder->from, reorder->current);
}

}  // namespace plat
