#include "platform/ui/OperationRegistry.h"

#include "platform/foundation/Fatal.h"
#include "platform/ui/Object.h"

namespace plat {

namespace {

// A superclass chain longer than this is a cycle in the registrations.
constexpr int kMaxClassDepth = 64;

}  // namespace

OperationRegistry& OperationRegistry::shared()
{
    static OperationRegistry registry;
    return registry;
}

void OperationRegistry::registerClass(std::string className, std::string superclassName, Factory factory)
{
    auto& entry = _classes[std::move(className)];
    entry.superclassName = std::move(superclassName);
    entry.factory = std::move(factory);
}

void OperationRegistry::registerOperation(const std::string& className, std::string selector, Operation operation)
{
    auto it = _classes.find(className);
    if (it == _classes.end())
        detail::fatal("OperationRegistry: register the class {} before its operations", className);
    it->second.operations[std::move(selector)] = std::move(operation);
}

bool OperationRegistry::isClassRegistered(std::string_view className) const
{
    return _classes.find(className) != _classes.end();
}

std::shared_ptr<Object> OperationRegistry::instantiate(std::string_view className) const
{
    auto it = _classes.find(className);
    if (it == _classes.end() || !it->second.factory)
        return nullptr;
    return it->second.factory();
}

const OperationRegistry::Operation* OperationRegistry::findOperation(
    std::string_view className, std::string_view selector) const
{
    std::string name(className);
    for (int depth = 0; depth < kMaxClassDepth && !name.empty(); ++depth) {
        auto it = _classes.find(name);
        if (it == _classes.end())
            return nullptr;
        if (auto op = it->second.operations.find(selector); op != it->second.operations.end())
            return &op->second;
        name = it->second.superclassName;
    }
    return nullptr;
}

bool OperationRegistry::respondsToOperation(const Object& receiver, std::string_view selector) const
{
    return findOperation(receiver.className(), selector) != nullptr;
}

bool OperationRegistry::invoke(Object& receiver, std::string_view selector, const OperationArgument& argument) const
{
    const Operation* operation = findOperation(receiver.className(), selector);
    if (!operation)
        return false;
    (*operation)(receiver, argument);
    return true;
}

}  // namespace plat
