#pragma once
#include <memory>
#include <optional>
#include <string>

#include "web/WSCookieStorage.h"
#include "web/WSHTTPFetcher.h"
#include "web/WSURLCache.h"

namespace zt {

// Remembers the ETags of earlier responses, turns later GET requests into
// conditional ones ("If-None-Match"), optionally keeps the bodies of ETagged
// responses to answer a 304 from memory, and owns a cookie jar. Memory only.
// Any thread (the cache and the jar lock themselves).
class WSHTTPFetchHistory : public WSHTTPFetchHistoryProtocol {
public:
    WSHTTPFetchHistory();
    WSHTTPFetchHistory(uint64_t memoryCapacity, bool shouldCacheETaggedData);

    void updateRequest(plat::URLRequest& request, bool isHTTPGet) override;
    void updateFetchHistoryWithRequest(const plat::URLRequest& request,
        const std::shared_ptr<const plat::URLResponse>& response,
        const std::optional<plat::Data>& downloadedData) override;
    std::optional<plat::Data> cachedDataForRequest(const plat::URLRequest& request) override;
    void removeCachedDataForRequest(const plat::URLRequest& request) override;
    bool shouldCacheETaggedData() const override { return shouldCacheETaggedData_; }
    std::shared_ptr<WSCookieStorageProtocol> cookieStorage() const override { return cookieStorage_; }
    const std::shared_ptr<WSCookieStorage>& cookieJar() const { return cookieStorage_; }

    std::optional<std::string> cachedETagForRequest(const plat::URLRequest& request);
    void clearETaggedDataCache();
    void clearHistory();
    void removeAllCookies();

    bool shouldRememberETags() const { return shouldRememberETags_; }
    void setShouldRememberETags(bool remember);
    void setShouldCacheETaggedData(bool cache);
    uint64_t memoryCapacity() const { return etaggedDataCache_->memoryCapacity(); }
    void setMemoryCapacity(uint64_t bytes) { etaggedDataCache_->setMemoryCapacity(bytes); }
    const std::shared_ptr<WSURLCache>& etaggedDataCache() const { return etaggedDataCache_; }

private:
    std::shared_ptr<WSURLCache> etaggedDataCache_;
    bool shouldRememberETags_;
    bool shouldCacheETaggedData_;
    std::shared_ptr<WSCookieStorage> cookieStorage_;
};

}  // namespace zt
