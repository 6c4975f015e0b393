#include "platform/foundation/Semaphore.h"

#include <condition_variable>
#include <mutex>

#include "platform/foundation/Deadlines.h"
#include "platform/foundation/Fatal.h"
#include "platform/foundation/ThreadPool.h"

namespace plat {

struct Semaphore::State {
    std::mutex lock;
    std::condition_variable signalled;
    long value = 0;  // guarded by lock
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
    ++_state->value;
    // Under the lock: a waiter may destroy the semaphore as soon as it can return.
    _state->signalled.notify_one();
}

void Semaphore::wait()
{
    detail::ThreadPool::BlockingScope blocking;
    std::unique_lock lock(_state->lock);
    _state->signalled.wait(lock, [this] { return _state->value > 0; });
    --_state->value;
}

bool Semaphore::wait(double timeoutSeconds)
{
    auto deadline = detail::realTimeDeadlineAfter(timeoutSeconds);
    if (!deadline) {
        wait();
        return true;
    }
    detail::ThreadPool::BlockingScope blocking;
    std::unique_lock lock(_state->lock);
    if (!_state->signalled.wait_until(lock, *deadline, [this] { return _state->value > 0; }))
        return false;
    --_state->value;
    return true;
}

}  // namespace plat
