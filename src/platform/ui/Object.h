#pragma once
#include <memory>
#include <string>
#include <string_view>

#include "platform/ui/AttributeMap.h"
#include "platform/ui/PropertyObservers.h"

namespace plat {

// The root of the toolkit's shared objects (responders, views, controllers,
// recognisers, bar items): what the platform's object runtime gives every
// object, in C++ terms. Objects are created with std::make_shared. Main thread.
//
// - A lifetime token: weak references to an object that is not (yet) held by
//   a shared_ptr, as in its own constructor, read whether it still lives.
// - Associated objects: attributes other code attaches by key.
// - Observable properties: setters report changes to observers by key; a
//   key path ("tabBarItem.title") follows the object a key leads to
//   (observableObjectForKey), also when that object is replaced.
// - The class name, by which layouts, named operations and logs know it.
class Object : public std::enable_shared_from_this<Object> {
public:
    Object();
    virtual ~Object();
    Object(const Object&) = delete;
    Object& operator=(const Object&) = delete;

    // The dynamic class name without namespace ("ViewController", "Hudy").
    std::string className() const;

    template <typename T> std::shared_ptr<T> sharedAs() { return std::static_pointer_cast<T>(shared_from_this()); }
    template <typename T> std::shared_ptr<const T> sharedAs() const
    {
        return std::static_pointer_cast<const T>(shared_from_this());
    }

    // Expires when the object is destroyed.
    std::weak_ptr<const void> lifetime() const { return _lifetime; }

    AttributeMap& associatedObjects() { return _associatedObjects; }
    const AttributeMap& associatedObjects() const { return _associatedObjects; }

    // The key may be a path of keys joined by dots; the callback then hears
    // of changes of the last key's value on the object the path leads to and
    // of replacements of the objects along it, with the whole path as key
    // and this object as the object.
    ObservationToken addObserverForKey(std::string key, PropertyObservers::Callback callback);
    // The object an observable key leads to, for key paths; by default none.
    virtual std::shared_ptr<Object> observableObjectForKey(std::string_view /*key*/) { return nullptr; }

protected:
    // Setters of observable properties call this after the value changed.
    void didChangeValueForKey(std::string_view key);
    bool hasObserversForKey(std::string_view key) const { return _observers.hasObservers(key); }

private:
    std::shared_ptr<const char> _lifetime;
    AttributeMap _associatedObjects;
    PropertyObservers _observers;
};

}  // namespace plat
