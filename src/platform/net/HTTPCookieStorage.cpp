#include "platform/net/HTTPCookieStorage.h"

#include <algorithm>

namespace plat {

namespace {

bool sameIdentity(const HTTPCookie& left, const HTTPCookie& right)
{
    return left.name() == right.name() && left.domain() == right.domain() && left.path() == right.path();
}

}  // namespace

HTTPCookieStorage& HTTPCookieStorage::sharedHTTPCookieStorage()
{
    static HTTPCookieStorage* storage = new HTTPCookieStorage();  // used until the process ends
    return *storage;
}

std::vector<HTTPCookie> HTTPCookieStorage::cookies() const
{
    std::lock_guard guard(_lock);
    return _cookies;
}

std::vector<HTTPCookie> HTTPCookieStorage::cookiesForURL(const URL& url) const
{
    const Date now = Date::now();
    std::vector<HTTPCookie> matching;
    std::lock_guard guard(_lock);
    for (const auto& cookie : _cookies) {
        if (cookie.isExpiredAt(now) || !HTTPCookie::domainMatches(url.host(), cookie.domain())
            || !HTTPCookie::pathMatches(url.encodedPath(), cookie.path())
            || (cookie.isSecure() && url.scheme() != "https"))
            continue;
        matching.push_back(cookie);
    }
    std::stable_sort(matching.begin(), matching.end(),
        [](const HTTPCookie& a, const HTTPCookie& b) { return a.path().size() > b.path().size(); });
    return matching;
}

void HTTPCookieStorage::setCookie(const HTTPCookie& cookie)
{
    setCookies({cookie});
}

void HTTPCookieStorage::setCookies(const std::vector<HTTPCookie>& cookies)
{
    const Date now = Date::now();
    std::lock_guard guard(_lock);
    if (_policy == HTTPCookieAcceptPolicy::Never)
        return;
    removeExpiredLocked();
    for (const auto& cookie : cookies) {
        std::erase_if(_cookies, [&](const HTTPCookie& stored) { return sameIdentity(stored, cookie); });
        if (cookie.isExpiredAt(now))
            continue;
        if (_cookies.size() == kMaxStoredCookies)
            _cookies.erase(_cookies.begin());  // the oldest goes first
        _cookies.push_back(cookie);
    }
}

void HTTPCookieStorage::deleteCookie(const HTTPCookie& cookie)
{
    std::lock_guard guard(_lock);
    std::erase_if(_cookies, [&](const HTTPCookie& stored) { return sameIdentity(stored, cookie); });
}

void HTTPCookieStorage::removeAllCookies()
{
    std::lock_guard guard(_lock);
    _cookies.clear();
}

HTTPCookieAcceptPolicy HTTPCookieStorage::cookieAcceptPolicy() const
{
    std::lock_guard guard(_lock);
    return _policy;
}

void HTTPCookieStorage::setCookieAcceptPolicy(HTTPCookieAcceptPolicy policy)
{
    std::lock_guard guard(_lock);
    _policy = policy;
}

void HTTPCookieStorage::removeExpiredLocked()
{
    const Date now = Date::now();
    std::erase_if(_cookies, [&](const HTTPCookie& cookie) { return cookie.isExpiredAt(now); });
}

}  // namespace plat
