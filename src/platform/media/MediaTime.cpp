#include "platform/media/MediaTime.h"

#include <cmath>
#include <limits>
#include <numeric>

namespace plat {

namespace {

constexpr const char* kValueKey = "value";
constexpr const char* kTimescaleKey = "timescale";
constexpr const char* kFlagsKey = "flags";
constexpr const char* kEpochKey = "epoch";

__extension__ typedef __int128 Wide;

// value scaled to newTimescale, rounded half away from zero; empty on overflow.
std::optional<int64_t> rescale(int64_t value, int32_t from, int32_t to)
{
    Wide numerator = Wide(value) * to;
    Wide quotient = numerator / from;
    Wide remainder = numerator % from;
    if (2 * (remainder < 0 ? -remainder : remainder) >= from)
        quotient += numerator < 0 ? -1 : 1;
    if (quotient > std::numeric_limits<int64_t>::max() || quotient < std::numeric_limits<int64_t>::min())
        return std::nullopt;
    return static_cast<int64_t>(quotient);
}

// The non-numeric result of adding or subtracting special times, if any.
std::optional<MediaTime> specialSum(const MediaTime& left, const MediaTime& right, bool subtract)
{
    if (!left.isValid() || !right.isValid())
        return MediaTime::invalid();
    if (left.isIndefinite() || right.isIndefinite())
        return MediaTime::indefinite();
    bool rightPositive = subtract ? right.isNegativeInfinity() : right.isPositiveInfinity();
    bool rightNegative = subtract ? right.isPositiveInfinity() : right.isNegativeInfinity();
    bool positive = left.isPositiveInfinity() || rightPositive;
    bool negative = left.isNegativeInfinity() || rightNegative;
    if (positive && negative)
        return MediaTime::invalid();
    if (positive)
        return MediaTime::positiveInfinity();
    if (negative)
        return MediaTime::negativeInfinity();
    return std::nullopt;
}

MediaTime combine(const MediaTime& left, const MediaTime& right, bool subtract)
{
    if (auto special = specialSum(left, right, subtract))
        return *special;
    uint32_t rounded = (left.flags | right.flags) & MediaTime::kHasBeenRounded;
    int64_t common = std::lcm(int64_t(left.timescale), int64_t(right.timescale));
    int32_t timescale = common <= std::numeric_limits<int32_t>::max() ? static_cast<int32_t>(common)
                                                                      : std::max(left.timescale, right.timescale);
    auto a = rescale(left.value, left.timescale, timescale);
    auto b = rescale(right.value, right.timescale, timescale);
    if (!a || !b)
        return MediaTime::invalid();
    if (common != timescale)
        rounded = MediaTime::kHasBeenRounded;
    Wide sum = subtract ? Wide(*a) - *b : Wide(*a) + *b;
    if (sum > std::numeric_limits<int64_t>::max())
        return MediaTime::positiveInfinity();
    if (sum < std::numeric_limits<int64_t>::min())
        return MediaTime::negativeInfinity();
    MediaTime result = MediaTime::make(static_cast<int64_t>(sum), timescale);
    result.flags |= rounded;
    return result;
}

int rank(const MediaTime& time)
{
    if (!time.isValid())
        return 0;
    if (time.isNegativeInfinity())
        return 1;
    if (time.isPositiveInfinity())
        return 3;
    if (time.isIndefinite())
        return 4;
    return 2;
}

}  // namespace

MediaTime MediaTime::makeWithSeconds(double seconds, int32_t preferredTimescale)
{
    if (std::isnan(seconds) || preferredTimescale <= 0)
        return invalid();
    if (std::isinf(seconds))
        return seconds > 0 ? positiveInfinity() : negativeInfinity();
    double scaled = std::round(seconds * preferredTimescale);
    if (scaled >= 9.2e18)
        return positiveInfinity();
    if (scaled <= -9.2e18)
        return negativeInfinity();
    MediaTime time = make(static_cast<int64_t>(scaled), preferredTimescale);
    if (scaled != seconds * preferredTimescale)
        time.flags |= kHasBeenRounded;
    return time;
}

double MediaTime::seconds() const
{
    if (!isValid() || isIndefinite())
        return std::numeric_limits<double>::quiet_NaN();
    if (isPositiveInfinity())
        return std::numeric_limits<double>::infinity();
    if (isNegativeInfinity())
        return -std::numeric_limits<double>::infinity();
    return static_cast<double>(value) / timescale;
}

MediaTime MediaTime::convertScale(int32_t newTimescale) const
{
    if (!isNumeric() || newTimescale <= 0)
        return newTimescale > 0 ? *this : invalid();
    auto scaled = rescale(value, timescale, newTimescale);
    if (!scaled)
        return value > 0 ? positiveInfinity() : negativeInfinity();
    MediaTime time = make(*scaled, newTimescale);
    if (Wide(*scaled) * timescale != Wide(value) * newTimescale)
        time.flags |= kHasBeenRounded;
    time.epoch = epoch;
    return time;
}

Dictionary MediaTime::copyAsDictionary() const
{
    return Dictionary {
        {kValueKey, value},
        {kTimescaleKey, timescale},
        {kFlagsKey, flags},
        {kEpochKey, epoch},
    };
}

MediaTime MediaTime::makeFromDictionary(const std::optional<Dictionary>& dictionary)
{
    if (!dictionary)
        return invalid();
    auto value = dictionary->getInt64(kValueKey);
    auto timescale = dictionary->getInt64(kTimescaleKey);
    auto flags = dictionary->getInt64(kFlagsKey);
    auto epoch = dictionary->getInt64(kEpochKey);
    if (!value || !timescale || !flags || !epoch)
        return invalid();
    if (*timescale < std::numeric_limits<int32_t>::min() || *timescale > std::numeric_limits<int32_t>::max()
        || *flags < 0 || *flags > std::numeric_limits<uint32_t>::max())
        return invalid();
    MediaTime time {*value, static_cast<int32_t>(*timescale), static_cast<uint32_t>(*flags), *epoch};
    // A numeric time needs a positive timescale; anything else would divide by zero later.
    if (time.isNumeric() && time.timescale <= 0)
        return invalid();
    return time;
}

std::strong_ordering compare(const MediaTime& left, const MediaTime& right)
{
    int leftRank = rank(left);
    int rightRank = rank(right);
    if (leftRank != rightRank || leftRank != 2)
        return leftRank <=> rightRank;
    if (left.epoch != right.epoch)
        return left.epoch <=> right.epoch;
    Wide a = Wide(left.value) * right.timescale;
    Wide b = Wide(right.value) * left.timescale;
    return a < b ? std::strong_ordering::less : (a > b ? std::strong_ordering::greater : std::strong_ordering::equal);
}

MediaTime operator+(const MediaTime& left, const MediaTime& right)
{
    return combine(left, right, false);
}
MediaTime operator-(const MediaTime& left, const MediaTime& right)
{
    return combine(left, right, true);
}

bool MediaTimeRange::containsTime(const MediaTime& time) const
{
    if (!isValid() || !time.isValid())
        return false;
    return time >= start && time < end();
}

}  // namespace plat
