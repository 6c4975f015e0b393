#include "platform/foundation/ThreadPool.h"

#include <algorithm>

#include "platform/foundation/Threads.h"

namespace plat::detail {

namespace {

thread_local ThreadPool* poolOfThisThread = nullptr;

}  // namespace

ThreadPool& ThreadPool::shared()
{
    static ThreadPool* pool = new ThreadPool(std::max(2u, std::thread::hardware_concurrency()));
    return *pool;
}

ThreadPool::ThreadPool(size_t targetRunningThreads)
    : _targetRunning(std::clamp<size_t>(targetRunningThreads, 1, kMaxThreads))
{
}

ThreadPool::~ThreadPool()
{
    std::vector<std::thread> threads;
    std::array<std::deque<std::function<void()>>, kPriorityCount> dropped;
    {
        std::lock_guard lock(_lock);
        _stopping = true;
        dropped.swap(_jobs);
        threads.swap(_threads);
    }
    _workAvailable.notify_all();
    for (auto& thread : threads)
        thread.join();
}

void ThreadPool::submit(size_t priority, std::function<void()> job)
{
    {
        std::lock_guard lock(_lock);
        if (_stopping)
            return;
        _jobs[std::min(priority, kPriorityCount - 1)].push_back(std::move(job));
        startWorkerIfNeededLocked();
    }
    _workAvailable.notify_one();
}

size_t ThreadPool::threadCount() const
{
    std::lock_guard lock(_lock);
    return _threads.size();
}

bool ThreadPool::isQuiescent() const
{
    std::lock_guard lock(_lock);
    return isQuiescentLocked();
}

bool ThreadPool::isQuiescentLocked() const
{
    return queuedJobsLocked() == 0 && _threads.size() == _idle + _blocked;
}

void ThreadPool::setQuiescenceHandler(std::function<void()> handler)
{
    std::lock_guard lock(_handlerLock);
    _hasQuiescenceHandler.store(static_cast<bool>(handler));
    _quiescenceHandler = std::move(handler);
}

void ThreadPool::callQuiescenceHandler()
{
    std::lock_guard lock(_handlerLock);
    if (_quiescenceHandler)
        _quiescenceHandler();
}

size_t ThreadPool::queuedJobsLocked() const
{
    size_t count = 0;
    for (const auto& jobs : _jobs)
        count += jobs.size();
    return count;
}

void ThreadPool::startWorkerIfNeededLocked()
{
    size_t unblocked = _threads.size() - _blocked;
    if (queuedJobsLocked() <= _idle || unblocked >= _targetRunning || _threads.size() >= kMaxThreads)
        return;
    ++_idle;  // counted idle until it takes its first job
    _threads.push_back(startThread("plat-worker", [this] { workerLoop(); }));
}

void ThreadPool::workerLoop()
{
    poolOfThisThread = this;
    std::unique_lock lock(_lock);
    for (;;) {
        _workAvailable.wait(lock, [this] { return _stopping || queuedJobsLocked() > 0; });
        if (_stopping)
            return;
        auto queue = std::find_if(_jobs.begin(), _jobs.end(), [](const auto& jobs) { return !jobs.empty(); });
        auto job = std::move(queue->front());
        queue->pop_front();
        --_idle;
        lock.unlock();
        job();
        job = nullptr;  // the job's captures are released outside the lock
        lock.lock();
        ++_idle;
        if (_hasQuiescenceHandler.load() && isQuiescentLocked()) {
            lock.unlock();
            callQuiescenceHandler();
            lock.lock();
        }
    }
}

ThreadPool::BlockingScope::BlockingScope()
    : _pool(poolOfThisThread)
{
    if (!_pool)
        return;
    bool quiescent = false;
    {
        std::lock_guard lock(_pool->_lock);
        ++_pool->_blocked;
        _counted = true;
        _pool->startWorkerIfNeededLocked();
        // Cheap when nobody listens, which is nearly always.
        quiescent = _pool->_hasQuiescenceHandler.load() && _pool->isQuiescentLocked();
    }
    if (quiescent)
        _pool->callQuiescenceHandler();
}

ThreadPool::BlockingScope::~BlockingScope()
{
    unblock();
}

void ThreadPool::BlockingScope::unblock()
{
    if (!_pool)
        return;
    std::lock_guard lock(_pool->_lock);
    if (!_counted)
        return;
    _counted = false;
    --_pool->_blocked;
}

}  // namespace plat::detail
