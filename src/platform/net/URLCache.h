#pragma once
#include <cstdint>
#include <list>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

#include "platform/foundation/Date.h"
#include "platform/foundation/Value.h"

namespace plat {

class URLRequest;
class URLResponse;

enum class URLCacheStoragePolicy { Allowed, AllowedInMemoryOnly, NotAllowed };

// A response with its body as the URL cache keeps it. Any thread (immutable).
class CachedURLResponse {
public:
    CachedURLResponse(std::shared_ptr<const URLResponse> response, Data data,
        URLCacheStoragePolicy storagePolicy = URLCacheStoragePolicy::Allowed, Date storedDate = Date::now());

    const std::shared_ptr<const URLResponse>& response() const { return _response; }
    const Data& data() const { return _data; }
    URLCacheStoragePolicy storagePolicy() const { return _storagePolicy; }
    Date storedDate() const { return _storedDate; }
    // Whether the response may still be used without asking the server:
    // "Cache-Control: max-age" or "Expires" say it is fresh, and no "no-cache".
    bool isFreshAt(Date now) const;

private:
    std::shared_ptr<const URLResponse> _response;
    Data _data;
    URLCacheStoragePolicy _storagePolicy;
    Date _storedDate;
};

// The URL loading system's response cache: GET responses by URL, in memory,
// the least recently used dropped first. Connections read it as their
// request's cache policy says and store what their delegate lets them.
// Any thread.
class URLCache {
public:
    static constexpr uint64_t kDefaultMemoryCapacity = 4 * 1024 * 1024;

    explicit URLCache(uint64_t memoryCapacity = kDefaultMemoryCapacity);
    static URLCache& sharedURLCache();

    std::optional<CachedURLResponse> cachedResponseForRequest(const URLRequest& request);
    // Bodies over a twentieth of the capacity are not kept, as on the platform.
    void storeCachedResponse(const CachedURLResponse& cached, const URLRequest& request);
    void removeCachedResponseForRequest(const URLRequest& request);
    void removeAllCachedResponses();

    uint64_t memoryCapacity() const;
    void setMemoryCapacity(uint64_t bytes);
    uint64_t currentMemoryUsage() const;

private:
    using Recency = std::list<std::string>;
    struct Entry {
        CachedURLResponse cached;
        Recency::iterator position;
    };
    void pruneLocked();

    mutable std::mutex _lock;
    uint64_t _capacity;  // guarded by _lock
    uint64_t _usage = 0;  // guarded by _lock
    Recency _recency;  // guarded by _lock: most recent first
    std::map<std::string, Entry> _entries;  // guarded by _lock
};

}  // namespace plat
