#include <gtest/gtest.h>

#include "platform/net/HTTPCookie.h"
#include "platform/net/HTTPCookieStorage.h"

using plat::HTTPCookie;
using plat::URL;

namespace {

URL url(const char* text)
{
    return *URL::URLWithString(text);
}

const plat::Date kNow = plat::Date::withTimeIntervalSince1970(1433160000);  // 2015-06-01 12:00:00 UTC

}  // namespace

TEST(HTTPCookieDomain, DomainCookieCoversSubdomainsButNotLookalikes)
{
    EXPECT_TRUE(HTTPCookie::domainMatches("example.com", ".example.com"));
    EXPECT_TRUE(HTTPCookie::domainMatches("www.Example.com", ".example.com"));
    EXPECT_FALSE(HTTPCookie::domainMatches("badexample.com", ".example.com"));
    EXPECT_FALSE(HTTPCookie::domainMatches("example.com.evil", ".example.com"));
}

TEST(HTTPCookieDomain, HostOnlyCookieCoversItsHostAlone)
{
    EXPECT_TRUE(HTTPCookie::domainMatches("example.com", "example.com"));
    EXPECT_FALSE(HTTPCookie::domainMatches("www.example.com", "example.com"));
    EXPECT_FALSE(HTTPCookie::domainMatches("badexample.com", "example.com"));
}

TEST(HTTPCookieDomain, AddressesMatchOnlyThemselves)
{
    EXPECT_TRUE(HTTPCookie::domainMatches("127.0.0.1", "127.0.0.1"));
    EXPECT_FALSE(HTTPCookie::domainMatches("127.0.0.1", ".0.0.1"));
}

TEST(HTTPCookiePath, PrefixMustEndAtASlash)
{
    EXPECT_TRUE(HTTPCookie::pathMatches("/account", "/account"));
    EXPECT_TRUE(HTTPCookie::pathMatches("/account/x", "/account"));
    EXPECT_TRUE(HTTPCookie::pathMatches("/account/x", "/account/"));
    EXPECT_FALSE(HTTPCookie::pathMatches("/accounts/x", "/account"));
    EXPECT_TRUE(HTTPCookie::pathMatches("", "/"));
}

TEST(SetCookie, ReadsNameValueAndAttributes)
{
    auto cookie
        = HTTPCookie::cookieFromSetCookieValue("SID=31d4d96e407aad42; Path=/docs; Domain=example.com; Secure; HttpOnly",
            url("https://www.example.com/docs/a"), kNow);
    ASSERT_TRUE(cookie);
    EXPECT_EQ(cookie->name(), "SID");
    EXPECT_EQ(cookie->value(), "31d4d96e407aad42");
    EXPECT_EQ(cookie->domain(), ".example.com");
    EXPECT_EQ(cookie->path(), "/docs");
    EXPECT_TRUE(cookie->isSecure());
    EXPECT_TRUE(cookie->isHTTPOnly());
    EXPECT_TRUE(cookie->isSessionOnly());
}

TEST(SetCookie, WithoutDomainBelongsToTheHostAndTheDefaultPath)
{
    auto cookie = HTTPCookie::cookieFromSetCookieValue("lang=en", url("http://example.com/a/b/c?x=1"), kNow);
    ASSERT_TRUE(cookie);
    EXPECT_EQ(cookie->domain(), "example.com");
    EXPECT_EQ(cookie->path(), "/a/b");
}

TEST(SetCookie, DomainOfAnotherSiteIsRejected)
{
    EXPECT_FALSE(HTTPCookie::cookieFromSetCookieValue("a=1; Domain=example.com", url("http://badexample.com/"), kNow));
    EXPECT_FALSE(HTTPCookie::cookieFromSetCookieValue("a=1; Domain=other.org", url("http://example.com/"), kNow));
    EXPECT_FALSE(HTTPCookie::cookieFromSetCookieValue("a=1; Domain=com", url("http://example.com/"), kNow));
    EXPECT_FALSE(HTTPCookie::cookieFromSetCookieValue("a=1; Domain=0.0.1", url("http://127.0.0.1/"), kNow));
    EXPECT_FALSE(HTTPCookie::cookieFromSetCookieValue("a=1; Domain=www.example.com", url("http://example.com/"), kNow));
}

TEST(SetCookie, MalformedPairsAreRejected)
{
    EXPECT_FALSE(HTTPCookie::cookieFromSetCookieValue("novalue", url("http://example.com/"), kNow));
    EXPECT_FALSE(HTTPCookie::cookieFromSetCookieValue("=1", url("http://example.com/"), kNow));
    std::string longName(9000, 'a');
    longName += "=1";
    EXPECT_FALSE(HTTPCookie::cookieFromSetCookieValue(longName, url("http://example.com/"), kNow));
}

TEST(SetCookie, MaxAgeWinsOverExpires)
{
    auto cookie = HTTPCookie::cookieFromSetCookieValue(
        "a=1; Expires=Wed, 09 Jun 2021 10:18:14 GMT; Max-Age=60", url("http://example.com/"), kNow);
    ASSERT_TRUE(cookie);
    EXPECT_EQ(cookie->expiresDate(), kNow.addingTimeInterval(60));
    auto expired = HTTPCookie::cookieFromSetCookieValue("a=1; Max-Age=0", url("http://example.com/"), kNow);
    ASSERT_TRUE(expired);
    EXPECT_TRUE(expired->isExpiredAt(kNow));
}

TEST(CookieDate, ReadsTheCommonForms)
{
    const double expected = 1623233894;  // 2021-06-09 10:18:14 UTC
    EXPECT_EQ(HTTPCookie::parseCookieDate("Wed, 09 Jun 2021 10:18:14 GMT")->timeIntervalSince1970(), expected);
    EXPECT_EQ(HTTPCookie::parseCookieDate("Wednesday, 09-Jun-21 10:18:14 GMT")->timeIntervalSince1970(), expected);
    EXPECT_EQ(HTTPCookie::parseCookieDate("Wed Jun  9 10:18:14 2021")->timeIntervalSince1970(), expected);
}

TEST(CookieDate, RejectsImpossibleDates)
{
    EXPECT_FALSE(HTTPCookie::parseCookieDate("31 Feb 2021 10:18:14"));
    EXPECT_FALSE(HTTPCookie::parseCookieDate("29 Feb 2021 10:18:14"));
    EXPECT_TRUE(HTTPCookie::parseCookieDate("29 Feb 2020 10:18:14"));
    EXPECT_FALSE(HTTPCookie::parseCookieDate("09 Jun 2021 25:18:14"));
    EXPECT_FALSE(HTTPCookie::parseCookieDate("09 Jun 1500 10:18:14"));
    EXPECT_FALSE(HTTPCookie::parseCookieDate(""));
}

TEST(CookieStorage, SendsOnlyMatchingCookiesLongestPathFirst)
{
    plat::HTTPCookieStorage storage;
    const URL page = url("http://www.example.com/docs/page");
    storage.setCookies(HTTPCookie::cookiesWithResponseHeaderFields(
        plat::HTTPHeaders {{"Set-Cookie", "root=1; Path=/"}, {"Set-Cookie", "docs=2; Path=/docs"},
            {"Set-Cookie", "secure=3; Secure; Path=/"}, {"Set-Cookie", "evil=4; Domain=evil.com"}},
        page));
    auto sent = storage.cookiesForURL(page);
    ASSERT_EQ(sent.size(), 2u);
    EXPECT_EQ(HTTPCookie::requestHeaderFieldsWithCookies(sent).value("Cookie"), "docs=2; root=1");
    EXPECT_TRUE(storage.cookiesForURL(url("http://badexample.com/docs/page")).empty());
    EXPECT_EQ(storage.cookiesForURL(url("https://www.example.com/")).size(), 2u);
}
