#include "platform/net/HTTPHeaders.h"

#include <algorithm>

#include "platform/net/URLError.h"

namespace plat {

bool equalsIgnoringCase(std::string_view left, std::string_view right)
{
    auto lower = [](char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; };
    return left.size() == right.size()
        && std::equal(left.begin(), left.end(), right.begin(), [&](char a, char b) { return lower(a) == lower(b); });
}

std::string_view trimmingOptionalWhitespace(std::string_view text)
{
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
        text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t'))
        text.remove_suffix(1);
    return text;
}

Error makeURLError(int64_t code, const std::string& description, const std::string& failingURL)
{
    Dictionary userInfo;
    if (!failingURL.empty())
        userInfo.set(kURLErrorFailingURLStringErrorKey, failingURL);
    return Error(kURLErrorDomain, code, description, userInfo);
}

HTTPHeaders::HTTPHeaders(std::initializer_list<std::pair<std::string, std::string>> fields)
{
    for (const auto& [name, value] : fields)
        add(name, value);
}

HTTPHeaders::Field* HTTPHeaders::find(std::string_view name)
{
    for (auto& field : _fields) {
        if (equalsIgnoringCase(field.name, name))
            return &field;
    }
    return nullptr;
}

const HTTPHeaders::Field* HTTPHeaders::find(std::string_view name) const
{
    return const_cast<HTTPHeaders*>(this)->find(name);
}

bool HTTPHeaders::contains(std::string_view name) const
{
    return find(name) != nullptr;
}

std::optional<std::string> HTTPHeaders::value(std::string_view name) const
{
    const Field* field = find(name);
    if (!field)
        return std::nullopt;
    std::string joined;
    for (const auto& value : field->values) {
        if (!joined.empty())
            joined += ", ";
        joined += value;
    }
    return joined;
}

std::vector<std::string> HTTPHeaders::values(std::string_view name) const
{
    const Field* field = find(name);
    return field ? field->values : std::vector<std::string> {};
}

void HTTPHeaders::set(std::string_view name, std::optional<std::string> value)
{
    if (!value) {
        remove(name);
        return;
    }
    if (Field* field = find(name)) {
        field->values = {std::move(*value)};
        return;
    }
    _fields.push_back(Field {std::string(name), {std::move(*value)}});
}

void HTTPHeaders::add(std::string_view name, std::string value)
{
    if (Field* field = find(name)) {
        field->values.push_back(std::move(value));
        return;
    }
    _fields.push_back(Field {std::string(name), {std::move(value)}});
}

void HTTPHeaders::remove(std::string_view name)
{
    std::erase_if(_fields, [&](const Field& field) { return equalsIgnoringCase(field.name, name); });
}

std::vector<std::pair<std::string, std::string>> HTTPHeaders::joinedFields() const
{
    std::vector<std::pair<std::string, std::string>> joined;
    for (const auto& field : _fields)
        joined.emplace_back(field.name, *value(field.name));
    return joined;
}

}  // namespace plat
