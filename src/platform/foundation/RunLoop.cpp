#include "platform/foundation/RunLoop.h"

#include <atomic>
#include <chrono>
#include <cmath>
#include <condition_variable>
#include <deque>
#include <limits>
#include <map>
#include <mutex>
#include <optional>
#include <utility>
#include <vector>

#include "platform/foundation/AfterScheduler.h"
#include "platform/foundation/Clock.h"
#include "platform/foundation/Deadlines.h"
#include "platform/foundation/Fatal.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/ThreadPool.h"
#include "platform/foundation/Timer.h"

namespace plat {

namespace {

constexpr uint64_t kNoSequenceLimit = std::numeric_limits<uint64_t>::max();
constexpr double kForever = std::numeric_limits<double>::infinity();
// How long settling waits for the pool before it says so in the log; it
// keeps waiting, since moving on would make the run differ from the last.
constexpr auto kQuietPoolReportInterval = std::chrono::seconds(30);

bool settlesBackgroundWork(const ManualClock* clock)
{
    return clock && clock->backgroundWork() == ManualClock::BackgroundWork::SettlesBeforeTimeMoves;
}

// A timed item of the main run loop: a timer, or a block (a delayed perform
// or a main-queue after() block).
struct Scheduled {
    std::shared_ptr<Timer> timer;
    std::function<void()> block;
    const void* performTarget = nullptr;  // delayed performs only
};

double nonNegativeDelay(double seconds)
{
    return seconds > 0 ? seconds : 0;  // NaN too
}

double uptimeNow()
{
    return Clock::currentShared()->uptimeSeconds();
}

}  // namespace

struct RunLoop::Impl {
    std::atomic<std::thread::id> thread;
    mutable std::mutex lock;
    std::condition_variable wakeUp;
    std::deque<std::function<void()>> blocks;  // guarded by lock
    std::map<detail::ScheduleKey, Scheduled> schedule;  // guarded by lock
    uint64_t generation = 0;  // guarded by lock: bumped by whatever may end a wait
    bool stopRequested = false;  // guarded by lock
    std::function<void()> wakeHandler;  // guarded by lock

    bool consumeStopRequest()
    {
        std::lock_guard guard(lock);
        return std::exchange(stopRequested, false);
    }

    void bumpLocked()
    {
        ++generation;
        wakeUp.notify_one();
        if (wakeHandler)
            wakeHandler();
    }

    // Puts a timer at its _fireIndex-th firing after its start.
    void insertTimerLocked(const std::shared_ptr<Timer>& timer, uint64_t fireIndex)
    {
        timer->_fireIndex = fireIndex;
        // Multiplied, not summed: a manual clock advanced by whole intervals lands exactly on each firing.
        timer->_fireUptime = timer->_startUptime + static_cast<double>(fireIndex) * timer->_interval;
        timer->_sequence = detail::nextScheduleSequence();
        timer->_scheduled = true;
        schedule.emplace(detail::ScheduleKey {timer->_fireUptime, timer->_sequence}, Scheduled {timer, {}, nullptr});
        bumpLocked();
    }

    void rescheduleRepeatingTimerLocked(const std::shared_ptr<Timer>& timer, double now)
    {
        const double interval = timer->_interval;
        uint64_t next = timer->_fireIndex + 1;
        if (timer->_startUptime + static_cast<double>(next) * interval <= now) {
            // Far behind: one firing stands for all the missed ones.
            next = static_cast<uint64_t>(std::floor((now - timer->_startUptime) / interval)) + 1;
            while (timer->_startUptime + static_cast<double>(next) * interval <= now)
                ++next;
        }
        insertTimerLocked(timer, next);
    }
};

bool isMainThread()
{
    return RunLoop::main().boundThread() == std::this_thread::get_id();
}

RunLoop& RunLoop::main()
{
    // Never destroyed: blocks posted to the main queue while the process exits find it alive.
    static RunLoop* loop = new RunLoop();
    return *loop;
}

RunLoop::RunLoop()
    : _impl(std::make_unique<Impl>())
{
    detail::addClockChangeHandler([this] { wake(); });
}

RunLoop::~RunLoop() = default;

void RunLoop::bindToCurrentThread()
{
    bindToThread(std::this_thread::get_id());
}

void RunLoop::bindToThread(std::thread::id thread)
{
    _impl->thread.store(thread);
    wake();
}

std::thread::id RunLoop::boundThread() const
{
    return _impl->thread.load();
}

void RunLoop::run()
{
    requireMainThread("run");
    runUntilUptime(kForever, StopRequests::Honour);
}

void RunLoop::runUntilDate(Date date)
{
    requireMainThread("runUntilDate");
    auto clock = Clock::currentShared();
    runUntilUptime(clock->uptimeSeconds() + date.timeIntervalSinceDate(clock->date()), StopRequests::Honour);
}

void RunLoop::runUntil(double uptimeSeconds)
{
    requireMainThread("runUntil");
    runUntilUptime(uptimeSeconds, StopRequests::Honour);
}

void RunLoop::stop()
{
    std::lock_guard lock(_impl->lock);
    _impl->stopRequested = true;
    _impl->bumpLocked();
}

size_t RunLoop::runPending()
{
    requireMainThread("runPending");
    size_t queued = 0;
    {
        std::lock_guard lock(_impl->lock);
        queued = _impl->blocks.size();
    }
    const uint64_t sequenceLimit = detail::peekScheduleSequence();
    auto clock = Clock::currentShared();
    const bool manual = dynamic_cast<const ManualClock*>(clock.get()) != nullptr;
    const double now = clock->uptimeSeconds();
    size_t count = 0;
    while (count < queued && runOneBlock())
        ++count;
    while (fireNextDue(now, sequenceLimit, manual))
        ++count;
    return count;
}

size_t RunLoop::drain()
{
    requireMainThread("drain");
    return runUntilUptime(uptimeNow(), StopRequests::Ignore);
}

bool RunLoop::waitForQueuedBlocks(double realTimeoutSeconds)
{
    requireMainThread("waitForQueuedBlocks");
    auto ready = [&] { return !_impl->blocks.empty() || _impl->stopRequested; };
    std::unique_lock lock(_impl->lock);
    auto deadline = detail::realTimeDeadlineAfter(realTimeoutSeconds);
    if (!deadline) {
        _impl->wakeUp.wait(lock, ready);
        return true;
    }
    return _impl->wakeUp.wait_until(lock, *deadline, ready);
}

void RunLoop::performAfterDelay(const void* target, double delaySeconds, std::function<void()> block)
{
    requireMainThread("performAfterDelay");
    if (!block)
        detail::fatal("RunLoop::performAfterDelay: no block");
    scheduleBlock(delaySeconds, target, std::move(block));
}

void RunLoop::cancelPreviousPerformRequests(const void* target)
{
    requireMainThread("cancelPreviousPerformRequests");
    if (!target)
        return;
    std::vector<Scheduled> cancelled;  // released outside the lock
    std::lock_guard lock(_impl->lock);
    for (auto it = _impl->schedule.begin(); it != _impl->schedule.end();) {
        if (!it->second.timer && it->second.performTarget == target) {
            cancelled.push_back(std::move(it->second));
            it = _impl->schedule.erase(it);
        } else {
            ++it;
        }
    }
}

void RunLoop::discardPendingWork()
{
    std::deque<std::function<void()>> blocks;
    std::map<detail::ScheduleKey, Scheduled> schedule;
    {
        std::lock_guard lock(_impl->lock);
        blocks.swap(_impl->blocks);
        schedule.swap(_impl->schedule);
        for (auto& [key, item] : schedule) {
            if (item.timer) {
                item.timer->_valid = false;
                item.timer->_scheduled = false;
            }
        }
        _impl->stopRequested = false;
        _impl->bumpLocked();
    }
    detail::AfterScheduler::shared().discardAll();
}

double RunLoop::nextWorkUptime() const
{
    requireMainThread("nextWorkUptime");
    const double now = uptimeNow();
    double next = kForever;
    {
        std::lock_guard lock(_impl->lock);
        if (!_impl->blocks.empty())
            return now;
        if (!_impl->schedule.empty())
            next = _impl->schedule.begin()->first.dueUptime;
    }
    if (dynamic_cast<const ManualClock*>(Clock::currentShared().get()))
        if (auto after = detail::AfterScheduler::shared().earliest())
            next = std::min(next, after->dueUptime);
    return next;
}

std::vector<RunLoop::OneShotWork> RunLoop::oneShotWorkDueBy(double limitUptime) const
{
    requireMainThread("oneShotWorkDueBy");
    std::vector<OneShotWork> work;
    std::lock_guard lock(_impl->lock);
    for (const auto& [key, item] : _impl->schedule) {
        if (key.dueUptime > limitUptime)
            break;  // the schedule runs earliest first
        if (!item.timer || !item.timer->_repeats)
            work.push_back({key.dueUptime, key.sequence});
    }
    return work;
}

uint64_t RunLoop::scheduleMark()
{
    return detail::peekScheduleSequence();
}

void RunLoop::setWakeHandler(std::function<void()> handler)
{
    std::lock_guard lock(_impl->lock);
    _impl->wakeHandler = std::move(handler);
}

void RunLoop::settle()
{
    requireMainThread("settle");
    for (;;) {
        drain();
        if (awaitQuietPool())
            return;
    }
}

bool RunLoop::awaitQuietPool()
{
    auto& pool = detail::ThreadPool::shared();
    // Listening first, then looking: a pool that goes quiet in between has
    // bumped the generation before it is read.
    pool.setQuiescenceHandler([this] { wake(); });
    uint64_t generation = 0;
    {
        std::lock_guard lock(_impl->lock);
        generation = _impl->generation;
    }
    if (pool.isQuiescent()) {
        pool.setQuiescenceHandler(nullptr);
        std::lock_guard lock(_impl->lock);
        return _impl->blocks.empty();
    }
    {
        std::unique_lock lock(_impl->lock);
        while (!_impl->wakeUp.wait_for(lock, kQuietPoolReportInterval, [&] { return _impl->generation != generation; }))
            log("run loop: still waiting for background work to finish before time moves on");
    }
    pool.setQuiescenceHandler(nullptr);
    return false;
}

size_t RunLoop::runUntilUptime(double deadlineUptime, StopRequests stopRequests)
{
    requireMainThread("runUntil");
    if (std::isnan(deadlineUptime))
        deadlineUptime = uptimeNow();
    size_t count = 0;
    for (;;) {
        if (stopRequests == StopRequests::Honour && _impl->consumeStopRequest())
            break;
        if (runOneBlock()) {
            ++count;
            continue;
        }
        auto clock = Clock::currentShared();
        auto* manual = dynamic_cast<ManualClock*>(clock.get());
        const double now = clock->uptimeSeconds();
        if (fireNextDue(std::min(now, deadlineUptime), kNoSequenceLimit, manual != nullptr)) {
            ++count;
            continue;
        }
        // Work that fell due is finished before time moves on (or the run ends).
        if (settlesBackgroundWork(manual) && !awaitQuietPool())
            continue;
        if (now >= deadlineUptime)
            break;
        if (manual) {
            // Nothing moves a manual clock while we run, so step it to the next due item.
            double next = deadlineUptime;
            {
                std::lock_guard lock(_impl->lock);
                if (!_impl->schedule.empty())
                    next = std::min(next, _impl->schedule.begin()->first.dueUptime);
            }
            if (auto after = detail::AfterScheduler::shared().earliest())
                next = std::min(next, after->dueUptime);
            if (std::isfinite(next)) {
                manual->moveTo(next);
                continue;
            }
        }
        waitForWork(deadlineUptime);
    }
    return count;
}

bool RunLoop::runOneBlock()
{
    std::function<void()> block;
    {
        std::lock_guard lock(_impl->lock);
        if (_impl->blocks.empty())
            return false;
        block = std::move(_impl->blocks.front());
        _impl->blocks.pop_front();
    }
    block();
    return true;
}

bool RunLoop::fireNextDue(double limitUptime, uint64_t sequenceLimit, bool manualClock)
{
    auto& afterScheduler = detail::AfterScheduler::shared();
    for (;;) {
        std::optional<detail::ScheduleKey> mainKey;
        {
            std::lock_guard lock(_impl->lock);
            for (const auto& [key, item] : _impl->schedule) {
                if (key.dueUptime > limitUptime)
                    break;
                if (key.sequence < sequenceLimit) {
                    mainKey = key;
                    break;
                }
            }
        }
        // Another queue's after() block is ours to hand over only on a manual clock.
        auto afterKey = manualClock ? afterScheduler.firstDue(limitUptime, sequenceLimit) : std::nullopt;
        if (!mainKey && !afterKey)
            return false;

        if (afterKey && (!mainKey || *afterKey < *mainKey)) {
            if (auto handOver = afterScheduler.take(*afterKey)) {
                handOver();
                return true;
            }
            continue;  // taken meanwhile: look again
        }

        Scheduled item;
        {
            std::lock_guard lock(_impl->lock);
            auto node = _impl->schedule.extract(*mainKey);
            if (!node)
                continue;  // invalidated or cancelled meanwhile
            item = std::move(node.mapped());
            if (item.timer)
                item.timer->_scheduled = false;
        }
        if (!item.timer) {
            item.block();
            return true;
        }
        // item.timer keeps the timer alive while its block runs, even if it invalidates itself.
        Timer& timer = *item.timer;
        timer._block(timer);
        const double now = uptimeNow();
        std::lock_guard lock(_impl->lock);
        if (timer._valid && !timer._scheduled) {
            if (timer._repeats)
                _impl->rescheduleRepeatingTimerLocked(item.timer, now);
            else
                timer._valid = false;
        }
        return true;
    }
}

void RunLoop::waitForWork(double deadlineUptime)
{
    auto clock = Clock::currentShared();
    const bool manual = dynamic_cast<const ManualClock*>(clock.get()) != nullptr;
    std::unique_lock lock(_impl->lock);
    if (!_impl->blocks.empty() || _impl->stopRequested)
        return;
    const uint64_t generation = _impl->generation;
    auto changed = [&] { return _impl->generation != generation; };
    double until = deadlineUptime;
    if (!_impl->schedule.empty())
        until = std::min(until, _impl->schedule.begin()->first.dueUptime);
    if (manual) {
        // Items scheduled on other threads bump the generation after they are in place.
        if (auto after = detail::AfterScheduler::shared().earliest())
            until = std::min(until, after->dueUptime);
        if (std::isfinite(until))
            return;  // the caller steps the clock there
        _impl->wakeUp.wait(lock, changed);
        return;
    }
    if (!std::isfinite(until)) {
        _impl->wakeUp.wait(lock, changed);
        return;
    }
    if (clock->uptimeSeconds() >= until)
        return;
    _impl->wakeUp.wait_until(lock, detail::steadyDeadlineFor(*clock, until), changed);
}

void RunLoop::requireMainThread(const char* operation) const
{
    if (!isMainThread())
        detail::fatal("RunLoop::{}: call it on the main thread", operation);
}

void RunLoop::enqueueBlock(std::function<void()> block)
{
    std::lock_guard lock(_impl->lock);
    _impl->blocks.push_back(std::move(block));
    _impl->bumpLocked();
}

void RunLoop::scheduleBlock(double delaySeconds, const void* performTarget, std::function<void()> block)
{
    scheduleBlockAt(uptimeNow() + nonNegativeDelay(delaySeconds), performTarget, std::move(block));
}

void RunLoop::scheduleBlockAt(double dueUptimeSeconds, const void* performTarget, std::function<void()> block)
{
    std::lock_guard lock(_impl->lock);
    _impl->schedule.emplace(detail::ScheduleKey {dueUptimeSeconds, detail::nextScheduleSequence()},
        Scheduled {nullptr, std::move(block), performTarget});
    _impl->bumpLocked();
}

void RunLoop::wake()
{
    std::lock_guard lock(_impl->lock);
    _impl->bumpLocked();
}

void RunLoop::scheduleTimer(const std::shared_ptr<Timer>& timer)
{
    const double now = uptimeNow();
    std::lock_guard lock(_impl->lock);
    timer->_startUptime = now;
    _impl->insertTimerLocked(timer, 1);
}

void RunLoop::invalidateTimer(Timer& timer)
{
    std::shared_ptr<Timer> removed;  // the schedule's reference, released outside the lock
    std::lock_guard lock(_impl->lock);
    timer._valid = false;
    if (timer._scheduled) {
        timer._scheduled = false;
        auto node = _impl->schedule.extract(detail::ScheduleKey {timer._fireUptime, timer._sequence});
        if (node)
            removed = std::move(node.mapped().timer);
    }
}

bool RunLoop::isTimerValid(const Timer& timer) const
{
    std::lock_guard lock(_impl->lock);
    return timer._valid;
}

double RunLoop::timerFireUptime(const Timer& timer) const
{
    std::lock_guard lock(_impl->lock);
    return timer._fireUptime;
}

}  // namespace plat
