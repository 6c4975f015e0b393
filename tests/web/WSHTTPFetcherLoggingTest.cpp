#include <gtest/gtest.h>

#include "WebTestSupport.h"
#include "platform/foundation/Files.h"
#include "platform/foundation/Paths.h"
#include "web/WSHTTPFetchLogEntry.h"
#include "web/WSHTTPFetcherLogging.h"

using plat::test::HTTPTestReply;
using plat::test::HTTPTestRequest;
using plat::test::HTTPTestServer;
using zt::WSHTTPFetcher;

namespace {

class FetcherLogging : public zt::test::FetcherTest {
protected:
    void SetUp() override
    {
        WSHTTPFetcher::setLoggingDirectory(folder.path());
        WSHTTPFetcher::setLoggingProcessName("Zantrope_Tests");
        WSHTTPFetcher::setLoggingDateStamp("6-01_12-00-00PM");
    }
    void TearDown() override
    {
        WSHTTPFetcher::setLoggingEnabled(false);
        WSHTTPFetcher::setLoggingToFileEnabled(true);
        WSHTTPFetcher::setLoggingDirectory(std::nullopt);
        FetcherTest::TearDown();
    }
    plat::test::TemporaryFolder folder;
};

}  // namespace

TEST_F(FetcherLogging, OffByDefaultItWritesNothing)
{
    HTTPTestServer server([](const HTTPTestRequest&) { return HTTPTestReply::withBody(200, "x"); });
    auto fetcher = WSHTTPFetcher::fetcherWithURLString(server.url("/"));
    fetch(fetcher);
    EXPECT_FALSE(fetcher->log());
    EXPECT_TRUE(plat::contentsOfDirectory(folder.path()).value().empty());
}

TEST_F(FetcherLogging, WithoutFilesTheLogIsKeptOnTheFetcherOnly)
{
    WSHTTPFetcher::setLoggingEnabled(true);
    WSHTTPFetcher::setLoggingToFileEnabled(false);
    HTTPTestServer server([](const HTTPTestRequest&) { return HTTPTestReply::withBody(404, "gone"); });
    auto fetcher = WSHTTPFetcher::fetcherWithURLString(server.url("/missing"));
    fetcher->mutableRequest()->setValue("GoogleLogin auth=SECRET", "Authorization");
    fetcher->setCommentWithFormat("fetch {} of {}", 2, 3);
    fetch(fetcher);
    ASSERT_TRUE(fetcher->log());
    EXPECT_EQ(fetcher->log()->rfind("fetch 2 of 3\n\n", 0), 0u);
    EXPECT_NE(fetcher->log()->find("Request: GET " + server.url("/missing")), std::string::npos);
    EXPECT_NE(fetcher->log()->find("  Authorization: GoogleLogin auth=_snip_\n"), std::string::npos);
    EXPECT_EQ(fetcher->log()->find("SECRET"), std::string::npos);
    EXPECT_NE(fetcher->log()->find("Response: status 404\n"), std::string::npos);
    EXPECT_TRUE(plat::contentsOfDirectory(folder.path()).value().empty());
}

TEST_F(FetcherLogging, NoCommentFormatLeavesNoComment)
{
    WSHTTPFetcher::setLoggingEnabled(true);
    WSHTTPFetcher::setLoggingToFileEnabled(false);
    HTTPTestServer server([](const HTTPTestRequest&) { return HTTPTestReply::withBody(200, "x"); });
    auto fetcher = WSHTTPFetcher::fetcherWithURLString(server.url("/"));
    fetcher->setComment("old");
    fetcher->setCommentWithFormat(std::nullopt);
    EXPECT_FALSE(fetcher->comment());
    fetch(fetcher);
    ASSERT_TRUE(fetcher->log());
    EXPECT_EQ(fetcher->log()->find("old"), std::string::npos);
}

TEST_F(FetcherLogging, WritesTheRunFolderPageTextAndXMLResponse)
{
    WSHTTPFetcher::setLoggingEnabled(true);
    HTTPTestServer server(
        [](const HTTPTestRequest&) { return HTTPTestReply::withBody(201, "<entry/>", "application/atom+xml"); });
    auto fetcher = WSHTTPFetcher::fetcherWithURLString(server.url("/feed"));
    fetcher->setComment("upload entry");
    fetcher->setPostData(plat::Data {'a', '=', '1', '&', 'c', 'l', 'i', 'e', 'n', 't', '_', 's', 'e', 'c', 'r', 'e',
        't', '=', 'z', '&', 'b', '=', '2'});
    fetch(fetcher);
    std::string run = plat::appendingPathComponent(folder.path(), "Zantrope_Tests_log_6-01_12-00-00PM");
    auto files = plat::contentsOfDirectory(run);
    ASSERT_TRUE(files.ok());
    ASSERT_EQ(files.value().size(), 3u);  // fetches are numbered for the whole run
    const std::string number = files.value()[1].substr(6, files.value()[1].size() - 10);
    EXPECT_EQ(files.value(),
        (std::vector<std::string> {
            "divoza_http_log.html", "fetch_" + number + ".txt", "fetch_" + number + "_response.xml"}));
    auto text
        = zt::test::bodyText(plat::readFile(plat::appendingPathComponent(run, "fetch_" + number + ".txt")).value());
    EXPECT_EQ(text.rfind("upload entry\n\n", 0), 0u);
    EXPECT_NE(text.find("a=1&client_secret=_snip_&b=2"), std::string::npos);
    auto html = zt::test::bodyText(plat::readFile(plat::appendingPathComponent(run, "divoza_http_log.html")).value());
    EXPECT_NE(html.find("<b>response:</b>&nbsp;&nbsp;status 201<br>"), std::string::npos);
    EXPECT_TRUE(plat::attributesOfItem(plat::appendingPathComponent(folder.path(), "Zantrope_Tests_log_newest.html"))
                    .value()
                    .isSymbolicLink);
}

TEST_F(FetcherLogging, TokensOfASignInReplyAreSnipped)
{
    WSHTTPFetcher::setLoggingEnabled(true);
    WSHTTPFetcher::setLoggingToFileEnabled(false);
    HTTPTestServer server([](const HTTPTestRequest&) {
        return HTTPTestReply::withBody(200, "SID=sid-SECRET\nLSID=lsid-SECRET\nAuth=auth-SECRET\n", "text/plain");
    });
    auto fetcher = WSHTTPFetcher::fetcherWithURLString(server.url("/accounts/ClientLogin"));
    fetch(fetcher);
    ASSERT_TRUE(fetcher->log());
    EXPECT_EQ(fetcher->log()->find("SECRET"), std::string::npos) << *fetcher->log();
    EXPECT_NE(fetcher->log()->find("SID=_snip_\nLSID=_snip_\nAuth=_snip_\n"), std::string::npos);
}

TEST_F(FetcherLogging, AnotherLoggingFolderStartsItsOwnRunFolder)
{
    WSHTTPFetcher::setLoggingEnabled(true);
    HTTPTestServer server([](const HTTPTestRequest&) { return HTTPTestReply::withBody(200, "x", "text/plain"); });
    fetch(WSHTTPFetcher::fetcherWithURLString(server.url("/first")));
    plat::test::TemporaryFolder second;
    WSHTTPFetcher::setLoggingDirectory(second.path());
    fetch(WSHTTPFetcher::fetcherWithURLString(server.url("/second")));
    const std::string runName = "Zantrope_Tests_log_6-01_12-00-00PM";
    EXPECT_TRUE(plat::isDirectory(plat::appendingPathComponent(folder.path(), runName)));
    EXPECT_TRUE(plat::isDirectory(plat::appendingPathComponent(second.path(), runName)))
        << "the second fetch is logged where the logs now go";
}

TEST(FetcherLogText, JSONTokensAreSnippedAtTheTopLevelOnly)
{
    const std::string body = R"({"access_token": "A", "refresh_token": "R", "inner": {"access_token": "kept"}})";
    auto fetcher = WSHTTPFetcher::fetcherWithURLString("http://127.0.0.1/");
    plat::Value json;
    auto text = fetcher->formattedStringFromData(
        plat::Data(body.begin(), body.end()), "application/json; charset=utf-8", &json);
    ASSERT_TRUE(text);
    EXPECT_EQ(json.asDictionary()->getString("access_token"), "_snip_");
    EXPECT_EQ(json.asDictionary()->getString("refresh_token"), "_snip_");
    EXPECT_EQ(json.asDictionary()->getDictionary("inner")->getString("access_token"), "kept");
    EXPECT_NE(text->find("\"_snip_\""), std::string::npos);
    EXPECT_EQ(text->find("\"A\""), std::string::npos);
}

TEST(FetcherLogText, MultipartBodyShowsBinaryPartsAsCounts)
{
    std::string body = "--B\r\nContent-Type: text/plain\r\n\r\nhello\r\n--B\r\nContent-Type: image/png\r\n\r\n";
    body += std::string("\x89PNG\xff\xfe", 6);
    body += "\r\n--B--\r\n";
    auto fetcher = WSHTTPFetcher::fetcherWithURLString("http://127.0.0.1/");
    auto text = fetcher->stringFromStreamData(plat::Data(body.begin(), body.end()), "multipart/related");
    ASSERT_TRUE(text);
    EXPECT_NE(text->find("hello"), std::string::npos);
    EXPECT_NE(text->find("\r\r\nContent-Type: image/png\r<<12 bytes>>\r"), std::string::npos);
}

TEST(FetcherLogText, SnippingAndHeaderBlocks)
{
    EXPECT_EQ(zt::snipSubstringOfString("x=1&client_secret=abc", "client_secret=", "&"), "x=1&client_secret=_snip_");
    EXPECT_EQ(zt::snipSubstringOfString("nothing", "client_secret=", "&"), "nothing");
    EXPECT_EQ(zt::headersStringForDictionary(plat::HTTPHeaders {{"b", "2"}, {"A", "1"}}), "  A: 1\n  b: 2\n");
}

TEST(FetcherLogText, PageMarksJSONErrorsPicturesAndUnsafeAuthorization)
{
    zt::detail::FetchLogEntry entry;
    entry.number = 7;
    entry.now = "2015-06-01 12:00:00 +0000";
    entry.method = "GET";
    entry.url = "http://h/feed";
    entry.isPlainHTTP = true;
    entry.requestHeaders = plat::HTTPHeaders {{"Authorization", "Bearer x"}};
    entry.response = std::make_shared<plat::URLResponse>(
        *plat::URL::URLWithString("http://h/moved"), 200, plat::HTTPHeaders {{"Content-Type", "application/json"}});
    entry.status = 200;
    entry.responseHeaders = entry.response->allHeaderFields();
    entry.json
        = plat::Dictionary {{"error", plat::Dictionary {{"code", plat::Value(int64_t(403))}, {"message", "no"}}}};
    const std::string page = zt::detail::logPageHTML(entry, "Zantrope", "stamp", /*isNewPage=*/true);
    EXPECT_EQ(page.rfind("<html><head>", 0), 0u);
    EXPECT_NE(page.find("<title>Zantrope HTTP fetch log stamp</title>"), std::string::npos);
    EXPECT_NE(page.find("<a href='fetch_7.txt'>"), std::string::npos);
    EXPECT_NE(page.find("authorized, non-SSL"), std::string::npos);
    EXPECT_NE(page.find("<i>JSON error:</i> <FONT COLOR='#FF00FF'>403 no"), std::string::npos);
    EXPECT_NE(page.find("response URL:</FONT> <code>http://h/moved</code>"), std::string::npos);

    entry.status = 404;
    entry.json = plat::Value();
    entry.mimeType = "image/png";
    entry.responseLength = 3;
    entry.responseFileName = "fetch_7_response.png";
    entry.responseIsImage = true;
    const std::string later = zt::detail::logPageHTML(entry, "Zantrope", "stamp", /*isNewPage=*/false);
    EXPECT_EQ(later.find("<html>"), std::string::npos);
    EXPECT_NE(later.find("<FONT COLOR='#FF00FF'>404 &nbsp;&#x2691;</FONT>"), std::string::npos);
    EXPECT_NE(later.find("<img src='fetch_7_response.png'"), std::string::npos);

    const std::string text = zt::detail::logTextOfFetch(entry);
    EXPECT_NE(text.find("Request headers:\n  Authorization: Bearer _snip_\n"), std::string::npos);
    EXPECT_NE(text.find("Response: status 404\n"), std::string::npos);
    EXPECT_NE(text.find("Response body: (3 bytes)\n<<3 bytes>>\n"), std::string::npos);
}
