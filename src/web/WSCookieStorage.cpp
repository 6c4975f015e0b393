#include "web/WSCookieStorage.h"

#include "platform/foundation/Log.h"
#include "platform/foundation/Text.h"
#include "platform/net/HTTPCookieStorage.h"

namespace zt {

namespace {

bool isIncomplete(const plat::HTTPCookie& cookie)
{
    return cookie.name().empty() || cookie.domain().empty() || cookie.path().empty();
}

std::string cookieDescription(const plat::HTTPCookie& cookie)
{
    return plat::formatLine("<{}={} domain:{} path:{}>", cookie.name(), cookie.value(), cookie.domain(), cookie.path());
}

}  // namespace

std::optional<size_t> WSCookieStorage::indexOfCookieLocked(const plat::HTTPCookie& cookie) const
{
    for (size_t i = 0; i < cookies_.size(); ++i) {
        const auto& stored = cookies_[i];
        if (stored.name() == cookie.name() && stored.domain() == cookie.domain() && stored.path() == cookie.path())
            return i;
    }
    return std::nullopt;
}

void WSCookieStorage::removeExpiredCookiesLocked()
{
    const plat::Date now = plat::Date::now();
    for (size_t i = cookies_.size(); i-- > 0;) {
        if (cookies_[i].expiresDate() && *cookies_[i].expiresDate() < now)
            cookies_.erase(cookies_.begin() + static_cast<std::ptrdiff_t>(i));
    }
}

void WSCookieStorage::setCookies(const std::vector<plat::HTTPCookie>& cookies)
{
    std::lock_guard guard(_lock);
    removeExpiredCookiesLocked();
    const plat::Date now = plat::Date::now();
    for (const auto& cookie : cookies) {
        if (isIncomplete(cookie)) {
            plat::log("Cookie incomplete: {}", cookieDescription(cookie));
            continue;
        }
        if (auto index = indexOfCookieLocked(cookie))
            cookies_.erase(cookies_.begin() + static_cast<std::ptrdiff_t>(*index));
        if (cookie.expiresDate() && *cookie.expiresDate() <= now)
            continue;  // an expired cookie only deletes its stored twin
        if (cookies_.size() == plat::kMaxStoredCookies)
            cookies_.erase(cookies_.begin());
        cookies_.push_back(cookie);
    }
}

void WSCookieStorage::deleteCookie(const plat::HTTPCookie& cookie)
{
    std::lock_guard guard(_lock);
    if (auto index = indexOfCookieLocked(cookie))
        cookies_.erase(cookies_.begin() + static_cast<std::ptrdiff_t>(*index));
}

std::optional<std::vector<plat::HTTPCookie>> WSCookieStorage::cookiesForURL(const plat::URL& url)
{
    std::lock_guard guard(_lock);
    removeExpiredCookiesLocked();
    const std::string host = plat::lowercaseString(url.host());
    const std::string path = url.path();
    const bool secure = plat::lowercaseString(url.scheme()) == "https";
    std::vector<plat::HTTPCookie> matching;
    for (const auto& cookie : cookies_) {
        const std::string domain = plat::lowercaseString(cookie.domain());
        bool domainIsOK;
        if (host == "localhost")
            domainIsOK = domain == "localhost" || domain == "localhost.local";
        else
            domainIsOK = plat::HTTPCookie::domainMatches(host, domain);
        const bool pathIsOK = cookie.path() == "/" || plat::hasPrefix(path, cookie.path());
        if (domainIsOK && pathIsOK && (!cookie.isSecure() || secure))
            matching.push_back(cookie);
    }
    if (matching.empty())
        return std::nullopt;
    return matching;
}

std::optional<plat::HTTPCookie> WSCookieStorage::cookieMatchingCookie(const plat::HTTPCookie& cookie) const
{
    if (isIncomplete(cookie)) {
        plat::log("Invalid cookie (name:{} domain:{} path:{})", cookie.name(), cookie.domain(), cookie.path());
        return std::nullopt;
    }
    std::lock_guard guard(_lock);
    if (auto index = indexOfCookieLocked(cookie))
        return cookies_[*index];
    return std::nullopt;
}

void WSCookieStorage::removeExpiredCookies()
{
    std::lock_guard guard(_lock);
    removeExpiredCookiesLocked();
}

void WSCookieStorage::removeAllCookies()
{
    std::lock_guard guard(_lock);
    cookies_.clear();
}

std::vector<plat::HTTPCookie> WSCookieStorage::cookies() const
{
    std::lock_guard guard(_lock);
    return cookies_;
}

}  // namespace zt
