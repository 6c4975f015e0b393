#pragma once
#include <compare>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <map>
#include <mutex>
#include <optional>

namespace plat::detail {

// Where a timed item stands: its due moment on the clock's uptime line, then
// the order in which it was scheduled, which breaks ties.
struct ScheduleKey {
    double dueUptime = 0;
    uint64_t sequence = 0;
    auto operator<=>(const ScheduleKey&) const = default;
};

// One counter for every timed item (timers, performs, after() blocks of any
// queue), so that items due at the same moment keep their scheduling order.
uint64_t nextScheduleSequence();
// The sequence the next scheduled item will get; items scheduled before this
// call all have smaller ones.
uint64_t peekScheduleSequence();

// Holds the after() blocks of queues other than the main queue until they are
// due, then hands each to its queue. On a clock that moves by itself a timer
// thread does the handing over; on a manual clock the main run loop does it
// while the clock is advanced, interleaved with its own timers. Any thread.
class AfterScheduler {
public:
    static AfterScheduler& shared();  // never destroyed, like the pool

    void schedule(double dueUptime, std::function<void()> handOver);
    // The earliest item due by limitUptime and scheduled before sequenceLimit.
    std::optional<ScheduleKey> firstDue(double limitUptime, uint64_t sequenceLimit) const;
    std::optional<ScheduleKey> earliest() const;
    // Removes the item; empty when it is gone already.
    std::function<void()> take(const ScheduleKey& key);
    void discardAll();

private:
    AfterScheduler();
    void runTimerThread();
    void wake();

    mutable std::mutex _lock;
    std::condition_variable _changed;
    std::map<ScheduleKey, std::function<void()>> _items;  // guarded by _lock
    uint64_t _generation = 0;  // guarded by _lock: bumped by whatever may end a wait
    bool _threadStarted = false;  // guarded by _lock
};

}  // namespace plat::detail
