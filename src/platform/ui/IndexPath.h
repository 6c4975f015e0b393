#pragma once
#include <compare>
#include <cstdint>
#include <string>

namespace plat {

// The platform's index path as tables and collections use it: a section
// and a row (tables) or item (collections) within it. Ordered by section,
// then row. Any thread (value type).
struct IndexPath {
    int64_t section = 0;
    int64_t row = 0;

    static IndexPath indexPathForRow(int64_t row, int64_t section) { return {section, row}; }
    static IndexPath indexPathForItem(int64_t item, int64_t section) { return {section, item}; }
    int64_t item() const { return row; }

    friend auto operator<=>(const IndexPath&, const IndexPath&) = default;
    std::string description() const { return "{" + std::to_string(section) + ", " + std::to_string(row) + "}"; }
};

}  // namespace plat
