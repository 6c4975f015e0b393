#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace plat {
class Object;

// What an observer of a property learns: which key changed on which object.
// It reads the new value from the object itself.
struct PropertyChange {
    std::string_view key;
    Object& object;
};

namespace detail {
struct PropertyObserverList;
}

// Ends its observation when destroyed or reset. Move-only; a token that
// outlives its object does nothing.
class [[nodiscard]] ObservationToken {
public:
    ObservationToken() = default;
    ~ObservationToken();
    ObservationToken(ObservationToken&& other) noexcept;
    ObservationToken& operator=(ObservationToken&& other) noexcept;
    ObservationToken(const ObservationToken&) = delete;
    ObservationToken& operator=(const ObservationToken&) = delete;

    void reset();
    bool isActive() const;

private:
    friend class PropertyObservers;
    ObservationToken(std::weak_ptr<detail::PropertyObserverList> list, uint64_t id);

    std::weak_ptr<detail::PropertyObserverList> _list;
    uint64_t _id = 0;
};

// The observers of an object's observable properties ("key-value
// observing" on the platform). A property's setter reports each change of
// value; observers are called synchronously, in the order they registered.
// An observer added while a change is reported is not called for it; one
// removed meanwhile is not called after its removal. Main thread.
class PropertyObservers {
public:
    using Callback = std::function<void(const PropertyChange&)>;

    PropertyObservers();
    ~PropertyObservers();
    PropertyObservers(const PropertyObservers&) = delete;
    PropertyObservers& operator=(const PropertyObservers&) = delete;

    ObservationToken add(std::string key, Callback callback);
    bool hasObservers(std::string_view key) const;
    void notify(std::string_view key, Object& object);

private:
    std::shared_ptr<detail::PropertyObserverList> _list;
};

}  // namespace plat
