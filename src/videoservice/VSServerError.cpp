#include "videoservice/VSServerError.h"

#include <cstdio>

#include "videoservice/VSNamespaces.h"
#include "videoservice/VSXMLDocument.h"

namespace zt {

namespace {
std::string identityOf(const void* object)
{
    char text[32];
    std::snprintf(text, sizeof text, "%p", object);
    return text;
}
}  // namespace

VSServerError::VSServerError(const VSXMLElement& errorElement)
    : _domain(errorStringForParentElement(errorElement, "domain"))
    , _code(errorStringForParentElement(errorElement, "code"))
    , _internalReason(errorStringForParentElement(errorElement, "internalReason"))
    , _extendedHelpURI(errorStringForParentElement(errorElement, "extendedHelp"))
    , _sendReportURI(errorStringForParentElement(errorElement, "sendReport"))
{
}

std::optional<std::string> VSServerError::errorStringForParentElement(
    const VSXMLElement& parent, const std::string& childName)
{
    auto children = parent.elementsForLocalName(childName, kVSNamespaceGData);
    if (children.empty())
        return std::nullopt;
    return children.front()->stringValue();
}

std::string VSServerError::summary() const
{
    std::string text = _domain.value_or("(null)") + " error " + _code.value_or("(null)");
    if (_internalReason && !_internalReason->empty())
        text += ": \"" + *_internalReason + "\"";
    return text;
}

std::string VSServerError::description() const
{
    std::vector<std::string> items;
    auto add = [&](const char* label, const std::optional<std::string>& value) {
        if (value)
            items.push_back(std::string(label) + "=\"" + *value + "\"");
    };
    add("domain", _domain);
    add("code", _code);
    add("reason", _internalReason);
    add("help", _extendedHelpURI);
    add("report", _sendReportURI);
    std::string joined;
    for (size_t i = 0; i < items.size(); ++i)
        joined += (i > 0 ? " " : "") + items[i];
    return "VSServerError " + identityOf(this) + ": {" + joined + "}";
}

std::optional<std::vector<VSServerError>> VSServerErrorGroup::serverErrorsWithData(const plat::Data& data)
{
    auto document = VSXMLDocument::initWithData(data);
    if (!document.ok())
        return std::nullopt;
    auto root = document.value()->rootElement();
    if (root == nullptr)
        return std::nullopt;
    std::vector<VSServerError> errors;
    for (const auto& node : root->elementsForLocalName("error", kVSNamespaceGData)) {
        if (auto element = std::dynamic_pointer_cast<VSXMLElement>(node))
            errors.emplace_back(*element);
    }
    if (errors.empty())
        return std::nullopt;
    return errors;
}

std::optional<VSServerErrorGroup> VSServerErrorGroup::initWithData(const plat::Data& data)
{
    auto errors = serverErrorsWithData(data);
    if (!errors)
        return std::nullopt;
    VSServerErrorGroup group;
    group._errors = std::move(*errors);
    return group;
}

std::string VSServerErrorGroup::description() const
{
    std::string list = "(";
    for (size_t i = 0; i < _errors.size(); ++i)
        list += (i > 0 ? ", " : "") + _errors[i].description();
    return "VSServerErrorGroup " + identityOf(this) + ": {errors: " + list + ")}";
}

}  // namespace zt
