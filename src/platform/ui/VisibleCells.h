#pragma once
#include <map>
#include <memory>
#include <optional>
#include <vector>

#include "platform/ui/IndexPath.h"

namespace plat::detail {

// The cells a table or a collection view has on screen, by index path, and
// the questions both answer about them. Main thread.
template <typename Cell> using VisibleCells = std::map<IndexPath, std::shared_ptr<Cell>>;

template <typename Cell> std::vector<std::shared_ptr<Cell>> cellsInPathOrder(const VisibleCells<Cell>& visible)
{
    std::vector<std::shared_ptr<Cell>> cells;
    for (const auto& [path, cell] : visible)
        cells.push_back(cell);
    return cells;
}

template <typename Cell> std::vector<IndexPath> indexPathsInOrder(const VisibleCells<Cell>& visible)
{
    std::vector<IndexPath> paths;
    for (const auto& [path, cell] : visible)
        paths.push_back(path);
    return paths;
}

// None where no cell shows path.
template <typename Cell> std::shared_ptr<Cell> visibleCellAt(const VisibleCells<Cell>& visible, IndexPath path)
{
    auto it = visible.find(path);
    return it == visible.end() ? nullptr : it->second;
}

template <typename Cell>
std::optional<IndexPath> indexPathOfVisibleCell(const VisibleCells<Cell>& visible, const Cell& cell)
{
    for (const auto& [path, shown] : visible)
        if (shown.get() == &cell)
            return path;
    return std::nullopt;
}

}  // namespace plat::detail
