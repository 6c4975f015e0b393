#include "platform/foundation/Semaphore.h"

#include <chrono>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <optional>

#include "platform/foundation/Deadlines.h"
#include "platform/foundation/Fatal.h"
#include "platform/foundation/ThreadPool.h"

namespace plat {

struct Semaphore::State {
    std::mutex lock;
    std::condition_variable granted;
    long value = 0;  // guarded by lock
    // Guarded by lock: waiting threads, first come first served. A signal is
    // handed to the first of them rather than counted, so that exactly that
    // thread is known to be on its way.
    std::deque<detail::ThreadPool::Waiter*> waiters;

    // deadline: none for no time limit.
    bool wait(std::optional<std::chrono::steady_clock::time_point> deadline)
    {
        std::unique_lock guard(lock);
        if (value > 0) {
            --value;
            return true;
        }
        if (deadline && std::chrono::steady_clock::now() >= *deadline)
            return false;
        detail::ThreadPool::Waiter waiter;  // ends before the lock is released
        waiters.push_back(&waiter);
        auto isGranted = [&] { return waiter.isGranted(); };
        if (!deadline) {
            granted.wait(guard, isGranted);
            return true;
        }
        if (granted.wait_until(guard, *deadline, isGranted))
            return true;
        std::erase(waiters, &waiter);
        return false;
    }
};

Semaphore::Semaphore(long value)
    : _state(std::make_shared<State>())
{
    if (value < 0)
        detail::fatal("Semaphore: initial value {} is negative", value);
    _state->value = value;
}

void Semaphore::signal()
{
    std::lock_guard lock(_state->lock);
    if (_state->waiters.empty()) {
        ++_state->value;
        return;
    }
    _state->waiters.front()->grant();
    _state->waiters.pop_front();
    // Under the lock: a waiter may destroy the semaphore as soon as it can return.
    _state->granted.notify_all();
}

void Semaphore::wait()
{
    (void)_state->wait(std::nullopt);
}

bool Semaphore::wait(double timeoutSeconds)
{
    return _state->wait(detail::realTimeDeadlineAfter(timeoutSeconds));
}

}  // namespace plat
