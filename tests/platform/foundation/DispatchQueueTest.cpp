#include "platform/foundation/DispatchQueue.h"

#include <atomic>
#include <cstdlib>
#include <functional>
#include <gtest/gtest.h>
#include <thread>
#include <vector>

#include "platform/foundation/DispatchGroup.h"
#include "platform/foundation/Semaphore.h"
#include "support/ManualClockScope.h"

namespace {

constexpr double kGenerousTimeoutSeconds = 30;

using plat::DispatchQueue;

TEST(DispatchQueue, SerialQueueRunsBlocksInFifoOrderOneAtATime)
{
    auto queue = DispatchQueue::create("test.serial");
    EXPECT_EQ(queue->label(), "test.serial");
    std::vector<int> order;
    std::atomic<int> running = 0;
    std::atomic<int> mostAtOnce = 0;
    plat::DispatchGroup group;
    for (int i = 0; i < 200; ++i) {
        group.async(*queue, [&, i] {
            int now = ++running;
            if (now > mostAtOnce)
                mostAtOnce = now;
            order.push_back(i);
            --running;
        });
    }
    ASSERT_TRUE(group.wait(kGenerousTimeoutSeconds));
    ASSERT_EQ(order.size(), 200u);
    for (int i = 0; i < 200; ++i)
        EXPECT_EQ(order[i], i);
    EXPECT_EQ(mostAtOnce, 1);
}

// Each block lets the other go on only once both are running, so the two
// must be running at the same time.
void expectRunsSideBySide(DispatchQueue& queue)
{
    plat::Semaphore firstArrived;
    plat::Semaphore secondArrived;
    plat::DispatchGroup group;
    std::atomic<bool> firstMet = false;
    std::atomic<bool> secondMet = false;
    group.async(queue, [=, &firstMet]() mutable {
        firstArrived.signal();
        firstMet = secondArrived.wait(kGenerousTimeoutSeconds);
    });
    group.async(queue, [=, &secondMet]() mutable {
        secondArrived.signal();
        secondMet = firstArrived.wait(kGenerousTimeoutSeconds);
    });
    ASSERT_TRUE(group.wait(kGenerousTimeoutSeconds * 2));
    EXPECT_TRUE(firstMet);
    EXPECT_TRUE(secondMet);
}

TEST(DispatchQueue, ConcurrentQueueRunsBlocksSideBySide)
{
    auto queue = DispatchQueue::create("test.concurrent", DispatchQueue::Attribute::Concurrent);
    expectRunsSideBySide(*queue);
}

TEST(DispatchQueue, GlobalQueuesRunBlocksSideBySide)
{
    expectRunsSideBySide(DispatchQueue::globalQueue(DispatchQueue::Priority::High));
    expectRunsSideBySide(DispatchQueue::globalQueue(DispatchQueue::Priority::Background));
}

TEST(DispatchQueue, WorkersBlockedInWaitsDoNotStarveTheWorkTheyWaitFor)
{
    // More waiters than the machine has processors; the last block releases them all.
    constexpr int kWaiters = 24;
    plat::Semaphore released;
    plat::DispatchGroup group;
    std::atomic<int> freed = 0;
    for (int i = 0; i < kWaiters; ++i) {
        group.async(DispatchQueue::globalQueue(), [=, &freed]() mutable {
            if (released.wait(kGenerousTimeoutSeconds))
                ++freed;
        });
    }
    group.async(DispatchQueue::globalQueue(), [=]() mutable {
        for (int i = 0; i < kWaiters; ++i)
            released.signal();
    });
    ASSERT_TRUE(group.wait(kGenerousTimeoutSeconds * 2));
    EXPECT_EQ(freed, kWaiters);
}

TEST(DispatchQueue, BarrierWaitsForEarlierBlocksRunsAloneAndHoldsBackLaterOnes)
{
    auto queue = DispatchQueue::create("test.barrier", DispatchQueue::Attribute::Concurrent);
    constexpr int kEarlier = 4;
    plat::Semaphore started;
    plat::Semaphore release;
    std::atomic<int> running = 0;
    std::atomic<int> earlierDone = 0;
    std::atomic<bool> barrierDone = false;
    int runningDuringBarrier = -1;
    int earlierDoneBeforeBarrier = -1;
    std::atomic<int> laterSawBarrierDone = 0;
    plat::DispatchGroup group;
    for (int i = 0; i < kEarlier; ++i) {
        group.async(*queue, [=, &running, &earlierDone]() mutable {
            ++running;
            started.signal();
            (void)release.wait(kGenerousTimeoutSeconds);
            --running;
            ++earlierDone;
        });
    }
    for (int i = 0; i < kEarlier; ++i)
        ASSERT_TRUE(started.wait(kGenerousTimeoutSeconds));  // all earlier blocks run at once
    group.enter();
    queue->asyncBarrier([&] {
        runningDuringBarrier = running;
        earlierDoneBeforeBarrier = earlierDone;
        barrierDone = true;
        group.leave();
    });
    for (int i = 0; i < 3; ++i)
        group.async(*queue, [&] { laterSawBarrierDone += barrierDone ? 1 : 0; });
    for (int i = 0; i < kEarlier; ++i)
        release.signal();

    ASSERT_TRUE(group.wait(kGenerousTimeoutSeconds));
    EXPECT_EQ(runningDuringBarrier, 0);
    EXPECT_EQ(earlierDoneBeforeBarrier, kEarlier);
    EXPECT_EQ(laterSawBarrierDone, 3);
}

TEST(DispatchQueue, SyncRunsOnTheCallerAfterEarlierBlocksAndReturnsAfterItsBlock)
{
    auto queue = DispatchQueue::create("test.sync");
    plat::Semaphore gate;
    std::vector<int> order;
    queue->async([&order, gate]() mutable {
        (void)gate.wait(kGenerousTimeoutSeconds);
        order.push_back(1);
    });
    DispatchQueue::globalQueue().async([gate]() mutable { gate.signal(); });
    std::thread::id ranOn;
    queue->sync([&] {
        order.push_back(2);
        ranOn = std::this_thread::get_id();
    });
    EXPECT_EQ(order, (std::vector<int> {1, 2}));
    EXPECT_EQ(ranOn, std::this_thread::get_id());
}

TEST(DispatchQueue, CurrentQueueIsKnownAcrossNestedSyncs)
{
    auto outer = DispatchQueue::create("test.outer");
    auto inner = DispatchQueue::create("test.inner");
    std::vector<bool> seen;
    plat::DispatchGroup group;
    group.async(*outer, [&] {
        seen.push_back(outer->isCurrent());
        seen.push_back(inner->isCurrent());
        inner->sync([&] {
            seen.push_back(outer->isCurrent());
            seen.push_back(inner->isCurrent());
            plat::assertOnQueue(*inner);
        });
        seen.push_back(inner->isCurrent());
        seen.push_back(DispatchQueue::mainQueue().isCurrent());
    });
    ASSERT_TRUE(group.wait(kGenerousTimeoutSeconds));
    EXPECT_EQ(seen, (std::vector<bool> {true, false, true, true, false, false}));
    EXPECT_FALSE(outer->isCurrent());
    EXPECT_TRUE(DispatchQueue::mainQueue().isCurrent());
    plat::assertOnQueue(DispatchQueue::mainQueue());
}

TEST(DispatchQueue, SyncOntoAConcurrentQueueFromItsOwnBlockRunsAtOnce)
{
    auto queue = DispatchQueue::create("test.reentrant", DispatchQueue::Attribute::Concurrent);
    std::vector<int> order;
    queue->sync([&] {
        order.push_back(1);
        queue->sync([&] { order.push_back(2); });
        order.push_back(3);
    });
    EXPECT_EQ(order, (std::vector<int> {1, 2, 3}));
}

TEST(DispatchQueue, SyncOntoTheMainQueueRunsOnTheMainThread)
{
    plat::test::ManualClockScope clock;
    bool onMain = false;
    DispatchQueue::globalQueue().async([&] {
        DispatchQueue::mainQueue().sync([&] { onMain = plat::isMainThread(); });
        plat::RunLoop::main().stop();
    });
    plat::RunLoop::main().run();
    EXPECT_TRUE(onMain);
}

TEST(DispatchQueue, AfterOnTheMainQueueRunsOnTheMainThreadWhenDue)
{
    plat::test::ManualClockScope clock;
    std::vector<int> order;
    DispatchQueue::mainQueue().after(2, [&] { order.push_back(2); });
    DispatchQueue::mainQueue().after(0, [&] { order.push_back(0); });
    DispatchQueue::mainQueue().async([&] { order.push_back(1); });
    clock.advance(1);
    EXPECT_EQ(order, (std::vector<int> {0, 1}));
    clock.advance(1);
    EXPECT_EQ(order, (std::vector<int> {0, 1, 2}));
}

TEST(DispatchQueue, AReleasedQueueStillRunsItsPendingWork)
{
    plat::test::ManualClockScope clock;
    plat::Semaphore gate;
    std::vector<int> order;
    plat::DispatchGroup group;
    {
        auto queue = DispatchQueue::create("test.released");
        group.async(*queue, [&order, gate]() mutable {
            (void)gate.wait(kGenerousTimeoutSeconds);
            order.push_back(1);
        });
        group.async(*queue, [&] { order.push_back(2); });
        group.enter();
        queue->after(5, [&] {
            order.push_back(3);
            group.leave();
        });
    }
    gate.signal();
    clock.advance(5);
    ASSERT_TRUE(group.wait(kGenerousTimeoutSeconds));
    EXPECT_EQ(order, (std::vector<int> {1, 2, 3}));
}

TEST(DispatchQueueDeathTest, SyncOntoTheCurrentSerialQueueAborts)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    auto queue = DispatchQueue::create("test.deadlock");
    EXPECT_DEATH(queue->sync([&] { queue->sync([] {}); }), "sync onto 'test.deadlock'");
}

TEST(DispatchQueueDeathTest, SyncOntoTheMainQueueFromTheMainThreadAborts)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_DEATH(DispatchQueue::mainQueue().sync([] {}), "main queue from the main thread");
}

TEST(DispatchQueueDeathTest, AssertOnQueueAbortsOnAnotherQueue)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    auto queue = DispatchQueue::create("test.expected");
    EXPECT_DEATH(plat::assertOnQueue(*queue), "expected to run on queue 'test.expected'");
}

TEST(DispatchQueueDeathTest, ProcessExitsCleanlyWithStaticQueuesAndWorkInFlight)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            static auto queue = DispatchQueue::create("test.static");
            plat::Semaphore neverSignalled;  // each waiting block holds the semaphore
            for (int i = 0; i < 8; ++i) {
                queue->async([] {});
                DispatchQueue::globalQueue().async([neverSignalled]() mutable { (void)neverSignalled.wait(3600); });
            }
            queue->after(3600, [] {});
            queue->sync([] {});
            std::exit(0);
        },
        ::testing::ExitedWithCode(0), "");
}

DispatchQueue& queueForExitHandlers()
{
    // Made before the handler is registered, so destroyed after it has run.
    static auto queue = DispatchQueue::create("test.exit");
    return *queue;
}

// Exits 0 when a sync from an exit handler ran its block as the queue's.
void syncFromAnExitHandler()
{
    auto& queue = queueForExitHandlers();
    bool currentInside = false;
    queue.sync([&] { currentInside = queue.isCurrent(); });
    std::_Exit(currentInside && !queue.isCurrent() ? 0 : 3);
}

TEST(DispatchQueueDeathTest, AnExitHandlerCanStillSyncOntoAQueue)
{
    // exit() destroys the exiting thread's thread-locals before its handlers
    // run; the queue's record of the thread's current queues must outlive them.
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            queueForExitHandlers().sync([] {});
            std::atexit(syncFromAnExitHandler);
            std::exit(0);
        },
        ::testing::ExitedWithCode(0), "");
}

TEST(DispatchQueueDeathTest, BlocksNestedTooDeepAbort)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    std::vector<std::shared_ptr<DispatchQueue>> queues;
    for (int i = 0; i < 65; ++i)
        queues.push_back(DispatchQueue::create("test.nested"));
    std::function<void(size_t)> nest = [&](size_t depth) {
        if (depth < queues.size())
            queues[depth]->sync([&] { nest(depth + 1); });
    };
    EXPECT_DEATH(nest(0), "nested more than 64 queues deep");
}

}  // namespace

// The last reference, let go of on a worker after the main thread let go of
// its own, ends the object on the main thread.
TEST(DispatchQueueRelease, TheLastReferenceTakenOnAWorkerEndsOnTheMainThread)
{
    struct EndsSomewhere {
        std::atomic<bool>* endedOnMain;
        ~EndsSomewhere() { *endedOnMain = plat::isMainThread(); }
    };
    std::atomic<bool> endedOnMain {false};
    auto object = std::make_shared<EndsSomewhere>(EndsSomewhere {&endedOnMain});
    std::weak_ptr<EndsSomewhere> weak = object;
    plat::Semaphore taken(0);
    plat::Semaphore released(0);
    plat::Semaphore handedBack(0);
    std::thread worker([&] {
        auto held = weak.lock();
        taken.signal();
        released.wait();
        plat::releaseOnMainQueue(std::move(held));
        handedBack.signal();
    });
    taken.wait();
    object.reset();
    released.signal();
    handedBack.wait();
    worker.join();
    EXPECT_FALSE(weak.expired()) << "still waiting for the main queue";
    plat::RunLoop::main().drain();
    EXPECT_TRUE(weak.expired());
    EXPECT_TRUE(endedOnMain);
}
