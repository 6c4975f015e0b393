#include "platform/foundation/NotificationCenter.h"

#include <atomic>
#include <mutex>
#include <utility>
#include <vector>

#include "platform/foundation/Fatal.h"

namespace plat {

namespace detail {

struct NotificationObserver {
    uint64_t id = 0;
    const void* owner = nullptr;  // null for observers held by a token
    std::string name;  // empty: every name
    const void* object = nullptr;  // null: any sender
    NotificationCenter::Callback callback;
    std::atomic<bool> removed = false;

    bool accepts(const Notification& notification) const
    {
        return (name.empty() || name == notification.name) && (!object || object == notification.object);
    }
};

struct NotificationCenterState {
    std::mutex lock;
    std::vector<std::shared_ptr<NotificationObserver>> observers;  // guarded by lock, in registration order
    uint64_t lastId = 0;  // guarded by lock

    uint64_t add(const void* owner, std::string name, const void* object, NotificationCenter::Callback callback)
    {
        if (!callback)
            fatal("NotificationCenter::addObserver: no callback");
        auto observer = std::make_shared<NotificationObserver>();
        observer->owner = owner;
        observer->name = std::move(name);
        observer->object = object;
        observer->callback = std::move(callback);
        std::lock_guard guard(lock);
        observer->id = ++lastId;
        observers.push_back(std::move(observer));
        return lastId;
    }

    template <typename Predicate> void removeWhere(Predicate matches)
    {
        std::vector<std::shared_ptr<NotificationObserver>> removedObservers;  // released outside the lock
        std::lock_guard guard(lock);
        std::erase_if(observers, [&](std::shared_ptr<NotificationObserver>& observer) {
            if (!matches(*observer))
                return false;
            // A post that already took its snapshot checks this before each call.
            observer->removed = true;
            removedObservers.push_back(std::move(observer));
            return true;
        });
    }
};

}  // namespace detail

ObserverToken::ObserverToken(std::weak_ptr<detail::NotificationCenterState> center, uint64_t observerId)
    : _center(std::move(center))
    , _observerId(observerId)
{
}

ObserverToken::~ObserverToken()
{
    removeObserver();
}

ObserverToken::ObserverToken(ObserverToken&& other) noexcept
    : _center(std::move(other._center))
    , _observerId(std::exchange(other._observerId, 0))
{
}

ObserverToken& ObserverToken::operator=(ObserverToken&& other) noexcept
{
    if (this != &other) {
        removeObserver();
        _center = std::move(other._center);
        _observerId = std::exchange(other._observerId, 0);
    }
    return *this;
}

void ObserverToken::removeObserver()
{
    if (auto center = _center.lock())
        center->removeWhere(
            [id = _observerId](const detail::NotificationObserver& observer) { return observer.id == id; });
    _center.reset();
    _observerId = 0;
}

NotificationCenter::NotificationCenter()
    : _state(std::make_shared<detail::NotificationCenterState>())
{
}

NotificationCenter::~NotificationCenter() = default;

NotificationCenter& NotificationCenter::defaultCenter()
{
    // Never destroyed: tokens and posts during process exit find it alive.
    static NotificationCenter* center = new NotificationCenter();
    return *center;
}

void NotificationCenter::post(std::string name, const void* object, Dictionary userInfo)
{
    const Notification notification {std::move(name), object, std::move(userInfo)};
    std::vector<std::shared_ptr<detail::NotificationObserver>> recipients;
    {
        std::lock_guard lock(_state->lock);
        for (const auto& observer : _state->observers) {
            if (observer->accepts(notification))
                recipients.push_back(observer);
        }
    }
    for (const auto& observer : recipients) {
        if (!observer->removed)
            observer->callback(notification);
    }
}

ObserverToken NotificationCenter::addObserver(std::string name, const void* object, Callback callback)
{
    uint64_t id = _state->add(nullptr, std::move(name), object, std::move(callback));
    return ObserverToken(_state, id);
}

void NotificationCenter::addObserver(const void* owner, std::string name, const void* object, Callback callback)
{
    if (!owner)
        detail::fatal("NotificationCenter::addObserver: an owned observer needs an owner; use the token form");
    _state->add(owner, std::move(name), object, std::move(callback));
}

void NotificationCenter::removeObserver(ObserverToken& token)
{
    if (token._observerId != 0 && token._center.lock() != _state)
        detail::fatal("NotificationCenter::removeObserver: the token belongs to another centre");
    token.removeObserver();
}

void NotificationCenter::removeObserver(const void* owner)
{
    if (!owner)
        return;
    _state->removeWhere([owner](const detail::NotificationObserver& observer) { return observer.owner == owner; });
}

void NotificationCenter::removeObserver(const void* owner, std::string_view name)
{
    if (!owner)
        return;
    _state->removeWhere([owner, name](const detail::NotificationObserver& observer) {
        return observer.owner == owner && (name.empty() || observer.name == name);
    });
}

}  // namespace plat
