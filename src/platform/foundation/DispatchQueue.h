#pragma once
#include <functional>
#include <memory>
#include <string>

#include "platform/foundation/RunLoop.h"  // isMainThread()

namespace plat {

// A queue of blocks, as the platform's dispatch queues. A serial queue runs
// one block at a time in FIFO order; a concurrent queue starts blocks in FIFO
// order and runs them side by side, except barrier blocks, which run alone.
// Blocks run on the shared worker pool; the main queue's blocks run on the
// main thread when the main run loop drains. Pending work keeps its queue's
// state alive, so releasing a queue never drops blocks. Any thread.
class DispatchQueue {
public:
    enum class Attribute { Serial, Concurrent };
    enum class Priority { High, Default, Low, Background };

    static std::shared_ptr<DispatchQueue> create(std::string label, Attribute attribute = Attribute::Serial);
    static DispatchQueue& mainQueue();
    // Concurrent queues over the shared pool; barriers on them are plain blocks.
    static DispatchQueue& globalQueue(Priority priority = Priority::Default);

    void async(std::function<void()> block);
    // Runs block and returns after it ran: on the calling thread once the
    // queue lets it start (the main queue's on the main thread). A sync onto
    // a serial queue from its own blocks, or onto the main queue from the main
    // thread, would deadlock: both abort with a message. On a concurrent queue
    // whose (non-barrier) block is calling, it runs at once.
    void sync(const std::function<void()>& block);
    // Hands block to the queue once delaySeconds have passed on plat::Clock.
    void after(double delaySeconds, std::function<void()> block);
    // Hands block to the queue once plat::Clock reaches dueUptimeSeconds (at
    // once when it has). For work paced by the clock from another thread: a
    // delay is measured from its own reading of the clock, so a clock that
    // moves on meanwhile would push the block back by as much.
    void afterUptime(double dueUptimeSeconds, std::function<void()> block);
    // On a concurrent queue, block waits for the blocks before it and runs alone.
    void asyncBarrier(std::function<void()> block);

    const std::string& label() const;
    // True while the caller runs in one of the queue's blocks, including code
    // called from there through sync() onto other queues. The main queue is
    // current on the main thread.
    bool isCurrent() const;

    ~DispatchQueue();
    DispatchQueue(const DispatchQueue&) = delete;
    DispatchQueue& operator=(const DispatchQueue&) = delete;

private:
    friend class DispatchGroup;
    struct Impl;
    enum class BlockKind { Plain, Barrier };

    explicit DispatchQueue(std::shared_ptr<Impl> impl);
    static void submit(const std::shared_ptr<Impl>& queue, std::function<void()> block, BlockKind kind);

    std::shared_ptr<Impl> _impl;
};

// Aborts with a message unless queue.isCurrent().
void assertOnQueue(const DispatchQueue& queue);

// Lets go of a reference taken on another thread on the main queue instead,
// so that an object that must end on the main thread (a screen, a view)
// never ends on that thread when the main thread let go of it meanwhile.
template <class T> void releaseOnMainQueue(std::shared_ptr<T>&& reference)
{
    if (!reference || isMainThread()) {
        reference.reset();
        return;
    }
    DispatchQueue::mainQueue().async([held = std::move(reference)]() mutable { held.reset(); });
}

}  // namespace plat
