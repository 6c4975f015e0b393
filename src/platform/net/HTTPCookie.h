#pragma once
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/foundation/Date.h"
#include "platform/foundation/URL.h"
#include "platform/net/HTTPHeaders.h"

namespace plat {

// One HTTP cookie. A domain that begins with "." covers that domain and every
// host below it; any other domain is the one host that set the cookie.
// Any thread (value type).
class HTTPCookie {
public:
    struct Properties {
        std::string name;
        std::string value;
        std::string domain;
        std::string path = "/";
        std::optional<Date> expiresDate;  // none: a session cookie
        bool secure = false;
        bool httpOnly = false;
    };

    explicit HTTPCookie(Properties properties);

    const std::string& name() const { return _properties.name; }
    const std::string& value() const { return _properties.value; }
    const std::string& domain() const { return _properties.domain; }
    const std::string& path() const { return _properties.path; }
    const std::optional<Date>& expiresDate() const { return _properties.expiresDate; }
    bool isSecure() const { return _properties.secure; }
    bool isHTTPOnly() const { return _properties.httpOnly; }
    bool isSessionOnly() const { return !_properties.expiresDate.has_value(); }
    const Properties& properties() const { return _properties; }

    // Expiry at or before now.
    bool isExpiredAt(Date now) const;

    // The cookies of every "Set-Cookie" field, as set for url. Cookies whose
    // "Domain" does not cover the URL's host are dropped (RFC 6265 section
    // 5.3), as are malformed and oversized ones.
    static std::vector<HTTPCookie> cookiesWithResponseHeaderFields(const HTTPHeaders& headers, const URL& url);
    // The cookies of one "Set-Cookie" value, or empty when it is rejected.
    static std::optional<HTTPCookie> cookieFromSetCookieValue(std::string_view text, const URL& url, Date now);
    // {"Cookie": "a=1; b=2"} for the cookies in order; empty for none.
    static HTTPHeaders requestHeaderFieldsWithCookies(const std::vector<HTTPCookie>& cookies);

    // Whether the cookie domain covers the host (RFC 6265 domain matching;
    // both compared in lower case). IP addresses match only themselves.
    static bool domainMatches(std::string_view host, std::string_view cookieDomain);
    // RFC 6265 path matching: the same path, or a prefix ending at a "/".
    static bool pathMatches(std::string_view requestPath, std::string_view cookiePath);
    // The date of an "Expires" attribute (RFC 6265 section 5.1.1), or empty.
    static std::optional<Date> parseCookieDate(std::string_view text);

    friend bool operator==(const HTTPCookie& left, const HTTPCookie& right);

private:
    Properties _properties;
};

// Whether the host is an IPv4 or bracketless IPv6 literal.
bool isIPAddressLiteral(std::string_view host);

}  // namespace plat
