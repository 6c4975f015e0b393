#pragma once
#include <atomic>
#include <functional>
#include <memory>

#include "platform/foundation/Date.h"

namespace plat {

// Where time comes from. The app runs on the system clock; tests install a
// manual clock and advance it, so nothing ever waits on the wall clock.
class Clock {
public:
    virtual ~Clock() = default;

    // Seconds on a monotonic time line: timers and delays are measured on it.
    virtual double uptimeSeconds() const = 0;
    // The calendar date now.
    virtual Date date() const = 0;

    // The clock in use (the system clock unless another is installed). The
    // reference stays valid on the calling thread until its next call, even
    // if the clock is replaced meanwhile.
    static Clock& current();
    static std::shared_ptr<Clock> currentShared();
    static void setCurrent(std::shared_ptr<Clock> clock);
};

class SystemClock final : public Clock {
public:
    double uptimeSeconds() const override;
    Date date() const override;
};

// Time that moves only when a test says so. advance() runs the main run loop
// over the interval: every timer, delayed perform and after() block that falls
// due fires at its own moment, in order of due time (ties in the order they
// were scheduled), and the main queue's blocks run between two of them.
// Reading the time is safe from any thread; advance() is for the main thread.
class ManualClock final : public Clock {
public:
    // Whether time waits for the worker pool. Settled, the clock never moves
    // on while a background queue still works on what fell due (a camera's
    // picture, a render, a file written): the work is done at the moment it
    // was due, however busy the machine is, so runs repeat exactly.
    enum class BackgroundWork { RunsAlongside, SettlesBeforeTimeMoves };

    ManualClock(
        double startUptimeSeconds, Date startDate, BackgroundWork backgroundWork = BackgroundWork::RunsAlongside);

    double uptimeSeconds() const override;
    Date date() const override;

    // Must be the current clock; seconds must be zero or more.
    void advance(double seconds);
    BackgroundWork backgroundWork() const { return _backgroundWork; }

private:
    friend class RunLoop;
    // Only forwards: the run loop steps time from one due moment to the next.
    void moveTo(double uptimeSeconds);

    const double _startUptime;
    const Date _startDate;
    const BackgroundWork _backgroundWork;
    std::atomic<double> _uptime;
};

namespace detail {
// Runs handler after every Clock::setCurrent, so that threads waiting for a
// deadline measured on the old clock look again. Handlers live for the process.
void addClockChangeHandler(std::function<void()> handler);

}  // namespace detail

}  // namespace plat
