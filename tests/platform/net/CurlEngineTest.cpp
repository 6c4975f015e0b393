#include "platform/net/CurlEngine.h"

#include <atomic>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>

#include "platform/foundation/Semaphore.h"

namespace {

constexpr double kGenerousTimeoutSeconds = 30;

// Notes, on the engine's thread, whether that thread has a signal stack of its own.
class StackCheckingSink : public plat::detail::TransferSink {
public:
    void transferReceivedHead(int64_t, const std::string&, const plat::HTTPHeaders&) override { }
    void transferReceivedData(const uint8_t*, size_t) override { }
    void transferSentBody(int64_t, int64_t) override { }
    void transferFinished(std::optional<plat::Error>, bool) override
    {
        stack_t current {};
        hasAlternateStack = ::sigaltstack(nullptr, &current) == 0 && !(current.ss_flags & SS_DISABLE);
        finished.signal();
    }
    int64_t pendingBytes() const override { return 0; }

    std::atomic<bool> hasAlternateStack = false;
    plat::Semaphore finished;
};

TEST(CurlEngine, TheNetworkThreadHasASignalStackOfItsOwn)
{
    auto sink = std::make_shared<StackCheckingSink>();
    plat::detail::TransferRequest request;
    request.url = "http://127.0.0.1:1/";  // refused at once: nothing listens on port 1
    plat::detail::CurlEngine::shared().start(request, sink);
    ASSERT_TRUE(sink->finished.wait(kGenerousTimeoutSeconds));
    EXPECT_TRUE(sink->hasAlternateStack);
}

}  // namespace

namespace {

// Whether a thread of the process has the name, from the kernel's list of them.
bool hasThreadNamed(const std::string& name)
{
    std::error_code error;
    for (const auto& task : std::filesystem::directory_iterator("/proc/self/task", error)) {
        std::ifstream comm(task.path() / "comm");
        std::string line;
        if (std::getline(comm, line) && line == name)
            return true;
    }
    return false;
}

// Registered before the engine starts, so it runs after the exit handlers
// of libcurl's TLS library: exits 0 when the network thread is gone by then.
void exitTellingWhetherTheNetworkThreadRuns()
{
    std::_Exit(hasThreadNamed("plat-network") ? 3 : 0);
}

void exitWithTheEngineRunning()
{
    std::atexit(exitTellingWhetherTheNetworkThreadRuns);
    auto sink = std::make_shared<StackCheckingSink>();
    plat::detail::TransferRequest request;
    request.url = "http://127.0.0.1:1/";
    plat::detail::CurlEngine::shared().start(request, sink);
    if (!sink->finished.wait(kGenerousTimeoutSeconds) || !hasThreadNamed("plat-network"))
        std::_Exit(2);
    std::exit(0);
}

TEST(CurlEngineDeathTest, TheNetworkThreadStopsBeforeTheTLSLibraryIsTornDown)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(exitWithTheEngineRunning(), ::testing::ExitedWithCode(0), "");
}

}  // namespace
