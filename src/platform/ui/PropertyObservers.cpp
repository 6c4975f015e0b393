#include "platform/ui/PropertyObservers.h"

#include <algorithm>
#include <utility>

namespace plat {

namespace detail {

struct PropertyObserverList {
    struct Entry {
        uint64_t id;
        std::string key;
        std::shared_ptr<PropertyObservers::Callback> callback;
    };
    std::vector<Entry> entries;
    uint64_t nextId = 1;

    void remove(uint64_t id)
    {
        entries.erase(
            std::remove_if(entries.begin(), entries.end(), [id](const Entry& e) { return e.id == id; }), entries.end());
    }
    bool contains(uint64_t id) const
    {
        return std::any_of(entries.begin(), entries.end(), [id](const Entry& e) { return e.id == id; });
    }
};

}  // namespace detail

ObservationToken::ObservationToken(std::weak_ptr<detail::PropertyObserverList> list, uint64_t id)
    : _list(std::move(list))
    , _id(id)
{
}

ObservationToken::~ObservationToken()
{
    reset();
}

ObservationToken::ObservationToken(ObservationToken&& other) noexcept
    : _list(std::move(other._list))
    , _id(std::exchange(other._id, 0))
{
}

ObservationToken& ObservationToken::operator=(ObservationToken&& other) noexcept
{
    if (this != &other) {
        reset();
        _list = std::move(other._list);
        _id = std::exchange(other._id, 0);
    }
    return *this;
}

void ObservationToken::reset()
{
    if (auto list = _list.lock())
        list->remove(_id);
    _list.reset();
    _id = 0;
}

bool ObservationToken::isActive() const
{
    auto list = _list.lock();
    return list && list->contains(_id);
}

PropertyObservers::PropertyObservers()
    : _list(std::make_shared<detail::PropertyObserverList>())
{
}

PropertyObservers::~PropertyObservers() = default;

ObservationToken PropertyObservers::add(std::string key, Callback callback)
{
    uint64_t id = _list->nextId++;
    _list->entries.push_back({id, std::move(key), std::make_shared<Callback>(std::move(callback))});
    return ObservationToken(_list, id);
}

bool PropertyObservers::hasObservers(std::string_view key) const
{
    return std::any_of(
        _list->entries.begin(), _list->entries.end(), [key](const auto& entry) { return entry.key == key; });
}

void PropertyObservers::notify(std::string_view key, Object& object)
{
    if (_list->entries.empty())
        return;
    // A snapshot: observers may add and remove observers while they run.
    std::vector<std::pair<uint64_t, std::shared_ptr<Callback>>> callees;
    for (const auto& entry : _list->entries)
        if (entry.key == key)
            callees.emplace_back(entry.id, entry.callback);
    auto list = _list;  // the object may go away in a callback
    for (const auto& [id, callback] : callees) {
        if (!list->contains(id))
            continue;
        (*callback)(PropertyChange {key, object});
    }
}

}  // namespace plat
