#include "videoservice/VSConstructs.h"

#include <limits>

#include "platform/foundation/Text.h"
#include "videoservice/VSNumberText.h"
#include "videoservice/VSUtilities.h"

namespace zt {

VS_DEFINE_CLASS(VSTextConstruct, VSObject, nullptr, nullptr, nullptr)
VS_DEFINE_CLASS(VSValueConstruct, VSObject, nullptr, nullptr, nullptr)
VS_DEFINE_CLASS(VSValueElementConstruct, VSValueConstruct, nullptr, nullptr, nullptr)
VS_DEFINE_CLASS(VSImplicitValueConstruct, VSValueElementConstruct, nullptr, nullptr, nullptr)
VS_DEFINE_CLASS(VSNameValueConstruct, VSValueConstruct, nullptr, nullptr, nullptr)
VS_DEFINE_CLASS(VSBoolValueConstruct, VSValueConstruct, nullptr, nullptr, nullptr)

void VSTextConstruct::addParseDeclarations()
{
    addLocalAttributeDeclarations({"type", "xml:lang"});
    addContentValueDeclaration();
}

bool VSTextConstruct::isTypeEqualToText(const std::optional<std::string>& type)
{
    return !type || *type == "text" || *type == "text/plain";
}

bool VSTextConstruct::isEqual(const VSExtensionObject& other) const
{
    if (!VSObject::isEqual(other))
        return false;
    auto text = dynamic_cast<const VSTextConstruct*>(&other);
    if (text == nullptr)
        return false;
    auto mine = type();
    auto theirs = text->type();
    return mine == theirs || (isTypeEqualToText(mine) && isTypeEqualToText(theirs));
}

void VSValueConstruct::addParseDeclarations()
{
    if (const char* name = attributeName())
        addLocalAttributeDeclarations({name});
    else
        addContentValueDeclaration();
}

std::optional<std::string> VSValueConstruct::stringValue() const
{
    if (const char* name = attributeName())
        return stringValueForAttribute(name);
    return contentStringValue();
}

void VSValueConstruct::setStringValue(const std::optional<std::string>& text)
{
    if (const char* name = attributeName())
        setStringValueForAttribute(text, name);
    else
        setContentStringValue(text);
}

int32_t VSValueConstruct::intValue() const
{
    auto text = stringValue();
    return text ? detail::intValueOfText(*text) : 0;
}

int64_t VSValueConstruct::longLongValue() const
{
    auto text = stringValue();
    return text ? detail::longLongValueOfText(*text) : 0;
}

double VSValueConstruct::doubleNumberValue() const
{
    auto text = stringValue();
    return text ? VSUtilities::doubleNumberOrInfForString(*text).value_or(0.0) : 0.0;
}

void VSValueConstruct::setDoubleValue(double value)
{
    if (value == std::numeric_limits<double>::infinity())
        setStringValue("INF");
    else if (value == -std::numeric_limits<double>::infinity())
        setStringValue("-INF");
    else
        setStringValue(detail::decimalTextOfDouble(value));
}

bool VSValueConstruct::boolValue() const
{
    auto text = stringValue();
    return text && plat::lowercaseString(*text) == "true";
}

std::optional<VSDateTime> VSValueConstruct::dateTimeValue() const
{
    auto text = stringValue();
    if (!text || text->empty())
        return std::nullopt;
    return VSDateTime::dateTimeWithRFC3339String(*text);
}

void VSValueConstruct::setDateTimeValue(const std::optional<VSDateTime>& value)
{
    setStringValue(value ? std::optional<std::string>(value->RFC3339String()) : std::nullopt);
}

void VSImplicitValueConstruct::initWithXMLElement(const VSXMLElementPtr& element, const VSObjectPtr& parent)
{
    VSValueElementConstruct::initWithXMLElement(element, parent);
    // The text was consumed, but presence alone is the value.
    VSObject::setContentStringValue(std::nullopt);
}

void VSNameValueConstruct::addParseDeclarations()
{
    VSValueConstruct::addParseDeclarations();
    if (const char* name = nameAttributeName())
        addLocalAttributeDeclarations({name});
}

std::optional<std::string> VSNameValueConstruct::name() const
{
    const char* attribute = nameAttributeName();
    return attribute != nullptr ? stringValueForAttribute(attribute) : std::nullopt;
}

void VSNameValueConstruct::setName(const std::optional<std::string>& name)
{
    if (const char* attribute = nameAttributeName())
        setStringValueForAttribute(name, attribute);
}

}  // namespace zt
