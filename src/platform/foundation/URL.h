#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace plat {

// An absolute or relative URL split into its parts (RFC 3986). The text is
// kept as given; parts are read from it. Any thread (value type).
class URL {
public:
    // Empty for text that is not a URL (spaces, control characters, a bad port...).
    static std::optional<URL> URLWithString(std::string_view text);
    // text resolved against base (RFC 3986 section 5).
    static std::optional<URL> URLWithString(std::string_view text, const URL& base);
    // A "file://" URL of a path, percent-encoded as needed; a relative path
    // is taken from the current folder.
    static URL fileURLWithPath(std::string_view path);

    const std::string& absoluteString() const { return _text; }
    const std::string& scheme() const { return _scheme; }  // lower case
    // Host in lower case; empty when the URL has none.
    const std::string& host() const { return _host; }
    std::optional<int> port() const { return _port; }
    const std::string& user() const { return _user; }
    const std::string& password() const { return _password; }
    // The path, percent-decoded.
    std::string path() const;
    // The path as written (percent-encoded).
    const std::string& encodedPath() const { return _path; }
    const std::optional<std::string>& query() const { return _query; }
    const std::optional<std::string>& fragment() const { return _fragment; }

    bool isFileURL() const { return _scheme == "file"; }
    bool hasAuthority() const { return _hasAuthority; }
    std::string lastPathComponent() const;
    std::string pathExtension() const;
    URL URLByAppendingPathComponent(std::string_view component) const;

    friend bool operator==(const URL& left, const URL& right) { return left._text == right._text; }

private:
    URL() = default;
    static std::optional<URL> parse(std::string_view text);
    static URL compose(const std::string& scheme, const std::optional<std::string>& authority, const std::string& path,
        const std::optional<std::string>& query, const std::optional<std::string>& fragment);
    std::optional<std::string> authority() const;

    std::string _text;
    std::string _scheme;
    bool _hasAuthority = false;
    std::string _user;
    std::string _password;
    std::string _host;
    std::optional<int> _port;
    std::string _path;
    std::optional<std::string> _query;
    std::optional<std::string> _fragment;
    std::string _rawAuthority;
};

// Percent-encodes every byte that is not an unreserved character (letters,
// digits, "-._~") nor one of allowedExtra. Upper-case hexadecimal digits.
std::string percentEncode(std::string_view text, std::string_view allowedExtra = {});
// Empty when an escape is malformed.
std::optional<std::string> percentDecode(std::string_view text);

}  // namespace plat
