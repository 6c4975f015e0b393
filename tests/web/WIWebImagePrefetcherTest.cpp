#include <gtest/gtest.h>

#include <mutex>
#include <set>

#include "WebImageTestSupport.h"

namespace {

using plat::test::HTTPTestReply;
using plat::test::HTTPTestRequest;
using plat::test::HTTPTestServer;
using zt::WIWebImagePrefetcher;
using zt::test::Gate;

class ImagePrefetcher : public zt::test::WebImageTest {
protected:
    std::vector<plat::URL> urls(const HTTPTestServer& server, int count)
    {
        std::vector<plat::URL> list;
        for (int i = 0; i < count; ++i)
            list.push_back(*plat::URL::URLWithString(server.url("/" + std::to_string(i) + ".png")));
        return list;
    }
    bool isCached(const plat::URL& url) { return zt::WIWebImageManager::sharedManager()->imageWithURL(url) != nullptr; }
    void letRequestsReachTheirDownloads()
    {
        zt::WIImageCache::sharedImageCache()->cacheOutQueue()->sync([] {});
        plat::RunLoop::main().drain();
    }

    std::shared_ptr<WIWebImagePrefetcher> prefetcher = WIWebImagePrefetcher::sharedImagePrefetcher();
    const std::string png = zt::test::pngBody(6, 6);
};

TEST_F(ImagePrefetcher, TheSharedOneLoadsThreeAtATimeWithLowPriority)
{
    EXPECT_EQ(prefetcher->options(), zt::WIOptionLowPriority);
    EXPECT_EQ(prefetcher->maxConcurrentDownloads(), 3u);

    Gate gate;
    HTTPTestServer server([&](const HTTPTestRequest&) {
        gate.wait();
        return HTTPTestReply::withBody(200, png, "image/png");
    });
    auto list = urls(server, 5);
    prefetcher->prefetchURLs(list);
    ASSERT_TRUE(plat::test::runMainLoopUntil([&] { return server.requestCount() >= 3; }));
    letRequestsReachTheirDownloads();
    EXPECT_EQ(server.requestCount(), 3u);
    gate.open();
    ASSERT_TRUE(plat::test::runMainLoopUntil([&] {
        for (const auto& url : list) {
            if (!isCached(url))
                return false;
        }
        return true;
    }));
    EXPECT_EQ(server.requestCount(), 5u);
}

TEST_F(ImagePrefetcher, AFailureStartsTheNextURLToo)
{
    HTTPTestServer server([&](const HTTPTestRequest& request) {
        if (request.target == "/0.png")
            return HTTPTestReply::withBody(500, "broken", "text/plain");
        return HTTPTestReply::withBody(200, png, "image/png");
    });
    prefetcher->setMaxConcurrentDownloads(1);
    auto list = urls(server, 3);
    prefetcher->prefetchURLs(list);
    ASSERT_TRUE(plat::test::runMainLoopUntil([&] { return isCached(list[2]); }));
    EXPECT_TRUE(isCached(list[1]));
    EXPECT_FALSE(isCached(list[0]));
}

TEST_F(ImagePrefetcher, AURLOnTheFailedListStallsItsPlace)
{
    HTTPTestServer server([&](const HTTPTestRequest& request) {
        if (request.target == "/0.png")
            return HTTPTestReply::withBody(200, "not a picture", "text/plain");
        return HTTPTestReply::withBody(200, png, "image/png");
    });
    auto list = urls(server, 3);
    auto asker = std::make_shared<zt::test::RecordingDelegate>();
    zt::WIWebImageManager::sharedManager()->downloadWithURL(list[0], asker);
    ASSERT_TRUE(waitForAnswer(*asker));

    prefetcher->setMaxConcurrentDownloads(1);
    prefetcher->prefetchURLs(list);
    letRequestsReachTheirDownloads();
    drainQueues();
    EXPECT_EQ(server.requestCount(), 1u);
    EXPECT_FALSE(isCached(list[1]));
}

TEST_F(ImagePrefetcher, CancellingForgetsTheListAndItsRequests)
{
    Gate gate;
    HTTPTestServer server([&](const HTTPTestRequest&) {
        gate.wait();
        return HTTPTestReply::withBody(200, png, "image/png");
    });
    auto list = urls(server, 4);
    prefetcher->prefetchURLs(list);
    letRequestsReachTheirDownloads();
    prefetcher->cancelPrefetching();
    EXPECT_TRUE(prefetcher->prefetchURLs().empty());
    gate.open();
    drainQueues();
    for (const auto& url : list)
        EXPECT_FALSE(isCached(url));
    // A new list starts from its first URL.
    prefetcher->prefetchURLs({list[3]});
    ASSERT_TRUE(plat::test::runMainLoopUntil([&] { return isCached(list[3]); }));
}

}  // namespace
