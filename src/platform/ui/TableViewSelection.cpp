// The table's selection: by code, and by the user's touches on its rows.
// The rest of TableView is in TableView.cpp.
#include <utility>
#include <vector>

#include "platform/ui/TableGeometry.h"
#include "platform/ui/TableView.h"

namespace plat {

std::optional<IndexPath> TableView::indexPathForSelectedRow() const
{
    if (_selected.empty())
        return std::nullopt;
    return *_selected.begin();
}

std::vector<IndexPath> TableView::indexPathsForSelectedRows() const
{
    return {_selected.begin(), _selected.end()};
}

void TableView::selectRowAtIndexPath(std::optional<IndexPath> path, bool animated, TableViewScrollPosition position)
{
    if (!_allowsMultipleSelection || !path) {
        for (const IndexPath& selected : std::vector<IndexPath>(_selected.begin(), _selected.end()))
            if (!path || selected != *path)
                deselectRowAtIndexPath(selected, animated);
    }
    if (!path)
        return;
    _selected.insert(*path);
    if (auto it = _visibleCells.find(*path); it != _visibleCells.end())
        it->second->setSelected(true, animated);
    if (position != TableViewScrollPosition::None)
        scrollToRowAtIndexPath(*path, position, animated);
}

void TableView::deselectRowAtIndexPath(IndexPath path, bool animated)
{
    _selected.erase(path);
    if (auto it = _visibleCells.find(path); it != _visibleCells.end())
        it->second->setSelected(false, animated);
}

void TableView::selectRowByUser(IndexPath path)
{
    auto keepAlive = weak_from_this().lock();
    auto delegate = _delegate.lock();
    std::optional<IndexPath> target = delegate ? delegate->tableViewWillSelectRowAtIndexPath(*this, path) : path;
    if (!target || !_geometry->contains(*target))
        return;
    if (_allowsMultipleSelection && _selected.count(*target)) {
        deselectRowByUser(*target);
        return;
    }
    if (!_allowsMultipleSelection)
        for (const IndexPath& selected : std::vector<IndexPath>(_selected.begin(), _selected.end()))
            if (selected != *target)
                deselectRowByUser(selected);
    _selected.insert(*target);
    if (auto it = _visibleCells.find(*target); it != _visibleCells.end())
        it->second->setSelected(true, false);
    if (delegate)
        delegate->tableViewDidSelectRowAtIndexPath(*this, *target);
}

void TableView::deselectRowByUser(IndexPath path)
{
    auto delegate = _delegate.lock();
    std::optional<IndexPath> target = delegate ? delegate->tableViewWillDeselectRowAtIndexPath(*this, path) : path;
    if (!target || !_selected.count(*target))
        return;
    deselectRowAtIndexPath(*target, false);
    if (delegate)
        delegate->tableViewDidDeselectRowAtIndexPath(*this, *target);
}

std::optional<IndexPath> TableView::rowUnderTouch(const TouchSet& touches) const
{
    if (touches.empty())
        return std::nullopt;
    Point p = touches.front()->locationInView(this);
    if (p.x < bounds().minX() || p.x >= bounds().maxX())
        return std::nullopt;
    return _geometry->rowAt(p.y);
}

void TableView::touchesBegan(const TouchSet& touches, const Event&)
{
    _touchedRow.reset();
    if (_deleteConfirmationRow) {
        // A touch anywhere else first puts the confirmation away.
        hideDeleteConfirmation();
        return;
    }
    auto row = rowUnderTouch(touches);
    if (!row || !(_editing ? _allowsSelectionDuringEditing : _allowsSelection))
        return;
    if (auto delegate = _delegate.lock(); delegate && !delegate->tableViewShouldHighlightRowAtIndexPath(*this, *row))
        return;
    _touchedRow = row;
    if (auto it = _visibleCells.find(*row); it != _visibleCells.end())
        it->second->setHighlighted(true, false);
}

void TableView::touchesMoved(const TouchSet&, const Event&) { }

void TableView::touchesEnded(const TouchSet& touches, const Event&)
{
    auto row = std::exchange(_touchedRow, std::nullopt);
    if (!row)
        return;
    if (auto it = _visibleCells.find(*row); it != _visibleCells.end())
        it->second->setHighlighted(false, false);
    if (rowUnderTouch(touches) == row)
        selectRowByUser(*row);
}

void TableView::touchesCancelled(const TouchSet&, const Event&)
{
    auto row = std::exchange(_touchedRow, std::nullopt);
    if (row)
        if (auto it = _visibleCells.find(*row); it != _visibleCells.end())
            it->second->setHighlighted(false, false);
}

}  // namespace plat
