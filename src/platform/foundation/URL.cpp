#include "platform/foundation/URL.h"

#include <cctype>
#include <climits>
#include <unistd.h>
#include <vector>

#include "platform/foundation/HexDigit.h"
#include "platform/foundation/Paths.h"

namespace plat {

namespace {

bool isSchemeCharacter(char c, bool first)
{
    if (std::isalpha(static_cast<unsigned char>(c)))
        return true;
    return !first && (std::isdigit(static_cast<unsigned char>(c)) || c == '+' || c == '-' || c == '.');
}

std::string lowercased(std::string_view text)
{
    std::string out(text);
    for (char& c : out)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return out;
}

// RFC 3986 section 5.2.4.
std::string removeDotSegments(std::string_view input)
{
    std::vector<std::string_view> output;
    bool absolute = !input.empty() && input.front() == '/';
    bool trailingSlash = false;
    size_t position = absolute ? 1 : 0;
    while (position <= input.size()) {
        size_t slash = input.find('/', position);
        std::string_view segment
            = input.substr(position, slash == std::string_view::npos ? std::string_view::npos : slash - position);
        bool last = slash == std::string_view::npos;
        if (segment == ".") {
            trailingSlash = last;
        } else if (segment == "..") {
            if (!output.empty())
                output.pop_back();
            trailingSlash = last;
        } else {
            output.push_back(segment);
            trailingSlash = false;
        }
        if (last)
            break;
        position = slash + 1;
    }
    std::string result = absolute ? "/" : "";
    for (size_t i = 0; i < output.size(); ++i) {
        if (i > 0)
            result += '/';
        result += output[i];
    }
    if (trailingSlash && !result.empty() && result.back() != '/')
        result += '/';
    return result;
}

}  // namespace

std::optional<URL> URL::parse(std::string_view text)
{
    for (char c : text) {
        auto byte = static_cast<unsigned char>(c);
        if (byte <= 0x20 || byte == 0x7F || c == '"' || c == '<' || c == '>' || c == '\\' || c == '^' || c == '`'
            || c == '{' || c == '|' || c == '}')
            return std::nullopt;
    }
    URL url;
    url._text = std::string(text);
    std::string_view rest = text;

    size_t colon = rest.find(':');
    if (colon != std::string_view::npos && colon > 0) {
        bool isScheme = true;
        for (size_t i = 0; i < colon && isScheme; ++i)
            isScheme = isSchemeCharacter(rest[i], i == 0);
        size_t firstDelimiter = rest.find_first_of("/?#");
        if (isScheme && (firstDelimiter == std::string_view::npos || colon < firstDelimiter)) {
            url._scheme = lowercased(rest.substr(0, colon));
            rest.remove_prefix(colon + 1);
        }
    }

    size_t hash = rest.find('#');
    if (hash != std::string_view::npos) {
        url._fragment = std::string(rest.substr(hash + 1));
        rest = rest.substr(0, hash);
    }
    size_t question = rest.find('?');
    if (question != std::string_view::npos) {
        url._query = std::string(rest.substr(question + 1));
        rest = rest.substr(0, question);
    }

    if (rest.substr(0, 2) == "//") {
        url._hasAuthority = true;
        rest.remove_prefix(2);
        size_t slash = rest.find('/');
        std::string_view authority = rest.substr(0, slash);
        rest = slash == std::string_view::npos ? std::string_view() : rest.substr(slash);
        url._rawAuthority = std::string(authority);

        size_t at = authority.rfind('@');
        if (at != std::string_view::npos) {
            std::string_view userInfo = authority.substr(0, at);
            authority.remove_prefix(at + 1);
            size_t separator = userInfo.find(':');
            auto user = percentDecode(userInfo.substr(0, separator));
            if (!user)
                return std::nullopt;
            url._user = *user;
            if (separator != std::string_view::npos) {
                auto password = percentDecode(userInfo.substr(separator + 1));
                if (!password)
                    return std::nullopt;
                url._password = *password;
            }
        }
        std::string_view hostPart = authority;
        std::string_view portPart;
        if (!authority.empty() && authority.front() == '[') {
            size_t close = authority.find(']');
            if (close == std::string_view::npos)
                return std::nullopt;
            hostPart = authority.substr(0, close + 1);
            std::string_view after = authority.substr(close + 1);
            if (!after.empty()) {
                if (after.front() != ':')
                    return std::nullopt;
                portPart = after.substr(1);
            }
        } else {
            size_t portColon = authority.rfind(':');
            if (portColon != std::string_view::npos) {
                hostPart = authority.substr(0, portColon);
                portPart = authority.substr(portColon + 1);
            }
        }
        if (!portPart.empty()) {
            int port = 0;
            for (char c : portPart) {
                if (!std::isdigit(static_cast<unsigned char>(c)))
                    return std::nullopt;
                port = port * 10 + (c - '0');
                if (port > 65535)
                    return std::nullopt;
            }
            url._port = port;
        }
        url._host = lowercased(hostPart);
    }
    url._path = std::string(rest);
    return url;
}

std::optional<URL> URL::URLWithString(std::string_view text)
{
    return parse(text);
}

std::optional<std::string> URL::authority() const
{
    if (!_hasAuthority)
        return std::nullopt;
    return _rawAuthority;
}

URL URL::compose(const std::string& scheme, const std::optional<std::string>& authority, const std::string& path,
    const std::optional<std::string>& query, const std::optional<std::string>& fragment)
{
    std::string text;
    if (!scheme.empty())
        text += scheme + ":";
    if (authority)
        text += "//" + *authority;
    else if (path.starts_with("//"))
        text += "/.";  // a path that starts with "//" would read back as an authority
    text += path;
    if (query)
        text += "?" + *query;
    if (fragment)
        text += "#" + *fragment;
    // Parts came from valid URLs, so the composition parses.
    return *parse(text);
}

std::optional<URL> URL::URLWithString(std::string_view text, const URL& base)
{
    auto reference = parse(text);
    if (!reference)
        return std::nullopt;
    if (!reference->_scheme.empty()) {
        return compose(reference->_scheme, reference->authority(), removeDotSegments(reference->_path),
            reference->_query, reference->_fragment);
    }
    if (reference->_hasAuthority) {
        return compose(base._scheme, reference->authority(), removeDotSegments(reference->_path), reference->_query,
            reference->_fragment);
    }
    if (reference->_path.empty()) {
        return compose(base._scheme, base.authority(), base._path, reference->_query ? reference->_query : base._query,
            reference->_fragment);
    }
    std::string path;
    if (reference->_path.front() == '/') {
        path = removeDotSegments(reference->_path);
    } else {
        std::string merged;
        if (base._hasAuthority && base._path.empty()) {
            merged = "/" + reference->_path;
        } else {
            size_t slash = base._path.rfind('/');
            merged = (slash == std::string::npos ? std::string() : base._path.substr(0, slash + 1)) + reference->_path;
        }
        path = removeDotSegments(merged);
    }
    return compose(base._scheme, base.authority(), path, reference->_query, reference->_fragment);
}

URL URL::fileURLWithPath(std::string_view path)
{
    std::string absolute(path);
    if (absolute.empty() || absolute.front() != '/') {
        // As on the platform, a relative path is taken from the current folder.
        std::string current(PATH_MAX, '\0');
        if (::getcwd(current.data(), current.size()) != nullptr)
            absolute = appendingPathComponent(current.c_str(), absolute);
        else
            absolute = "/" + absolute;
    }
    return *parse("file://" + percentEncode(absolute, "/!$&'()*+,;=:@"));
}

std::string URL::path() const
{
    auto decoded = percentDecode(_path);
    return decoded ? *decoded : _path;
}

std::string URL::lastPathComponent() const
{
    return plat::lastPathComponent(path());
}
std::string URL::pathExtension() const
{
    return plat::pathExtension(path());
}

URL URL::URLByAppendingPathComponent(std::string_view component) const
{
    std::string path = _path;
    if (path.empty() || path.back() != '/')
        path += '/';
    path += percentEncode(component, "!$&'()*+,;=:@");
    return compose(_scheme, authority(), path, _query, _fragment);
}

std::string percentEncode(std::string_view text, std::string_view allowedExtra)
{
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        auto byte = static_cast<unsigned char>(c);
        bool unreserved = std::isalnum(byte) || c == '-' || c == '.' || c == '_' || c == '~';
        if (unreserved || (byte < 0x80 && allowedExtra.find(c) != std::string_view::npos)) {
            out += c;
        } else {
            out += '%';
            out += kHex[byte >> 4];
            out += kHex[byte & 15];
        }
    }
    return out;
}

std::optional<std::string> percentDecode(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '%') {
            out += text[i];
            continue;
        }
        if (i + 2 >= text.size())
            return std::nullopt;
        int high = hexDigitValue(text[i + 1]);
        int low = hexDigitValue(text[i + 2]);
        if (high < 0 || low < 0)
            return std::nullopt;
        out += static_cast<char>(high * 16 + low);
        i += 2;
    }
    return out;
}

}  // namespace plat
