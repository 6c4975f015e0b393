#pragma once
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "platform/foundation/URL.h"
#include "platform/foundation/Value.h"
#include "platform/net/HTTPHeaders.h"

namespace plat {

class InputStream;

enum class URLRequestCachePolicy : int64_t {
    UseProtocolCachePolicy = 0,
    ReloadIgnoringLocalCacheData = 1,
    ReturnCacheDataElseLoad = 2,
    ReturnCacheDataDontLoad = 3,
};

// One request of the URL loading system: URL, method, header fields, body
// (bytes or a stream), time-out and cache policy. A value type, as a mutable
// copy of the platform's request; the body stream is shared between copies.
class URLRequest {
public:
    static constexpr double kDefaultTimeoutSeconds = 60.0;

    URLRequest() = default;
    explicit URLRequest(std::optional<URL> url,
        URLRequestCachePolicy cachePolicy = URLRequestCachePolicy::UseProtocolCachePolicy,
        double timeoutSeconds = kDefaultTimeoutSeconds);

    const std::optional<URL>& url() const { return _url; }
    void setURL(std::optional<URL> url) { _url = std::move(url); }

    // "GET" unless set.
    const std::string& HTTPMethod() const { return _method; }
    void setHTTPMethod(std::string method) { _method = std::move(method); }

    const HTTPHeaders& allHTTPHeaderFields() const { return _headers; }
    HTTPHeaders& allHTTPHeaderFields() { return _headers; }
    std::optional<std::string> valueForHTTPHeaderField(std::string_view name) const { return _headers.value(name); }
    // An empty optional removes the field.
    void setValue(std::optional<std::string> value, std::string_view field) { _headers.set(field, std::move(value)); }
    void addValue(std::string value, std::string_view field) { _headers.add(field, std::move(value)); }

    // Setting a body removes a body stream, and the other way round.
    const std::optional<Data>& HTTPBody() const { return _body; }
    void setHTTPBody(std::optional<Data> body);
    const std::shared_ptr<InputStream>& HTTPBodyStream() const { return _bodyStream; }
    void setHTTPBodyStream(std::shared_ptr<InputStream> stream);

    // Seconds without progress after which the connection fails.
    double timeoutInterval() const { return _timeoutSeconds; }
    void setTimeoutInterval(double seconds) { _timeoutSeconds = seconds; }

    URLRequestCachePolicy cachePolicy() const { return _cachePolicy; }
    void setCachePolicy(URLRequestCachePolicy policy) { _cachePolicy = policy; }

    // Whether the connection adds and keeps cookies of the shared cookie storage.
    bool HTTPShouldHandleCookies() const { return _handlesCookies; }
    void setHTTPShouldHandleCookies(bool handles) { _handlesCookies = handles; }

private:
    std::optional<URL> _url;
    std::string _method = "GET";
    HTTPHeaders _headers;
    std::optional<Data> _body;
    std::shared_ptr<InputStream> _bodyStream;
    double _timeoutSeconds = kDefaultTimeoutSeconds;
    URLRequestCachePolicy _cachePolicy = URLRequestCachePolicy::UseProtocolCachePolicy;
    bool _handlesCookies = true;
};

}  // namespace plat
