#pragma once
#include <cstdint>

namespace zt::detail {

// The carousel's index arithmetic. Several steps run in single precision, as
// the row's numbers always have: their roundings show in the current index,
// the snap targets and the clamped offsets. Any thread (value type).
struct CarouselIndexSpace {
    int64_t numberOfItems = 0;
    int64_t numberOfPlaceholdersToShow = 0;
    bool wrapEnabled = false;

    // Not wrapping: within 0 ... count - 1 (-1 without items); wrapping: modulo the count.
    int64_t clampedIndex(int64_t index) const;
    double clampedOffset(double offset) const;
    // Where an item stands relative to the row's position, in items; wrapping takes the nearer side.
    double offsetForItemAtIndex(int64_t index, double scrollOffset) const;
    // The signed distance that reaches to from from, the short way round when wrapping.
    int64_t minScrollDistanceFromIndex(int64_t from, int64_t to) const;
    double minScrollDistanceFromOffset(double from, double to) const;
};

// Half away from zero, in single precision.
int64_t roundedOffset(double offset);
// Cubic ease in and out of t in 0...1; 0 and 1 map to themselves exactly.
double easeInOut(double t);
// A count or index from a computed (or delegate-supplied) number: truncated,
// NaN as 0, values past the integer range saturated.
int64_t truncatedInteger(double value);
// An unsigned count from a data source, saturated at the largest signed value.
int64_t saturatedCount(uint64_t count);

}  // namespace zt::detail
