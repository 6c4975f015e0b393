#pragma once
#include <memory>
#include <optional>
#include <string>

#include "videoservice/VSClass.h"

namespace zt {

// The base of attribute extensions: one attribute named by the qualified name
// of its class, rather than an element. A nil value writes nothing.
class VSAttribute : public VSExtensionObject {
    VS_DECLARE_CLASS(VSAttribute)

public:
    template <typename T = VSAttribute> static std::shared_ptr<T> attributeWithValue(std::optional<std::string> value)
    {
        auto attribute = std::make_shared<T>();
        attribute->setStringValue(std::move(value));
        return attribute;
    }

    const std::optional<std::string>& stringValue() const { return _value; }
    void setStringValue(std::optional<std::string> value) { _value = std::move(value); }

    bool isEqual(const VSExtensionObject& other) const override;
    VSExtensionPtr copyObject() const override;
    std::string description() const override;

private:
    std::optional<std::string> _value;
};

}  // namespace zt
