#include <gtest/gtest.h>

#include "WebImageTestSupport.h"
#include "platform/ui/Button.h"
#include "platform/ui/ImageView.h"
#include "platform/ui/testing/UIScope.h"
#include "web/ButtonWebCache.h"
#include "web/ImageViewWebCache.h"

namespace {

using plat::test::HTTPTestReply;
using plat::test::HTTPTestRequest;
using plat::test::HTTPTestServer;
using zt::test::Gate;

class WebCacheViews : public zt::test::WebImageTest {
protected:
    // Before the members go: the server's end waits for handlers held at the gate.
    ~WebCacheViews() override { gate.open(); }

    void SetUp() override
    {
        WebImageTest::SetUp();
        stopToken = plat::NotificationCenter::defaultCenter().addObserver(zt::kWIWebImageDownloadStopNotification,
            nullptr, [this](const plat::Notification& n) { cancelledDownloads += n.object != nullptr; });
    }

    void letRequestsReachTheirDownloads()
    {
        zt::WIImageCache::sharedImageCache()->cacheOutQueue()->sync([] {});
        plat::RunLoop::main().drain();
    }

    static double widthOf(const std::shared_ptr<const plat::Image>& image) { return image ? image->size().width : -1; }

    plat::test::UIScope ui;
    plat::ObserverToken stopToken;
    int cancelledDownloads = 0;
    std::shared_ptr<const plat::Image> placeholder = plat::test::makeFlatImage(5, 5, {9, 9, 9, 255});
    Gate gate;  // before the server, which may still hand it a late request as it ends
    // Pictures tell themselves apart by their widths: 24 points for /wide, 10 for /narrow.
    HTTPTestServer server {[this](const HTTPTestRequest& request) {
        if (request.target == "/slow.png")
            gate.wait();
        if (request.target == "/missing.png")
            return HTTPTestReply::withBody(404, "no", "text/plain");
        return HTTPTestReply::withBody(
            200, zt::test::pngBody(request.target == "/narrow.png" ? 10 : 24, 16), "image/png");
    }};
};

TEST_F(WebCacheViews, AnImageViewShowsThePlaceholderThenTheDownloadedImage)
{
    auto view = std::make_shared<plat::ImageView>();
    bool succeeded = false;
    zt::setImageWithURL(
        view, server.url("/wide.png"), placeholder, [&](const auto&, bool) { succeeded = true; }, nullptr);
    EXPECT_EQ(view->image(), placeholder);
    ASSERT_TRUE(plat::test::runMainLoopUntil([&] { return view->image() != placeholder; }));
    EXPECT_EQ(widthOf(view->image()), 24);
    EXPECT_TRUE(succeeded);
}

TEST_F(WebCacheViews, AReusedImageViewCancelsItsEarlierLoadAndShowsOnlyTheLatest)
{
    auto view = std::make_shared<plat::ImageView>();
    zt::setImageWithURL(view, server.url("/slow.png"), placeholder);
    letRequestsReachTheirDownloads();
    zt::setImageWithURL(view, server.url("/narrow.png"), placeholder);
    EXPECT_EQ(cancelledDownloads, 1);
    ASSERT_TRUE(plat::test::runMainLoopUntil([&] { return view->image() != placeholder; }));
    gate.open();
    drainQueues();
    EXPECT_EQ(widthOf(view->image()), 10);
}

TEST_F(WebCacheViews, AnEarlierLoadThatAnotherViewWaitsForGoesOn)
{
    auto reused = std::make_shared<plat::ImageView>();
    auto waiting = std::make_shared<plat::ImageView>();
    zt::setImageWithURL(reused, server.url("/slow.png"), placeholder);
    zt::setImageWithURL(waiting, server.url("/slow.png"), placeholder);
    letRequestsReachTheirDownloads();
    zt::setImageWithURL(reused, server.url("/narrow.png"));
    EXPECT_EQ(reused->image(), nullptr);  // no placeholder given: the view is cleared
    EXPECT_EQ(cancelledDownloads, 0);
    gate.open();
    ASSERT_TRUE(plat::test::runMainLoopUntil([&] { return waiting->image() != placeholder && reused->image(); }));
    EXPECT_EQ(widthOf(waiting->image()), 24);
    EXPECT_EQ(widthOf(reused->image()), 10);
}

TEST_F(WebCacheViews, AFailedOrUnparsableLoadLeavesThePlaceholder)
{
    auto view = std::make_shared<plat::ImageView>();
    std::optional<plat::Error> failure;
    zt::setImageWithURL(
        view, server.url("/missing.png"), placeholder, nullptr, [&](const auto& error) { failure = error; });
    ASSERT_TRUE(plat::test::runMainLoopUntil([&] { return failure.has_value(); }));
    EXPECT_EQ(failure->code(), 404);
    EXPECT_EQ(view->image(), placeholder);

    auto other = std::make_shared<plat::ImageView>();
    zt::setImageWithURL(other, "not a URL", placeholder);
    letRequestsReachTheirDownloads();
    drainQueues();
    EXPECT_EQ(other->image(), placeholder);
    EXPECT_EQ(server.requestCount(), 1u);
}

TEST_F(WebCacheViews, CancellingTheCurrentLoadKeepsThePlaceholder)
{
    auto view = std::make_shared<plat::ImageView>();
    zt::cancelCurrentImageLoad(view);  // nothing to cancel yet
    zt::setImageWithURL(view, server.url("/slow.png"), placeholder);
    letRequestsReachTheirDownloads();
    zt::cancelCurrentImageLoad(view);
    EXPECT_EQ(cancelledDownloads, 1);
    gate.open();
    drainQueues();
    EXPECT_EQ(view->image(), placeholder);
}

TEST_F(WebCacheViews, ALoadDoesNotKeepItsViewAlive)
{
    auto view = std::make_shared<plat::ImageView>();
    std::weak_ptr<plat::ImageView> watched = view;
    bool answered = false;
    zt::setImageWithURL(
        view, server.url("/slow.png"), placeholder, [&](const auto&, bool) { answered = true; }, nullptr);
    letRequestsReachTheirDownloads();
    view.reset();
    EXPECT_TRUE(watched.expired());
    gate.open();
    ASSERT_TRUE(plat::test::runMainLoopUntil([&] { return answered; }));
}

TEST_F(WebCacheViews, AButtonsImageIsSetForNormalSelectedAndHighlighted)
{
    auto button = std::make_shared<plat::Button>();
    zt::setImageWithURL(button, server.url("/wide.png"), placeholder);
    for (unsigned state : {plat::ControlStateNormal, plat::ControlStateSelected, plat::ControlStateHighlighted})
        EXPECT_EQ(button->imageForState(state), placeholder) << state;
    ASSERT_TRUE(plat::test::runMainLoopUntil([&] { return button->imageForState(0) != placeholder; }));
    for (unsigned state : {plat::ControlStateNormal, plat::ControlStateSelected, plat::ControlStateHighlighted})
        EXPECT_EQ(widthOf(button->imageForState(state)), 24) << state;
    EXPECT_EQ(button->backgroundImageForState(plat::ControlStateNormal), nullptr);
}

TEST_F(WebCacheViews, AButtonsBackgroundLoadSetsOnlyItsBackground)
{
    auto button = std::make_shared<plat::Button>();
    zt::setBackgroundImageWithURL(button, server.url("/narrow.png"), placeholder);
    EXPECT_EQ(button->backgroundImageForState(plat::ControlStateSelected), placeholder);
    ASSERT_TRUE(plat::test::runMainLoopUntil([&] { return button->backgroundImageForState(0) != placeholder; }));
    for (unsigned state : {plat::ControlStateNormal, plat::ControlStateSelected, plat::ControlStateHighlighted})
        EXPECT_EQ(widthOf(button->backgroundImageForState(state)), 10) << state;
    EXPECT_EQ(button->imageForState(plat::ControlStateNormal), nullptr);
}

TEST_F(WebCacheViews, AButtonsBackgroundLoadCancelsItsImageLoad)
{
    auto button = std::make_shared<plat::Button>();
    zt::setImageWithURL(button, server.url("/slow.png"), placeholder);
    letRequestsReachTheirDownloads();
    zt::setBackgroundImageWithURL(button, server.url("/narrow.png"));
    EXPECT_EQ(cancelledDownloads, 1);
    ASSERT_TRUE(plat::test::runMainLoopUntil([&] { return button->backgroundImageForState(0) != nullptr; }));
    gate.open();
    drainQueues();
    EXPECT_EQ(button->imageForState(plat::ControlStateNormal), placeholder);
    zt::cancelCurrentImageLoad(button);
}

}  // namespace
