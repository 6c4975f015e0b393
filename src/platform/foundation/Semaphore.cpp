#include "platform/foundation/Semaphore.h"

#include <algorithm>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <optional>

#include "platform/foundation/Deadlines.h"
#include "platform/foundation/Fatal.h"
#include "platform/foundation/ThreadPool.h"

namespace plat {

namespace {

// A thread waiting for a signal. The signal goes to the longest waiter, and
// the signaller counts it as running at once (see BlockingScope::unblock).
struct Waiter {
    detail::ThreadPool::BlockingScope* blocking;
    bool granted = false;  // guarded by the semaphore's lock
};

}  // namespace

struct Semaphore::State {
    std::mutex lock;
    std::condition_variable signalled;
    long value = 0;  // guarded by lock: signals nobody waited for
    std::deque<Waiter*> waiters;  // guarded by lock: longest waiting first
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
    Waiter* waiter = _state->waiters.front();
    _state->waiters.pop_front();
    waiter->granted = true;
    waiter->blocking->unblock();
    // Under the lock: a waiter may destroy the semaphore as soon as it can return.
    _state->signalled.notify_all();
}

// The worker counts as blocked only once it is sure to wait, under the
// lock that signal() takes: counted a moment earlier, a signal that came
// first would leave the pool looking quiescent while the worker runs on.
void Semaphore::wait()
{
    std::optional<detail::ThreadPool::BlockingScope> blocking;
    std::unique_lock lock(_state->lock);
    if (_state->value > 0) {
        --_state->value;
        return;
    }
    Waiter self {&blocking.emplace()};
    _state->waiters.push_back(&self);
    _state->signalled.wait(lock, [&self] { return self.granted; });
}

bool Semaphore::wait(double timeoutSeconds)
{
    auto deadline = detail::realTimeDeadlineAfter(timeoutSeconds);
    if (!deadline) {
        wait();
        return true;
    }
    std::optional<detail::ThreadPool::BlockingScope> blocking;
    std::unique_lock lock(_state->lock);
    if (_state->value > 0) {
        --_state->value;
        return true;
    }
    Waiter self {&blocking.emplace()};
    _state->waiters.push_back(&self);
    if (_state->signalled.wait_until(lock, *deadline, [&self] { return self.granted; }))
        return true;
    _state->waiters.erase(std::find(_state->waiters.begin(), _state->waiters.end(), &self));
    return false;
}

}  // namespace plat
