#pragma once
#include <array>
#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

namespace plat::detail {

// The worker threads behind every dispatch queue except the main queue.
// Jobs are taken most urgent priority first, then in submission order. The
// pool keeps about one running worker per processor and starts another (up to
// kMaxThreads) only while workers are blocked in our own waits (semaphores,
// groups, sync), so that the work those waits depend on still gets a thread.
// Idle workers block on a condition variable. Any thread.
class ThreadPool {
public:
    static constexpr size_t kPriorityCount = 4;  // 0 is the most urgent
    static constexpr size_t kMaxThreads = 64;

    // The process-wide pool. Never destroyed: queues held in statics and blocks
    // still running while the process exits must not meet a dead pool; its idle
    // workers are blocked on a condition variable and end with the process.
    static ThreadPool& shared();

    // A private pool, for tests; its destructor lets the running jobs finish,
    // drops the queued ones and joins the workers.
    explicit ThreadPool(size_t targetRunningThreads);
    ~ThreadPool();
    ThreadPool(const ThreadPool&) = delete;
    ThreadPool& operator=(const ThreadPool&) = delete;

    void submit(size_t priority, std::function<void()> job);
    size_t threadCount() const;

    // True when no job waits and every worker is idle or blocked in one of our
    // own waits: whatever the blocked ones wait for must come from outside the
    // pool (the main thread, the clock, the network).
    bool isQuiescent() const;
    // Called on a worker, outside the pool's lock, whenever the pool may have
    // just become quiescent (a job ended, a worker began to wait). It must
    // only signal. Empty removes it.
    void setQuiescenceHandler(std::function<void()> handler);

    // Marks the calling worker as blocked for the scope's lifetime, letting
    // its pool start a replacement when queued jobs would otherwise wait.
    // Does nothing on threads that are not pool workers.
    class BlockingScope {
    public:
        BlockingScope();
        ~BlockingScope();
        BlockingScope(const BlockingScope&) = delete;
        BlockingScope& operator=(const BlockingScope&) = delete;

        // Counts the worker as running again from now on. Whoever wakes it
        // calls this, so that the pool never looks quiescent between the
        // wake-up and the moment the worker resumes. Once only; any thread.
        void unblock();

    private:
        ThreadPool* _pool;
        bool _counted = false;  // guarded by the pool's lock
    };

private:
    void workerLoop();
    size_t queuedJobsLocked() const;
    bool isQuiescentLocked() const;
    void startWorkerIfNeededLocked();
    void callQuiescenceHandler();

    const size_t _targetRunning;
    mutable std::mutex _lock;
    std::condition_variable _workAvailable;
    std::array<std::deque<std::function<void()>>, kPriorityCount> _jobs;  // guarded by _lock
    std::vector<std::thread> _threads;  // guarded by _lock
    size_t _idle = 0;  // guarded by _lock: workers not running a job
    size_t _blocked = 0;  // guarded by _lock: workers inside a BlockingScope
    bool _stopping = false;  // guarded by _lock
    mutable std::mutex _handlerLock;
    std::function<void()> _quiescenceHandler;  // guarded by _handlerLock
    std::atomic<bool> _hasQuiescenceHandler {false};
};

}  // namespace plat::detail
