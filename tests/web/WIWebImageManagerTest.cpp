#include <gtest/gtest.h>

#include "WebImageTestSupport.h"
#include "platform/foundation/Files.h"
#include "platform/net/URLError.h"

namespace {

using plat::test::HTTPTestReply;
using plat::test::HTTPTestRequest;
using plat::test::HTTPTestServer;
using zt::WIWebImageManager;
using zt::test::Gate;
using zt::test::RecordingDelegate;

class ImageManager : public zt::test::WebImageTest {
protected:
    void SetUp() override
    {
        WebImageTest::SetUp();
        manager = WIWebImageManager::sharedManager();
        stopToken = plat::NotificationCenter::defaultCenter().addObserver(zt::kWIWebImageDownloadStopNotification,
            nullptr, [this](const plat::Notification& n) { stops.push_back(n.object); });
    }

    // Lets every request made so far hear from the cache (they all miss) and join its download.
    void letRequestsReachTheirDownloads()
    {
        zt::WIImageCache::sharedImageCache()->cacheOutQueue()->sync([] {});
        plat::RunLoop::main().drain();
    }

    std::string diskFileFor(const std::string& url)
    {
        return zt::WIImageCache::sharedImageCache()->cachePathForKey(url);
    }

    std::shared_ptr<WIWebImageManager> manager;
    std::vector<const void*> stops;
    plat::ObserverToken stopToken;
    const std::string png = zt::test::pngBody(24, 16);
};

TEST_F(ImageManager, AnImageIsDownloadedOnceAndThenAnsweredFromTheCache)
{
    HTTPTestServer server([&](const HTTPTestRequest&) { return HTTPTestReply::withBody(200, png, "image/png"); });
    const std::string url = server.url("/thumb.jpg");
    auto first = std::make_shared<RecordingDelegate>();
    std::vector<bool> cachedFlags;
    auto success = [&](const std::shared_ptr<plat::Image>& image, bool cached) {
        EXPECT_TRUE(image);
        cachedFlags.push_back(cached);
    };
    manager->downloadWithURL(url, first, 0, success, nullptr);
    ASSERT_TRUE(waitForAnswer(*first));
    EXPECT_EQ(first->operations(), (std::vector<std::string> {"finish", "finishForURL", "finishForURLUserInfo"}));
    EXPECT_EQ(first->last().url->absoluteString(), url);
    EXPECT_TRUE(first->last().userInfo.isNull());
    EXPECT_EQ(first->last().image->size().width, 24);
    drainQueues();
    EXPECT_EQ(zt::test::text(plat::readFile(diskFileFor(url)).value()), png);

    auto second = std::make_shared<RecordingDelegate>();
    manager->downloadWithURL(url, second, 0, success, nullptr);
    EXPECT_TRUE(second->hasFinished());  // a memory hit answers at once
    EXPECT_EQ(second->last().image, first->last().image);

    zt::WIImageCache::sharedImageCache()->clearMemory();
    auto third = std::make_shared<RecordingDelegate>();
    manager->downloadWithURL(url, third, 0, success, nullptr);
    ASSERT_TRUE(waitForAnswer(*third));
    ASSERT_TRUE(third->last().image);
    EXPECT_EQ(cachedFlags, (std::vector<bool> {false, true, true}));
    EXPECT_EQ(server.requestCount(), 1u);
    EXPECT_TRUE(manager->imageWithURL(*plat::URL::URLWithString(url)));
}

TEST_F(ImageManager, TwoAskersShareOneDownloadAndTheLaterHearsFirst)
{
    Gate gate;
    HTTPTestServer server([&](const HTTPTestRequest&) {
        gate.wait();
        return HTTPTestReply::withBody(200, png, "image/png");
    });
    const std::string url = server.url("/shared.png");
    std::vector<std::string> order;
    auto a = std::make_shared<RecordingDelegate>();
    auto b = std::make_shared<RecordingDelegate>();
    manager->downloadWithURL(
        url, a, 0, [&](const auto&, bool) { order.push_back("a"); }, nullptr);
    manager->downloadWithURL(
        url, b, 0, [&](const auto&, bool) { order.push_back("b"); }, nullptr);
    letRequestsReachTheirDownloads();
    gate.open();
    ASSERT_TRUE(plat::test::runMainLoopUntil([&] { return order.size() >= 2; }));
    EXPECT_EQ(order, (std::vector<std::string> {"b", "a"}));
    EXPECT_EQ(a->last().image, b->last().image);
    EXPECT_EQ(server.requestCount(), 1u);
}

TEST_F(ImageManager, CancellingOneOfTwoAskersLeavesTheDownloadToTheOther)
{
    Gate gate;
    HTTPTestServer server([&](const HTTPTestRequest&) {
        gate.wait();
        return HTTPTestReply::withBody(200, png, "image/png");
    });
    const std::string url = server.url("/shared.png");
    auto leaving = std::make_shared<RecordingDelegate>();
    auto staying = std::make_shared<RecordingDelegate>();
    manager->downloadWithURL(url, leaving);
    manager->downloadWithURL(url, staying);
    letRequestsReachTheirDownloads();
    manager->cancelForDelegate(leaving);
    EXPECT_TRUE(stops.empty());
    gate.open();
    ASSERT_TRUE(waitForAnswer(*staying));
    EXPECT_TRUE(staying->last().image);
    drainQueues();
    EXPECT_TRUE(leaving->answers.empty());
}

TEST_F(ImageManager, CancellingTheOnlyAskerCancelsTheDownload)
{
    Gate gate;
    HTTPTestServer server([&](const HTTPTestRequest&) {
        gate.wait();
        return HTTPTestReply::withBody(200, png, "image/png");
    });
    const std::string url = server.url("/alone.png");
    auto leaving = std::make_shared<RecordingDelegate>();
    manager->downloadWithURL(url, leaving);
    ASSERT_TRUE(plat::test::runMainLoopUntil([&] { return server.requestCount() >= 1; }));
    manager->cancelForDelegate(leaving);
    ASSERT_EQ(stops.size(), 1u);
    EXPECT_NE(stops[0], nullptr);  // the cancelled download itself
    gate.open();

    // The URL is free for a new download.
    auto next = std::make_shared<RecordingDelegate>();
    manager->downloadWithURL(url, next);
    ASSERT_TRUE(waitForAnswer(*next));
    EXPECT_TRUE(next->last().image);
    EXPECT_TRUE(leaving->answers.empty());
    EXPECT_EQ(server.requestCount(), 2u);
}

TEST_F(ImageManager, ARequestCancelledWhileWaitingForTheCacheStartsNoDownload)
{
    HTTPTestServer server([&](const HTTPTestRequest&) { return HTTPTestReply::withBody(200, png, "image/png"); });
    auto delegate = std::make_shared<RecordingDelegate>();
    manager->downloadWithURL(server.url("/a.png"), delegate);
    manager->cancelForDelegate(delegate);
    letRequestsReachTheirDownloads();
    drainQueues();
    EXPECT_EQ(server.requestCount(), 0u);
    EXPECT_TRUE(delegate->answers.empty());
}

TEST_F(ImageManager, TheCreatingRequestsMemoryOnlyOptionDecidesForEveryoneWhoJoined)
{
    Gate gate;
    HTTPTestServer server([&](const HTTPTestRequest&) {
        gate.wait();
        return HTTPTestReply::withBody(200, png, "image/png");
    });
    const std::string url = server.url("/memory.png");
    auto creator = std::make_shared<RecordingDelegate>();
    auto joiner = std::make_shared<RecordingDelegate>();
    manager->downloadWithURL(url, creator, zt::WIOptionMemoryOnly);
    manager->downloadWithURL(url, joiner, 0);
    letRequestsReachTheirDownloads();
    gate.open();
    ASSERT_TRUE(waitForAnswer(*creator));
    drainQueues();
    EXPECT_TRUE(joiner->hasFinished());
    EXPECT_FALSE(plat::fileExists(diskFileFor(url)));
    EXPECT_TRUE(manager->imageWithURL(*plat::URL::URLWithString(url)));  // in memory
}

TEST_F(ImageManager, BytesThatAreNoPictureFailOnceAndThenAreNotTriedAgain)
{
    HTTPTestServer server(
        [&](const HTTPTestRequest&) { return HTTPTestReply::withBody(200, "<html>oops</html>", "text/html"); });
    const std::string url = server.url("/page.png");
    auto first = std::make_shared<RecordingDelegate>();
    std::optional<std::optional<plat::Error>> blockError;
    manager->downloadWithURL(url, first, 0, nullptr, [&](const auto& error) { blockError = error; });
    ASSERT_TRUE(waitForAnswer(*first));
    EXPECT_EQ(first->operations(), (std::vector<std::string> {"fail", "failForURL", "failForURLUserInfo"}));
    EXPECT_FALSE(first->last().error) << "no error, as for any download without a picture";
    ASSERT_TRUE(blockError) << "the failure block ran";
    EXPECT_FALSE(*blockError);

    auto dropped = std::make_shared<RecordingDelegate>();
    manager->downloadWithURL(url, dropped);
    letRequestsReachTheirDownloads();
    drainQueues();
    EXPECT_TRUE(dropped->answers.empty());
    EXPECT_EQ(server.requestCount(), 1u);

    auto retrying = std::make_shared<RecordingDelegate>();
    manager->downloadWithURLDelegateRetryFailed(url, retrying, /*retryFailed=*/true);
    ASSERT_TRUE(waitForAnswer(*retrying));
    EXPECT_EQ(retrying->last().operation, "failForURLUserInfo");
    EXPECT_EQ(server.requestCount(), 2u);
}

TEST_F(ImageManager, ARetriedURLThatStillFailsIsNotPutOnTheList)
{
    HTTPTestServer server([&](const HTTPTestRequest&) { return HTTPTestReply::withBody(200, "nope", "text/plain"); });
    const std::string url = server.url("/page.png");
    auto retrying = std::make_shared<RecordingDelegate>();
    manager->downloadWithURL(url, retrying, zt::WIOptionRetryFailed);
    ASSERT_TRUE(waitForAnswer(*retrying));
    auto plain = std::make_shared<RecordingDelegate>();
    manager->downloadWithURL(url, plain);
    ASSERT_TRUE(waitForAnswer(*plain));
    EXPECT_EQ(server.requestCount(), 2u);
}

TEST_F(ImageManager, AnErrorStatusFailsWithoutPuttingTheURLOnTheList)
{
    HTTPTestServer server([&](const HTTPTestRequest&) { return HTTPTestReply::withBody(404, png, "image/png"); });
    const std::string url = server.url("/missing.png");
    for (int attempt = 1; attempt <= 2; ++attempt) {
        auto delegate = std::make_shared<RecordingDelegate>();
        manager->downloadWithURL(url, delegate);
        ASSERT_TRUE(waitForAnswer(*delegate));
        ASSERT_TRUE(delegate->last().error);
        EXPECT_EQ(delegate->last().error->code(), 404);
        EXPECT_EQ(server.requestCount(), static_cast<size_t>(attempt));
    }
}

TEST_F(ImageManager, AURLThatCannotBeLoadedFailsWithoutAnError)
{
    auto delegate = std::make_shared<RecordingDelegate>();
    manager->downloadWithURL("ftp://127.0.0.1/a.png", delegate);
    ASSERT_TRUE(waitForAnswer(*delegate));
    EXPECT_EQ(delegate->last().operation, "failForURLUserInfo");
    EXPECT_FALSE(delegate->last().error);
}

TEST_F(ImageManager, NoURLOrNoDelegateMeansNoRequest)
{
    auto delegate = std::make_shared<RecordingDelegate>();
    manager->downloadWithURL("not a URL", delegate);
    manager->downloadWithURL(nullptr, delegate);
    manager->downloadWithURL("http://127.0.0.1:1/a.png", nullptr);
    letRequestsReachTheirDownloads();
    drainQueues();
    EXPECT_TRUE(delegate->answers.empty());
}

TEST_F(ImageManager, TheRequestsUserInfoComesBackWithEveryAnswer)
{
    HTTPTestServer server([&](const HTTPTestRequest&) { return HTTPTestReply::withBody(200, png, "image/png"); });
    auto delegate = std::make_shared<RecordingDelegate>();
    manager->downloadWithURL(server.url("/b.png"), delegate, 0, plat::Dictionary {{"type", "background"}});
    ASSERT_TRUE(waitForAnswer(*delegate));
    auto info = delegate->last().userInfo.asDictionary();
    ASSERT_TRUE(info);
    EXPECT_EQ(info->getString("type"), "background");
}

TEST_F(ImageManager, TheKeyFilterLetsURLsShareACacheEntry)
{
    HTTPTestServer server([&](const HTTPTestRequest&) { return HTTPTestReply::withBody(200, png, "image/png"); });
    manager->setCacheKeyFilter([](const plat::URL& url) { return url.host() + url.path(); });
    auto first = std::make_shared<RecordingDelegate>();
    manager->downloadWithURL(server.url("/c.png?session=1"), first);
    ASSERT_TRUE(waitForAnswer(*first));
    auto second = std::make_shared<RecordingDelegate>();
    manager->downloadWithURL(server.url("/c.png?session=2"), second);
    EXPECT_TRUE(second->hasFinished());
    EXPECT_EQ(server.requestCount(), 1u);
    EXPECT_EQ(manager->cacheKeyForURL(*plat::URL::URLWithString(server.url("/c.png?x"))), "127.0.0.1/c.png");
    drainQueues();
    EXPECT_TRUE(plat::fileExists(diskFileFor("127.0.0.1/c.png")));
}

TEST_F(ImageManager, AnAskerThatAsksAgainInItsAnswerFindsTheImageInMemory)
{
    HTTPTestServer server([&](const HTTPTestRequest&) { return HTTPTestReply::withBody(200, png, "image/png"); });
    const std::string url = server.url("/again.png");
    auto delegate = std::make_shared<RecordingDelegate>();
    std::vector<bool> cachedFlags;
    std::function<void(const std::shared_ptr<plat::Image>&, bool)> success = [&](const auto&, bool cached) {
        cachedFlags.push_back(cached);
        if (cachedFlags.size() == 1)
            manager->downloadWithURL(url, delegate, 0, success, nullptr);
    };
    manager->downloadWithURL(url, delegate, 0, success, nullptr);
    ASSERT_TRUE(plat::test::runMainLoopUntil([&] { return cachedFlags.size() >= 2; }));
    EXPECT_EQ(cachedFlags, (std::vector<bool> {false, true}));
    EXPECT_EQ(server.requestCount(), 1u);
}

TEST_F(ImageManager, ProgressiveRequestsHearOfPartialImages)
{
    HTTPTestServer server([&](const HTTPTestRequest&) {
        HTTPTestReply reply = HTTPTestReply::withBody(200, png.substr(0, png.size() / 2), "image/png");
        reply.delivery = HTTPTestReply::Delivery::StallAfterBody;
        return reply.header("Content-Length", std::to_string(png.size()));
    });
    auto delegate = std::make_shared<RecordingDelegate>();
    manager->downloadWithURL(server.url("/p.png"), delegate, zt::WIOptionProgressive, plat::Value("mine"));
    ASSERT_TRUE(plat::test::runMainLoopUntil([&] { return delegate->count("progressUserInfo") > 0; }));
    EXPECT_EQ(delegate->answers[0].operation, "progress");
    EXPECT_EQ(delegate->answers[0].image->size().height, 16);
    EXPECT_EQ(delegate->answers[1].userInfo, plat::Value("mine"));
    server.release();
    ASSERT_TRUE(waitForAnswer(*delegate));
    EXPECT_EQ(delegate->last().operation, "failForURLUserInfo");
}

TEST_F(ImageManager, CancellingAllStopsEveryDownloadAndAnswersNobody)
{
    Gate gate;
    HTTPTestServer server([&](const HTTPTestRequest&) {
        gate.wait();
        return HTTPTestReply::withBody(200, png, "image/png");
    });
    auto a = std::make_shared<RecordingDelegate>();
    auto b = std::make_shared<RecordingDelegate>();
    manager->downloadWithURL(server.url("/1.png"), a);
    manager->downloadWithURL(server.url("/2.png"), b);
    letRequestsReachTheirDownloads();
    manager->cancelAll();
    EXPECT_EQ(stops.size(), 2u);
    gate.open();
    drainQueues();
    EXPECT_TRUE(a->answers.empty());
    EXPECT_TRUE(b->answers.empty());
}

}  // namespace
