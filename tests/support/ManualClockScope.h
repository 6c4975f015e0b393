#pragma once
#include <memory>
#include <thread>

#include "platform/foundation/Clock.h"

namespace plat::test {

// Installs a fresh manual clock as the current clock and binds the main run
// loop to the calling thread for the scope's lifetime. Leftover main-queue
// blocks, timers, delayed performs and waiting after() blocks are discarded
// on the way in and out, so one test's work never runs in another.
class ManualClockScope {
public:
    static constexpr double kStartUptimeSeconds = 1000;
    // 2015-05-31 12:00:00 UTC, a fixed day for date arithmetic in tests.
    static constexpr Date kStartDate = Date::withTimeIntervalSinceReferenceDate(454766400);

    explicit ManualClockScope(double startUptimeSeconds = kStartUptimeSeconds, Date startDate = kStartDate,
        ManualClock::BackgroundWork backgroundWork = ManualClock::BackgroundWork::RunsAlongside);
    explicit ManualClockScope(ManualClock::BackgroundWork backgroundWork)
        : ManualClockScope(kStartUptimeSeconds, kStartDate, backgroundWork)
    {
    }
    ~ManualClockScope();
    ManualClockScope(const ManualClockScope&) = delete;
    ManualClockScope& operator=(const ManualClockScope&) = delete;

    ManualClock& clock() { return *_clock; }
    void advance(double seconds) { _clock->advance(seconds); }
    double uptimeSeconds() const { return _clock->uptimeSeconds(); }

private:
    std::shared_ptr<ManualClock> _clock;
    std::shared_ptr<Clock> _previousClock;
    std::thread::id _previousMainThread;
};

}  // namespace plat::test
