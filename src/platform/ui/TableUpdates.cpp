#include "platform/ui/TableUpdates.h"

#include "platform/foundation/Fatal.h"

namespace plat::detail {

bool TableUpdateBatch::empty() const
{
    return insertedSections.empty() && deletedSections.empty() && reloadedSections.empty() && insertedRows.empty()
        && deletedRows.empty() && reloadedRows.empty() && movedRows.empty();
}

TableUpdatePlan planTableUpdates(
    const TableUpdateBatch& batch, const std::vector<int64_t>& countsBefore, const std::vector<int64_t>& countsAfter)
{
    const auto sectionsBefore = static_cast<int64_t>(countsBefore.size());
    const auto sectionsAfter = static_cast<int64_t>(countsAfter.size());
    int64_t expectedSections = sectionsBefore - static_cast<int64_t>(batch.deletedSections.size())
        + static_cast<int64_t>(batch.insertedSections.size());
    if (expectedSections != sectionsAfter)
        fatal("Invalid update: invalid number of sections: {} after the update, should be {} ({} before, {} inserted, "
              "{} deleted)",
            sectionsAfter, expectedSections, sectionsBefore, batch.insertedSections.size(),
            batch.deletedSections.size());

    // Sections that stay, in order, before and after.
    std::vector<int64_t> sectionAfter(static_cast<size_t>(sectionsBefore), -1);
    {
        int64_t next = 0;
        for (int64_t s = 0; s < sectionsBefore; ++s) {
            if (batch.deletedSections.count(s))
                continue;
            while (batch.insertedSections.count(next))
                ++next;
            sectionAfter[static_cast<size_t>(s)] = next++;
        }
    }

    TableUpdatePlan plan;
    for (const auto& [section, animation] : batch.deletedSections)
        for (int64_t row = 0; row < countsBefore.at(static_cast<size_t>(section)); ++row)
            plan.leaving[{section, row}] = animation;
    for (const auto& [section, animation] : batch.insertedSections)
        for (int64_t row = 0; row < countsAfter.at(static_cast<size_t>(section)); ++row)
            plan.arriving[{section, row}] = animation;

    for (int64_t s = 0; s < sectionsBefore; ++s) {
        int64_t t = sectionAfter[static_cast<size_t>(s)];
        if (t < 0)
            continue;
        int64_t before = countsBefore[static_cast<size_t>(s)];
        int64_t after = countsAfter[static_cast<size_t>(t)];
        if (auto reload = batch.reloadedSections.find(s); reload != batch.reloadedSections.end()) {
            for (int64_t row = 0; row < before; ++row)
                plan.leaving[{s, row}] = reload->second;
            for (int64_t row = 0; row < after; ++row)
                plan.arriving[{t, row}] = reload->second;
            continue;
        }
        std::set<int64_t> gone, come;
        for (const auto& [path, animation] : batch.deletedRows)
            if (path.section == s) {
                gone.insert(path.row);
                plan.leaving[path] = animation;
            }
        for (const auto& [path, animation] : batch.insertedRows)
            if (path.section == t) {
                come.insert(path.row);
                plan.arriving[path] = animation;
            }
        for (const auto& [from, to] : batch.movedRows) {
            if (from.section == s)
                gone.insert(from.row);
            if (to.section == t)
                come.insert(to.row);
        }
        int64_t expected = before - static_cast<int64_t>(gone.size()) + static_cast<int64_t>(come.size());
        if (expected != after)
            fatal("Invalid update: invalid number of rows in section {}: {} after the update, should be {} ({} "
                  "before, {} inserted or moved in, {} deleted or moved out)",
                t, after, expected, before, come.size(), gone.size());
        int64_t next = 0;
        for (int64_t row = 0; row < before; ++row) {
            if (gone.count(row))
                continue;
            while (come.count(next))
                ++next;
            IndexPath from {s, row}, to {t, next++};
            if (auto reload = batch.reloadedRows.find(from); reload != batch.reloadedRows.end()) {
                plan.leaving[from] = reload->second;
                plan.arriving[to] = reload->second;
            } else {
                plan.staying[from] = to;
            }
        }
    }
    for (const auto& [from, to] : batch.movedRows)
        plan.staying[from] = to;
    return plan;
}

}  // namespace plat::detail
