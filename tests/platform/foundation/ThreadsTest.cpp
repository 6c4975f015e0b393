#include "platform/foundation/Threads.h"

#include <atomic>
#include <csignal>
#include <gtest/gtest.h>
#include <pthread.h>

#include "platform/foundation/DispatchQueue.h"
#include "platform/foundation/Semaphore.h"

namespace {

constexpr double kGenerousTimeoutSeconds = 30;

bool hasAlternateSignalStack()
{
    stack_t current {};
    return ::sigaltstack(nullptr, &current) == 0 && !(current.ss_flags & SS_DISABLE) && current.ss_size > 0;
}

std::string nameOfThisThread()
{
    char name[16] = {};
    ::pthread_getname_np(::pthread_self(), name, sizeof name);
    return name;
}

TEST(Threads, AStartedThreadHasItsNameAndAnAlternateSignalStack)
{
    bool hasStack = false;
    std::string name;
    plat::startThread("plat-test", [&] {
        hasStack = hasAlternateSignalStack();
        name = nameOfThisThread();
    }).join();
    EXPECT_TRUE(hasStack);
    EXPECT_EQ(name, "plat-test");
}

TEST(Threads, ALongNameIsCutToWhatTheKernelKeeps)
{
    std::string name;
    plat::startThread("plat-a-rather-long-thread-name", [&] { name = nameOfThisThread(); }).join();
    EXPECT_EQ(name, "plat-a-rather-l");
}

TEST(Threads, DispatchQueueWorkersHaveAnAlternateSignalStack)
{
    auto queue = plat::DispatchQueue::create("test.threads");
    plat::Semaphore done;
    std::atomic<bool> hasStack = false;
    queue->async([&hasStack, done]() mutable {
        hasStack = hasAlternateSignalStack();
        done.signal();
    });
    ASSERT_TRUE(done.wait(kGenerousTimeoutSeconds));
    EXPECT_TRUE(hasStack);
}

TEST(Threads, TheStackIsKeptWhenAskedAgain)
{
    stack_t first {};
    stack_t second {};
    plat::startThread("plat-test", [&] {
        ::sigaltstack(nullptr, &first);
        plat::ensureAlternateSignalStack();
        ::sigaltstack(nullptr, &second);
    }).join();
    EXPECT_NE(first.ss_sp, nullptr);
    EXPECT_EQ(first.ss_sp, second.ss_sp);
}

}  // namespace
