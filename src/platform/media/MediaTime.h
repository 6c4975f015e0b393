#pragma once
#include <compare>
#include <cstdint>
#include <optional>

#include "platform/foundation/Value.h"

namespace plat {

// A rational media time, value / timescale seconds, with the platform's
// flags for invalid, rounded, infinite and indefinite times and an epoch.
// Any thread (value type).
struct MediaTime {
    enum Flags : uint32_t {
        kValid = 1,
        kHasBeenRounded = 2,
        kPositiveInfinity = 4,
        kNegativeInfinity = 8,
        kIndefinite = 16,
    };

    int64_t value = 0;
    int32_t timescale = 0;
    uint32_t flags = 0;  // an all-zero time is invalid
    int64_t epoch = 0;

    static constexpr MediaTime invalid() { return {}; }
    static constexpr MediaTime zero() { return {0, 1, kValid, 0}; }
    static constexpr MediaTime positiveInfinity() { return {0, 0, kValid | kPositiveInfinity, 0}; }
    static constexpr MediaTime negativeInfinity() { return {0, 0, kValid | kNegativeInfinity, 0}; }
    static constexpr MediaTime indefinite() { return {0, 0, kValid | kIndefinite, 0}; }
    // A timescale of 0 or less gives an invalid time.
    static constexpr MediaTime make(int64_t value, int32_t timescale)
    {
        return timescale > 0 ? MediaTime {value, timescale, kValid, 0} : invalid();
    }
    // The nearest time in the timescale; NaN gives invalid, infinities the infinite times.
    static MediaTime makeWithSeconds(double seconds, int32_t preferredTimescale);

    constexpr bool isValid() const { return (flags & kValid) != 0; }
    constexpr bool isNumeric() const
    {
        return isValid() && (flags & (kPositiveInfinity | kNegativeInfinity | kIndefinite)) == 0;
    }
    constexpr bool isPositiveInfinity() const { return isValid() && (flags & kPositiveInfinity) != 0; }
    constexpr bool isNegativeInfinity() const { return isValid() && (flags & kNegativeInfinity) != 0; }
    constexpr bool isIndefinite() const { return isValid() && (flags & kIndefinite) != 0; }

    // Seconds as a double; NaN for invalid and indefinite times.
    double seconds() const;
    // The same time in another timescale, rounded to nearest (ties away from zero).
    MediaTime convertScale(int32_t newTimescale) const;

    // The platform's dictionary form: {"value", "timescale", "flags", "epoch"}.
    Dictionary copyAsDictionary() const;
    // Invalid when a key is missing or not a number, or the timescale is not positive
    // for a numeric time.
    static MediaTime makeFromDictionary(const std::optional<Dictionary>& dictionary);

    // Orders as the platform does: invalid < -inf < numbers < +inf < indefinite;
    // numbers compare exactly across timescales.
    friend std::strong_ordering compare(const MediaTime& left, const MediaTime& right);
    friend bool operator==(const MediaTime& left, const MediaTime& right) { return compare(left, right) == 0; }
    friend std::strong_ordering operator<=>(const MediaTime& left, const MediaTime& right)
    {
        return compare(left, right);
    }
};

// Sum and difference, exact in a common timescale when one fits in 32 bits,
// else rounded to the larger timescale (flagged as rounded).
MediaTime operator+(const MediaTime& left, const MediaTime& right);
MediaTime operator-(const MediaTime& left, const MediaTime& right);

struct MediaTimeRange {
    MediaTime start = MediaTime::invalid();
    MediaTime duration = MediaTime::invalid();

    static MediaTimeRange make(MediaTime start, MediaTime duration) { return {start, duration}; }
    MediaTime end() const { return start + duration; }
    bool isValid() const { return start.isValid() && duration.isValid() && duration >= MediaTime::zero(); }
    // start <= time < start + duration.
    bool containsTime(const MediaTime& time) const;
    friend bool operator==(const MediaTimeRange&, const MediaTimeRange&) = default;
};

}  // namespace plat
