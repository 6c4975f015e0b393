#pragma once
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace plat {

// HTTP header fields in the order they were set. Names compare without
// regard to case and keep the spelling they were first given. A name may
// carry several values (as Set-Cookie does); value() joins them with ", ",
// as the platform's header dictionaries do. Any thread (value type).
class HTTPHeaders {
public:
    HTTPHeaders() = default;
    HTTPHeaders(std::initializer_list<std::pair<std::string, std::string>> fields);

    size_t count() const { return _fields.size(); }
    bool empty() const { return _fields.empty(); }
    bool contains(std::string_view name) const;
    std::optional<std::string> value(std::string_view name) const;
    std::vector<std::string> values(std::string_view name) const;

    // Replaces every value of the name; an empty optional removes it.
    void set(std::string_view name, std::optional<std::string> value);
    // Adds one more value under the name (joined to an existing one).
    void add(std::string_view name, std::string value);
    void remove(std::string_view name);

    struct Field {
        std::string name;
        std::vector<std::string> values;
    };
    const std::vector<Field>& fields() const { return _fields; }
    // Every field with its joined value, in order.
    std::vector<std::pair<std::string, std::string>> joinedFields() const;

    friend bool operator==(const HTTPHeaders&, const HTTPHeaders&) = default;

private:
    Field* find(std::string_view name);
    const Field* find(std::string_view name) const;
    std::vector<Field> _fields;
};

bool equalsIgnoringCase(std::string_view left, std::string_view right);
// Without the spaces and tabs at either end: the optional white space that
// HTTP allows around field values and the parts of a cookie.
std::string_view trimmingOptionalWhitespace(std::string_view text);

}  // namespace plat
