#include "web/WSHTTPFetchHistory.h"

namespace zt {

WSHTTPFetchHistory::WSHTTPFetchHistory()
    : WSHTTPFetchHistory(WSURLCache::kDefaultMemoryCapacity, /*shouldCacheETaggedData=*/false)
{
}

WSHTTPFetchHistory::WSHTTPFetchHistory(uint64_t memoryCapacity, bool shouldCacheETaggedData)
    : etaggedDataCache_(std::make_shared<WSURLCache>(memoryCapacity))
    , shouldRememberETags_(shouldCacheETaggedData)
    , shouldCacheETaggedData_(shouldCacheETaggedData)
    , cookieStorage_(std::make_shared<WSCookieStorage>())
{
}

void WSHTTPFetchHistory::updateRequest(plat::URLRequest& request, bool isHTTPGet)
{
    if (!shouldRememberETags_)
        return;
    // Our own history decides about conditions; the platform's cache would only get in the way.
    request.setCachePolicy(plat::URLRequestCachePolicy::ReloadIgnoringLocalCacheData);
    if (!isHTTPGet)
        return;
    if (request.valueForHTTPHeaderField("If-None-Match")) {
        // The caller's own condition wins over ours.
        etaggedDataCache_->removeCachedResponseForRequest(request);
        return;
    }
    if (auto etag = cachedETagForRequest(request))
        request.addValue(*etag, "If-None-Match");
}

void WSHTTPFetchHistory::updateFetchHistoryWithRequest(const plat::URLRequest& request,
    const std::shared_ptr<const plat::URLResponse>& response, const std::optional<plat::Data>& downloadedData)
{
    if (!shouldRememberETags_ || !response || response->statusCode() == 304)
        return;
    auto etag = response->allHeaderFields().value("Etag");
    if (etag && response->statusCode() < 300) {
        auto cached = std::make_shared<WSCachedURLResponse>(
            response, shouldCacheETaggedData_ ? downloadedData : std::optional<plat::Data>());
        etaggedDataCache_->storeCachedResponse(std::move(cached), request);
    } else {
        etaggedDataCache_->removeCachedResponseForRequest(request);
    }
}

std::optional<std::string> WSHTTPFetchHistory::cachedETagForRequest(const plat::URLRequest& request)
{
    auto cached = etaggedDataCache_->cachedResponseForRequest(request);
    if (!cached)
        return std::nullopt;
    auto etag = cached->response()->allHeaderFields().value("Etag");
    if (etag)
        cached->setReservationDate(plat::Date::now());  // a conditional request now counts on it
    return etag;
}

std::optional<plat::Data> WSHTTPFetchHistory::cachedDataForRequest(const plat::URLRequest& request)
{
    auto cached = etaggedDataCache_->cachedResponseForRequest(request);
    if (!cached)
        return std::nullopt;
    cached->setReservationDate(std::nullopt);
    return cached->data();
}

void WSHTTPFetchHistory::removeCachedDataForRequest(const plat::URLRequest& request)
{
    etaggedDataCache_->removeCachedResponseForRequest(request);
}

void WSHTTPFetchHistory::clearETaggedDataCache()
{
    etaggedDataCache_->removeAllCachedResponses();
}

void WSHTTPFetchHistory::clearHistory()
{
    clearETaggedDataCache();
    removeAllCookies();
}

void WSHTTPFetchHistory::removeAllCookies()
{
    cookieStorage_->removeAllCookies();
}

void WSHTTPFetchHistory::setShouldRememberETags(bool remember)
{
    const bool wasRemembering = shouldRememberETags_;
    shouldRememberETags_ = remember;
    if (wasRemembering && !remember)
        clearETaggedDataCache();
}

void WSHTTPFetchHistory::setShouldCacheETaggedData(bool cache)
{
    const bool wasCaching = shouldCacheETaggedData_;
    shouldCacheETaggedData_ = cache;
    if (cache)
        shouldRememberETags_ = true;
    if (wasCaching && !cache)
        clearETaggedDataCache();
}

}  // namespace zt
