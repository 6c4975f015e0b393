#pragma once
#include <mutex>
#include <optional>
#include <vector>

#include "platform/foundation/URL.h"
#include "platform/net/HTTPCookie.h"

namespace plat {

enum class HTTPCookieAcceptPolicy { Always, Never };

// The URL loading system's cookie jar: connections whose request handles
// cookies send its cookies and keep the ones servers set. Memory only (the
// device's jar is cleared with the process). Any thread.
class HTTPCookieStorage {
public:
    HTTPCookieStorage() = default;
    static HTTPCookieStorage& sharedHTTPCookieStorage();

    std::vector<HTTPCookie> cookies() const;
    // Unexpired cookies whose domain, path and secure flag fit the URL,
    // longer paths first.
    std::vector<HTTPCookie> cookiesForURL(const URL& url) const;
    // Replaces the cookie of the same name, domain and path; an expired one only deletes.
    void setCookie(const HTTPCookie& cookie);
    void setCookies(const std::vector<HTTPCookie>& cookies);
    void deleteCookie(const HTTPCookie& cookie);
    void removeAllCookies();

    HTTPCookieAcceptPolicy cookieAcceptPolicy() const;
    void setCookieAcceptPolicy(HTTPCookieAcceptPolicy policy);

private:
    void removeExpiredLocked();

    mutable std::mutex _lock;
    std::vector<HTTPCookie> _cookies;  // guarded by _lock
    HTTPCookieAcceptPolicy _policy = HTTPCookieAcceptPolicy::Always;  // guarded by _lock
};

// Keeps a jar small enough that a server cannot fill memory with cookies.
inline constexpr size_t kMaxStoredCookies = 3000;

}  // namespace plat
