#include "uikit/CarouselPositions.h"

#include <gtest/gtest.h>
#include <limits>

namespace {

using zt::detail::CarouselIndexSpace;

CarouselIndexSpace row(int64_t items, bool wraps, int64_t placeholders = 0)
{
    return {items, placeholders, wraps};
}

TEST(CarouselIndexSpace, AnEmptyRowThatDoesNotWrapClampsToMinusOne)
{
    EXPECT_EQ(row(0, false).clampedIndex(0), -1);
    EXPECT_EQ(row(0, false).clampedIndex(5), -1);
    EXPECT_EQ(row(0, false).clampedOffset(0.5), -1);
}

TEST(CarouselIndexSpace, AnEmptyWrappingRowClampsToZero)
{
    EXPECT_EQ(row(0, true).clampedIndex(7), 0);
    EXPECT_EQ(row(0, true).clampedOffset(-2.5), 0);
}

TEST(CarouselIndexSpace, ClampingKeepsIndexesWithinTheItems)
{
    EXPECT_EQ(row(5, false).clampedIndex(-3), 0);
    EXPECT_EQ(row(5, false).clampedIndex(4), 4);
    EXPECT_EQ(row(5, false).clampedIndex(5), 4);
    EXPECT_EQ(row(5, false).clampedOffset(-0.25), 0);
    EXPECT_EQ(row(5, false).clampedOffset(4.75), 4);
    // Clamped in single precision.
    EXPECT_EQ(row(5, false).clampedOffset(1.1), static_cast<double>(1.1f));
    EXPECT_NE(row(5, false).clampedOffset(1.1), 1.1);
}

TEST(CarouselIndexSpace, WrappingTakesIndexesAndOffsetsRoundTheRing)
{
    EXPECT_EQ(row(10, true).clampedIndex(-1), 9);
    EXPECT_EQ(row(10, true).clampedIndex(-11), 9);
    EXPECT_EQ(row(10, true).clampedIndex(23), 3);
    EXPECT_EQ(row(10, true).clampedIndex(10), 0);
    EXPECT_DOUBLE_EQ(row(10, true).clampedOffset(-0.25), 9.75);
    EXPECT_DOUBLE_EQ(row(10, true).clampedOffset(12.5), 2.5);
    EXPECT_EQ(row(10, true).clampedOffset(1.1), 1.1) << "not rounded while in range";
}

TEST(CarouselIndexSpace, ItemsOfAWrappingRowStandOnTheNearerSide)
{
    const CarouselIndexSpace ring = row(10, true);
    EXPECT_EQ(ring.offsetForItemAtIndex(9, 0), -1);
    EXPECT_EQ(ring.offsetForItemAtIndex(5, 0), 5);
    EXPECT_EQ(ring.offsetForItemAtIndex(6, 0), -4);
    EXPECT_EQ(ring.offsetForItemAtIndex(0, 9.5), 0.5);
    EXPECT_EQ(row(10, false).offsetForItemAtIndex(9, 0), 9);
    EXPECT_EQ(row(10, false).offsetForItemAtIndex(-1, 0.25), -1.25);
}

TEST(CarouselIndexSpace, ASingleSlotIsAlwaysAtTheCentre)
{
    EXPECT_EQ(row(1, false).offsetForItemAtIndex(0, 0.75), 0);
    EXPECT_EQ(row(1, true).offsetForItemAtIndex(0, -3), 0);
    EXPECT_EQ(row(0, false, 1).offsetForItemAtIndex(-1, 0), 0);
    EXPECT_EQ(row(1, false, 2).offsetForItemAtIndex(0, 0.75), -0.75);
}

TEST(CarouselIndexSpace, TheShortWayRoundWinsWhenWrapping)
{
    EXPECT_EQ(row(10, true).minScrollDistanceFromIndex(9, 0), 1);
    EXPECT_EQ(row(10, true).minScrollDistanceFromIndex(0, 9), -1);
    EXPECT_EQ(row(10, true).minScrollDistanceFromIndex(2, 5), 3);
    // A tie goes the direct way.
    EXPECT_EQ(row(10, true).minScrollDistanceFromIndex(0, 5), 5);
    EXPECT_EQ(row(10, true).minScrollDistanceFromIndex(5, 0), -5);
    EXPECT_EQ(row(10, false).minScrollDistanceFromIndex(9, 0), -9);
    EXPECT_DOUBLE_EQ(row(10, true).minScrollDistanceFromOffset(9.5, 0.25), 0.75);
    EXPECT_DOUBLE_EQ(row(10, true).minScrollDistanceFromOffset(0.25, 9.5), -0.75);
    EXPECT_DOUBLE_EQ(row(10, false).minScrollDistanceFromOffset(9.5, 0.25), -9.25);
}

TEST(CarouselIndexSpace, RoundingGoesHalfAwayFromZero)
{
    EXPECT_EQ(zt::detail::roundedOffset(2.5), 3);
    EXPECT_EQ(zt::detail::roundedOffset(-2.5), -3);
    EXPECT_EQ(zt::detail::roundedOffset(2.49), 2);
    // 0.49999999 becomes 0.5 in single precision.
    EXPECT_EQ(zt::detail::roundedOffset(0.49999999), 1);
}

TEST(CarouselIndexSpace, TheEaseStartsAndEndsSlowly)
{
    EXPECT_EQ(zt::detail::easeInOut(0), 0);
    EXPECT_DOUBLE_EQ(zt::detail::easeInOut(0.25), 0.0625);
    EXPECT_DOUBLE_EQ(zt::detail::easeInOut(0.5), 0.5);
    EXPECT_DOUBLE_EQ(zt::detail::easeInOut(0.75), 0.9375);
    EXPECT_EQ(zt::detail::easeInOut(1), 1);
}

TEST(CarouselIndexSpace, CountsFromNumbersOutsideTheIntegersSaturate)
{
    EXPECT_EQ(zt::detail::truncatedInteger(std::numeric_limits<double>::quiet_NaN()), 0);
    EXPECT_EQ(
        zt::detail::truncatedInteger(std::numeric_limits<double>::infinity()), std::numeric_limits<int64_t>::max());
    EXPECT_EQ(zt::detail::truncatedInteger(-1e300), std::numeric_limits<int64_t>::min());
    EXPECT_EQ(zt::detail::truncatedInteger(-2.9), -2);
}

}  // namespace
