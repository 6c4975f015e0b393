#pragma once
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <thread>
#include <vector>

#include "platform/foundation/Date.h"

namespace plat {

class Timer;

// True on the thread the main run loop is bound to. Any thread.
bool isMainThread();

// The main run loop. On the main thread it runs the main queue's blocks, the
// timers, delayed performs and the main queue's after() blocks; main-queue
// blocks go first, then whatever is due, earliest first. Time comes from
// plat::Clock; on a manual clock, running until a moment moves the clock from
// one due item to the next (that is how ManualClock::advance works).
// Running, draining and timers belong to the main thread; stop() and the
// binding queries work from any thread.
class RunLoop {
public:
    static RunLoop& main();

    // The thread that runs the loop: the app's main() and the test main bind it.
    void bindToCurrentThread();
    void bindToThread(std::thread::id thread);
    std::thread::id boundThread() const;

    // Runs until stop().
    void run();
    // Runs until the clock reaches the date or uptime, or until stop().
    void runUntilDate(Date date);
    void runUntil(double uptimeSeconds);
    // Makes the innermost run() or runUntil() return once the block or timer
    // in progress is done; when none is running, the next one returns at once.
    void stop();

    // Without blocking: runs the main-queue blocks queued at the call, then
    // the timers, performs and after() blocks due at the call, once each. Work
    // they post waits for the next call. Returns how many ran.
    size_t runPending();
    // Without blocking: runs until nothing is ready, including blocks posted
    // by the work it runs, with queued blocks running before each due item.
    // Only items due when it was called fire. Returns how many ran.
    size_t drain();
    // Without moving the clock: runs what is ready, and waits (in real time)
    // until the worker pool has nothing left to run and the main queue is
    // empty. Work that waits for the clock or the main thread counts as done.
    // A manual clock that settles background work does this before every step.
    void settle();
    // Blocks until a main-queue block is queued (or stop() is called), or until
    // the real-time timeout passes; runs nothing and never moves the clock.
    // For waiting on work that other threads hand to the main queue. Returns
    // false on time-out.
    bool waitForQueuedBlocks(double realTimeoutSeconds);

    // Runs block on the main thread after the delay, on behalf of target (an
    // identity, never dereferenced), unless cancelled first.
    void performAfterDelay(const void* target, double delaySeconds, std::function<void()> block);
    // Cancels every delayed perform still waiting for target.
    void cancelPreviousPerformRequests(const void* target);

    // For test isolation: drops queued main-queue blocks, invalidates the
    // timers, drops delayed performs and every queue's waiting after() blocks.
    void discardPendingWork();

    // For a loop that waits on something else (a desktop window's events):
    // the uptime at which the main run loop next has work, now when blocks
    // are queued, infinity when nothing is scheduled. Main thread.
    double nextWorkUptime() const;

    // Main-thread work now waiting that runs once (a delayed perform, a
    // one-shot timer, a main-queue after() block), with the mark it was
    // scheduled at: by its moment what it stands for has ended, unless it
    // sets more going. Repeating timers never end and are left out.
    struct OneShotWork {
        double dueUptime = 0;
        uint64_t mark = 0;
    };
    // Such work due by the limit, earliest first. Main thread.
    std::vector<OneShotWork> oneShotWorkDueBy(double limitUptime) const;
    // Work scheduled from now on (by any queue) has a mark at least this. Any thread.
    static uint64_t scheduleMark();
    // Called from any thread whenever work arrives or a wait must end; it
    // runs under the run loop's lock, so it must only signal (no run loop
    // calls). Empty removes it.
    void setWakeHandler(std::function<void()> handler);

    RunLoop(const RunLoop&) = delete;
    RunLoop& operator=(const RunLoop&) = delete;

private:
    friend class ManualClock;
    friend class Timer;
    friend class DispatchQueue;

    enum class StopRequests { Honour, Ignore };
    struct Impl;

    RunLoop();
    ~RunLoop();

    size_t runUntilUptime(double deadlineUptime, StopRequests stopRequests);
    bool awaitQuietPool();
    bool runOneBlock();
    bool fireNextDue(double limitUptime, uint64_t sequenceLimit, bool manualClock);
    void waitForWork(double deadlineUptime);
    void requireMainThread(const char* operation) const;

    // Used by DispatchQueue for the main queue.
    void enqueueBlock(std::function<void()> block);
    void scheduleBlock(double delaySeconds, const void* performTarget, std::function<void()> block);
    void scheduleBlockAt(double dueUptimeSeconds, const void* performTarget, std::function<void()> block);
    void wake();

    // Used by Timer; the timer's schedule state is guarded by the run loop's lock.
    void scheduleTimer(const std::shared_ptr<Timer>& timer);
    void invalidateTimer(Timer& timer);
    bool isTimerValid(const Timer& timer) const;
    double timerFireUptime(const Timer& timer) const;

    std::unique_ptr<Impl> _impl;
};

}  // namespace plat
