#include "platform/foundation/DispatchGroup.h"

#include <algorithm>
#include <condition_variable>
#include <mutex>
#include <optional>
#include <vector>

#include "platform/foundation/Deadlines.h"
#include "platform/foundation/DispatchQueue.h"
#include "platform/foundation/Fatal.h"
#include "platform/foundation/ThreadPool.h"

namespace plat {

namespace {

// A thread waiting for the group to empty. The leave that empties it counts
// the waiter as running at once (see BlockingScope::unblock).
struct Waiter {
    detail::ThreadPool::BlockingScope* blocking;
    bool released = false;  // guarded by the group's lock
};

}  // namespace

struct DispatchGroup::State {
    std::mutex lock;
    std::condition_variable emptied;
    long count = 0;  // guarded by lock
    std::vector<std::function<void()>> notifications;  // guarded by lock: each hands a block to its queue
    std::vector<Waiter*> waiters;  // guarded by lock

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
            for (Waiter* waiter : waiters) {
                waiter->released = true;
                waiter->blocking->unblock();
            }
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
    // Counted blocked only once sure to wait, under the lock that leave() takes.
    std::optional<detail::ThreadPool::BlockingScope> blocking;
    std::unique_lock lock(_state->lock);
    if (_state->count == 0)
        return true;
    Waiter self {&blocking.emplace()};
    _state->waiters.push_back(&self);
    auto isReleased = [&self] { return self.released; };
    if (!deadline) {
        _state->emptied.wait(lock, isReleased);
        return true;
    }
    if (_state->emptied.wait_until(lock, *deadline, isReleased))
        return true;
    _state->waiters.erase(std::find(_state->waiters.begin(), _state->waiters.end(), &self));
    return false;
}

}  // namespace plat
