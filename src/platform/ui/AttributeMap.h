#pragma once
#include <any>
#include <map>
#include <memory>
#include <string>

namespace plat {

// Whether an associated object is kept alive by its owner, as the platform's
// association policies: retained, or only pointed at.
enum class AssociationPolicy { Retain, Assign };

// Per-object attributes that other code attaches by key ("associated
// objects"): a retained value keeps its object alive, an assigned one is a
// weak reference that reads as empty once its object is gone. Main thread,
// like the objects that carry it.
class AttributeMap {
public:
    template <typename T> void set(const std::string& key, const std::shared_ptr<T>& value, AssociationPolicy policy)
    {
        if (!value) {
            _entries.erase(key);
            return;
        }
        if (policy == AssociationPolicy::Retain)
            _entries[key] = std::any(value);
        else
            _entries[key] = std::any(std::weak_ptr<T>(value));
    }

    // Empty when absent, released, or stored with another type.
    template <typename T> std::shared_ptr<T> get(const std::string& key) const
    {
        auto it = _entries.find(key);
        if (it == _entries.end())
            return nullptr;
        if (auto* strong = std::any_cast<std::shared_ptr<T>>(&it->second))
            return *strong;
        if (auto* weak = std::any_cast<std::weak_ptr<T>>(&it->second))
            return weak->lock();
        return nullptr;
    }

    void remove(const std::string& key) { _entries.erase(key); }
    void removeAll() { _entries.clear(); }
    bool contains(const std::string& key) const { return _entries.count(key) != 0; }

private:
    std::map<std::string, std::any> _entries;
};

}  // namespace plat
