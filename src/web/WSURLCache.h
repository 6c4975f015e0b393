#pragma once
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

#include "platform/foundation/Date.h"
#include "platform/foundation/Value.h"
#include "platform/net/URLRequest.h"
#include "platform/net/URLResponse.h"

namespace zt {

// An ETagged response as the fetch history keeps it. Its dates change under
// the cache's lock.
class WSCachedURLResponse {
public:
    WSCachedURLResponse(std::shared_ptr<const plat::URLResponse> response, std::optional<plat::Data> data);

    const std::shared_ptr<const plat::URLResponse>& response() const { return response_; }
    const std::optional<plat::Data>& data() const { return data_; }
    plat::Date useDate() const { return useDate_; }
    void setUseDate(plat::Date date) { useDate_ = date; }
    const std::optional<plat::Date>& reservationDate() const { return reservationDate_; }
    void setReservationDate(std::optional<plat::Date> date) { reservationDate_ = date; }

    // "<class> <address>: {bytes:<length> useDate:<date>[ resDate:<date>]}".
    std::string description() const;
    // Orders two entries by use date, oldest first.
    bool compareUseDate(const WSCachedURLResponse& other) const { return useDate_ < other.useDate_; }

private:
    std::shared_ptr<const plat::URLResponse> response_;
    std::optional<plat::Data> data_;
    plat::Date useDate_;
    std::optional<plat::Date> reservationDate_;
};

// The bounded in-memory store of ETagged responses, keyed by request URL.
// Beyond its capacity it drops the least recently used entries, sparing those
// that a conditional request in flight still counts on. An entry weighs its
// body, or its URL and header fields when they are more, so entries that keep
// only an ETag are bounded too. Any thread.
class WSURLCache {
public:
    static constexpr uint64_t kDefaultMemoryCapacity = 1024 * 1024;

    WSURLCache();
    explicit WSURLCache(uint64_t memoryCapacity);

    void storeCachedResponse(std::shared_ptr<WSCachedURLResponse> cached, const plat::URLRequest& request);
    // Refreshes the entry's use date; the entry stays alive for the caller.
    std::shared_ptr<WSCachedURLResponse> cachedResponseForRequest(const plat::URLRequest& request);
    void removeCachedResponseForRequest(const plat::URLRequest& request);
    void removeAllCachedResponses();

    uint64_t memoryCapacity() const;
    // Lowering the capacity prunes at once.
    void setMemoryCapacity(uint64_t bytes);
    void setReservationInterval(double seconds);
    std::map<std::string, std::shared_ptr<WSCachedURLResponse>> responses() const;
    uint64_t totalDataSize() const;
    std::string description() const;

private:
    void removeLocked(const std::string& key);
    void pruneCacheResponsesLocked();

    mutable std::mutex _lock;
    std::map<std::string, std::shared_ptr<WSCachedURLResponse>> responses_;  // guarded by _lock
    uint64_t memoryCapacity_;  // guarded by _lock
    uint64_t totalDataSize_ = 0;  // guarded by _lock: the bodies' lengths
    uint64_t totalCost_ = 0;  // guarded by _lock: what pruning holds to the capacity
    double reservationInterval_ = 60.0;  // guarded by _lock
};

}  // namespace zt
