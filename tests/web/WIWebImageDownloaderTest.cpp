#include <gtest/gtest.h>

#include "WebImageTestSupport.h"
#include "platform/net/URLError.h"
#include "support/DeclaredPictureSize.h"
#include "web/WIWebImageDownloader.h"

namespace {

using plat::test::HTTPTestReply;
using plat::test::HTTPTestRequest;
using plat::test::HTTPTestServer;
using plat::test::Rgba;
using zt::WIWebImageDownloader;

// What a download told its delegate, in order.
class RecordingDownloaderDelegate : public zt::WIWebImageDownloaderDelegate {
public:
    void imageDownloaderDidFinish(WIWebImageDownloader&) override { events.push_back("finish"); }
    bool imageDownloaderDidUpdatePartialImage(WIWebImageDownloader&, const std::shared_ptr<plat::Image>& image) override
    {
        events.push_back("partial");
        partials.push_back(image);
        return true;
    }
    void imageDownloaderDidFinishWithImage(WIWebImageDownloader&, const std::shared_ptr<plat::Image>& image) override
    {
        events.push_back("image");
        finished = image;
        ended = true;
    }
    void imageDownloaderDidFailWithError(WIWebImageDownloader&, const std::optional<plat::Error>& failure) override
    {
        events.push_back("fail");
        error = failure;
        ended = true;
    }

    std::vector<std::string> events;
    std::vector<std::shared_ptr<plat::Image>> partials;
    std::shared_ptr<plat::Image> finished;
    std::optional<plat::Error> error;
    bool ended = false;
};

class ImageDownloader : public zt::test::WebImageTest {
protected:
    void SetUp() override
    {
        WebImageTest::SetUp();
        for (const char* name : {zt::kWIWebImageDownloadStartNotification, zt::kWIWebImageDownloadStopNotification})
            tokens.push_back(plat::NotificationCenter::defaultCenter().addObserver(
                name, nullptr, [this](const plat::Notification& n) { notifications.emplace_back(n.name, n.object); }));
    }

    std::shared_ptr<WIWebImageDownloader> download(const std::string& url)
    {
        return WIWebImageDownloader::downloaderWithURL(*plat::URL::URLWithString(url), delegate);
    }
    bool waitForEnd()
    {
        return plat::test::runMainLoopUntil([&] { return delegate->ended; });
    }

    std::shared_ptr<RecordingDownloaderDelegate> delegate = std::make_shared<RecordingDownloaderDelegate>();
    std::vector<std::pair<std::string, const void*>> notifications;
    std::vector<plat::ObserverToken> tokens;
};

TEST_F(ImageDownloader, DownloadsDecodesAndPostsStartAndStop)
{
    const std::string png = zt::test::pngBody(30, 20);
    HTTPTestServer server([&](const HTTPTestRequest&) { return HTTPTestReply::withBody(200, png, "image/png"); });
    auto downloader = download(server.url("/thumb.png"));
    ASSERT_EQ(notifications.size(), 1u);
    EXPECT_EQ(notifications[0],
        std::make_pair(
            std::string(zt::kWIWebImageDownloadStartNotification), static_cast<const void*>(downloader.get())));
    ASSERT_TRUE(waitForEnd());
    EXPECT_EQ(delegate->events, (std::vector<std::string> {"finish", "image"}));
    ASSERT_TRUE(delegate->finished);
    EXPECT_EQ(delegate->finished->size().width, 30);
    EXPECT_EQ(delegate->finished->bitmap()->width(), 60);  // force-decoded at the screen's scale
    EXPECT_EQ(zt::test::text(downloader->imageData()), png);
    EXPECT_EQ(downloader->expectedSize(), png.size());
    EXPECT_FALSE(downloader->connection());
    ASSERT_EQ(notifications.size(), 2u);
    EXPECT_EQ(notifications[1],
        std::make_pair(std::string(zt::kWIWebImageDownloadStopNotification), static_cast<const void*>(nullptr)));
    EXPECT_EQ(server.requests().at(0).target, "/thumb.png");
}

TEST_F(ImageDownloader, AnErrorStatusFailsWithTheStatusAsTheCode)
{
    HTTPTestServer server(
        [&](const HTTPTestRequest&) { return HTTPTestReply::withBody(404, zt::test::pngBody(8, 8), "image/png"); });
    download(server.url("/gone.png"));
    ASSERT_TRUE(waitForEnd());
    EXPECT_EQ(delegate->events, (std::vector<std::string> {"fail"}));
    ASSERT_TRUE(delegate->error);
    EXPECT_EQ(delegate->error->domain(), plat::kURLErrorDomain);
    EXPECT_EQ(delegate->error->code(), 404);
    EXPECT_TRUE(delegate->error->userInfo().empty());
}

TEST_F(ImageDownloader, ABodyCutShortFailsWithTheConnectionsError)
{
    HTTPTestServer server([&](const HTTPTestRequest&) {
        HTTPTestReply reply = HTTPTestReply::withBody(200, zt::test::pngBody(40, 40), "image/png");
        reply.delivery = HTTPTestReply::Delivery::Truncated;
        reply.truncatedExtra = 500;
        return reply;
    });
    download(server.url("/cut.png"));
    ASSERT_TRUE(waitForEnd());
    EXPECT_EQ(delegate->events, (std::vector<std::string> {"fail"}));
    ASSERT_TRUE(delegate->error);
    EXPECT_EQ(delegate->error->code(), plat::kURLErrorNetworkConnectionLost);
}

TEST_F(ImageDownloader, AnnouncingMoreThanAnImageMayHaveFailsWhenTheHeadArrives)
{
    HTTPTestServer server([&](const HTTPTestRequest&) {
        HTTPTestReply reply = HTTPTestReply::withBody(200, "tiny", "image/png");
        reply.delivery = HTTPTestReply::Delivery::StallAfterBody;
        return reply.header("Content-Length", "10737418240");  // 10 GB
    });
    auto downloader = download(server.url("/huge.png"));
    ASSERT_TRUE(waitForEnd());
    server.release();
    ASSERT_TRUE(delegate->error);
    EXPECT_EQ(delegate->error->code(), plat::kURLErrorDataLengthExceedsMaximum);
    EXPECT_EQ(downloader->imageData().capacity(), 0u);
}

TEST_F(ImageDownloader, AnEndlessBodyFailsOnceItPassesTheLimit)
{
    HTTPTestServer server([&](const HTTPTestRequest&) {
        HTTPTestReply reply = HTTPTestReply::withBody(200, std::string(64 * 1024, 'x'), "image/png");
        reply.delivery = HTTPTestReply::Delivery::Endless;
        return reply;
    });
    auto downloader = download(server.url("/endless.png"));
    ASSERT_TRUE(waitForEnd());
    EXPECT_EQ(delegate->events, (std::vector<std::string> {"fail"}));
    ASSERT_TRUE(delegate->error);
    EXPECT_EQ(delegate->error->code(), plat::kURLErrorDataLengthExceedsMaximum);
    EXPECT_EQ(downloader->imageData().capacity(), 0u);  // the bytes are let go
}

TEST_F(ImageDownloader, TheBufferGrowsWithTheBytesWhateverLengthIsAnnounced)
{
    HTTPTestServer server([&](const HTTPTestRequest&) {
        HTTPTestReply reply = HTTPTestReply::withBody(200, std::string(1000, 'x'), "image/png");
        reply.delivery = HTTPTestReply::Delivery::StallAfterBody;
        return reply.header("Content-Length", "30000000");  // under the limit, never sent
    });
    auto downloader = download(server.url("/slow.png"));
    ASSERT_TRUE(plat::test::runMainLoopUntil([&] { return downloader->imageData().size() >= 1000; }));
    EXPECT_EQ(downloader->imageData().size(), 1000u);
    EXPECT_EQ(downloader->expectedSize(), 30000000u);
    EXPECT_LE(downloader->imageData().capacity(), WIWebImageDownloader::kMaxReservedBytes);
    server.release();
    ASSERT_TRUE(waitForEnd());
    EXPECT_EQ(delegate->events, (std::vector<std::string> {"fail"}));
}

TEST_F(ImageDownloader, AServerThatNeverAnswersTimesOutAfterFifteenSeconds)
{
    HTTPTestServer server([&](const HTTPTestRequest&) {
        HTTPTestReply reply;
        reply.delivery = HTTPTestReply::Delivery::StallBeforeHead;
        return reply;
    });
    download(server.url("/silent.png"));
    ASSERT_TRUE(plat::test::runMainLoopUntil([&] { return server.requestCount() >= 1; }));
    clock.advance(14.9);
    EXPECT_FALSE(delegate->ended);
    clock.advance(0.2);
    EXPECT_EQ(delegate->events, (std::vector<std::string> {"fail"}));
    ASSERT_TRUE(delegate->error);
    EXPECT_EQ(delegate->error->code(), plat::kURLErrorTimedOut);
    server.release();
}

TEST_F(ImageDownloader, BytesThatAreNoPictureFinishWithoutAnImageAndSayWhy)
{
    std::string body = "<html>not here</html>";
    HTTPTestServer server([&](const HTTPTestRequest&) { return HTTPTestReply::withBody(200, body, "text/html"); });
    auto downloader = download(server.url("/page.png"));
    ASSERT_TRUE(waitForEnd());
    EXPECT_EQ(delegate->events, (std::vector<std::string> {"finish", "image"}));
    EXPECT_EQ(delegate->finished, nullptr);
    plat::Error why = downloader->undecodedImageError();
    EXPECT_EQ(why.domain(), plat::kURLErrorDomain);
    EXPECT_EQ(why.code(), plat::kURLErrorCannotDecodeContentData);
    EXPECT_NE(why.localizedDescription().find("are not a JPEG or PNG picture"), std::string::npos);
}

TEST_F(ImageDownloader, APictureClaimingAnAbsurdSizeIsRefusedWithoutDecoding)
{
    plat::Data png
        = plat::test::withDeclaredPNGSize(*plat::PNGRepresentation(*zt::test::bandedPicture(16, 16)), 100000, 100000);
    HTTPTestServer server(
        [&](const HTTPTestRequest&) { return HTTPTestReply::withBody(200, zt::test::text(png), "image/png"); });
    auto downloader = download(server.url("/bomb.png"));
    ASSERT_TRUE(waitForEnd());
    EXPECT_EQ(delegate->finished, nullptr);
    EXPECT_NE(downloader->undecodedImageError().localizedDescription().find("declares 100000 x 100000 pixels"),
        std::string::npos);
}

TEST_F(ImageDownloader, ALengthShorterThanTheBodyCutsThePictureShort)
{
    const std::string png = zt::test::pngBody(40, 40);
    HTTPTestServer server([&](const HTTPTestRequest&) {
        return HTTPTestReply::withBody(200, png, "image/png").header("Content-Length", "300");
    });
    auto downloader = download(server.url("/short.png"));
    ASSERT_TRUE(waitForEnd());
    EXPECT_EQ(delegate->finished, nullptr);
    EXPECT_EQ(downloader->imageData().size(), 300u);
    EXPECT_NE(downloader->undecodedImageError().localizedDescription().find("cut short"), std::string::npos);
}

TEST_F(ImageDownloader, ProgressiveDownloadsShowTheRowsSoFarAtTheBottom)
{
    // 32 x 64 with a green band on rows 0 to 3; the first 60% of its bytes
    // arrive, then nothing until the server lets go.
    const std::string png = zt::test::pngBody(32, 64);
    HTTPTestServer server([&](const HTTPTestRequest&) {
        HTTPTestReply reply = HTTPTestReply::withBody(200, png.substr(0, png.size() * 6 / 10), "image/png");
        reply.delivery = HTTPTestReply::Delivery::StallAfterBody;
        return reply.header("Content-Length", std::to_string(png.size()));
    });
    auto downloader = download(server.url("/slow.png"));
    downloader->setProgressive(true);
    ASSERT_TRUE(plat::test::runMainLoopUntil([&] { return !delegate->partials.empty(); }));
    EXPECT_EQ(downloader->width(), 32u);
    EXPECT_EQ(downloader->height(), 64u);
    const plat::Image& partial = *delegate->partials.front();
    EXPECT_EQ(partial.size().width, 32);
    EXPECT_EQ(partial.size().height, 64);
    const int pixelHeight = partial.bitmap()->height();  // twice the points: force-decoded
    EXPECT_EQ(plat::test::pixelAt(partial, 10, 0)[3], 0);  // rows still to come are clear
    EXPECT_EQ(plat::test::pixelAt(partial, 10, pixelHeight - 1)[3], 255);
    int firstRow = 0;
    while (firstRow < pixelHeight && plat::test::pixelAt(partial, 10, firstRow)[3] == 0)
        ++firstRow;
    EXPECT_GT(firstRow, 0);
    // The band's first rows, inside the edge that scaling to the screen blends.
    EXPECT_EQ(plat::test::pixelAt(partial, 10, firstRow + 2), (Rgba {0, 255, 0, 255}));
    server.release();
    ASSERT_TRUE(waitForEnd());
    EXPECT_EQ(delegate->events.back(), "fail");
}

TEST_F(ImageDownloader, CancellingStopsTheConnectionAndTellsTheDelegateNothing)
{
    HTTPTestServer server([&](const HTTPTestRequest&) {
        HTTPTestReply reply;
        reply.delivery = HTTPTestReply::Delivery::StallBeforeHead;
        return reply;
    });
    auto downloader = download(server.url("/slow.png"));
    ASSERT_TRUE(plat::test::runMainLoopUntil([&] { return server.requestCount() >= 1; }));
    downloader->cancel();
    EXPECT_FALSE(downloader->connection());
    ASSERT_EQ(notifications.size(), 2u);
    EXPECT_EQ(notifications[1],
        std::make_pair(
            std::string(zt::kWIWebImageDownloadStopNotification), static_cast<const void*>(downloader.get())));
    server.release();
    clock.advance(60);
    plat::RunLoop::main().drain();
    EXPECT_TRUE(delegate->events.empty());
    downloader->cancel();  // twice is once
    EXPECT_EQ(notifications.size(), 2u);
}

TEST_F(ImageDownloader, APartialImageStillDecodingWhenTheDownloadIsCancelledIsNotDelivered)
{
    const std::string png = zt::test::pngBody(32, 64);
    const size_t sent = png.size() * 6 / 10;
    HTTPTestServer server([&](const HTTPTestRequest&) {
        HTTPTestReply reply = HTTPTestReply::withBody(200, png.substr(0, sent), "image/png");
        reply.delivery = HTTPTestReply::Delivery::StallAfterBody;
        return reply.header("Content-Length", std::to_string(png.size()));
    });
    // The decoder is held until the download has been cancelled.
    auto decoding = zt::WIWebImageDecoder::sharedImageDecoder()->imageDecodingQueue();
    plat::Semaphore gate;
    decoding->asyncBarrier([gate]() mutable { (void)gate.wait(30); });
    auto downloader = download(server.url("/slow.png"));
    downloader->setProgressive(true);
    const bool arrived = plat::test::runMainLoopUntil([&] { return downloader->imageData().size() >= sent; });
    downloader->cancel();
    gate.signal();
    ASSERT_TRUE(arrived);
    plat::Semaphore decoded;
    decoding->asyncBarrier([decoded]() mutable { decoded.signal(); });
    ASSERT_TRUE(decoded.wait(30));
    plat::RunLoop::main().drain();
    EXPECT_TRUE(delegate->events.empty());
    server.release();
}

TEST_F(ImageDownloader, AURLThatCannotBeLoadedFailsWithoutAnErrorOnTheNextTurn)
{
    auto downloader = download("ftp://127.0.0.1/picture.png");
    EXPECT_TRUE(delegate->events.empty());
    plat::RunLoop::main().drain();
    EXPECT_EQ(delegate->events, (std::vector<std::string> {"fail"}));
    EXPECT_FALSE(delegate->error);
    EXPECT_TRUE(notifications.empty());

    auto cancelled = std::make_shared<RecordingDownloaderDelegate>();
    auto other = WIWebImageDownloader::downloaderWithURL(*plat::URL::URLWithString("ftp://127.0.0.1/b.png"), cancelled);
    other->cancel();
    plat::RunLoop::main().drain();
    EXPECT_TRUE(cancelled->events.empty());
}

TEST_F(ImageDownloader, ADownloadNobodyHoldsStillCompletes)
{
    HTTPTestServer server(
        [&](const HTTPTestRequest&) { return HTTPTestReply::withBody(200, zt::test::pngBody(4, 4), "image/png"); });
    download(server.url("/alone.png"));  // the result is dropped at once
    ASSERT_TRUE(waitForEnd());
    ASSERT_TRUE(delegate->finished);
    EXPECT_EQ(delegate->finished->size().width, 4);
}

TEST_F(ImageDownloader, AServerThatTricklesBytesForeverFailsAfterFiveMinutes)
{
    HTTPTestServer server([&](const HTTPTestRequest&) {
        HTTPTestReply reply = HTTPTestReply::withBody(200, std::string(100000, 'x'), "image/png");
        reply.delivery = HTTPTestReply::Delivery::Trickled;
        reply.chunkSize = 1;
        return reply;
    });
    auto downloader = download(server.url("/trickle.png"));
    // A byte every ten seconds: never idle long enough for the time-out.
    for (size_t bytes = 1; bytes <= 29; ++bytes) {
        server.trickle();
        ASSERT_TRUE(plat::test::runMainLoopUntil([&] { return downloader->imageData().size() >= bytes; }));
        ASSERT_EQ(downloader->imageData().size(), bytes);
        clock.advance(10);
        ASSERT_FALSE(delegate->ended) << bytes;
    }
    server.trickle();
    ASSERT_TRUE(plat::test::runMainLoopUntil([&] { return downloader->imageData().size() >= 30; }));
    ASSERT_EQ(downloader->imageData().size(), 30u);
    clock.advance(10);
    EXPECT_EQ(delegate->events, (std::vector<std::string> {"fail"}));
    ASSERT_TRUE(delegate->error);
    EXPECT_EQ(delegate->error->code(), plat::kURLErrorTimedOut);
    EXPECT_NE(delegate->error->localizedDescription().find("longer than 300 seconds"), std::string::npos);
}

}  // namespace
