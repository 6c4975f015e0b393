#pragma once
#include <cstdint>
#include <functional>
#include <memory>

#include "platform/foundation/Date.h"

namespace plat {

// A timer on the main run loop, one-shot or repeating. The run loop keeps a
// scheduled timer alive until it is invalidated or, for a one-shot, has fired.
// A repeating timer fires at whole intervals from the moment it was scheduled;
// when the loop falls behind it fires once and skips the missed intervals.
// Main thread, except invalidate() and the queries, which any thread may call.
class Timer : public std::enable_shared_from_this<Timer> {
    struct Passkey {
        explicit Passkey() = default;
    };

public:
    // Intervals of zero or less become this, as on the platform.
    static constexpr double kMinimumIntervalSeconds = 0.0001;

    static std::shared_ptr<Timer> scheduledTimerWithTimeInterval(
        double seconds, std::function<void(Timer&)> block, bool repeats);
    static std::shared_ptr<Timer> scheduledTimerWithTimeInterval(
        double seconds, std::function<void()> block, bool repeats);

    Timer(Passkey, double seconds, std::function<void(Timer&)> block, bool repeats);

    // Runs the block now without changing the schedule; a one-shot is then invalidated.
    void fire();
    // Removes the timer from the run loop; it never fires again.
    void invalidate();
    bool isValid() const;
    Date fireDate() const;
    // The repeat interval; 0 for a one-shot, as the platform reports it.
    double timeInterval() const;

private:
    friend class RunLoop;

    const double _interval;
    const bool _repeats;
    const std::function<void(Timer&)> _block;
    // Guarded by the main run loop's lock.
    double _startUptime = 0;
    uint64_t _fireIndex = 1;  // the next firing is at _startUptime + _fireIndex * _interval
    double _fireUptime = 0;
    uint64_t _sequence = 0;
    bool _valid = true;
    bool _scheduled = false;
};

}  // namespace plat
