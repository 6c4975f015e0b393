#pragma once
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "platform/foundation/Geometry.h"

namespace plat {
class Object;

// The argument of an operation invoked by name: none, a number, a point, a
// string, or a list of numbers and points.
using OperationListElement = std::variant<double, Point>;
using OperationArgument = std::variant<std::monostate, double, Point, std::string, std::vector<OperationListElement>>;

// Classes and their operations by name, for code that builds objects from
// configuration files and calls setters named there ("invoking an operation
// by name"). A class registers its name, its superclass's name and a factory;
// operations are found on the class or, failing that, on its superclasses.
// Registration happens once at start-up; lookups on the main thread.
class OperationRegistry {
public:
    using Factory = std::function<std::shared_ptr<Object>()>;
    using Operation = std::function<void(Object& receiver, const OperationArgument& argument)>;

    static OperationRegistry& shared();

    // superclassName may be empty.
    void registerClass(std::string className, std::string superclassName, Factory factory);
    void registerOperation(const std::string& className, std::string selector, Operation operation);

    bool isClassRegistered(std::string_view className) const;
    // A new object of the class, or nullptr when no such class is registered.
    std::shared_ptr<Object> instantiate(std::string_view className) const;
    // Looks the operation up along the receiver's class chain.
    bool respondsToOperation(const Object& receiver, std::string_view selector) const;
    // Runs the operation; false when the receiver's classes do not have it.
    bool invoke(Object& receiver, std::string_view selector, const OperationArgument& argument = {}) const;

private:
    struct ClassEntry {
        std::string superclassName;
        Factory factory;
        std::map<std::string, Operation, std::less<>> operations;
    };
    const Operation* findOperation(std::string_view className, std::string_view selector) const;

    std::map<std::string, ClassEntry, std::less<>> _classes;
};

}  // namespace plat
