#include "platform/media/MediaTime.h"

#include <cmath>
#include <gtest/gtest.h>

namespace {

using plat::MediaTime;

TEST(MediaTime, ComparesExactlyAcrossTimescales)
{
    EXPECT_EQ(MediaTime::make(1, 3), MediaTime::make(200, 600));
    EXPECT_LT(MediaTime::make(333, 1000), MediaTime::make(1, 3));
    EXPECT_GT(MediaTime::make(1, 1), MediaTime::make(999999, 1000000));
    EXPECT_LT(MediaTime::invalid(), MediaTime::negativeInfinity());
    EXPECT_LT(MediaTime::negativeInfinity(), MediaTime::make(-1000000, 1));
    EXPECT_LT(MediaTime::make(1000000, 1), MediaTime::positiveInfinity());
    EXPECT_LT(MediaTime::positiveInfinity(), MediaTime::indefinite());
}

TEST(MediaTime, AddsInACommonTimescale)
{
    MediaTime sum = MediaTime::make(1, 3) + MediaTime::make(1, 2);
    EXPECT_EQ(sum.value, 5);
    EXPECT_EQ(sum.timescale, 6);
    EXPECT_EQ(sum.flags & MediaTime::kHasBeenRounded, 0u);
    MediaTime difference = MediaTime::make(1, 2) - MediaTime::make(3, 4);
    EXPECT_EQ(difference, MediaTime::make(-1, 4));
}

TEST(MediaTime, RoundsWhenNoCommonTimescaleFits)
{
    // Two large coprime timescales: their product does not fit in 32 bits.
    MediaTime sum = MediaTime::make(1, 1000003) + MediaTime::make(1, 999983);
    EXPECT_EQ(sum.timescale, 1000003);
    EXPECT_NE(sum.flags & MediaTime::kHasBeenRounded, 0u);
    EXPECT_NEAR(sum.seconds(), 1.0 / 1000003 + 1.0 / 999983, 1e-6);
}

TEST(MediaTime, SpecialValuesPropagate)
{
    EXPECT_FALSE((MediaTime::invalid() + MediaTime::zero()).isValid());
    EXPECT_TRUE((MediaTime::positiveInfinity() + MediaTime::make(5, 1)).isPositiveInfinity());
    EXPECT_TRUE((MediaTime::make(5, 1) - MediaTime::positiveInfinity()).isNegativeInfinity());
    EXPECT_FALSE((MediaTime::positiveInfinity() - MediaTime::positiveInfinity()).isValid());
    EXPECT_TRUE((MediaTime::indefinite() + MediaTime::zero()).isIndefinite());
    EXPECT_TRUE(std::isnan(MediaTime::invalid().seconds()));
    EXPECT_FALSE(MediaTime::make(1, 0).isValid());
}

TEST(MediaTime, SecondsConvertBothWays)
{
    MediaTime time = MediaTime::makeWithSeconds(2.5, 600);
    EXPECT_EQ(time.value, 1500);
    EXPECT_EQ(time.timescale, 600);
    EXPECT_DOUBLE_EQ(time.seconds(), 2.5);
    EXPECT_NE(MediaTime::makeWithSeconds(1.0 / 3, 10).flags & MediaTime::kHasBeenRounded, 0u);
    EXPECT_FALSE(MediaTime::makeWithSeconds(std::nan(""), 600).isValid());
    EXPECT_TRUE(MediaTime::makeWithSeconds(INFINITY, 600).isPositiveInfinity());
    EXPECT_EQ(MediaTime::make(1, 3).convertScale(600).value, 200);
    EXPECT_EQ(MediaTime::make(1, 3).convertScale(1000).value, 333);
}

TEST(MediaTime, DictionaryFormRoundTrips)
{
    MediaTime time {12345, 44100, MediaTime::kValid | MediaTime::kHasBeenRounded, 7};
    plat::Dictionary stored = time.copyAsDictionary();
    EXPECT_EQ(stored.keys(), (std::vector<std::string> {"epoch", "flags", "timescale", "value"}));
    MediaTime back = MediaTime::makeFromDictionary(stored);
    EXPECT_EQ(back.value, 12345);
    EXPECT_EQ(back.timescale, 44100);
    EXPECT_EQ(back.flags, time.flags);
    EXPECT_EQ(back.epoch, 7);
}

TEST(MediaTime, DamagedDictionariesGiveInvalidTimes)
{
    EXPECT_FALSE(MediaTime::makeFromDictionary(std::nullopt).isValid());
    plat::Dictionary missing {{"value", 1}, {"timescale", 1}, {"flags", 1}};
    EXPECT_FALSE(MediaTime::makeFromDictionary(missing).isValid());
    plat::Dictionary wrongType {{"value", "1"}, {"timescale", 1}, {"flags", 1}, {"epoch", 0}};
    EXPECT_FALSE(MediaTime::makeFromDictionary(wrongType).isValid());
    plat::Dictionary zeroScale {{"value", 1}, {"timescale", 0}, {"flags", 1}, {"epoch", 0}};
    EXPECT_FALSE(MediaTime::makeFromDictionary(zeroScale).isValid());
    plat::Dictionary hugeScale {{"value", 1}, {"timescale", int64_t(1) << 40}, {"flags", 1}, {"epoch", 0}};
    EXPECT_FALSE(MediaTime::makeFromDictionary(hugeScale).isValid());
}

TEST(MediaTimeRange, ContainsItsStartButNotItsEnd)
{
    auto range = plat::MediaTimeRange::make(MediaTime::make(2, 1), MediaTime::make(3, 1));
    EXPECT_TRUE(range.containsTime(MediaTime::make(2, 1)));
    EXPECT_TRUE(range.containsTime(MediaTime::make(4999, 1000)));
    EXPECT_FALSE(range.containsTime(MediaTime::make(5, 1)));
    EXPECT_FALSE(range.containsTime(MediaTime::make(1, 1)));
    EXPECT_FALSE(plat::MediaTimeRange().containsTime(MediaTime::zero()));
}

}  // namespace
