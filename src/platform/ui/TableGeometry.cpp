#include "platform/ui/TableGeometry.h"

#include <algorithm>
#include <cmath>

namespace plat::detail {

double TableGeometry::Section::rowsHeight() const
{
    return rowTops.empty() ? uniformRowHeight * static_cast<double>(rows) : rowTops.back();
}

double TableGeometry::Section::rowTop(int64_t row) const
{
    return rowTops.empty() ? uniformRowHeight * static_cast<double>(row) : rowTops[static_cast<size_t>(row)];
}

double TableGeometry::Section::rowHeight(int64_t row) const
{
    if (rowTops.empty())
        return uniformRowHeight;
    auto index = static_cast<size_t>(row);
    return rowTops[index + 1] - rowTops[index];
}

int64_t TableGeometry::Section::rowAtOffset(double offset) const
{
    if (rows == 0)
        return 0;
    if (rowTops.empty()) {
        if (uniformRowHeight <= 0)
            return 0;
        return std::clamp(static_cast<int64_t>(std::floor(offset / uniformRowHeight)), int64_t {0}, rows - 1);
    }
    auto it = std::upper_bound(rowTops.begin(), rowTops.end(), offset);
    int64_t row = static_cast<int64_t>(it - rowTops.begin()) - 1;
    return std::clamp(row, int64_t {0}, rows - 1);
}

void TableGeometry::reset(double tableHeaderHeight)
{
    _sections.clear();
    _tableHeaderHeight = tableHeaderHeight;
    _tableFooterHeight = 0;
    _cursor = tableHeaderHeight;
    _contentHeight = tableHeaderHeight;
}

void TableGeometry::addSection(
    double headerHeight, double footerHeight, int64_t rows, double uniformRowHeight, std::vector<double> rowHeights)
{
    Section section;
    section.top = _cursor;
    section.headerHeight = std::max(0.0, headerHeight);
    section.footerHeight = std::max(0.0, footerHeight);
    section.rows = std::max<int64_t>(0, rows);
    section.uniformRowHeight = std::max(0.0, uniformRowHeight);
    if (!rowHeights.empty()) {
        section.rowTops.reserve(rowHeights.size() + 1);
        double top = 0;
        section.rowTops.push_back(0);
        for (double height : rowHeights) {
            top += std::max(0.0, height);
            section.rowTops.push_back(top);
        }
    }
    _cursor += section.headerHeight + section.rowsHeight() + section.footerHeight;
    _sections.push_back(std::move(section));
}

void TableGeometry::finish(double tableFooterHeight)
{
    _tableFooterHeight = tableFooterHeight;
    _contentHeight = _cursor + tableFooterHeight;
}

int64_t TableGeometry::numberOfRows(int64_t section) const
{
    if (section < 0 || section >= numberOfSections())
        return 0;
    return _sections[static_cast<size_t>(section)].rows;
}

bool TableGeometry::contains(IndexPath path) const
{
    return path.section >= 0 && path.section < numberOfSections() && path.row >= 0
        && path.row < _sections[static_cast<size_t>(path.section)].rows;
}

TableGeometry::Span TableGeometry::section(int64_t index) const
{
    const Section& s = _sections.at(static_cast<size_t>(index));
    return {s.top, s.headerHeight + s.rowsHeight() + s.footerHeight};
}

TableGeometry::Span TableGeometry::header(int64_t index) const
{
    const Section& s = _sections.at(static_cast<size_t>(index));
    return {s.top, s.headerHeight};
}

TableGeometry::Span TableGeometry::footer(int64_t index) const
{
    const Section& s = _sections.at(static_cast<size_t>(index));
    return {s.top + s.headerHeight + s.rowsHeight(), s.footerHeight};
}

TableGeometry::Span TableGeometry::row(IndexPath path) const
{
    const Section& s = _sections.at(static_cast<size_t>(path.section));
    return {s.top + s.headerHeight + s.rowTop(path.row), s.rowHeight(path.row)};
}

std::vector<int64_t> TableGeometry::sectionsBetween(double top, double bottom) const
{
    std::vector<int64_t> found;
    auto first = std::upper_bound(
        _sections.begin(), _sections.end(), top, [](double y, const Section& s) { return y < s.top; });
    if (first != _sections.begin())
        --first;
    for (auto it = first; it != _sections.end() && it->top < bottom; ++it) {
        double end = it->top + it->headerHeight + it->rowsHeight() + it->footerHeight;
        if (end > top || (end == it->top && it->top >= top))
            found.push_back(static_cast<int64_t>(it - _sections.begin()));
    }
    return found;
}

std::vector<IndexPath> TableGeometry::rowsBetween(double top, double bottom) const
{
    std::vector<IndexPath> found;
    for (int64_t index : sectionsBetween(top, bottom)) {
        const Section& s = _sections[static_cast<size_t>(index)];
        if (s.rows == 0)
            continue;
        double rowsTop = s.top + s.headerHeight;
        double rowsBottom = rowsTop + s.rowsHeight();
        if (rowsBottom <= top || rowsTop >= bottom)
            continue;
        int64_t first = s.rowAtOffset(std::max(0.0, top - rowsTop));
        for (int64_t row = first; row < s.rows; ++row) {
            double rowTop = rowsTop + s.rowTop(row);
            if (rowTop >= bottom)
                break;
            if (rowTop + s.rowHeight(row) > top)
                found.push_back({index, row});
        }
    }
    return found;
}

std::optional<IndexPath> TableGeometry::rowAt(double y) const
{
    for (const IndexPath& path : rowsBetween(y, std::nextafter(y, y + 1)))
        return path;
    return std::nullopt;
}

}  // namespace plat::detail
