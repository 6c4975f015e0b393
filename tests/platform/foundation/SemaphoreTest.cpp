#include "platform/foundation/Semaphore.h"

#include <gtest/gtest.h>

#include "platform/foundation/DispatchQueue.h"

namespace {

constexpr double kGenerousTimeoutSeconds = 30;

TEST(Semaphore, InitialValueAndEachSignalLetOneWaitThrough)
{
    plat::Semaphore semaphore(2);
    EXPECT_TRUE(semaphore.wait(0));
    EXPECT_TRUE(semaphore.wait(0));
    EXPECT_FALSE(semaphore.wait(0));
    semaphore.signal();
    semaphore.wait();
    EXPECT_FALSE(semaphore.wait(-1));
}

TEST(Semaphore, CopiesShareOneCountAcrossThreads)
{
    plat::Semaphore fromWorker;
    plat::Semaphore toWorker;
    plat::DispatchQueue::globalQueue().async([fromWorker, toWorker]() mutable {
        fromWorker.signal();
        if (toWorker.wait(kGenerousTimeoutSeconds))
            fromWorker.signal();
    });
    EXPECT_TRUE(fromWorker.wait(kGenerousTimeoutSeconds));
    toWorker.signal();
    EXPECT_TRUE(fromWorker.wait(kGenerousTimeoutSeconds));
}

TEST(SemaphoreDeathTest, NegativeInitialValueAborts)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_DEATH(plat::Semaphore(-1), "negative");
}

}  // namespace
