#include "platform/net/URLResponse.h"

#include <map>

#include "platform/foundation/Text.h"

namespace plat {

std::optional<int64_t> parseHeaderInteger(std::string_view text)
{
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
        text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t'))
        text.remove_suffix(1);
    constexpr size_t kMaxDigits = 18;  // stays far below INT64_MAX
    if (text.empty() || text.size() > kMaxDigits)
        return std::nullopt;
    int64_t value = 0;
    for (char c : text) {
        if (c < '0' || c > '9')
            return std::nullopt;
        value = value * 10 + (c - '0');
    }
    return value;
}

URLResponse::URLResponse(URL url, int64_t statusCode, HTTPHeaders headerFields, std::string httpVersion)
    : _url(std::move(url))
    , _statusCode(statusCode)
    , _headers(std::move(headerFields))
    , _httpVersion(std::move(httpVersion))
{
    if (auto type = _headers.value("Content-Type")) {
        auto parts = componentsSeparatedByString(*type, ";");
        _mimeType = lowercaseString(trimmingWhitespace(parts.front()));
        for (size_t i = 1; i < parts.size(); ++i) {
            std::string parameter = trimmingWhitespace(parts[i]);
            if (hasPrefix(lowercaseString(parameter), "charset=")) {
                _textEncoding = parameter.substr(8);
                if (_textEncoding.size() >= 2 && _textEncoding.front() == '"' && _textEncoding.back() == '"')
                    _textEncoding = _textEncoding.substr(1, _textEncoding.size() - 2);
            }
        }
    }
    auto encoding = _headers.value("Content-Encoding");
    bool identity = !encoding || trimmingWhitespace(*encoding).empty() || equalsIgnoringCase(*encoding, "identity");
    if (auto length = _headers.value("Content-Length"); length && identity)
        _expectedLength = parseHeaderInteger(*length).value_or(kUnknownLength);
}

std::string URLResponse::suggestedFilename() const
{
    std::string name = _url.lastPathComponent();
    return name.empty() || name == "/" ? "Untitled" : name;
}

std::string URLResponse::localizedStringForStatusCode(int64_t statusCode)
{
    static const std::map<int64_t, const char*> texts = {{100, "continue"}, {101, "switching protocols"},
        {200, "no error"}, {201, "created"}, {202, "accepted"}, {204, "no content"}, {206, "partial content"},
        {301, "moved permanently"}, {302, "found"}, {303, "see other"}, {304, "not modified"},
        {307, "temporarily redirected"}, {308, "permanent redirect"}, {400, "bad request"}, {401, "unauthorized"},
        {403, "forbidden"}, {404, "not found"}, {405, "method not allowed"}, {408, "request timed out"},
        {409, "conflict"}, {410, "no longer exists"}, {412, "precondition failed"}, {413, "request too large"},
        {416, "requested range not satisfiable"}, {500, "internal server error"}, {501, "unimplemented"},
        {502, "bad gateway"}, {503, "service unavailable"}, {504, "gateway timed out"}};
    if (auto it = texts.find(statusCode); it != texts.end())
        return it->second;
    if (statusCode >= 100 && statusCode < 200)
        return "informational";
    if (statusCode >= 200 && statusCode < 300)
        return "success";
    if (statusCode >= 300 && statusCode < 400)
        return "redirected";
    if (statusCode >= 400 && statusCode < 500)
        return "client error";
    return "server error";
}

}  // namespace plat
