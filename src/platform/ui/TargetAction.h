#pragma once
#include <cstdint>
#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <type_traits>
#include <vector>

#include "platform/ui/Object.h"

namespace plat {

// Targets and actions of a sender (a control, a gesture recogniser, a bar
// button item), as the platform's target-action: an action is a member
// function of the target, taking the sender (of the sender's class or a
// subclass, checked at compile time) or nothing. Targets are never kept
// alive by their senders: an action whose target is gone is skipped, and a
// target held by a shared_ptr is pinned while its action runs. A target may
// register itself in its constructor. Main thread.
template <typename Sender> class TargetActionList {
public:
    // Event bits the action answers (senders without events pass ~0).
    template <typename T, typename S> void add(T* target, void (T::*action)(S&), uint64_t events)
    {
        static_assert(std::is_base_of_v<Object, T>, "targets are toolkit objects");
        static_assert(std::is_base_of_v<Sender, S> || std::is_base_of_v<S, Sender>, "the action takes its sender");
        add(target, keyOf(action), events, [target, action](Sender& sender) {
            if constexpr (std::is_base_of_v<S, Sender>)
                (target->*action)(sender);
            else
                (target->*action)(static_cast<S&>(sender));
        });
    }
    template <typename T> void add(T* target, void (T::*action)(), uint64_t events)
    {
        static_assert(std::is_base_of_v<Object, T>, "targets are toolkit objects");
        add(target, keyOf(action), events, [target, action](Sender&) { (target->*action)(); });
    }

    // Removes the target's entries for those events (an empty action: any
    // action; a null target: every target, as the platform does).
    template <typename T, typename Action> void remove(const T* target, Action action, uint64_t events)
    {
        removeEntries(target, keyOf(action), events);
    }
    void removeTarget(const Object* target, uint64_t events) { removeEntries(target, {}, events); }
    void removeAll() { _entries.clear(); }

    // Runs the actions registered for any of the events, in the order they were added.
    void send(Sender& sender, uint64_t events) const
    {
        auto entries = _entries;  // actions may change the list
        for (const auto& entry : entries) {
            if (!(entry.events & events))
                continue;
            auto alive = entry.lifetime.lock();
            if (!alive)
                continue;
            auto pin = entry.target->weak_from_this().lock();
            entry.invoke(sender);
        }
    }

    bool empty() const { return _entries.empty(); }
    size_t count() const { return _entries.size(); }
    bool hasTarget(const Object* target) const
    {
        for (const auto& entry : _entries)
            if (entry.target == target)
                return true;
        return false;
    }
    bool hasEvents(uint64_t events) const
    {
        for (const auto& entry : _entries)
            if ((entry.events & events) && !entry.lifetime.expired())
                return true;
        return false;
    }
    uint64_t eventsForTarget(const Object* target) const
    {
        uint64_t events = 0;
        for (const auto& entry : _entries)
            if (entry.target == target)
                events |= entry.events;
        return events;
    }

private:
    struct Entry {
        std::weak_ptr<const void> lifetime;
        const Object* target;
        std::string actionKey;
        uint64_t events;
        std::function<void(Sender&)> invoke;
    };

    template <typename Action> static std::string keyOf(Action action)
    {
        std::string key(sizeof(action), '\0');
        std::memcpy(key.data(), &action, sizeof(action));
        return key;
    }
    static std::string keyOf(std::nullptr_t) { return {}; }

    void add(const Object* target, std::string actionKey, uint64_t events, std::function<void(Sender&)> invoke)
    {
        for (auto& entry : _entries) {
            if (entry.target == target && entry.actionKey == actionKey) {
                entry.events |= events;  // the platform keeps one entry per target and action
                return;
            }
        }
        _entries.push_back({target->lifetime(), target, std::move(actionKey), events, std::move(invoke)});
    }

    void removeEntries(const Object* target, const std::string& actionKey, uint64_t events)
    {
        for (auto it = _entries.begin(); it != _entries.end();) {
            if ((!target || it->target == target) && (actionKey.empty() || it->actionKey == actionKey)) {
                it->events &= ~events;
                if (it->events == 0) {
                    it = _entries.erase(it);
                    continue;
                }
            }
            ++it;
        }
    }

    std::vector<Entry> _entries;
};

}  // namespace plat
