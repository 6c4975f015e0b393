#pragma once
#include <cstdint>
#include <map>
#include <set>
#include <utility>
#include <vector>

#include "platform/ui/IndexPath.h"
#include "platform/ui/TableViewTypes.h"

namespace plat::detail {

// The changes announced between a table's beginUpdates and endUpdates (or
// one at a time), in the platform's terms: deletions, reloads and the
// sources of moves name rows and sections as they were before; insertions
// and the destinations of moves as they are after.
struct TableUpdateBatch {
    std::map<int64_t, TableViewRowAnimation> insertedSections;
    std::map<int64_t, TableViewRowAnimation> deletedSections;
    std::map<int64_t, TableViewRowAnimation> reloadedSections;
    std::map<IndexPath, TableViewRowAnimation> insertedRows;
    std::map<IndexPath, TableViewRowAnimation> deletedRows;
    std::map<IndexPath, TableViewRowAnimation> reloadedRows;
    std::vector<std::pair<IndexPath, IndexPath>> movedRows;  // before, after

    bool empty() const;
};

// What becomes of each row: rows that stay (moved or not) and where they
// go, rows that leave and rows that arrive, with their animations.
struct TableUpdatePlan {
    std::map<IndexPath, IndexPath> staying;  // before -> after
    std::map<IndexPath, TableViewRowAnimation> leaving;  // before
    std::map<IndexPath, TableViewRowAnimation> arriving;  // after
};

// Plans a batch against the row counts before and after (the data
// source's, after the change). Counts that do not add up are a programmer
// error, as on the platform: the process stops and names the section.
TableUpdatePlan planTableUpdates(
    const TableUpdateBatch& batch, const std::vector<int64_t>& countsBefore, const std::vector<int64_t>& countsAfter);

}  // namespace plat::detail
