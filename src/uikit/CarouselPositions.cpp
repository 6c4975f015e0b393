#include "uikit/CarouselPositions.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <limits>

namespace zt::detail {

namespace {

float single(double value)
{
    return static_cast<float>(value);
}

}  // namespace

int64_t truncatedInteger(double value)
{
    if (std::isnan(value))
        return 0;
    // 2^63 is exact as a double; anything at or past it saturates.
    constexpr double kLimit = 9223372036854775808.0;
    if (value >= kLimit)
        return std::numeric_limits<int64_t>::max();
    if (value <= -kLimit)
        return std::numeric_limits<int64_t>::min();
    return static_cast<int64_t>(value);
}

int64_t saturatedCount(uint64_t count)
{
    constexpr auto kLargest = std::numeric_limits<int64_t>::max();
    return count > static_cast<uint64_t>(kLargest) ? kLargest : static_cast<int64_t>(count);
}

int64_t roundedOffset(double offset)
{
    return truncatedInteger(std::round(single(offset)));
}

double easeInOut(double t)
{
    if (t < 0.5)
        return static_cast<double>(std::pow(single(2 * t), 3.0f)) / 2;
    return static_cast<double>(std::pow(single(2 * t - 2), 3.0f)) / 2 + 1;
}

int64_t CarouselIndexSpace::clampedIndex(int64_t index) const
{
    if (!wrapEnabled)
        return std::min(std::max<int64_t>(0, index), numberOfItems - 1);
    if (numberOfItems == 0)
        return 0;
    const float turns = std::floor(single(static_cast<double>(index) / static_cast<double>(numberOfItems)));
    return truncatedInteger(single(static_cast<double>(index)) - turns * single(static_cast<double>(numberOfItems)));
}

double CarouselIndexSpace::clampedOffset(double offset) const
{
    if (!wrapEnabled)
        return std::fmin(std::fmax(0.0f, single(offset)), single(static_cast<double>(numberOfItems) - 1));
    if (numberOfItems == 0)
        return 0;
    const float turns = std::floor(single(offset / static_cast<double>(numberOfItems)));
    return offset - static_cast<double>(turns * single(static_cast<double>(numberOfItems)));
}

double CarouselIndexSpace::offsetForItemAtIndex(int64_t index, double scrollOffset) const
{
    if (numberOfItems + numberOfPlaceholdersToShow == 1)
        return 0;
    double offset = static_cast<double>(index) - scrollOffset;
    if (wrapEnabled) {
        const double half = static_cast<double>(numberOfItems / 2);
        if (offset > half)
            offset -= static_cast<double>(numberOfItems);
        else if (offset < -half)
            offset += static_cast<double>(numberOfItems);
    }
    return offset;
}

int64_t CarouselIndexSpace::minScrollDistanceFromIndex(int64_t from, int64_t to) const
{
    const int64_t direct = to - from;
    if (!wrapEnabled)
        return direct;
    int64_t wrapped = std::min(from, to) + numberOfItems - std::max(from, to);
    if (from < to)
        wrapped = -wrapped;
    return std::llabs(direct) <= std::llabs(wrapped) ? direct : wrapped;
}

double CarouselIndexSpace::minScrollDistanceFromOffset(double from, double to) const
{
    const double direct = to - from;
    if (!wrapEnabled)
        return direct;
    float wrapped = std::fmin(single(to), single(from)) + single(static_cast<double>(numberOfItems))
        - std::fmax(single(to), single(from));
    if (from < to)
        wrapped = -wrapped;
    return std::fabs(single(direct)) <= std::fabs(wrapped) ? direct : static_cast<double>(wrapped);
}

}  // namespace zt::detail
