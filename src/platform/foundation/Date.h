#pragma once
#include <compare>

namespace plat {

// A point in time, as seconds since the platform's reference date,
// 2001-01-01 00:00:00 UTC. Any thread (value type).
class Date {
public:
    static constexpr double kTimeIntervalBetween1970AndReferenceDate = 978307200.0;

    constexpr Date() = default;

    static constexpr Date withTimeIntervalSinceReferenceDate(double seconds) { return Date(seconds); }
    static constexpr Date withTimeIntervalSince1970(double seconds)
    {
        return Date(seconds - kTimeIntervalBetween1970AndReferenceDate);
    }
    // The current date of plat::Clock::current(): wall time in the app, manual time in tests.
    static Date now();

    constexpr double timeIntervalSinceReferenceDate() const { return _seconds; }
    constexpr double timeIntervalSince1970() const { return _seconds + kTimeIntervalBetween1970AndReferenceDate; }
    constexpr double timeIntervalSinceDate(Date other) const { return _seconds - other._seconds; }
    constexpr Date addingTimeInterval(double seconds) const { return Date(_seconds + seconds); }

    constexpr auto operator<=>(const Date&) const = default;

private:
    constexpr explicit Date(double seconds)
        : _seconds(seconds)
    {
    }
    double _seconds = 0;
};

}  // namespace plat
