#include "platform/foundation/AfterScheduler.h"

#include <atomic>
#include <thread>
#include <vector>

#include "platform/foundation/Clock.h"
#include "platform/foundation/Deadlines.h"
#include "platform/foundation/Threads.h"

namespace plat::detail {

namespace {

std::atomic<uint64_t> scheduleSequence {1};

}  // namespace

uint64_t nextScheduleSequence()
{
    return scheduleSequence.fetch_add(1);
}

uint64_t peekScheduleSequence()
{
    return scheduleSequence.load();
}

AfterScheduler& AfterScheduler::shared()
{
    static AfterScheduler* scheduler = new AfterScheduler();
    return *scheduler;
}

AfterScheduler::AfterScheduler()
{
    addClockChangeHandler([this] { wake(); });
}

void AfterScheduler::schedule(double dueUptime, std::function<void()> handOver)
{
    {
        std::lock_guard lock(_lock);
        _items.emplace(ScheduleKey {dueUptime, nextScheduleSequence()}, std::move(handOver));
        ++_generation;
        if (!_threadStarted) {
            _threadStarted = true;
            // Detached: the scheduler is never destroyed and its thread ends with the process.
            startThread("plat-after", [this] { runTimerThread(); }).detach();
        }
    }
    _changed.notify_one();
}

std::optional<ScheduleKey> AfterScheduler::firstDue(double limitUptime, uint64_t sequenceLimit) const
{
    std::lock_guard lock(_lock);
    for (const auto& [key, handOver] : _items) {
        if (key.dueUptime > limitUptime)
            break;
        if (key.sequence < sequenceLimit)
            return key;
    }
    return std::nullopt;
}

std::optional<ScheduleKey> AfterScheduler::earliest() const
{
    std::lock_guard lock(_lock);
    if (_items.empty())
        return std::nullopt;
    return _items.begin()->first;
}

std::function<void()> AfterScheduler::take(const ScheduleKey& key)
{
    std::lock_guard lock(_lock);
    auto node = _items.extract(key);
    return node ? std::move(node.mapped()) : std::function<void()>();
}

void AfterScheduler::discardAll()
{
    std::map<ScheduleKey, std::function<void()>> discarded;
    {
        std::lock_guard lock(_lock);
        discarded.swap(_items);
        ++_generation;
    }
    _changed.notify_one();
    // The blocks' captures are released here, outside the lock.
}

void AfterScheduler::wake()
{
    {
        std::lock_guard lock(_lock);
        ++_generation;
    }
    _changed.notify_one();
}

void AfterScheduler::runTimerThread()
{
    std::unique_lock lock(_lock);
    for (;;) {
        uint64_t generation = _generation;
        auto clock = Clock::currentShared();
        bool manual = dynamic_cast<const ManualClock*>(clock.get()) != nullptr;
        if (manual || _items.empty()) {
            // A manual clock's items are handed over by the run loop that advances it.
            _changed.wait(lock, [&] { return _generation != generation; });
            continue;
        }
        auto first = _items.begin();
        if (first->first.dueUptime <= clock->uptimeSeconds()) {
            auto handOver = std::move(first->second);
            _items.erase(first);
            lock.unlock();
            handOver();
            handOver = nullptr;
            lock.lock();
            continue;
        }
        auto deadline = steadyDeadlineFor(*clock, first->first.dueUptime);
        _changed.wait_until(lock, deadline, [&] { return _generation != generation; });
    }
}

}  // namespace plat::detail
