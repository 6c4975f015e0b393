#include <gtest/gtest.h>

#include "platform/net/HTTPAuthenticationScheme.h"
#include "platform/net/NetworkReachability.h"
#include "platform/net/ResponseHeadParser.h"
#include "platform/net/URLResponse.h"

using plat::detail::ResponseHeadParser;

TEST(ResponseHeadParser, ReadsStatusFieldsAndFoldedLines)
{
    ResponseHeadParser parser;
    for (const char* line : {"HTTP/1.1 308 Resume Incomplete\r\n", "Range: bytes=0-99\r\n", "X-Long: a\r\n", "\t b\r\n",
             "Set-Cookie: a=1\r\n", "Set-Cookie: b=2\r\n", "\r\n"})
        parser.addLine(line);
    ASSERT_EQ(parser.state(), ResponseHeadParser::State::Complete);
    EXPECT_EQ(parser.statusCode(), 308);
    EXPECT_EQ(parser.headers().value("range"), "bytes=0-99");
    EXPECT_EQ(parser.headers().value("X-Long"), "a b");
    EXPECT_EQ(parser.headers().values("Set-Cookie"), (std::vector<std::string> {"a=1", "b=2"}));
}

TEST(ResponseHeadParser, FoldedLineJoinsTheLastValueAndKeepsTheFieldsOrder)
{
    ResponseHeadParser parser;
    for (const char* line :
        {"HTTP/1.1 200 OK\r\n", "Link: <a>\r\n", "Etag: \"x\"\r\n", "Link: <b>;\r\n", " rel=next\r\n", "\r\n"})
        parser.addLine(line);
    ASSERT_EQ(parser.state(), ResponseHeadParser::State::Complete);
    EXPECT_EQ(parser.headers().joinedFields(),
        (std::vector<std::pair<std::string, std::string>> {{"Link", "<a>, <b>; rel=next"}, {"Etag", "\"x\""}}));
}

TEST(ResponseHeadParser, SkipsInterimAnswers)
{
    ResponseHeadParser parser;
    for (const char* line : {"HTTP/1.1 100 Continue\r\n", "\r\n", "HTTP/1.1 204 No Content\r\n", "\r\n"})
        parser.addLine(line);
    EXPECT_EQ(parser.state(), ResponseHeadParser::State::Complete);
    EXPECT_EQ(parser.statusCode(), 204);
}

TEST(ResponseHeadParser, RejectsGarbageAndOversizedHeads)
{
    ResponseHeadParser garbage;
    EXPECT_EQ(garbage.addLine("SMTP ready\r\n"), ResponseHeadParser::State::Error);
    ResponseHeadParser badField;
    badField.addLine("HTTP/1.1 200 OK\r\n");
    EXPECT_EQ(badField.addLine("no colon here\r\n"), ResponseHeadParser::State::Error);
    ResponseHeadParser huge;
    huge.addLine("HTTP/1.1 200 OK\r\n");
    std::string line = "X: " + std::string(64 * 1024, 'x') + "\r\n";
    ResponseHeadParser::State state = ResponseHeadParser::State::NeedMore;
    for (int i = 0; i < 5 && state == ResponseHeadParser::State::NeedMore; ++i)
        state = huge.addLine(line);
    EXPECT_EQ(state, ResponseHeadParser::State::Error);
}

TEST(HeaderText, OptionalWhitespaceIsSpacesAndTabsAtEitherEnd)
{
    EXPECT_EQ(plat::trimmingOptionalWhitespace(" \t a b\t "), "a b");
    EXPECT_EQ(plat::trimmingOptionalWhitespace(" \t "), "");
    EXPECT_EQ(plat::trimmingOptionalWhitespace(""), "");
    // Line breaks and other controls are no optional white space: they stay to be refused.
    EXPECT_EQ(plat::trimmingOptionalWhitespace("\r\nvalue\v"), "\r\nvalue\v");
}

TEST(HeaderInteger, AcceptsOnlyPlainDecimalNumbers)
{
    EXPECT_EQ(plat::parseHeaderInteger(" 1024 "), 1024);
    EXPECT_FALSE(plat::parseHeaderInteger("-1"));
    EXPECT_FALSE(plat::parseHeaderInteger("12abc"));
    EXPECT_FALSE(plat::parseHeaderInteger("99999999999999999999"));
    EXPECT_FALSE(plat::parseHeaderInteger(""));
}

TEST(AuthenticateHeader, ReadsSeveralChallengesWithQuotedParameters)
{
    auto challenges = plat::detail::parseAuthenticateHeader(
        R"(Newauth realm="apps", type=1, title="Login to \"apps\"", Basic realm="simple", Digest realm="d", nonce="n1")");
    ASSERT_EQ(challenges.size(), 3u);
    EXPECT_EQ(challenges[0].scheme, "newauth");
    EXPECT_EQ(challenges[0].parameters.at("title"), "Login to \"apps\"");
    EXPECT_EQ(challenges[1].parameters.at("realm"), "simple");
    EXPECT_EQ(challenges[2].parameters.at("nonce"), "n1");
    EXPECT_TRUE(plat::detail::parseAuthenticateHeader(R"(Basic realm="unterminated)").empty());
}

TEST(AuthenticateHeader, DigestResponseMatchesTheWorkedExampleOfRFC2617)
{
    plat::detail::AuthenticateChallenge challenge {"digest",
        {{"realm", "testrealm@host.com"}, {"qop", "auth,auth-int"}, {"nonce", "dcd98b7102dd2f0e8b11d0f600bfb0c093"},
            {"opaque", "5ccc069c403ebaf9f0171e9517f40e41"}}};
    auto header = plat::detail::authorizationForChallenge(
        challenge, "Mufasa", "Circle Of Life", "GET", "/dir/index.html", "0a4f113b");
    ASSERT_TRUE(header);
    EXPECT_NE(header->find("response=\"6629fae49393a05397450978507c4ef1\""), std::string::npos);
    EXPECT_EQ(*plat::detail::authorizationForChallenge({"basic", {}}, "Aladdin", "open sesame", "GET", "/", ""),
        "Basic QWxhZGRpbjpvcGVuIHNlc2FtZQ==");
}

TEST(Reachability, LoopbackNamesAreLocalAndDirect)
{
    std::vector<plat::NetworkInterfaceState> onlyLoopback = {{"lo", true, true, true}};
    EXPECT_EQ(plat::NetworkReachability::flagsFor(onlyLoopback, std::vector<bool> {true}),
        plat::kReachabilityFlagsReachable | plat::kReachabilityFlagsIsLocalAddress | plat::kReachabilityFlagsIsDirect);
    EXPECT_EQ(plat::NetworkReachability::flagsFor(onlyLoopback, std::vector<bool> {false}), 0u);
    EXPECT_EQ(plat::NetworkReachability::flagsFor(onlyLoopback, std::nullopt), 0u);
}

TEST(Reachability, InternetNeedsAnInterfaceThatIsUpWithAnAddress)
{
    std::vector<plat::NetworkInterfaceState> interfaces = {{"lo", true, true, true}, {"eth0", false, false, true}};
    EXPECT_EQ(plat::NetworkReachability::flagsFor(interfaces, std::nullopt), 0u);
    interfaces[1].up = true;
    EXPECT_EQ(plat::NetworkReachability::flagsFor(interfaces, std::nullopt), plat::kReachabilityFlagsReachable);
    EXPECT_EQ(plat::NetworkReachability::flagsFor(interfaces, std::vector<bool> {}), 0u);
}

TEST(Reachability, LocalhostIsReachable)
{
    auto reachability = plat::NetworkReachability::createWithName("localhost");
    auto flags = reachability->flags();
    ASSERT_TRUE(flags);
    EXPECT_TRUE(*flags & plat::kReachabilityFlagsReachable);
    EXPECT_TRUE(reachability->scheduleWithRunLoop());
    reachability->unscheduleFromRunLoop();
}
