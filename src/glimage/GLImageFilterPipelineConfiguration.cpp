#include "glimage/GLImageFilterPipelineConfiguration.h"

#include <array>
#include <charconv>
#include <cmath>
#include <limits>

#include "platform/foundation/Files.h"
#include "platform/foundation/PropertyList.h"

namespace zt {

namespace {

// A pipeline is a handful of filters; these bounds keep a hostile file from
// making thousands of GL objects or lists of millions of points.
constexpr size_t kMostFilters = 256;
constexpr size_t kMostAttributes = 256;
constexpr size_t kMostListElements = 4096;
constexpr int64_t kLargestConfigurationFileBytes = 16 << 20;

constexpr std::array<std::string_view, 3> kArgumentTypes = {"float", "CGPoint", "NSString"};

bool isLineTerminator(char c)
{
    return c == '\n' || c == '\r';
}

bool isSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

// The argument list after "type(" at start, as the expression's lazy
// groups take it: the first argument up to the first ',' or ')', each
// further one after a ',' and its white space, up to the first ')'. The
// arguments cannot span a line end; the white space after a comma can.
std::optional<detail::TypedArgumentText> matchArgumentsAt(std::string_view text, size_t start, std::string_view type)
{
    size_t i = start;
    while (i < text.size() && text[i] != ',' && text[i] != ')' && !isLineTerminator(text[i]))
        ++i;
    if (i == text.size() || isLineTerminator(text[i]))
        return std::nullopt;
    detail::TypedArgumentText match {std::string(type), std::string(text.substr(start, i - start)), std::nullopt};
    while (text[i] == ',') {
        size_t j = i + 1;
        while (j < text.size() && isSpace(text[j]))
            ++j;
        size_t k = j;
        while (k < text.size() && text[k] != ',' && text[k] != ')' && !isLineTerminator(text[k]))
            ++k;
        if (k == text.size() || isLineTerminator(text[k]))
            return std::nullopt;
        match.last = std::string(text.substr(j, k - j));
        i = k;
    }
    return match;
}

plat::Error configurationError(int64_t code, const std::string& description)
{
    return plat::Error(GLImageFilterPipelineConfiguration::kErrorDomain, code,
        "The filter pipeline's configuration cannot be used: " + description);
}

// A number of a typed argument: finite, or the whole configuration is refused.
std::optional<double> numberOfText(const std::string& text)
{
    const float value = detail::floatValueOfText(text);
    if (!std::isfinite(value))
        return std::nullopt;
    return double(value);
}

struct ParsedArgument {
    GLImageFilterArgument value;
    bool isString = false;
};

plat::Result<ParsedArgument> parseArgument(const std::string& text, const std::string& where)
{
    const auto match = detail::matchTypedArgument(text);
    if (!match)
        return configurationError(GLImageFilterPipelineConfiguration::kErrorBadArgument,
            where + ": \"" + text + "\" is none of float(...), CGPoint(x, y) and NSString(...)");
    if (match->type == "NSString")
        return ParsedArgument {match->first, true};
    if (match->type == "float") {
        auto number = numberOfText(match->first);
        if (!number)
            return configurationError(
                GLImageFilterPipelineConfiguration::kErrorBadArgument, where + ": \"" + text + "\" is not finite");
        return ParsedArgument {*number, false};
    }
    if (!match->last)
        return configurationError(
            GLImageFilterPipelineConfiguration::kErrorBadArgument, where + ": \"" + text + "\" has no y");
    auto x = numberOfText(match->first);
    auto y = numberOfText(*match->last);
    if (!x || !y)
        return configurationError(
            GLImageFilterPipelineConfiguration::kErrorBadArgument, where + ": \"" + text + "\" is not finite");
    return ParsedArgument {plat::Point {*x, *y}, false};
}

plat::Result<GLImageFilterAttributeCall> parseAttribute(
    const std::string& operation, const plat::Value& value, const std::string& filterWhere)
{
    GLImageFilterAttributeCall call {operation, std::nullopt, std::nullopt};
    // An operation without an argument: its value is not read.
    if (operation.empty() || operation.back() != ':')
        return call;
    const std::string where = filterWhere + ", \"" + operation + "\"";
    if (const auto* text = value.asString()) {
        auto argument = parseArgument(*text, where);
        if (!argument.ok())
            return argument.error();
        if (argument.value().isString)
            call.stringValue = std::get<std::string>(argument.value().value);
        call.argument = std::move(argument.value().value);
        return call;
    }
    if (const auto array = value.asArray()) {
        if (array->count() > kMostListElements)
            return configurationError(GLImageFilterPipelineConfiguration::kErrorWrongType,
                where + ": a list of more than " + std::to_string(kMostListElements) + " values");
        std::vector<GLImageFilterListElement> list;
        for (size_t i = 0; i < array->count(); ++i) {
            const auto* elementText = array->at(i).asString();
            if (!elementText)
                return configurationError(GLImageFilterPipelineConfiguration::kErrorWrongType,
                    where + ": list element " + std::to_string(i) + " is not a string");
            auto argument = parseArgument(*elementText, where);
            if (!argument.ok())
                return argument.error();
            // Strings in a list are kept aside as the string value only.
            if (argument.value().isString)
                call.stringValue = std::get<std::string>(argument.value().value);
            else if (const auto* number = std::get_if<double>(&argument.value().value))
                list.emplace_back(*number);
            else
                list.emplace_back(std::get<plat::Point>(argument.value().value));
        }
        call.argument = std::move(list);
        return call;
    }
    return configurationError(
        GLImageFilterPipelineConfiguration::kErrorWrongType, where + ": the value is neither a string nor a list");
}

}  // namespace

namespace detail {

std::optional<TypedArgumentText> matchTypedArgument(std::string_view text)
{
    for (size_t start = 0; start < text.size(); ++start) {
        for (const auto type : kArgumentTypes) {
            if (text.substr(start, type.size()) != type || start + type.size() >= text.size()
                || text[start + type.size()] != '(')
                continue;
            // Each type begins with its own letter: at most one can start here.
            if (auto match = matchArgumentsAt(text, start + type.size() + 1, type))
                return match;
        }
    }
    return std::nullopt;
}

float floatValueOfText(std::string_view text)
{
    size_t i = 0;
    while (i < text.size() && isSpace(text[i]))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    const size_t begin = i;
    size_t digits = 0;
    while (i < text.size() && isDigit(text[i])) {
        ++i;
        ++digits;
    }
    if (i < text.size() && text[i] == '.') {
        ++i;
        while (i < text.size() && isDigit(text[i])) {
            ++i;
            ++digits;
        }
    }
    if (digits == 0)
        return 0.0f;
    // An exponent counts only with at least one digit.
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        size_t j = i + 1;
        if (j < text.size() && (text[j] == '+' || text[j] == '-'))
            ++j;
        if (j < text.size() && isDigit(text[j])) {
            while (j < text.size() && isDigit(text[j]))
                ++j;
            i = j;
        }
    }
    double value = 0.0;
    const auto [end, error] = std::from_chars(text.data() + begin, text.data() + i, value);
    if (error == std::errc::result_out_of_range) {
        // Too large becomes infinite, too small zero.
        const auto exponent = text.substr(begin, i - begin).find_first_of("eE");
        const bool tiny
            = exponent != std::string_view::npos && exponent + begin + 1 < i && text[begin + exponent + 1] == '-';
        value = tiny ? 0.0 : std::numeric_limits<double>::infinity();
    } else if (error != std::errc() || end != text.data() + i) {
        return 0.0f;
    }
    return float(negative ? -value : value);
}

}  // namespace detail

plat::Result<GLImageFilterPipelineConfiguration> GLImageFilterPipelineConfiguration::configurationWithDictionary(
    const plat::Dictionary& configuration)
{
    const plat::Value* filtersValue = configuration.find("Filters");
    if (!filtersValue)
        return configurationError(kErrorMissingFilters, "it has no \"Filters\"");
    const auto filters = filtersValue->asArray();
    if (!filters)
        return configurationError(kErrorWrongType, "its \"Filters\" is not a list");
    if (filters->count() > kMostFilters)
        return configurationError(kErrorWrongType, "it has more than " + std::to_string(kMostFilters) + " filters");

    GLImageFilterPipelineConfiguration parsed;
    parsed._filters.reserve(filters->count());
    for (size_t index = 0; index < filters->count(); ++index) {
        const std::string where = "filter " + std::to_string(index);
        const auto description = filters->at(index).asDictionary();
        if (!description)
            return configurationError(kErrorWrongType, where + " is not a dictionary");
        auto filterName = description->getString("FilterName");
        if (!filterName)
            return configurationError(kErrorWrongType, where + " has no \"FilterName\" string");
        GLImageFilterDescription filter {*filterName, {}};
        if (const plat::Value* attributesValue = description->find("Attributes")) {
            const auto attributes = attributesValue->asDictionary();
            if (!attributes)
                return configurationError(
                    kErrorWrongType, where + " (" + *filterName + "): \"Attributes\" is not a dictionary");
            if (attributes->count() > kMostAttributes)
                return configurationError(kErrorWrongType, where + " (" + *filterName + ") has too many attributes");
            for (const auto& [operation, value] : *attributes) {
                auto call = parseAttribute(operation, value, where + " (" + *filterName + ")");
                if (!call.ok())
                    return call.error();
                filter.calls.push_back(std::move(call.value()));
            }
        }
        parsed._filters.push_back(std::move(filter));
    }
    return parsed;
}

plat::Result<GLImageFilterPipelineConfiguration> GLImageFilterPipelineConfiguration::configurationWithData(
    const plat::Data& data)
{
    auto propertyList = plat::PropertyListSerialization::propertyListWithData(data);
    if (!propertyList.ok())
        return configurationError(
            kErrorUnreadable, "it is not a property list (" + propertyList.error().localizedDescription() + ")");
    const auto dictionary = propertyList.value().asDictionary();
    if (!dictionary)
        return configurationError(kErrorWrongType, "it is not a dictionary");
    return configurationWithDictionary(*dictionary);
}

plat::Result<GLImageFilterPipelineConfiguration> GLImageFilterPipelineConfiguration::configurationWithContentsOfFile(
    const std::string& path)
{
    auto data = plat::readFile(path, kLargestConfigurationFileBytes);
    if (!data.ok())
        return configurationError(
            kErrorUnreadable, "cannot read " + path + " (" + data.error().localizedDescription() + ")");
    return configurationWithData(data.value());
}

}  // namespace zt
