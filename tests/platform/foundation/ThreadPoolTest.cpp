#include "platform/foundation/ThreadPool.h"

#include <atomic>
#include <future>
#include <gtest/gtest.h>
#include <string>
#include <vector>

#include "platform/foundation/DispatchGroup.h"
#include "platform/foundation/Semaphore.h"

namespace {

constexpr double kGenerousTimeoutSeconds = 30;

TEST(ThreadPool, BusyJobsUseNoMoreThreadsThanTheTarget)
{
    plat::detail::ThreadPool pool(2);
    plat::Semaphore done;
    std::atomic<int> ran = 0;
    for (int i = 0; i < 100; ++i) {
        pool.submit(1, [&ran, done]() mutable {
            ++ran;
            done.signal();
        });
    }
    for (int i = 0; i < 100; ++i)
        ASSERT_TRUE(done.wait(kGenerousTimeoutSeconds));
    EXPECT_EQ(ran, 100);
    EXPECT_LE(pool.threadCount(), 2u);
}

TEST(ThreadPool, StartsAnotherThreadWhileWorkersAreBlockedInOurWaits)
{
    plat::detail::ThreadPool pool(1);
    plat::Semaphore released;
    plat::Semaphore finished;
    for (int i = 0; i < 3; ++i) {
        pool.submit(1, [released, finished]() mutable {
            if (released.wait(kGenerousTimeoutSeconds))
                finished.signal();
        });
    }
    pool.submit(1, [released]() mutable {
        for (int i = 0; i < 3; ++i)
            released.signal();
    });
    for (int i = 0; i < 3; ++i)
        ASSERT_TRUE(finished.wait(kGenerousTimeoutSeconds));
    EXPECT_EQ(pool.threadCount(), 4u);
}

TEST(ThreadPool, TakesTheMostUrgentQueuedJobFirst)
{
    plat::detail::ThreadPool pool(1);
    // A wait the pool cannot see, so it starts no second worker meanwhile.
    std::promise<void> gate;
    plat::Semaphore done;
    std::vector<size_t> order;  // touched by the pool's one worker
    pool.submit(0, [opened = gate.get_future().share()] { opened.wait(); });
    for (size_t priority : {3u, 1u, 2u, 0u}) {
        pool.submit(priority, [&order, done, priority]() mutable {
            order.push_back(priority);
            done.signal();
        });
    }
    gate.set_value();
    for (int i = 0; i < 4; ++i)
        ASSERT_TRUE(done.wait(kGenerousTimeoutSeconds));
    EXPECT_EQ(order, (std::vector<size_t> {0, 1, 2, 3}));
}

TEST(ThreadPool, IsQuiescentOnlyWhileEveryWorkerIsIdleOrInOneOfOurWaits)
{
    plat::detail::ThreadPool pool(2);
    EXPECT_TRUE(pool.isQuiescent());
    plat::Semaphore wentQuiet;
    pool.setQuiescenceHandler([wentQuiet]() mutable { wentQuiet.signal(); });
    std::promise<void> gate;  // a wait the pool cannot see: the worker is busy
    plat::Semaphore released;
    pool.submit(1, [opened = gate.get_future().share(), released]() mutable {
        opened.wait();
        (void)released.wait(kGenerousTimeoutSeconds);
    });
    EXPECT_FALSE(pool.isQuiescent());
    gate.set_value();
    ASSERT_TRUE(wentQuiet.wait(kGenerousTimeoutSeconds)) << "waiting in our semaphore";
    EXPECT_TRUE(pool.isQuiescent());
    released.signal();
    ASSERT_TRUE(wentQuiet.wait(kGenerousTimeoutSeconds)) << "finished";
    EXPECT_TRUE(pool.isQuiescent());
    pool.setQuiescenceHandler(nullptr);
}

}  // namespace

// Time may move on once the pool is quiescent: a worker just woken from one
// of our waits counts as running until its job is done.
TEST(ThreadPool, AWorkerWokenFromOurWaitsIsNotQuiescentUntilItsJobEnds)
{
    for (const char* kind : {"semaphore", "group"}) {
        SCOPED_TRACE(kind);
        plat::Semaphore quiet;
        plat::Semaphore go;
        plat::DispatchGroup group;
        group.enter();
        std::atomic<bool> done = false;
        // Last, so that it goes first: its destructor waits for the job.
        plat::detail::ThreadPool pool(2);
        pool.setQuiescenceHandler([quiet]() mutable { quiet.signal(); });
        pool.submit(1, [&, go]() mutable {
            if (std::string(kind) == "semaphore")
                go.wait();
            else
                (void)group.wait(kGenerousTimeoutSeconds);
            volatile double sum = 0;
            for (int i = 0; i < 100000; ++i)
                sum = sum + i;
            done = true;
        });
        ASSERT_TRUE(quiet.wait(kGenerousTimeoutSeconds)) << "the worker waits";
        ASSERT_TRUE(pool.isQuiescent());
        if (std::string(kind) == "semaphore")
            go.signal();
        else
            group.leave();
        EXPECT_TRUE(!pool.isQuiescent() || done) << "quiescent while the woken job still runs";
        pool.setQuiescenceHandler(nullptr);
    }
}
