#pragma once
#include <concepts>
#include <functional>
#include <type_traits>
#include <utility>

namespace zt {

// An object that fetchers and streams call back by selector: the delegates of
// this subsystem derive from it.
class SelectorTarget {
public:
    virtual ~SelectorTarget() = default;
};

template <typename Signature> class Selector;

// A callback named by a member function of some target class, called on
// whatever delegate a fetcher holds. A target of another class does not
// "respond" to it, as an object that lacks the method. Made from a member
// function pointer (&Ticket::fetcherFinished) or a function taking the
// target first.
template <typename R, typename... Args> class Selector<R(Args...)> {
public:
    Selector() = default;
    Selector(std::nullptr_t) { }

    template <typename Class>
    requires std::derived_from<Class, SelectorTarget> Selector(R (Class::*member)(Args...))
        : _respondsTo([](SelectorTarget& target) { return dynamic_cast<Class*>(&target) != nullptr; })
        , _call([member](SelectorTarget& target, Args... args) -> R {
            return (dynamic_cast<Class&>(target).*member)(std::forward<Args>(args)...);
        })
    {
    }

    explicit Selector(std::function<R(SelectorTarget&, Args...)> function)
        : _respondsTo([](SelectorTarget&) { return true; })
        , _call(std::move(function))
    {
    }

    explicit operator bool() const { return static_cast<bool>(_call); }
    bool respondsTo(SelectorTarget& target) const { return _call && _respondsTo(target); }
    // Only for a target that responds.
    R operator()(SelectorTarget& target, Args... args) const { return _call(target, std::forward<Args>(args)...); }

private:
    std::function<bool(SelectorTarget&)> _respondsTo;
    std::function<R(SelectorTarget&, Args...)> _call;
};

}  // namespace zt
