#include "platform/foundation/DispatchGroup.h"

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <vector>

#include "platform/foundation/Deadlines.h"
#include "platform/foundation/DispatchQueue.h"
#include "platform/foundation/Fatal.h"
#include "platform/foundation/ThreadPool.h"

namespace plat {

struct DispatchGroup::State {
    std::mutex lock;
    std::condition_variable emptied;
    long count = 0;  // guarded by lock
    std::vector<std::function<void()>> notifications;  // guarded by lock: each hands a block to its queue
    std::vector<detail::ThreadPool::Waiter*> waiters;  // guarded by lock: let go when the group empties

    void leave()
    {
        std::vector<std::function<void()>> ready;
        {
            std::lock_guard guard(lock);
            if (count == 0)
                detail::fatal("DispatchGroup::leave without a matching enter");
            if (--count > 0)
                return;
            ready.swap(notifications);
            for (auto* waiter : waiters)
                waiter->grant();
            waiters.clear();
            // Under the lock: a waiter may destroy the group as soon as it can return.
            emptied.notify_all();
        }
        for (auto& handOver : ready)
            handOver();
    }
};

DispatchGroup::DispatchGroup()
    : _state(std::make_shared<State>())
{
}

void DispatchGroup::enter()
{
    std::lock_guard lock(_state->lock);
    ++_state->count;
}

void DispatchGroup::leave()
{
    _state->leave();
}

void DispatchGroup::async(DispatchQueue& queue, std::function<void()> block)
{
    if (!block)
        detail::fatal("DispatchGroup::async: no block");
    enter();
    queue.async([state = _state, block = std::move(block)] {
        block();
        state->leave();
    });
}

void DispatchGroup::notify(DispatchQueue& queue, std::function<void()> block)
{
    if (!block)
        detail::fatal("DispatchGroup::notify: no block");
    auto handOver = [target = queue._impl, block = std::move(block)]() mutable {
        DispatchQueue::submit(target, std::move(block), DispatchQueue::BlockKind::Plain);
    };
    {
        std::lock_guard lock(_state->lock);
        if (_state->count > 0) {
            _state->notifications.push_back(std::move(handOver));
            return;
        }
    }
    handOver();
}

bool DispatchGroup::wait(double timeoutSeconds)
{
    auto deadline = detail::realTimeDeadlineAfter(timeoutSeconds);
    std::unique_lock lock(_state->lock);
    if (_state->count == 0)
        return true;
    if (deadline && std::chrono::steady_clock::now() >= *deadline)
        return false;
    detail::ThreadPool::Waiter waiter;  // ends before the lock is released
    _state->waiters.push_back(&waiter);
    // Granted when the group empties, even if it fills again before we wake.
    auto isGranted = [&] { return waiter.isGranted(); };
    if (!deadline) {
        _state->emptied.wait(lock, isGranted);
        return true;
    }
    if (_state->emptied.wait_until(lock, *deadline, isGranted))
        return true;
    std::erase(_state->waiters, &waiter);
    return false;
}

}  // namespace plat
