#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "platform/foundation/Value.h"

namespace plat {

struct Notification {
    std::string name;
    // The sender's identity: observers filter on it and compare it, nobody
    // dereferences it. Send data in userInfo.
    const void* object = nullptr;
    Dictionary userInfo;
};

namespace detail {
struct NotificationCenterState;
}

// Removes its observer when destroyed or assigned over. Move-only. A token
// that outlives its centre does nothing.
class [[nodiscard]] ObserverToken {
public:
    ObserverToken() = default;
    ~ObserverToken();
    ObserverToken(ObserverToken&& other) noexcept;
    ObserverToken& operator=(ObserverToken&& other) noexcept;
    ObserverToken(const ObserverToken&) = delete;
    ObserverToken& operator=(const ObserverToken&) = delete;

private:
    friend class NotificationCenter;
    ObserverToken(std::weak_ptr<detail::NotificationCenterState> center, uint64_t observerId);
    void removeObserver();

    std::weak_ptr<detail::NotificationCenterState> _center;
    uint64_t _observerId = 0;
};

// Delivers notifications synchronously on the posting thread, to the observers
// in the order they registered. An observer added during a post is not called
// for that post; one removed during a post is not called after its removal on
// that thread (a post already running on another thread may have started its
// callback). Callbacks run outside the centre's lock, so they may post, add
// and remove observers. Any thread.
class NotificationCenter {
public:
    using Callback = std::function<void(const Notification&)>;

    NotificationCenter();
    ~NotificationCenter();
    NotificationCenter(const NotificationCenter&) = delete;
    NotificationCenter& operator=(const NotificationCenter&) = delete;

    static NotificationCenter& defaultCenter();

    void post(std::string name, const void* object = nullptr, Dictionary userInfo = {});

    // An empty name observes every name; a null object accepts any sender.
    ObserverToken addObserver(std::string name, const void* object, Callback callback);
    // The observer belongs to owner (an identity) until removeObserver(owner...).
    void addObserver(const void* owner, std::string name, const void* object, Callback callback);

    void removeObserver(ObserverToken& token);
    // Removes everything owner registered.
    void removeObserver(const void* owner);
    // Removes what owner registered for name; an empty name means every name.
    void removeObserver(const void* owner, std::string_view name);

private:
    std::shared_ptr<detail::NotificationCenterState> _state;
};

}  // namespace plat
