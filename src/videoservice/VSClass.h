#pragma once
#include <memory>
#include <string>
#include <string_view>

namespace zt {

class VSExtensionObject;

// The run-time class of the object model. The model picks classes by name,
// by kind and by surrogate, and element classes name their XML element at
// class level; in C++ each class has one immutable descriptor with a factory
// of bare instances and those names. Any thread (immutable).
struct VSClass {
    using Factory = std::shared_ptr<VSExtensionObject> (*)();

    VSClass(const char* className, const VSClass* superclassDescriptor, Factory factory, const char* URI,
        const char* prefix, const char* localName);

    const char* name;
    const VSClass* superclass;
    Factory make;
    // The extension names; nullptr for classes that name no element.
    const char* extensionElementURI;
    const char* extensionElementPrefix;
    const char* extensionElementLocalName;
    // The local name alone for the Atom namespace or no namespace, else
    // "prefix:local". Computed once: the descriptor is immutable.
    std::string qualifiedName;

    bool answersExtension() const { return extensionElementLocalName != nullptr; }
    bool isSubclassOf(const VSClass& other) const;
};

// The root of everything an extension slot can hold: element objects
// (VSObject) and attribute objects (VSAttribute).
class VSExtensionObject : public std::enable_shared_from_this<VSExtensionObject> {
public:
    virtual ~VSExtensionObject() = default;
    virtual const VSClass& objectClass() const = 0;
    virtual bool isEqual(const VSExtensionObject& other) const = 0;
    // A copy of the same class (the platform's copyWithZone:).
    virtual std::shared_ptr<VSExtensionObject> copyObject() const = 0;
    virtual std::string description() const = 0;
    bool isKindOfClass(const VSClass& cls) const { return objectClass().isSubclassOf(cls); }
};

using VSExtensionPtr = std::shared_ptr<VSExtensionObject>;

}  // namespace zt

// In a class body: the descriptor and the virtual that answers it.
#define VS_DECLARE_CLASS(Name)                                                                                         \
public:                                                                                                                \
    static const ::zt::VSClass& staticClass();                                                                         \
    const ::zt::VSClass& objectClass() const override                                                                  \
    {                                                                                                                  \
        return staticClass();                                                                                          \
    }                                                                                                                  \
    std::shared_ptr<Name> copy() const                                                                                 \
    {                                                                                                                  \
        return std::static_pointer_cast<Name>(copyObject());                                                           \
    }

// In a .cpp: the descriptor of a class, its base and its element names
// (nullptr for none).
#define VS_DEFINE_CLASS(...) VS_DEFINE_CLASS_WITH_NAMES(__VA_ARGS__)
#define VS_DEFINE_CLASS_WITH_NAMES(Name, Base, URI, prefix, localName)                                                 \
    const ::zt::VSClass& Name::staticClass()                                                                           \
    {                                                                                                                  \
        static const ::zt::VSClass descriptor(                                                                         \
            #Name, &Base::staticClass(),                                                                               \
            []() -> std::shared_ptr<::zt::VSExtensionObject> { return std::make_shared<Name>(); }, URI, prefix,        \
            localName);                                                                                                \
        return descriptor;                                                                                             \
    }

// A class that differs from its base only in the element it names.
#define VS_ELEMENT_CLASS(Name, Base)                                                                                   \
    class Name : public Base {                                                                                         \
        VS_DECLARE_CLASS(Name)                                                                                         \
    };
