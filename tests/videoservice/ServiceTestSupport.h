#pragma once
#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <utility>
#include <vector>

#include "FakeVideoService.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/URL.h"
#include "platform/net/HTTPCookieStorage.h"
#include "platform/net/URLAuthentication.h"
#include "platform/net/URLCache.h"
#include "support/ManualClockScope.h"
#include "support/RunLoopWaiting.h"
#include "support/TemporarySandbox.h"
#include "videoservice/VSServiceBase.h"
#include "web/Selector.h"

namespace zt::test {

// A delegate that records what the service tells it.
class RecordingDelegate : public SelectorTarget {
public:
    struct Call {
        VSServiceTicketPtr ticket;
        VSObjectPtr object;
        std::optional<plat::Error> error;
        bool onMainThread = false;
    };

    void ticketFinished(
        const VSServiceTicketPtr& ticket, const VSObjectPtr& object, const std::optional<plat::Error>& error)
    {
        calls.push_back({ticket, object, error, plat::isMainThread()});
    }
    void ticketProgress(const VSServiceTicketPtr&, uint64_t delivered, uint64_t total)
    {
        progress.emplace_back(delivered, total);
    }
    bool ticketShouldRetry(const VSServiceTicketPtr&, bool suggested, const plat::Error& error)
    {
        retryQuestions.emplace_back(suggested, error.code());
        return answerToRetry.value_or(suggested);
    }

    std::vector<Call> calls;
    std::vector<std::pair<uint64_t, uint64_t>> progress;
    std::vector<std::pair<bool, int64_t>> retryQuestions;
    std::optional<bool> answerToRetry;
};

inline VSFinishedSelector finishedSelector()
{
    return &RecordingDelegate::ticketFinished;
}

inline plat::URL urlOf(const std::string& text)
{
    auto url = plat::URL::URLWithString(text);
    EXPECT_TRUE(url.has_value()) << text;
    return url.value_or(*plat::URL::URLWithString("http://invalid.invalid/"));
}

// A fresh sandbox, manual clock and fake service per test; the process-wide
// URL stores are emptied afterwards.
class ServiceTest : public ::testing::Test {
protected:
    void TearDown() override
    {
        plat::HTTPCookieStorage::sharedHTTPCookieStorage().removeAllCookies();
        plat::URLCredentialStorage::sharedCredentialStorage().removeAllCredentials();
        plat::URLCache::sharedURLCache().removeAllCachedResponses();
    }

    bool waitForCalls(size_t count, double timeoutSeconds = 30)
    {
        return plat::test::runMainLoopUntil([&] { return delegate->calls.size() >= count; }, timeoutSeconds);
    }

    plat::test::TemporarySandbox sandbox;
    plat::test::ManualClockScope clock;
    FakeVideoService fake;
    std::shared_ptr<RecordingDelegate> delegate = std::make_shared<RecordingDelegate>();
};

inline std::string textOf(const plat::Data& data)
{
    return std::string(data.begin(), data.end());
}

}  // namespace zt::test
