#pragma once
#include <cstdint>
#include <optional>
#include <vector>

#include "platform/ui/IndexPath.h"

namespace plat::detail {

// Where the parts of a table lie along its height: the table header, then
// per section a header, its rows and a footer, then the table footer.
// Built at each reload from the heights the table's delegate gives; rows
// of one height are not stored one by one, so a long list of equal rows
// costs nothing to lay out. Look-ups by position use binary search.
// Main thread (part of a table).
class TableGeometry {
public:
    struct Span {
        double top = 0;
        double height = 0;
        double bottom() const { return top + height; }
    };

    void reset(double tableHeaderHeight);
    // Heights empty: every row is uniformRowHeight high.
    void addSection(double headerHeight, double footerHeight, int64_t rows, double uniformRowHeight,
        std::vector<double> rowHeights);
    void finish(double tableFooterHeight);

    int64_t numberOfSections() const { return static_cast<int64_t>(_sections.size()); }
    int64_t numberOfRows(int64_t section) const;
    bool contains(IndexPath path) const;

    double contentHeight() const { return _contentHeight; }
    Span tableHeader() const { return {0, _tableHeaderHeight}; }
    Span tableFooter() const { return {_contentHeight - _tableFooterHeight, _tableFooterHeight}; }
    Span section(int64_t section) const;
    Span header(int64_t section) const;
    Span footer(int64_t section) const;
    Span row(IndexPath path) const;

    // The row at a height, if any.
    std::optional<IndexPath> rowAt(double y) const;
    // Rows whose span meets [top, bottom), in order.
    std::vector<IndexPath> rowsBetween(double top, double bottom) const;
    // Sections whose span meets [top, bottom), in order.
    std::vector<int64_t> sectionsBetween(double top, double bottom) const;

private:
    struct Section {
        double top = 0;
        double headerHeight = 0;
        double footerHeight = 0;
        int64_t rows = 0;
        double uniformRowHeight = 0;
        std::vector<double> rowTops;  // rows + 1 offsets from the first row's top; empty when uniform
        double rowsHeight() const;
        double rowTop(int64_t row) const;
        double rowHeight(int64_t row) const;
        int64_t rowAtOffset(double offset) const;  // offset from the first row's top, clamped
    };

    std::vector<Section> _sections;
    double _tableHeaderHeight = 0;
    double _tableFooterHeight = 0;
    double _contentHeight = 0;
    double _cursor = 0;
};

}  // namespace plat::detail
