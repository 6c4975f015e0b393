#include "platform/net/URLRequest.h"

#include "platform/net/InputStream.h"

namespace plat {

URLRequest::URLRequest(std::optional<URL> url, URLRequestCachePolicy cachePolicy, double timeoutSeconds)
    : _url(std::move(url))
    , _timeoutSeconds(timeoutSeconds)
    , _cachePolicy(cachePolicy)
{
}

void URLRequest::setHTTPBody(std::optional<Data> body)
{
    _body = std::move(body);
    if (_body)
        _bodyStream.reset();
}

void URLRequest::setHTTPBodyStream(std::shared_ptr<InputStream> stream)
{
    _bodyStream = std::move(stream);
    if (_bodyStream)
        _body.reset();
}

}  // namespace plat
