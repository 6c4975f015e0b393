#include "platform/net/URLCache.h"

#include "platform/foundation/Text.h"
#include "platform/net/HTTPCookie.h"
#include "platform/net/URLRequest.h"
#include "platform/net/URLResponse.h"

namespace plat {

namespace {

std::optional<std::string> cacheKey(const URLRequest& request)
{
    if (!request.url() || request.HTTPMethod() != "GET")
        return std::nullopt;
    std::string key = request.url()->absoluteString();
    if (size_t hash = key.find('#'); hash != std::string::npos)
        key.resize(hash);
    return key;
}

uint64_t entryCost(const CachedURLResponse& cached)
{
    return cached.data().size();
}

}  // namespace

CachedURLResponse::CachedURLResponse(
    std::shared_ptr<const URLResponse> response, Data data, URLCacheStoragePolicy storagePolicy, Date storedDate)
    : _response(std::move(response))
    , _data(std::move(data))
    , _storagePolicy(storagePolicy)
    , _storedDate(storedDate)
{
}

bool CachedURLResponse::isFreshAt(Date now) const
{
    if (!_response)
        return false;
    const auto& headers = _response->allHeaderFields();
    const double age = now.timeIntervalSinceDate(_storedDate);
    if (auto control = headers.value("Cache-Control")) {
        for (const auto& directive : componentsSeparatedByString(lowercaseString(*control), ",")) {
            std::string trimmed = trimmingWhitespace(directive);
            if (trimmed == "no-cache" || trimmed == "no-store")
                return false;
            if (hasPrefix(trimmed, "max-age=")) {
                auto seconds = parseHeaderInteger(trimmed.substr(8));
                return seconds && age < static_cast<double>(*seconds);
            }
        }
    }
    if (auto expires = headers.value("Expires")) {
        auto date = HTTPCookie::parseCookieDate(*expires);
        return date && now < *date;
    }
    return false;
}

URLCache::URLCache(uint64_t memoryCapacity)
    : _capacity(memoryCapacity)
{
}

URLCache& URLCache::sharedURLCache()
{
    static URLCache* cache = new URLCache();  // used until the process ends
    return *cache;
}

std::optional<CachedURLResponse> URLCache::cachedResponseForRequest(const URLRequest& request)
{
    auto key = cacheKey(request);
    if (!key)
        return std::nullopt;
    std::lock_guard guard(_lock);
    auto it = _entries.find(*key);
    if (it == _entries.end())
        return std::nullopt;
    _recency.splice(_recency.begin(), _recency, it->second.position);
    return it->second.cached;
}

void URLCache::storeCachedResponse(const CachedURLResponse& cached, const URLRequest& request)
{
    auto key = cacheKey(request);
    if (!key || cached.storagePolicy() == URLCacheStoragePolicy::NotAllowed)
        return;
    std::lock_guard guard(_lock);
    if (auto it = _entries.find(*key); it != _entries.end()) {
        _usage -= entryCost(it->second.cached);
        _recency.erase(it->second.position);
        _entries.erase(it);
    }
    if (entryCost(cached) * 20 > _capacity)
        return;
    _recency.push_front(*key);
    _entries.emplace(*key, Entry {cached, _recency.begin()});
    _usage += entryCost(cached);
    pruneLocked();
}

void URLCache::removeCachedResponseForRequest(const URLRequest& request)
{
    auto key = cacheKey(request);
    if (!key)
        return;
    std::lock_guard guard(_lock);
    if (auto it = _entries.find(*key); it != _entries.end()) {
        _usage -= entryCost(it->second.cached);
        _recency.erase(it->second.position);
        _entries.erase(it);
    }
}

void URLCache::removeAllCachedResponses()
{
    std::lock_guard guard(_lock);
    _entries.clear();
    _recency.clear();
    _usage = 0;
}

uint64_t URLCache::memoryCapacity() const
{
    std::lock_guard guard(_lock);
    return _capacity;
}

void URLCache::setMemoryCapacity(uint64_t bytes)
{
    std::lock_guard guard(_lock);
    _capacity = bytes;
    pruneLocked();
}

uint64_t URLCache::currentMemoryUsage() const
{
    std::lock_guard guard(_lock);
    return _usage;
}

void URLCache::pruneLocked()
{
    while (_usage > _capacity && !_recency.empty()) {
        auto it = _entries.find(_recency.back());
        _usage -= entryCost(it->second.cached);
        _entries.erase(it);
        _recency.pop_back();
    }
}

}  // namespace plat
