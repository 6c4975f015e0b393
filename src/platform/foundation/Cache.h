#pragma once
#include <cstdint>
#include <list>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <utility>

namespace plat {

// A thread-safe key-to-object cache with costs, as the platform's cache
// object: it keeps strong references, drops objects on its own when the
// count or total cost limit is passed, and is emptied by its owner on a
// memory warning. The platform also purges a cache without limits when the
// system runs short of memory; this stand-in has no such signal, so without
// a cost limit it holds at most kSystemPurgeCost. Objects are dropped least
// recently used first. Any thread.
template <typename Key, typename Object> class Cache {
public:
    // Cost units are the owner's; this bound suits costs that are pixel
    // areas (32 megapixels: 128 MB of 4-byte pixels).
    static constexpr uint64_t kSystemPurgeCost = uint64_t(32) * 1024 * 1024;

    Cache() = default;
    Cache(const Cache&) = delete;
    Cache& operator=(const Cache&) = delete;

    std::string name() const
    {
        std::lock_guard lock(_lock);
        return _name;
    }
    void setName(std::string name)
    {
        std::lock_guard lock(_lock);
        _name = std::move(name);
    }
    // 0: no limit.
    uint64_t countLimit() const
    {
        std::lock_guard lock(_lock);
        return _countLimit;
    }
    void setCountLimit(uint64_t limit)
    {
        std::lock_guard lock(_lock);
        _countLimit = limit;
        evictLocked();
    }
    // 0: no limit (kSystemPurgeCost still applies).
    uint64_t totalCostLimit() const
    {
        std::lock_guard lock(_lock);
        return _totalCostLimit;
    }
    void setTotalCostLimit(uint64_t limit)
    {
        std::lock_guard lock(_lock);
        _totalCostLimit = limit;
        evictLocked();
    }

    // Empty when absent. A hit makes the object the most recently used.
    std::shared_ptr<Object> objectForKey(const Key& key)
    {
        std::lock_guard lock(_lock);
        auto found = _entries.find(key);
        if (found == _entries.end())
            return nullptr;
        _recency.splice(_recency.begin(), _recency, found->second.position);
        return found->second.object;
    }

    // Replaces an object under the same key. A null object removes the key.
    void setObject(std::shared_ptr<Object> object, const Key& key, uint64_t cost = 0)
    {
        std::lock_guard lock(_lock);
        removeLocked(key);
        if (!object)
            return;
        _recency.push_front(key);
        _entries.emplace(key, Entry {std::move(object), cost, _recency.begin()});
        _totalCost += cost;
        evictLocked();
    }

    void removeObjectForKey(const Key& key)
    {
        std::lock_guard lock(_lock);
        removeLocked(key);
    }

    void removeAllObjects()
    {
        std::lock_guard lock(_lock);
        _entries.clear();
        _recency.clear();
        _totalCost = 0;
    }

    uint64_t count() const
    {
        std::lock_guard lock(_lock);
        return _entries.size();
    }
    uint64_t totalCost() const
    {
        std::lock_guard lock(_lock);
        return _totalCost;
    }

private:
    using Recency = std::list<Key>;
    struct Entry {
        std::shared_ptr<Object> object;
        uint64_t cost;
        typename Recency::iterator position;
    };

    void removeLocked(const Key& key)
    {
        auto found = _entries.find(key);
        if (found == _entries.end())
            return;
        _totalCost -= found->second.cost;
        _recency.erase(found->second.position);
        _entries.erase(found);
    }

    void evictLocked()
    {
        const uint64_t costLimit = _totalCostLimit != 0 ? _totalCostLimit : kSystemPurgeCost;
        while (!_recency.empty() && (_totalCost > costLimit || (_countLimit != 0 && _entries.size() > _countLimit))) {
            Key oldest = _recency.back();
            removeLocked(oldest);
        }
    }

    mutable std::mutex _lock;
    std::string _name;  // guarded by _lock
    uint64_t _countLimit = 0;  // guarded by _lock
    uint64_t _totalCostLimit = 0;  // guarded by _lock
    uint64_t _totalCost = 0;  // guarded by _lock
    Recency _recency;  // guarded by _lock: most recent first
    std::map<Key, Entry, std::less<>> _entries;  // guarded by _lock
};

}  // namespace plat
