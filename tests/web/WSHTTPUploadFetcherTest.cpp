#include <gtest/gtest.h>

#include <mutex>

#include <unistd.h>

#include "WebTestSupport.h"
#include "platform/foundation/Files.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/RunLoop.h"
#include "web/WSFileHandle.h"
#include "web/WSHTTPFetcherService.h"
#include "web/WSHTTPUploadFetcher.h"

using plat::test::HTTPTestReply;
using plat::test::HTTPTestRequest;
using plat::test::HTTPTestServer;
using zt::WSHTTPUploadFetcher;

namespace {

// A server that takes resumable uploads and keeps what arrives. Scripted
// faults: drop a chunk's connection after storing part of it, or answer with
// a fixed "Range".
class ResumableUploadServer {
public:
    ResumableUploadServer()
        : server([this](const HTTPTestRequest& request) { return answer(request); })
    {
    }

    HTTPTestReply answer(const HTTPTestRequest& request)
    {
        std::lock_guard guard(lock);
        if (request.method == "POST") {
            announcedLength = std::stoull(request.header("X-Upload-Content-Length").value_or("0"));
            return HTTPTestReply::withBody(200, "").header("Location", server.url("/session"));
        }
        ranges.push_back(request.header("Content-Range").value_or(""));
        if (fixedRange)
            return rangeReply(*fixedRange);
        const std::string& range = ranges.back();
        if (range.find('*') == std::string::npos) {
            if (stallChunk && ranges.size() == *stallChunk) {
                HTTPTestReply reply;
                reply.delivery = HTTPTestReply::Delivery::StallBeforeHead;
                return reply;
            }
            if (refusedChunk && ranges.size() == refusedChunk->first)
                return HTTPTestReply::withBody(refusedChunk->second, "refused");
            if (dropChunk && ranges.size() == *dropChunk) {
                stored += request.body.substr(0, request.body.size() / 2);
                HTTPTestReply reply;
                reply.delivery = HTTPTestReply::Delivery::CloseWithoutReply;
                return reply;
            }
            stored += request.body;
        }
        if (stored.size() == announcedLength && announcedLength > 0)
            return HTTPTestReply::withBody(201, "<entry/>", "application/atom+xml");
        return stored.empty() ? rangeReply(std::nullopt) : rangeReply("bytes=0-" + std::to_string(stored.size() - 1));
    }

    static HTTPTestReply rangeReply(std::optional<std::string> range)
    {
        HTTPTestReply reply = HTTPTestReply::withBody(308, "");
        reply.reason = "Resume Incomplete";
        if (range)
            reply.header("Range", *range);
        return reply;
    }

    std::vector<std::string> rangesSent()
    {
        std::lock_guard guard(lock);
        return ranges;
    }

    std::mutex lock;
    std::string stored;
    uint64_t announcedLength = 0;
    std::vector<std::string> ranges;
    std::optional<size_t> dropChunk;
    std::optional<size_t> stallChunk;  // never answered: still in flight when the test acts
    std::optional<std::pair<size_t, int>> refusedChunk;  // which chunk is answered with which status
    std::optional<std::string> fixedRange;
    HTTPTestServer server;
};

class UploadFetcher : public zt::test::FetcherTest {
protected:
    std::shared_ptr<WSHTTPUploadFetcher> uploadOf(const std::string& media, uint64_t chunkSize)
    {
        plat::URLRequest request(plat::URL::URLWithString(upload.server.url("/upload")));
        auto fetcher = WSHTTPUploadFetcher::uploadFetcherWithRequest(
            request, plat::Data(media.begin(), media.end()), "video/quicktime", chunkSize, service);
        fetcher->setPostData(plat::Data {'<', 'e', '/', '>'});
        return fetcher;
    }

    std::shared_ptr<zt::WSHTTPFetcherService> service = std::make_shared<zt::WSHTTPFetcherService>();
    ResumableUploadServer upload;
};

std::string media(size_t length)
{
    std::string text(length, '\0');
    for (size_t i = 0; i < length; ++i)
        text[i] = static_cast<char>('a' + i % 26);
    return text;
}

}  // namespace

TEST(RangeHeader, ReadsTheLastByteOfWellFormedRangesOnly)
{
    EXPECT_EQ(zt::parseRangeHeaderLastByte("bytes=0-524287"), 524287u);
    EXPECT_FALSE(zt::parseRangeHeaderLastByte("bytes=0-"));
    EXPECT_FALSE(zt::parseRangeHeaderLastByte("bytes 0-10"));
    EXPECT_FALSE(zt::parseRangeHeaderLastByte("bytes=0-99999999999999999999"));
    EXPECT_FALSE(zt::parseRangeHeaderLastByte("bytes=-5-10"));
}

TEST_F(UploadFetcher, SendsChunksAndLetsTheLastAbsorbASmallTail)
{
    auto fetcher = uploadOf(media(1'000'000), 262'144);
    auto outcome = fetch(fetcher);
    EXPECT_FALSE(outcome->error);
    EXPECT_EQ(outcome->text(), "<entry/>");
    EXPECT_EQ(upload.rangesSent(),
        (std::vector<std::string> {"bytes 0-262143/1000000", "bytes 262144-524287/1000000",
            "bytes 524288-786431/1000000", "bytes 786432-999999/1000000"}));
    EXPECT_EQ(upload.stored, media(1'000'000));
    EXPECT_FALSE(fetcher->locationURL());
    EXPECT_EQ(upload.server.requests()[0].header("X-Upload-Content-Type"), "video/quicktime");
}

TEST_F(UploadFetcher, TailUnderTheMinimumRidesWithTheChunkBefore)
{
    auto outcome = fetch(uploadOf(media(526'000), 262'144));
    EXPECT_FALSE(outcome->error);
    EXPECT_EQ(upload.rangesSent(), (std::vector<std::string> {"bytes 0-262143/526000", "bytes 262144-525999/526000"}));
}

TEST_F(UploadFetcher, InterruptedChunkResumesFromTheServersRange)
{
    upload.dropChunk = 2;
    auto fetcher = uploadOf(media(600'000), 262'144);
    fetcher->setRetryEnabled(true);
    size_t retryDelays = 0;
    auto token = plat::NotificationCenter::defaultCenter().addObserver(
        zt::kWSHTTPFetcherRetryDelayStartedNotification, nullptr, [&](const plat::Notification&) { ++retryDelays; });
    auto outcome = begin(fetcher);
    ASSERT_TRUE(plat::test::runMainLoopUntil([&] { return retryDelays >= 1; }));
    clock.advance(2.0);  // a chunk's first back-off lies between 1 and 2 seconds
    ASSERT_TRUE(plat::test::runMainLoopUntil([&] { return outcome->finished; }));
    EXPECT_FALSE(outcome->error);
    auto ranges = upload.rangesSent();
    ASSERT_EQ(ranges.size(), 4u);
    EXPECT_EQ(ranges[2], "bytes */600000");
    EXPECT_EQ(ranges[3], "bytes 393216-599999/600000");  // after the half of chunk two that arrived
    EXPECT_EQ(upload.stored, media(600'000));
}

TEST_F(UploadFetcher, RangeBeyondTheEndFailsCleanly)
{
    upload.fixedRange = "bytes=0-99999999";
    auto fetcher = uploadOf(media(300'000), 262'144);
    auto outcome = fetch(fetcher);
    ASSERT_TRUE(outcome->error);
    EXPECT_EQ(outcome->error->code(), zt::kWSHTTPFetcherErrorChunkUploadFailed);
    EXPECT_TRUE(fetcher->locationURL());
    EXPECT_EQ(upload.rangesSent().size(), 1u);
}

TEST_F(UploadFetcher, ChunkRefusedWithAnotherStatusEndsWithItAndKeepsTheUploadURL)
{
    upload.refusedChunk = {2, 403};
    auto fetcher = uploadOf(media(300'000), 100'000);
    auto outcome = fetch(fetcher);
    ASSERT_TRUE(outcome->error);
    EXPECT_EQ(outcome->error->domain(), zt::kWSHTTPFetcherStatusDomain);
    EXPECT_EQ(outcome->error->code(), 403);
    EXPECT_EQ(outcome->text(), "refused");
    ASSERT_TRUE(fetcher->locationURL()) << "the upload can be restarted from it";
    EXPECT_EQ(fetcher->locationURL()->absoluteString(), upload.server.url("/session"));
}

TEST_F(UploadFetcher, RangeAtTheEndWithoutAnAnswerFailsInsteadOfLooping)
{
    upload.fixedRange = "bytes=0-299999";
    auto outcome = fetch(uploadOf(media(300'000), 262'144));
    ASSERT_TRUE(outcome->error);
    EXPECT_EQ(upload.rangesSent().size(), 1u);
}

TEST_F(UploadFetcher, InitialReplyWithoutLocationIs501)
{
    HTTPTestServer plain([](const HTTPTestRequest&) { return HTTPTestReply::withBody(200, "no location"); });
    auto fetcher = WSHTTPUploadFetcher::uploadFetcherWithRequest(
        plat::URLRequest(plat::URL::URLWithString(plain.url("/"))), plat::Data(10, 'x'), "video/mp4", 100, service);
    auto outcome = fetch(fetcher);
    EXPECT_EQ(outcome->error->domain(), zt::kWSHTTPFetcherStatusDomain);
    EXPECT_EQ(outcome->error->code(), 501);
    EXPECT_FALSE(fetcher->locationURL());
}

TEST_F(UploadFetcher, RetriedInitialRequestCallsTheHandlerOnce)
{
    std::atomic<int> posts {0};
    HTTPTestServer flaky([&](const HTTPTestRequest& request) {
        if (request.method == "POST" && ++posts == 1)
            return HTTPTestReply::withBody(503, "busy");
        return upload.answer(request);
    });
    auto fetcher = WSHTTPUploadFetcher::uploadFetcherWithRequest(
        plat::URLRequest(plat::URL::URLWithString(flaky.url("/upload"))), plat::Data(1000, 'm'), "video/mp4", 400,
        service);
    fetcher->setPostData(plat::Data {'<', 'e', '/', '>'});
    fetcher->setRetryEnabled(true);
    fetcher->setMinRetryInterval(1.0);
    int calls = 0;
    size_t retryDelays = 0;
    auto token = plat::NotificationCenter::defaultCenter().addObserver(
        zt::kWSHTTPFetcherRetryDelayStartedNotification, nullptr, [&](const plat::Notification&) { ++retryDelays; });
    std::optional<plat::Error> lastError;
    fetcher->beginFetchWithCompletionHandler([&](const auto&, const auto& error) {
        ++calls;
        lastError = error;
    });
    ASSERT_TRUE(plat::test::runMainLoopUntil([&] { return retryDelays >= 1; }));
    EXPECT_EQ(calls, 0);
    clock.advance(1.0);
    ASSERT_TRUE(plat::test::runMainLoopUntil([&] { return calls > 0; }));
    plat::RunLoop::main().drain();
    EXPECT_EQ(calls, 1);
    EXPECT_FALSE(lastError);
    EXPECT_EQ(upload.stored.size(), 1000u);
}

TEST_F(UploadFetcher, FileThatShrinksEndsTheUploadWithAnError)
{
    const std::string path = sandbox.path("movie.mov");
    ASSERT_TRUE(plat::writeFileAtomically(path, media(5000)).ok());
    auto handle = zt::WSFileHandle::fileHandleForReadingAtPath(path);
    auto fetcher = WSHTTPUploadFetcher::uploadFetcherWithRequest(
        plat::URLRequest(plat::URL::URLWithString(upload.server.url("/upload"))), handle, "video/mp4", 1000, service);
    fetcher->setPostData(plat::Data {'<', 'e', '/', '>'});
    ASSERT_TRUE(::truncate(path.c_str(), 1500) == 0);
    auto outcome = fetch(fetcher);
    ASSERT_TRUE(outcome->error);
    EXPECT_EQ(outcome->error->code(), zt::kWSHTTPFetcherErrorChunkUploadFailed);
    EXPECT_EQ(upload.rangesSent(), (std::vector<std::string> {"bytes 0-999/5000"}));
}

TEST_F(UploadFetcher, PauseStopsTheChunkAndResumeAsksTheServerFirst)
{
    upload.stallChunk = 1;
    auto fetcher = uploadOf(media(300'000), 100'000);
    auto outcome = begin(fetcher);
    ASSERT_TRUE(
        plat::test::runMainLoopUntil([&] { return upload.rangesSent().size() >= 1 && fetcher->chunkFetcher(); }));
    fetcher->pauseFetching();
    EXPECT_TRUE(fetcher->isPaused());
    EXPECT_FALSE(fetcher->chunkFetcher());
    const size_t before = upload.rangesSent().size();
    fetcher->resumeFetching();
    ASSERT_TRUE(plat::test::runMainLoopUntil([&] { return outcome->finished; }));
    EXPECT_FALSE(outcome->error);
    EXPECT_EQ(upload.rangesSent().at(before), "bytes */300000");
    EXPECT_EQ(upload.stored, media(300'000));
}

TEST_F(UploadFetcher, RestartedUploadQueriesThenContinues)
{
    upload.announcedLength = 2000;
    upload.stored = media(2000).substr(0, 700);
    const std::string path = sandbox.path("movie.mov");
    ASSERT_TRUE(plat::writeFileAtomically(path, media(2000)).ok());
    auto fetcher
        = WSHTTPUploadFetcher::uploadFetcherWithLocation(*plat::URL::URLWithString(upload.server.url("/session")),
            zt::WSFileHandle::fileHandleForReadingAtPath(path), "video/mp4", 5000, service);
    auto outcome = fetch(fetcher);
    EXPECT_FALSE(outcome->error);
    EXPECT_EQ(upload.rangesSent(), (std::vector<std::string> {"bytes */2000", "bytes 700-1999/2000"}));
}
