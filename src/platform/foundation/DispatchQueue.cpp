#include "platform/foundation/DispatchQueue.h"

#include <array>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <optional>
#include <vector>

#include "platform/foundation/AfterScheduler.h"
#include "platform/foundation/Clock.h"
#include "platform/foundation/Fatal.h"
#include "platform/foundation/ThreadPool.h"

namespace plat {

namespace {

// A serial queue that keeps getting work yields its worker after this many
// blocks, so that one busy queue cannot hold a pool thread for ever.
constexpr size_t kBlocksPerTurn = 16;

size_t poolPriority(DispatchQueue::Priority priority)
{
    switch (priority) {
    case DispatchQueue::Priority::High:
        return 0;
    case DispatchQueue::Priority::Default:
        return 1;
    case DispatchQueue::Priority::Low:
        return 2;
    case DispatchQueue::Priority::Background:
        return 3;
    }
    return 1;
}

// A sync caller waiting until the queue lets its block start.
struct SyncTurn {
    std::mutex lock;
    std::condition_variable grantedChanged;
    bool granted = false;  // guarded by lock
    // The caller's, while it waits: the grant counts it as running at once
    // (see BlockingScope::unblock). Guarded by lock.
    detail::ThreadPool::BlockingScope* waiting = nullptr;

    void grant()
    {
        {
            std::lock_guard guard(lock);
            granted = true;
            if (waiting)
                waiting->unblock();
        }
        grantedChanged.notify_one();
    }

    void waitForGrant()
    {
        // Counted blocked only once sure to wait, under the lock that grant() takes.
        std::optional<detail::ThreadPool::BlockingScope> blocking;
        std::unique_lock guard(lock);
        if (granted)
            return;
        waiting = &blocking.emplace();
        grantedChanged.wait(guard, [this] { return granted; });
        waiting = nullptr;
    }
};

// How a running block holds its queue: alone (a serial queue's block or a
// barrier) or side by side with others.
enum class Hold { Shared, Exclusive };

struct QueueItem {
    std::function<void()> block;  // empty for a sync caller, who runs its own block
    bool isBarrier = false;
    std::shared_ptr<SyncTurn> turn;  // set for a sync caller
};

struct StartedItem {
    QueueItem item;
    Hold hold = Hold::Shared;
};

// The queues whose blocks the calling thread is running, innermost last.
// A thread that calls sync() from a block still holds the outer queue.
struct CurrentQueue {
    const void* queue;
    Hold hold;
};

// Blocks run inside each other (a block that syncs onto another queue, and
// so on) at most this deep on one thread.
constexpr size_t kMaxNestedQueues = 64;

// Trivially destructible on purpose: exit() destroys the exiting thread's
// thread-locals before it runs the exit handlers, and a handler may still
// sync onto a queue or ask whether one is current.
struct CurrentQueues {
    std::array<CurrentQueue, kMaxNestedQueues> entries;
    size_t count = 0;
};
thread_local CurrentQueues currentQueues;

class CurrentQueueScope {
public:
    CurrentQueueScope(const void* queue, Hold hold)
    {
        if (currentQueues.count == kMaxNestedQueues)
            detail::fatal("DispatchQueue: blocks nested more than {} queues deep", kMaxNestedQueues);
        currentQueues.entries[currentQueues.count++] = {queue, hold};
    }
    ~CurrentQueueScope() { --currentQueues.count; }
    CurrentQueueScope(const CurrentQueueScope&) = delete;
    CurrentQueueScope& operator=(const CurrentQueueScope&) = delete;
};

const CurrentQueue* findCurrentQueue(const void* queue)
{
    for (size_t i = 0; i < currentQueues.count; ++i) {
        if (currentQueues.entries[i].queue == queue)
            return &currentQueues.entries[i];
    }
    return nullptr;
}

void requireBlock(const std::function<void()>& block, const char* operation)
{
    if (!block)
        detail::fatal("DispatchQueue::{}: no block", operation);
}

}  // namespace

struct DispatchQueue::Impl : std::enable_shared_from_this<DispatchQueue::Impl> {
    enum class Kind { Main, Global, Serial, Concurrent };

    Impl(std::string queueLabel, Kind queueKind, size_t queuePriority)
        : label(std::move(queueLabel))
        , kind(queueKind)
        , priority(queuePriority)
    {
    }

    const std::string label;
    const Kind kind;
    const size_t priority;  // of the pool jobs that run its blocks

    // Serial and concurrent queues only.
    std::mutex lock;
    std::deque<QueueItem> pending;  // guarded by lock: not started, in FIFO order
    size_t running = 0;  // guarded by lock: started and not finished
    bool exclusiveRunning = false;  // guarded by lock

    void runAsCurrent(const std::function<void()>& block, Hold hold) const
    {
        CurrentQueueScope scope(this, hold);
        block();
    }

    // Serial and concurrent queues from here on.
    void enqueue(QueueItem item)
    {
        std::vector<StartedItem> started;
        {
            std::lock_guard guard(lock);
            pending.push_back(std::move(item));
            started = takeStartableLocked();
        }
        launch(std::move(started));
    }

    // Moves the items that may start now out of pending, counting them as running.
    std::vector<StartedItem> takeStartableLocked()
    {
        std::vector<StartedItem> started;
        while (!pending.empty() && !exclusiveRunning) {
            Hold hold = kind == Kind::Serial || pending.front().isBarrier ? Hold::Exclusive : Hold::Shared;
            if (hold == Hold::Exclusive && running > 0)
                break;
            ++running;
            exclusiveRunning = hold == Hold::Exclusive;
            started.push_back({std::move(pending.front()), hold});
            pending.pop_front();
        }
        return started;
    }

    std::vector<StartedItem> finishAndTakeStartable(Hold hold)
    {
        std::lock_guard guard(lock);
        --running;
        if (hold == Hold::Exclusive)
            exclusiveRunning = false;
        return takeStartableLocked();
    }

    void launch(std::vector<StartedItem> started)
    {
        for (auto& entry : started) {
            if (entry.item.turn) {
                entry.item.turn->grant();
                continue;
            }
            detail::ThreadPool::shared().submit(
                priority, [self = shared_from_this(), entry = std::move(entry)]() mutable {
                    self->runStarted(std::move(entry));
                });
        }
    }

    // On a pool worker: runs a started block, then keeps going with the next
    // one while the queue has more for it.
    void runStarted(StartedItem entry)
    {
        for (size_t ran = 1;; ++ran) {
            runAsCurrent(entry.item.block, entry.hold);
            entry.item.block = nullptr;  // captures go before the next block starts
            auto started = finishAndTakeStartable(entry.hold);
            if (started.empty() || started.front().item.turn || ran >= kBlocksPerTurn) {
                launch(std::move(started));
                return;
            }
            entry = std::move(started.front());
            started.erase(started.begin());
            launch(std::move(started));
        }
    }

    void syncOnCallingThread(const std::function<void()>& block)
    {
        if (const CurrentQueue* held = findCurrentQueue(this)) {
            if (held->hold == Hold::Exclusive)
                detail::fatal("DispatchQueue::sync onto '{}' from its own block would deadlock", label);
            // A concurrent queue already running our caller: waiting behind a
            // later barrier would deadlock, so run now.
            runAsCurrent(block, Hold::Shared);
            return;
        }
        const Hold hold = kind == Kind::Serial ? Hold::Exclusive : Hold::Shared;
        std::shared_ptr<SyncTurn> turn;
        {
            std::lock_guard guard(lock);
            if (pending.empty() && !exclusiveRunning && (hold == Hold::Shared || running == 0)) {
                ++running;
                exclusiveRunning = hold == Hold::Exclusive;
            } else {
                turn = std::make_shared<SyncTurn>();
                pending.push_back(QueueItem {.block = nullptr, .isBarrier = false, .turn = turn});
            }
        }
        if (turn)
            turn->waitForGrant();
        runAsCurrent(block, hold);
        launch(finishAndTakeStartable(hold));
    }
};

DispatchQueue::DispatchQueue(std::shared_ptr<Impl> impl)
    : _impl(std::move(impl))
{
}

DispatchQueue::~DispatchQueue() = default;

std::shared_ptr<DispatchQueue> DispatchQueue::create(std::string label, Attribute attribute)
{
    auto kind = attribute == Attribute::Serial ? Impl::Kind::Serial : Impl::Kind::Concurrent;
    return std::shared_ptr<DispatchQueue>(
        new DispatchQueue(std::make_shared<Impl>(std::move(label), kind, poolPriority(Priority::Default))));
}

DispatchQueue& DispatchQueue::mainQueue()
{
    // Never destroyed, like the run loop that drains it.
    static DispatchQueue* queue = new DispatchQueue(std::make_shared<Impl>("plat.main-thread", Impl::Kind::Main, 0));
    return *queue;
}

DispatchQueue& DispatchQueue::globalQueue(Priority priority)
{
    static const std::array<DispatchQueue*, 4> queues = [] {
        auto make = [](const char* label, Priority queuePriority) {
            return new DispatchQueue(std::make_shared<Impl>(label, Impl::Kind::Global, poolPriority(queuePriority)));
        };
        return std::array<DispatchQueue*, 4> {make("plat.global.high", Priority::High),
            make("plat.global.default", Priority::Default), make("plat.global.low", Priority::Low),
            make("plat.global.background", Priority::Background)};
    }();
    return *queues[poolPriority(priority)];
}

void DispatchQueue::async(std::function<void()> block)
{
    requireBlock(block, "async");
    submit(_impl, std::move(block), BlockKind::Plain);
}

void DispatchQueue::asyncBarrier(std::function<void()> block)
{
    requireBlock(block, "asyncBarrier");
    submit(_impl, std::move(block), BlockKind::Barrier);
}

void DispatchQueue::submit(const std::shared_ptr<Impl>& queue, std::function<void()> block, BlockKind kind)
{
    switch (queue->kind) {
    case Impl::Kind::Main:
        RunLoop::main().enqueueBlock(std::move(block));
        return;
    case Impl::Kind::Global:
        detail::ThreadPool::shared().submit(
            queue->priority, [queue, block = std::move(block)] { queue->runAsCurrent(block, Hold::Shared); });
        return;
    case Impl::Kind::Serial:
    case Impl::Kind::Concurrent:
        queue->enqueue({std::move(block), kind == BlockKind::Barrier, nullptr});
        return;
    }
}

void DispatchQueue::sync(const std::function<void()>& block)
{
    requireBlock(block, "sync");
    switch (_impl->kind) {
    case Impl::Kind::Main: {
        if (isMainThread())
            detail::fatal("DispatchQueue::sync onto the main queue from the main thread would deadlock");
        auto done = std::make_shared<SyncTurn>();
        RunLoop::main().enqueueBlock([&block, done] {
            block();
            done->grant();
        });
        done->waitForGrant();
        return;
    }
    case Impl::Kind::Global:
        _impl->runAsCurrent(block, Hold::Shared);
        return;
    case Impl::Kind::Serial:
    case Impl::Kind::Concurrent:
        _impl->syncOnCallingThread(block);
        return;
    }
}

void DispatchQueue::after(double delaySeconds, std::function<void()> block)
{
    requireBlock(block, "after");
    if (!(delaySeconds > 0)) {
        submit(_impl, std::move(block), BlockKind::Plain);
        return;
    }
    if (_impl->kind == Impl::Kind::Main) {
        RunLoop::main().scheduleBlock(delaySeconds, nullptr, std::move(block));
        return;
    }
    auto clock = Clock::currentShared();
    detail::AfterScheduler::shared().schedule(clock->uptimeSeconds() + delaySeconds,
        [queue = _impl, block = std::move(block)]() mutable { submit(queue, std::move(block), BlockKind::Plain); });
    // A main run loop waiting on a manual clock steps time to this block's moment.
    if (dynamic_cast<const ManualClock*>(clock.get()))
        RunLoop::main().wake();
}

const std::string& DispatchQueue::label() const
{
    return _impl->label;
}

bool DispatchQueue::isCurrent() const
{
    if (_impl->kind == Impl::Kind::Main)
        return isMainThread();
    return findCurrentQueue(_impl.get()) != nullptr;
}

void assertOnQueue(const DispatchQueue& queue)
{
    if (!queue.isCurrent())
        detail::fatal("expected to run on queue '{}'", queue.label());
}

}  // namespace plat
