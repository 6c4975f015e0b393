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
    return _observers.add(std::move(key), std::move(callback));
}

void Object::didChangeValueForKey(std::string_view key)
{
    _observers.notify(key, *this);
}

}  // namespace plat
