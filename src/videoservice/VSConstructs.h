#pragma once
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "platform/foundation/Value.h"
#include "videoservice/VSObject.h"

// The reusable shapes of one-value elements. Makers are templates whose
// argument is the class "the maker is called on": VSValueConstruct::
// valueWithString<VSAtomID>("x") makes a VSAtomID.
namespace zt {

// Text with a type and a language.
class VSTextConstruct : public VSObject {
    VS_DECLARE_CLASS(VSTextConstruct)

public:
    template <typename T = VSTextConstruct>
    static std::shared_ptr<T> textConstructWithString(const std::optional<std::string>& text)
    {
        auto construct = VSObject::object<T>();
        construct->setStringValue(text);
        return construct;
    }

    std::optional<std::string> stringValue() const { return contentStringValue(); }
    void setStringValue(const std::optional<std::string>& text) { setContentStringValue(text); }
    std::optional<std::string> lang() const { return stringValueForAttribute("xml:lang"); }
    void setLang(const std::optional<std::string>& lang) { setStringValueForAttribute(lang, "xml:lang"); }
    std::optional<std::string> type() const { return stringValueForAttribute("type"); }
    void setType(const std::optional<std::string>& type) { setStringValueForAttribute(type, "type"); }

    // Absent, "text" and "text/plain" all mean plain text.
    static bool isTypeEqualToText(const std::optional<std::string>& type);

    void addParseDeclarations() override;
    std::vector<std::string> attributesIgnoredForEquality() const override { return {"type"}; }
    bool isEqual(const VSExtensionObject& other) const override;
};

// One value, in the attribute named by attributeName() ("value") or, when
// that is nullptr, in the element text.
class VSValueConstruct : public VSObject {
    VS_DECLARE_CLASS(VSValueConstruct)

public:
    template <typename T = VSValueConstruct>
    static std::shared_ptr<T> valueWithString(const std::optional<std::string>& text)
    {
        if (!text)
            return nullptr;
        auto construct = VSObject::object<T>();
        construct->setStringValue(text);
        return construct;
    }
    template <typename T = VSValueConstruct> static std::shared_ptr<T> valueWithNumber(const plat::Value& number)
    {
        if (!number.isNumber())
            return nullptr;
        if (number.isReal())
            return valueWithDouble<T>(*number.doubleValue());
        return valueWithLongLong<T>(number.int64Value().value_or(0));
    }
    template <typename T = VSValueConstruct> static std::shared_ptr<T> valueWithInt(int32_t value)
    {
        return valueWithString<T>(std::to_string(value));
    }
    template <typename T = VSValueConstruct> static std::shared_ptr<T> valueWithLongLong(int64_t value)
    {
        return valueWithString<T>(std::to_string(value));
    }
    template <typename T = VSValueConstruct> static std::shared_ptr<T> valueWithDouble(double value)
    {
        auto construct = VSObject::object<T>();
        construct->setDoubleValue(value);
        return construct;
    }
    template <typename T = VSValueConstruct> static std::shared_ptr<T> valueWithBool(bool value)
    {
        return valueWithString<T>(value ? "true" : "false");
    }
    template <typename T = VSValueConstruct>
    static std::shared_ptr<T> valueWithDateTime(const std::optional<VSDateTime>& value)
    {
        if (!value)
            return nullptr;
        return valueWithString<T>(value->RFC3339String());
    }

    virtual const char* attributeName() const { return "value"; }
    virtual std::optional<std::string> stringValue() const;
    virtual void setStringValue(const std::optional<std::string>& text);

    int32_t intValue() const;
    int32_t intNumberValue() const { return intValue(); }
    void setIntValue(int32_t value) { setStringValue(std::to_string(value)); }
    int64_t longLongValue() const;
    int64_t longLongNumberValue() const { return longLongValue(); }
    void setLongLongValue(int64_t value) { setStringValue(std::to_string(value)); }
    double doubleNumberValue() const;
    double doubleValue() const { return doubleNumberValue(); }
    void setDoubleValue(double value);
    bool boolValue() const;
    bool boolNumberValue() const { return boolValue(); }
    void setBoolValue(bool value) { setStringValue(value ? "true" : "false"); }
    std::optional<VSDateTime> dateTimeValue() const;
    void setDateTimeValue(const std::optional<VSDateTime>& value);

    void addParseDeclarations() override;
};

// The value in the element text.
class VSValueElementConstruct : public VSValueConstruct {
    VS_DECLARE_CLASS(VSValueElementConstruct)

public:
    const char* attributeName() const override { return nullptr; }
};

// Presence is the value: no text is read or written.
class VSImplicitValueConstruct : public VSValueElementConstruct {
    VS_DECLARE_CLASS(VSImplicitValueConstruct)

public:
    template <typename T = VSImplicitValueConstruct> static std::shared_ptr<T> implicitValue()
    {
        return VSObject::object<T>();
    }
    std::optional<std::string> stringValue() const override { return std::nullopt; }
    void setStringValue(const std::optional<std::string>&) override { }
    void initWithXMLElement(const VSXMLElementPtr& element, const VSObjectPtr& parent) override;
    using VSObject::initWithXMLElement;
};

// A value and a name, each in an attribute.
class VSNameValueConstruct : public VSValueConstruct {
    VS_DECLARE_CLASS(VSNameValueConstruct)

public:
    template <typename T = VSNameValueConstruct>
    static std::shared_ptr<T> valueWithName(
        const std::optional<std::string>& name, const std::optional<std::string>& value)
    {
        if (!name && !value)
            return nullptr;
        auto construct = VSObject::object<T>();
        construct->setStringValue(value);
        construct->setName(name);
        return construct;
    }

    virtual const char* nameAttributeName() const { return "name"; }
    std::optional<std::string> name() const;
    void setName(const std::optional<std::string>& name);
    void addParseDeclarations() override;
};

// A "true" or "false" value attribute.
class VSBoolValueConstruct : public VSValueConstruct {
    VS_DECLARE_CLASS(VSBoolValueConstruct)

public:
    template <typename T = VSBoolValueConstruct> static std::shared_ptr<T> boolValueWithBool(bool value)
    {
        return VSValueConstruct::valueWithBool<T>(value);
    }
};

}  // namespace zt
