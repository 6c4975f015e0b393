#include "platform/ui/Object.h"

#include <cstdlib>
#include <cxxabi.h>
#include <typeinfo>

namespace plat {

Object::Object()
    : _lifetime(std::make_shared<const char>(0))
{
}

Object::~Object() = default;

std::string Object::className() const
{
    const char* mangled = typeid(*this).name();
    int status = 0;
    std::unique_ptr<char, void (*)(void*)> demangled(
        abi::__cxa_demangle(mangled, nullptr, nullptr, &status), std::free);
    std::string name = status == 0 && demangled ? demangled.get() : mangled;
    // "plat::test::Thing<int>" -> "Thing"
    if (auto angle = name.find('<'); angle != std::string::npos)
        name.erase(angle);
    if (auto colon = name.rfind("::"); colon != std::string::npos)
        name.erase(0, colon + 2);
    return name;
}

ObservationToken Object::addObserverForKey(std::string key, PropertyObservers::Callback callback)
{
    auto dot = key.find('.');
    if (dot == std::string::npos)
        return _observers.add(std::move(key), std::move(callback));
    // "head.tail": observe head here, and tail on the object head leads to,
    // moving the tail's observation whenever head changes. The tail's token
    // lives in the head's callback, so ending the head's observation ends both.
    std::string head = key.substr(0, dot);
    std::string tail = key.substr(dot + 1);
    auto path = std::make_shared<const std::string>(std::move(key));
    auto notify = std::make_shared<const PropertyObservers::Callback>(std::move(callback));
    auto tailToken = std::make_shared<ObservationToken>();
    Object* self = this;  // the callbacks below live in this object's observer list
    auto life = lifetime();
    auto attachTail = [self, life, head, tail, path, notify, tailToken] {
        tailToken->reset();
        auto next = self->observableObjectForKey(head);
        if (!next)
            return;
        *tailToken = next->addObserverForKey(tail, [self, life, path, notify](const PropertyChange&) {
            if (!life.expired())
                (*notify)(PropertyChange {*path, *self});
        });
    };
    attachTail();
    return _observers.add(std::move(head), [self, path, notify, attachTail](const PropertyChange&) {
        attachTail();
        (*notify)(PropertyChange {*path, *self});
    });
}

void Object::didChangeValueForKey(std::string_view key)
{
    _observers.notify(key, *this);
}

}  // namespace plat
