#pragma once
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "web/WSHTTPFetcher.h"

namespace zt {

// A simple in-memory cookie jar with domain, path, secure-flag and expiry
// rules. A cookie is identified by its name, domain and path together.
// Any thread (each operation locks the jar).
class WSCookieStorage : public WSCookieStorageProtocol {
public:
    void setCookies(const std::vector<plat::HTTPCookie>& cookies) override;
    void deleteCookie(const plat::HTTPCookie& cookie);
    std::optional<std::vector<plat::HTTPCookie>> cookiesForURL(const plat::URL& url) override;
    std::optional<plat::HTTPCookie> cookieMatchingCookie(const plat::HTTPCookie& cookie) const;
    void removeExpiredCookies();
    void removeAllCookies();
    std::vector<plat::HTTPCookie> cookies() const;

private:
    std::optional<size_t> indexOfCookieLocked(const plat::HTTPCookie& cookie) const;
    void removeExpiredCookiesLocked();

    mutable std::mutex _lock;
    std::vector<plat::HTTPCookie> cookies_;  // guarded by _lock, in the order stored
};

}  // namespace zt
