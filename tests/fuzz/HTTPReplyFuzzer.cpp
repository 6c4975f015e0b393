// Replies of HTTP servers: the response head line by line, then the fields a
// client reads from it (cookies, challenges, lengths, the upload's "Range").
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/foundation/URL.h"
#include "platform/net/HTTPAuthenticationScheme.h"
#include "platform/net/HTTPCookie.h"
#include "platform/net/ResponseHeadParser.h"
#include "platform/net/URLResponse.h"
#include "web/WSHTTPUploadFetcher.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    plat::detail::ResponseHeadParser parser;
    size_t start = 0;
    while (start < text.size() && parser.state() == plat::detail::ResponseHeadParser::State::NeedMore) {
        size_t end = text.find('\n', start);
        end = end == std::string_view::npos ? text.size() : end + 1;
        parser.addLine(text.substr(start, end - start));
        start = end;
    }
    static const plat::URL url = *plat::URL::URLWithString("http://www.example.com/docs/page?x=1");
    const plat::URLResponse response(url, parser.statusCode(), parser.headers());
    (void)response.expectedContentLength();
    (void)plat::HTTPCookie::cookiesWithResponseHeaderFields(parser.headers(), url);
    for (const auto& value : parser.headers().values("WWW-Authenticate")) {
        for (const auto& challenge : plat::detail::parseAuthenticateHeader(value))
            (void)plat::detail::authorizationForChallenge(challenge, "user", "password", "GET", "/docs", "nonce");
    }
    if (auto range = parser.headers().value("Range"))
        (void)zt::parseRangeHeaderLastByte(*range);
    // The whole input as one field value, too.
    (void)plat::HTTPCookie::cookieFromSetCookieValue(text, url, plat::Date());
    (void)plat::HTTPCookie::parseCookieDate(text);
    (void)plat::detail::parseAuthenticateHeader(text);
    (void)zt::parseRangeHeaderLastByte(text);
    return 0;
}
