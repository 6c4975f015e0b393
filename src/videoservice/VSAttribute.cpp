#include "videoservice/VSAttribute.h"

#include <cstdio>

#include "videoservice/VSObject.h"

namespace zt {

const VSClass& VSAttribute::staticClass()
{
    static const VSClass descriptor(
        "VSAttribute", nullptr, []() -> VSExtensionPtr { return std::make_shared<VSAttribute>(); }, nullptr, nullptr,
        nullptr);
    return descriptor;
}

bool VSAttribute::isEqual(const VSExtensionObject& other) const
{
    if (this == &other)
        return true;
    auto attribute = dynamic_cast<const VSAttribute*>(&other);
    return attribute != nullptr && attribute->_value == _value;
}

VSExtensionPtr VSAttribute::copyObject() const
{
    auto copy = std::static_pointer_cast<VSAttribute>(objectClass().make());
    copy->_value = _value;
    return copy;
}

std::string VSAttribute::description() const
{
    const VSClass& cls = objectClass();
    std::string name = cls.extensionElementPrefix != nullptr && cls.extensionElementLocalName != nullptr
        ? std::string(cls.extensionElementPrefix) + ":" + cls.extensionElementLocalName
        : std::string(cls.extensionElementLocalName ? cls.extensionElementLocalName : "");
    char identity[32];
    std::snprintf(identity, sizeof identity, "%p", static_cast<const void*>(this));
    return std::string(cls.name) + " " + identity + ": {" + name + "=" + _value.value_or("(null)") + "}";
}

}  // namespace zt
