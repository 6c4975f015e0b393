#pragma once
#include <optional>
#include <string>

#include "platform/foundation/Value.h"
#include "platform/net/HTTPCookieStorage.h"
#include "platform/net/URLAuthentication.h"
#include "platform/net/URLCache.h"
#include "support/HTTPTestServer.h"
#include "support/ManualClockScope.h"
#include "support/RunLoopWaiting.h"
#include "support/TemporarySandbox.h"
#include "web/WSHTTPFetcher.h"

namespace zt::test {

// What a fetch ended with.
struct FetchOutcome {
    bool finished = false;
    std::optional<plat::Data> data;
    std::optional<plat::Error> error;

    std::string text() const { return data ? std::string(data->begin(), data->end()) : std::string(); }
};

// A fresh sandbox and manual clock, and the process-wide stores emptied afterwards.
class FetcherTest : public ::testing::Test {
protected:
    void TearDown() override
    {
        plat::HTTPCookieStorage::sharedHTTPCookieStorage().removeAllCookies();
        plat::URLCredentialStorage::sharedCredentialStorage().removeAllCredentials();
        plat::URLCache::sharedURLCache().removeAllCachedResponses();
    }

    // Begins the fetch with a completion handler; the outcome fills in as it ends.
    std::shared_ptr<FetchOutcome> begin(const std::shared_ptr<WSHTTPFetcher>& fetcher)
    {
        auto outcome = std::make_shared<FetchOutcome>();
        fetcher->beginFetchWithCompletionHandler([outcome](const auto& data, const auto& error) {
            outcome->finished = true;
            outcome->data = data;
            outcome->error = error;
        });
        return outcome;
    }

    std::shared_ptr<FetchOutcome> fetch(const std::shared_ptr<WSHTTPFetcher>& fetcher)
    {
        auto outcome = begin(fetcher);
        EXPECT_TRUE(plat::test::runMainLoopUntil([&] { return outcome->finished; }));
        return outcome;
    }

    plat::test::TemporarySandbox sandbox;
    plat::test::ManualClockScope clock;
};

inline std::string bodyText(const plat::Data& data)
{
    return std::string(data.begin(), data.end());
}

}  // namespace zt::test
