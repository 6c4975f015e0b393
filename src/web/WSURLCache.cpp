#include "web/WSURLCache.h"

#include <algorithm>
#include <vector>

#include "platform/foundation/Log.h"

namespace zt {

namespace {

std::optional<std::string> keyFor(const plat::URLRequest& request)
{
    if (!request.url())
        return std::nullopt;
    return request.url()->absoluteString();
}

uint64_t lengthOf(const WSCachedURLResponse& cached)
{
    return cached.data() ? cached.data()->size() : 0;
}

// What an entry weighs against the capacity: its body, or what it keeps
// besides (the URL and the response's header fields) when that is more. An
// entry that remembers only an ETag has no body, yet it must be pruned too.
uint64_t costOf(const std::string& key, const WSCachedURLResponse& cached)
{
    uint64_t kept = key.size();
    if (const auto& response = cached.response()) {
        for (const auto& [name, value] : response->allHeaderFields().joinedFields())
            kept += name.size() + value.size();
    }
    return std::max(lengthOf(cached), kept);
}

}  // namespace

WSCachedURLResponse::WSCachedURLResponse(
    std::shared_ptr<const plat::URLResponse> response, std::optional<plat::Data> data)
    : response_(std::move(response))
    , data_(std::move(data))
    , useDate_(plat::Date::now())
{
}

std::string WSCachedURLResponse::description() const
{
    std::string bytes = data_ ? std::to_string(data_->size()) : "(null)";
    std::string reservation = reservationDate_
        ? plat::formatLine(" resDate:{}", reservationDate_->timeIntervalSinceReferenceDate())
        : std::string();
    return plat::formatLine("WSCachedURLResponse {}: {bytes:{} useDate:{}{}}", static_cast<const void*>(this), bytes,
        useDate_.timeIntervalSinceReferenceDate(), reservation);
}

WSURLCache::WSURLCache()
    : WSURLCache(kDefaultMemoryCapacity)
{
}

WSURLCache::WSURLCache(uint64_t memoryCapacity)
    : memoryCapacity_(memoryCapacity)
{
}

void WSURLCache::storeCachedResponse(std::shared_ptr<WSCachedURLResponse> cached, const plat::URLRequest& request)
{
    auto key = keyFor(request);
    if (!key || !cached)
        return;
    std::lock_guard guard(_lock);
    removeLocked(*key);
    const uint64_t cost = costOf(*key, *cached);
    if (cost >= memoryCapacity_)
        return;
    totalDataSize_ += lengthOf(*cached);
    totalCost_ += cost;
    responses_[*key] = std::move(cached);
    pruneCacheResponsesLocked();
}

std::shared_ptr<WSCachedURLResponse> WSURLCache::cachedResponseForRequest(const plat::URLRequest& request)
{
    auto key = keyFor(request);
    if (!key)
        return nullptr;
    std::lock_guard guard(_lock);
    auto it = responses_.find(*key);
    if (it == responses_.end())
        return nullptr;
    it->second->setUseDate(plat::Date::now());
    return it->second;
}

void WSURLCache::removeCachedResponseForRequest(const plat::URLRequest& request)
{
    auto key = keyFor(request);
    if (!key)
        return;
    std::lock_guard guard(_lock);
    removeLocked(*key);
}

void WSURLCache::removeLocked(const std::string& key)
{
    auto it = responses_.find(key);
    if (it == responses_.end())
        return;
    totalDataSize_ -= lengthOf(*it->second);
    totalCost_ -= costOf(key, *it->second);
    responses_.erase(it);
}

void WSURLCache::removeAllCachedResponses()
{
    std::lock_guard guard(_lock);
    responses_.clear();
    totalDataSize_ = 0;
    totalCost_ = 0;
}

void WSURLCache::pruneCacheResponsesLocked()
{
    if (totalCost_ <= memoryCapacity_)
        return;
    std::vector<std::pair<std::string, std::shared_ptr<WSCachedURLResponse>>> byAge(
        responses_.begin(), responses_.end());
    std::stable_sort(
        byAge.begin(), byAge.end(), [](const auto& a, const auto& b) { return a.second->compareUseDate(*b.second); });
    const plat::Date now = plat::Date::now();
    for (const auto& [key, cached] : byAge) {
        const auto& reserved = cached->reservationDate();
        if (!reserved || now.timeIntervalSinceDate(*reserved) >= reservationInterval_) {
            removeLocked(key);
            if (totalCost_ <= memoryCapacity_)
                return;
        }
    }
}

uint64_t WSURLCache::memoryCapacity() const
{
    std::lock_guard guard(_lock);
    return memoryCapacity_;
}

void WSURLCache::setMemoryCapacity(uint64_t bytes)
{
    std::lock_guard guard(_lock);
    const bool shrinks = bytes < memoryCapacity_;
    memoryCapacity_ = bytes;
    if (shrinks)
        pruneCacheResponsesLocked();
}

void WSURLCache::setReservationInterval(double seconds)
{
    std::lock_guard guard(_lock);
    reservationInterval_ = seconds;
}

std::map<std::string, std::shared_ptr<WSCachedURLResponse>> WSURLCache::responses() const
{
    std::lock_guard guard(_lock);
    return responses_;
}

uint64_t WSURLCache::totalDataSize() const
{
    std::lock_guard guard(_lock);
    return totalDataSize_;
}

std::string WSURLCache::description() const
{
    std::lock_guard guard(_lock);
    std::string list;
    for (const auto& [key, cached] : responses_)
        list += (list.empty() ? "" : ", ") + key + " = " + cached->description();
    return plat::formatLine("WSURLCache {}: {responses:{{}}}", static_cast<const void*>(this), list);
}

}  // namespace zt
